// The platform gateway against the real system, in the driver's own process:
// what the scripting shell stores and answers, how a failed call becomes the
// error the user is shown, the files, the user32 calls, and the program
// file's resources.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <shlobj.h>

#include <array>

#include "harness_win.h"
#include "platform/com_win.h"
#include "platform/host_win.h"
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
    win::Dispatch direct = win::Dispatch::Create(L"WScript.Shell");
    EXPECT_EQ(Raised([&] { direct.Call(L"NoSuchMember"); }).number, -2147352570);  // 0x80020006
    // A number the system has no text for gets the program's own.
    const vantrel::ErrValue unknown = Raised([] { win::RaiseFailure(static_cast<HRESULT>(0x80020005)); });
    EXPECT_EQ(unknown.number, static_cast<int32_t>(0x80020005));
    EXPECT_EQ(unknown.description, "オートメーション エラーです。");
}

// The 環境設定 dialog shows where the shortcut goes; creating it stops at
// Wine's missing hot key, so the other properties and Save are seen here.
TEST_F(Gateway, AShortcutIsSavedWithItsTargetAndStyle) {
    const std::string lnk = shell->SpecialFolders("AllUsersPrograms") + "\\VantrelGatewayTest.lnk";
    auto link = shell->CreateShortcut(lnk);
    link->SetTargetPath("C:\\windows\\notepad.exe");
    link->SetWindowStyle(1);
    link->Save();
    link.reset();
    // Read back as Explorer would: the shell's own link object.
    win::ComPtr<IShellLinkW> saved;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(saved.put()))));
    win::ComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(saved->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))));
    ASSERT_TRUE(SUCCEEDED(file->Load(win::Widen(lnk).c_str(), STGM_READ)));
    wchar_t target[MAX_PATH] = {};
    saved->GetPath(target, MAX_PATH, nullptr, 0);
    int show = 0;
    saved->GetShowCmd(&show);
    EXPECT_EQ(lstrcmpiW(target, L"C:\\windows\\notepad.exe"), 0) << target;
    EXPECT_EQ(show, SW_SHOWNORMAL);
    file.reset();
    saved.reset();
    win::Host().RemoveFile(lnk);
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
}

TEST(ProgramFile, CarriesTheRedEOnNavyIconAndItsVersion) {
    HMODULE exe = LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(exe);
    // Drawn on white: only the two colours, opaque everywhere, at both sizes.
    for (int size : {32, 16}) {
        HICON icon = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON, size, size, 0));
        HDC dc = CreateCompatibleDC(nullptr);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof bi.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(dc, dib);
        PatBlt(dc, 0, 0, size, size, WHITENESS);
        ASSERT_TRUE(DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL)) << size;
        GdiFlush();
        const auto* px = static_cast<const DWORD*>(bits);
        const auto red = std::count_if(px, px + size * size, [](DWORD v) { return (v & 0xFFFFFF) == 0xFF0000; });
        const auto navy = std::count_if(px, px + size * size, [](DWORD v) { return (v & 0xFFFFFF) == 0x000080; });
        EXPECT_EQ(red + navy, size * size) << size;
        EXPECT_GT(red, size * size / 5) << size;
        DeleteDC(dc);
        DeleteObject(dib);
        DestroyIcon(icon);
    }
    // The version block as Explorer's properties page reads it.
    HRSRC res = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));  // RT_VERSION
    ASSERT_TRUE(res);
    const auto* block = static_cast<const BYTE*>(LockResource(LoadResource(exe, res)));
    const std::wstring text(reinterpret_cast<const wchar_t*>(block), SizeofResource(exe, res) / sizeof(wchar_t));
    const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(block + 40);  // after the header and its key
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ((std::array{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                          fixed->dwProductVersionLS}),
              (std::array<DWORD, 4>{0x00010000u, 0, 0x00010000u, 0}));  // 1.0.0.0
    FreeLibrary(exe);
}

TEST(ProgramFile, NamesItselfAsExplorerShowsIt) {
    const std::wstring exe = ExePath();
    std::vector<BYTE> block(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    const auto value = [&](const wchar_t* name) {
        wchar_t* text = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
        return VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) && text
                   ? std::wstring(text)
                   : std::wstring(L"(none)");
    };
    const struct { const wchar_t *name, *text; } rows[] = {
        {L"FileDescription", L"Vantrel"},          {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},              {L"ProductName", L"VantrelV1_0"},
        {L"InternalName", L"VantrelV1_0"},         {L"OriginalFilename", L"VantrelV1_0.exe"}};
    for (const auto& r : rows) EXPECT_EQ(value(r.name), r.text) << r.name;
}

}  // namespace
