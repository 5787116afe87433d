// The platform gateway against the real system, in the driver's own process:
// what the scripting shell stores and answers, how a failed call becomes the
// error the user is shown, the files, the user32 calls, and the program
// file's resources.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "harness_win.h"
#include "platform/com_win.h"
#include "platform/host_win.h"
#include "platform/objects_win.h"
#include "platform/watch_win.h"
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

// The number the user is shown, and a description on one line.
TEST_F(Gateway, EachKindOfFailedCallBecomesItsNumberAndADescription) {
    const struct { const char* what; std::function<void()> call; int32_t number; const char* description; } rows[] = {
        {"a missing value", [&] { shell->RegRead(kTestPath + "Absent"); }, -2147024894, nullptr},  // 0x80070002
        {"an object that is not there", [] { win::Dispatch::Create(L"Vantrel.NoSuchObject"); }, 429,
         "ActiveX コンポーネントはオブジェクトを作成できません。"},
        {"a number the system has no text for", [] { win::RaiseFailure(static_cast<HRESULT>(0x80020005)); },
         static_cast<int32_t>(0x80020005), "オートメーション エラーです。"},
    };
    for (const auto& r : rows) {
        const vantrel::ErrValue e = Raised(r.call);
        EXPECT_EQ(e.number, r.number) << r.what;
        if (r.description) {
            EXPECT_EQ(e.description, r.description) << r.what;
        }
        EXPECT_FALSE(e.description.empty()) << r.what;
        EXPECT_EQ(e.description.find_first_of("\r\n"), std::string::npos) << r.what << ": line break left in the text";
    }
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

// ---- the registry watch ------------------------------------------------------------

const std::string kWatched = "Software\\VantrelTest\\Watched";

// The real keys, with the key made or removed right after the arming looked
// at it: the notices armed after that look do not hear of it.
class RacingKeys : public win::KeyNotice {
public:
    RacingKeys(HANDLE event, std::function<void()> change) : KeyNotice(HKEY_CURRENT_USER, event), change_(change) {}
    bool Open(const std::string& path) override {
        const bool there = KeyNotice::Open(path);
        if (path == kWatched && change_) std::exchange(change_, nullptr)();
        return there;
    }

private:
    std::function<void()> change_;
};

TEST_F(Gateway, AKeyThatComesOrGoesWhileItsWatchIsArmedIsHeardOf) {
    const auto make = [] { WriteRegSz(HKEY_CURRENT_USER, win::Widen(kWatched), L"v", L"1"); };
    const auto remove = [] { RegDeleteTreeW(HKEY_CURRENT_USER, win::Widen(kWatched).c_str()); };
    const struct { const char* what; bool there; std::function<void()> change; } rows[] = {
        {"comes", false, make}, {"goes", true, remove}};
    for (const auto& r : rows) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        WriteRegSz(HKEY_CURRENT_USER, kTestKey, L"v", L"0");
        if (r.there) make();
        win::KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        RacingKeys keys(event.get(), r.change);
        ASSERT_TRUE(vantrel::ArmKeyWatch(kWatched, keys)) << r.what;
        EXPECT_EQ(WaitForSingleObject(event.get(), 1000), WAIT_OBJECT_0) << "a key that " << r.what << " went unheard";
        keys.Reset();
    }
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

TEST(ProgramFile, CarriesTheRedEOnNavyIcon) {
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
        EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL)) << size;
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
    FreeLibrary(exe);
}

// The version block as Explorer's properties page reads it.
std::vector<BYTE> VersionBlock() {
    const std::wstring exe = ExePath();
    std::vector<BYTE> block(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
    if (block.empty() || !GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
        block.clear();
    return block;
}

TEST(ProgramFile, HasFileAndProductVersion1000) {
    std::vector<BYTE> block = VersionBlock();
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed);
    EXPECT_EQ((std::array{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                          fixed->dwProductVersionLS}),
              (std::array<DWORD, 4>{0x00010000u, 0, 0x00010000u, 0}));  // 1.0.0.0
}

TEST(ProgramFile, NamesItselfAsExplorerShowsIt) {
    std::vector<BYTE> block = VersionBlock();
    ASSERT_FALSE(block.empty());
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
