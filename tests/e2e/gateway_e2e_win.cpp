// The platform gateway against the real system, in the driver's own process:
// what the scripting shell stores and answers, how a failed call becomes the
// error the user is shown, the files, the user32 calls, and the program
// file's resources.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "harness_win.h"
#include "platform/com_win.h"
#include "platform/host_win.h"
#include "platform/mdlWinAPI_win.h"
#include "platform/objects_win.h"
#include "resources/resource.h"

namespace {

using namespace e2e;
using vantrel::ShellValue;
using vantrel::TrappedError;
namespace win = vantrel::win;

const wchar_t* const kTestKey = L"Software\\VantrelTest";
const std::string kTestPath = "HKCU\\Software\\VantrelTest\\";

template <class F>
vantrel::ErrValue Raised(F f) {
    try {
        f();
    } catch (const TrappedError& e) {
        return e.Value();
    }
    ADD_FAILURE() << "the call did not raise";
    return {};
}

class Gateway : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com.ok());
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        shell = win::ObjectFactory().CreateScriptShell();
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }
    RegVal Stored(const wchar_t* name) { return ReadReg(HKEY_CURRENT_USER, kTestKey, name); }

    win::ComApartment com;
    std::unique_ptr<vantrel::IScriptShell> shell;
};

TEST_F(Gateway, TheShellStoresEachKindOfValueAsTheProgramWritesIt) {
    shell->RegWrite(kTestPath + "Text", "画像の表示");
    shell->RegWrite(kTestPath + "Number", 3, "REG_DWORD");
    shell->RegWrite(kTestPath + "Bytes", 65536, "REG_BINARY");
    EXPECT_EQ(Stored(L"Text").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Stored(L"Text").Str(), W("画像の表示"));
    EXPECT_EQ(Stored(L"Number").type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(Stored(L"Number").Dword(), 3u);
    EXPECT_EQ(Stored(L"Bytes").type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(Stored(L"Bytes").data, (std::vector<BYTE>{0, 0, 1, 0}));
    // Read back: a string as text, a number as its digits, bytes with no text form.
    EXPECT_EQ(vantrel::ToText(shell->RegRead(kTestPath + "Text")), "画像の表示");
    EXPECT_EQ(vantrel::ToText(shell->RegRead(kTestPath + "Number")), "3");
    EXPECT_EQ(Raised([&] { vantrel::ToText(shell->RegRead(kTestPath + "Bytes")); }).number, 13);
    WriteReg(HKEY_CURRENT_USER, kTestKey, L"Multi", REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0});
    EXPECT_EQ(shell->RegRead(kTestPath + "Multi").kind, ShellValue::Kind::NoText);
    // Value names match without regard to case: the write replaces the value.
    WriteRegDword(HKEY_CURRENT_USER, kTestKey, L"CurrentLevel", 0x11500);
    EXPECT_EQ(vantrel::ToText(shell->RegRead(kTestPath + "CUrrentLevel")), "70912");
    shell->RegWrite(kTestPath + "CUrrentLevel", 0, "REG_DWORD");
    EXPECT_EQ(Stored(L"CurrentLevel").Dword(), 0u);
}

TEST_F(Gateway, AFailedCallReportsItsNumberAndADescription) {
    const vantrel::ErrValue missing = Raised([&] { shell->RegRead(kTestPath + "Absent"); });
    EXPECT_EQ(missing.number, -2147024894);  // 0x80070002, file not found
    EXPECT_FALSE(missing.description.empty());
    EXPECT_EQ(missing.description.find_first_of("\r\n"), std::string::npos) << "line break left in the text";
    EXPECT_EQ(Raised([&] { shell->SpecialFolders("Programs"); }).number, -2147467263);  // Wine: E_NOTIMPL
    const vantrel::ErrValue absent = Raised([] { win::Dispatch::Create(L"Vantrel.NoSuchObject"); });
    EXPECT_EQ(absent.number, 429);
    EXPECT_EQ(absent.description, "ActiveX コンポーネントはオブジェクトを作成できません。");
    // Members are found by name without regard to case; an unknown one fails.
    win::Dispatch direct = win::Dispatch::Create(L"WScript.Shell");
    direct.Call(L"REGWRITE", kTestPath + "Upper", std::string("1"));
    EXPECT_EQ(Stored(L"Upper").Str(), L"1");
    EXPECT_EQ(Raised([&] { direct.Call(L"NoSuchMember"); }).number, -2147352570);  // 0x80020006
    // A number the system has no text for gets the program's own.
    const vantrel::ErrValue unknown = Raised([] { win::RaiseFailure(static_cast<HRESULT>(0x80020005)); });
    EXPECT_EQ(unknown.number, static_cast<int32_t>(0x80020005));
    EXPECT_EQ(unknown.description, "オートメーション エラーです。");
}

TEST_F(Gateway, TheShortcutGoesIntoTheCommonProgramsFolder) {
    wchar_t common[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, common), S_OK);
    const std::string folder = shell->SpecialFolders("AllUsersPrograms");
    EXPECT_EQ(win::Widen(folder), common);
    const std::string lnk = folder + "\\VantrelGatewayTest.lnk";
    auto link = shell->CreateShortcut(lnk);
    link->SetTargetPath("C:\\windows\\notepad.exe");
    link->SetWindowStyle(1);
    // Wine's shortcut has no hot key.
    EXPECT_EQ(Raised([&] { link->SetHotkey("CTRL+ALT+S"); }).number, -2147467263);
    link->Save();
    link.reset();
    win::Host host;
    host.OpenForRead(lnk);
    host.Close();
    host.RemoveFile(lnk);
    EXPECT_EQ(GetFileAttributesW(win::Widen(lnk).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(GatewayHost, FileFailuresCarryTheProgramsNumbers) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::string dir = win::Narrow(temp), path = dir + "vantrel-open.lnk";
    win::Host host, other;
    EXPECT_EQ(Raised([&] { host.OpenForRead(dir + "vantrel-none.lnk"); }).number, 53);
    EXPECT_EQ(Raised([&] { host.RemoveFile(dir + "vantrel-none.lnk"); }).number, 53);
    EXPECT_EQ(Raised([&] { host.OpenForRead(dir + "no-such-dir\\x.lnk"); }).number, 75);
    CloseHandle(CreateFileW(win::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    host.OpenForRead(path);  // held open: another may not delete it
    EXPECT_EQ(Raised([&] { other.RemoveFile(path); }).number, 70);
    host.Close();
    host.RemoveFile(path);
    // The program's own file, and one instance per name.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(host.ExePath(), win::Narrow(self));
    const std::wstring name = L"Local\\VantrelTest.Instance." + std::to_wstring(GetCurrentProcessId());
    win::Host first(name.c_str()), second(name.c_str());
    EXPECT_FALSE(first.PrevInstance());
    EXPECT_TRUE(second.PrevInstance());
}

LRESULT CALLBACK PlainProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(h, msg, wp, lp); }

TEST(GatewayWinApi, FindWindowTakesANullNameAsAnyAndTheBroadcastReturns) {
    HWND w = MakeTopLevelWindow(L"VantrelFindMe", PlainProc, W("画像の表示").c_str());
    win::mdlWinAPI api;
    EXPECT_EQ(api.FindWindowA(std::string("VantrelFindMe"), std::nullopt), reinterpret_cast<intptr_t>(w));
    EXPECT_EQ(api.FindWindowA(std::nullopt, std::string("画像の表示")), reinterpret_cast<intptr_t>(w));
    EXPECT_EQ(api.FindWindowA(std::string("VantrelFindMe"), std::string("")), 0);
    const int32_t emptyText = 0;
    api.SendMessageA(0xFFFF, WM_WININICHANGE, 31, &emptyText);
    DestroyWindow(w);
}

// Counts the pixels of each colour of an icon drawn on white.
std::pair<int, int> RedAndNavy(HICON icon, int size) {
    std::pair<int, int> counts{0, 0};
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, dib);
    PatBlt(dc, 0, 0, size, size, WHITENESS);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    for (int i = 0; i < size * size; ++i) {
        const DWORD v = static_cast<const DWORD*>(bits)[i] & 0xFFFFFF;
        counts.first += v == 0xFF0000;
        counts.second += v == 0x000080;
    }
    DeleteDC(dc);
    DeleteObject(dib);
    return counts;
}

TEST(ProgramFile, CarriesItsVersionAndTheRedEOnNavyIcon) {
    HMODULE exe = LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(exe);
    for (int size : {32, 16}) {
        HICON icon = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON, size, size, 0));
        ASSERT_TRUE(icon) << size;
        const auto [red, navy] = RedAndNavy(icon, size);
        EXPECT_EQ(red + navy, size * size) << "only the two colours, opaque everywhere, at " << size;
        EXPECT_GT(red, size * size / 5);
        DestroyIcon(icon);
    }
    // The version block, as Explorer's properties page reads it.
    HRSRC res = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));  // RT_VERSION
    ASSERT_TRUE(res);
    const auto* block = static_cast<const BYTE*>(LockResource(LoadResource(exe, res)));
    const std::wstring text(reinterpret_cast<const wchar_t*>(block), SizeofResource(exe, res) / sizeof(wchar_t));
    const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(block + 40);  // after the header and its key
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    for (const wchar_t* s : {L"041104B0", L"1.00", L"VantrelV1_0", L"VantrelV1_0.exe"})
        EXPECT_NE(text.find(s), std::wstring::npos) << U8(s);
    FreeLibrary(exe);
}

}  // namespace
