// The program file's version information and icon, and the about box as a
// user meets it: opened from the popup menu, modal over the main window, its
// link opening one browser window.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "about/FrmVer.h"
#include "design_ids.h"
#include "harness_win.h"
#include "resources/resource.h"

namespace {

using namespace e2e;
namespace ver = vantrel::ver;

// ---- the program file -------------------------------------------------------

// version.dll is loaded by name: the driver links only what every other case
// needs, and this is the one place that reads version resources.
class VersionApi {
public:
    VersionApi() : dll_(LoadLibraryW(L"version.dll")) {
        if (!dll_) return;
        size_ = reinterpret_cast<SizeFn>(reinterpret_cast<void*>(GetProcAddress(dll_, "GetFileVersionInfoSizeW")));
        info_ = reinterpret_cast<InfoFn>(reinterpret_cast<void*>(GetProcAddress(dll_, "GetFileVersionInfoW")));
        query_ = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(dll_, "VerQueryValueW")));
    }
    ~VersionApi() {
        if (dll_) FreeLibrary(dll_);
    }
    VersionApi(const VersionApi&) = delete;
    VersionApi& operator=(const VersionApi&) = delete;
    bool ok() const { return size_ && info_ && query_; }

    // The whole version block of `file`, empty when it has none.
    std::vector<BYTE> Read(const std::wstring& file) const {
        DWORD ignored = 0;
        const DWORD n = size_(file.c_str(), &ignored);
        std::vector<BYTE> block(n);
        if (n == 0 || !info_(file.c_str(), 0, n, block.data())) block.clear();
        return block;
    }
    const void* Query(const std::vector<BYTE>& block, const wchar_t* path, UINT* len) const {
        void* p = nullptr;
        *len = 0;
        if (!query_(block.data(), path, &p, len)) return nullptr;
        return p;
    }
    std::wstring String(const std::vector<BYTE>& block, const std::wstring& path) const {
        UINT len = 0;
        const auto* s = static_cast<const wchar_t*>(Query(block, path.c_str(), &len));
        if (!s) return L"<missing>";
        return std::wstring(s, len && s[len - 1] == L'\0' ? len - 1 : len);
    }

private:
    using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    HMODULE dll_;
    SizeFn size_ = nullptr;
    InfoFn info_ = nullptr;
    QueryFn query_ = nullptr;
};

TEST(ProgramFile, VersionInformationReadsBackThroughTheVersionApi) {
    VersionApi api;
    ASSERT_TRUE(api.ok()) << "version.dll is not usable";
    const std::vector<BYTE> block = api.Read(ExePath());
    ASSERT_FALSE(block.empty()) << "the program file has no version information";

    UINT len = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(api.Query(block, L"\\", &len));
    ASSERT_TRUE(fixed != nullptr);
    ASSERT_GE(len, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);  // .0.0
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000000u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    const auto* tr = static_cast<const WORD*>(api.Query(block, L"\\VarFileInfo\\Translation", &len));
    ASSERT_TRUE(tr != nullptr);
    ASSERT_EQ(len, 4u) << "exactly one language";
    EXPECT_EQ(tr[0], 0x0411);  // Japanese
    EXPECT_EQ(tr[1], 0x04B0);  // Unicode (1200)

    const std::wstring s = L"\\StringFileInfo\\041104B0\\";
    EXPECT_EQ(api.String(block, s + L"FileVersion"), L"1.00");
    EXPECT_EQ(api.String(block, s + L"ProductVersion"), L"1.00");
    EXPECT_EQ(api.String(block, s + L"ProductName"), L"VantrelV1_0");
    EXPECT_EQ(api.String(block, s + L"InternalName"), L"VantrelV1_0");
    EXPECT_EQ(api.String(block, s + L"OriginalFilename"), L"VantrelV1_0.exe");
    EXPECT_EQ(api.String(block, s + L"FileDescription"), L"Vantrel");
}

// Draws `icon` at its size on white and counts the pixels of each colour.
struct IconColours {
    int navy = 0, red = 0, other = 0;
    COLORREF corner = 0;
};
IconColours Paint(HICON icon, int size) {
    IconColours c;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) {
        DeleteDC(dc);
        return c;
    }
    HGDIOBJ old = SelectObject(dc, dib);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const auto* px = static_cast<const DWORD*>(bits);
    for (int i = 0; i < size * size; ++i) {
        const DWORD v = px[i] & 0xFFFFFF;  // 0x00RRGGBB
        if (v == 0x000080) ++c.navy;
        else if (v == 0xFF0000) ++c.red;
        else ++c.other;
    }
    c.corner = px[0] & 0xFFFFFF;
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    return c;
}

TEST(ProgramFile, CarriesTheRedEOnNavyIconAtBothSizes) {
    EXPECT_GE(ExtractIconExW(ExePath().c_str(), -1, nullptr, nullptr, 0), 1u);

    HMODULE exe = LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(exe != nullptr);
    for (int size : {32, 16}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON, size, size, 0));
        ASSERT_TRUE(icon != nullptr);
        const IconColours c = Paint(icon, size);
        // Opaque everywhere (the white behind never shows), only two colours,
        // navy ground and a red letter of a sensible weight.
        EXPECT_EQ(c.other, 0);
        EXPECT_EQ(c.corner, 0x000080u);
        EXPECT_GT(c.navy, size * size / 2);
        EXPECT_GT(c.red, size * size / 5);
        DestroyIcon(icon);
    }
    FreeLibrary(exe);
}

// ---- the about box -----------------------------------------------------------

int DesignPx(int twips) {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return MulDiv(twips, dpi, 1440);
}

std::vector<HWND> BrowserWindows() { return TopWindows(0, L"IEFrame", nullptr, false); }

// The screen's pixels (0x00RRGGBB) in a rectangle, row by row.
std::vector<DWORD> Grab(const RECT& r) {
    const int w = r.right - r.left, hgt = r.bottom - r.top;
    std::vector<DWORD> out;
    if (w <= 0 || hgt <= 0) return out;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -hgt;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib) {
        HGDIOBJ old = SelectObject(mem, dib);
        BitBlt(mem, 0, 0, w, hgt, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const auto* px = static_cast<const DWORD*>(bits);
        out.reserve(static_cast<size_t>(w) * hgt);
        for (int i = 0; i < w * hgt; ++i) out.push_back(px[i] & 0xFFFFFF);
        SelectObject(mem, old);
        DeleteObject(dib);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return out;
}

// Share of dark pixels in a window's area on the screen.
double InkShare(HWND h) {
    const std::vector<DWORD> px = Grab(ScreenRect(h));
    if (px.empty()) return -1;
    size_t dark = 0;
    for (DWORD v : px)
        if (((v >> 16) & 0xFF) + ((v >> 8) & 0xFF) + (v & 0xFF) < 3 * 100) ++dark;
    return static_cast<double>(dark) / px.size();
}

HWND FocusOf(HWND anyWindowOfThread) {
    GUITHREADINFO gti{};
    gti.cbSize = sizeof(gti);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(anyWindowOfThread, nullptr), &gti)) return nullptr;
    return gti.hwndFocus;
}

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCase(); }
    void TearDown() override { ResetCase(); }

    HWND StartMain() {
        if (!app.Start()) return nullptr;
        main = app.WaitWindow(vantrel::kMainWindowClass, vantrel::kMainWindowTitle);
        return main;
    }
    // As a user does it: right click, "about...".
    HWND OpenAbout() {
        if (!OpenMainMenuItem(main, 3)) return nullptr;
        return app.WaitWindow(ver::kClassName, W(ver::kCaption).c_str());
    }
    bool CloseWithOk(HWND box) {
        ClickButton(box, ver::kIdCmdOk);
        return WaitUntil("the about box to close", [box] { return !IsWindow(box); });
    }

    App app;
    HWND main = nullptr;
};

TEST_F(AboutBoxTest, OpensCentredAndModalShowingItsTextsAndTheUrl) {
    ASSERT_TRUE(StartMain());
    HWND box = OpenAbout();
    ASSERT_TRUE(box);
    ASSERT_TRUE(Sync(box));

    EXPECT_EQ(Text(box), W(u8"バージョン情報"));
    EXPECT_EQ(Text(Child(box, ver::kIdLblURL)), W(vantrel::kHomePageUrl));
    EXPECT_EQ(Text(Child(box, ver::kIdLabel1)), L"Vantrel");
    EXPECT_EQ(Text(Child(box, ver::kIdLabel3)), L"Ver.1.0");
    EXPECT_EQ(Text(Child(box, ver::kIdLabel4)), W(u8"インターネットエクスプローラ"));
    EXPECT_EQ(Text(Child(box, ver::kIdLabel5)), W(u8"簡単設定ソフト"));
    EXPECT_EQ(Text(Child(box, ver::kIdCmdOk)), L"OK");

    // The main window takes no input while the box is open.
    EXPECT_FALSE(IsWindowEnabled(main));

    // Fixed dialog frame, no task-bar button (owned by the main window).
    const LONG style = GetWindowLongW(box, GWL_STYLE);
    const LONG ex = GetWindowLongW(box, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(ex & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main);
    // The program icon in the title bar: Wine answers neither WM_GETICON nor
    // the class icon across processes, so look at what is drawn there.
    const RECT frame = ScreenRect(box);
    const int caption = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFIXEDFRAME) + 2;
    const std::vector<DWORD> corner = Grab(RECT{frame.left, frame.top, frame.left + caption, frame.top + caption});
    EXPECT_GT(std::count(corner.begin(), corner.end(), 0xFF0000u), 10) << "the red e";
    EXPECT_GT(std::count(corner.begin(), corner.end(), 0x000080u), 10) << "the navy ground";

    const RECT client = ClientRect(box);
    EXPECT_EQ(client.right - client.left, DesignPx(ver::kClientWidth));
    EXPECT_EQ(client.bottom - client.top, DesignPx(ver::kClientHeight));

    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT r = ScreenRect(box);
    EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 1);

    // Only OK can take the focus, and it has it.
    EXPECT_TRUE(WaitUntil("the focus to reach OK", [&] { return FocusOf(box) == Child(box, ver::kIdCmdOk); }));
    for (int id : {ver::kIdLabel1, ver::kIdLabel3, ver::kIdLabel4, ver::kIdLblURL, ver::kIdLabel5, ver::kIdImage1}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(GetWindowLongW(Child(box, id), GWL_STYLE) & WS_TABSTOP);
    }
    EXPECT_FALSE(SendMessageW(Child(box, ver::kIdCmdOk), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON);

    // The picture fills its box: black strokes on white, neither blank nor a block.
    const RECT img = ScreenRect(Child(box, ver::kIdImage1));
    EXPECT_EQ(img.right - img.left, DesignPx(ver::kImage1Box.width));
    EXPECT_EQ(img.bottom - img.top, DesignPx(ver::kImage1Box.height));
    const double ink = InkShare(Child(box, ver::kIdImage1));
    EXPECT_GT(ink, 0.03);
    EXPECT_LT(ink, 0.40);

    // Esc, on the button or on the box, closes nothing.
    PostKey(Child(box, ver::kIdCmdOk), VK_ESCAPE);
    PostKey(box, VK_ESCAPE);
    ASSERT_TRUE(Sync(box));
    EXPECT_TRUE(IsWindow(box) && IsWindowVisible(box));
    EXPECT_FALSE(IsWindowEnabled(main));

    ASSERT_TRUE(CloseWithOk(box));
    EXPECT_TRUE(WaitUntil("the main window to take input again", [&] { return IsWindowEnabled(main) != FALSE; }));
    EXPECT_TRUE(app.Running());
}

TEST_F(AboutBoxTest, OpensAfreshEachTimeAndTheTitleBarCloseWorksLikeOk) {
    ASSERT_TRUE(StartMain());
    HWND first = OpenAbout();
    ASSERT_TRUE(first);
    PostMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil("the title-bar close to close the box", [first] { return !IsWindow(first); }));
    EXPECT_TRUE(WaitUntil("the main window to take input again", [&] { return IsWindowEnabled(main) != FALSE; }));

    HWND second = OpenAbout();
    ASSERT_TRUE(second);
    ASSERT_TRUE(Sync(second));
    EXPECT_EQ(Text(Child(second, ver::kIdLblURL)), W(vantrel::kHomePageUrl));
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT r = ScreenRect(second);
    EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 1);
    EXPECT_FALSE(IsWindowEnabled(main));
    ASSERT_TRUE(CloseWithOk(second));
}

TEST_F(AboutBoxTest, TheLinkOpensOneBrowserWindowAndASecondClickNone) {
    ASSERT_TRUE(BrowserWindows().empty());
    ASSERT_TRUE(StartMain());
    HWND box = OpenAbout();
    ASSERT_TRUE(box);
    HWND link = Child(box, ver::kIdLblURL);

    LeftClick(link, POINT{4, 4});
    ASSERT_TRUE(WaitUntil("a browser window to open",
                          [] { return TopWindows(0, L"IEFrame", nullptr, true).size() == 1; }));
    // The click's handling has run to its end once the box answers again.
    ASSERT_TRUE(Sync(box));
    EXPECT_EQ(BrowserWindows().size(), 1u);

    LeftClick(link, POINT{4, 4});
    ASSERT_TRUE(Sync(box));
    EXPECT_EQ(BrowserWindows().size(), 1u) << "an open browser means no new one";

    EXPECT_TRUE(IsWindow(box)) << "the box stays open";
    EXPECT_TRUE(NoMsgBox(app.pid()));
    // Quit is not implemented in Wine: the window is closed by hand.
    for (HWND h : BrowserWindows()) PostMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil("the browser window to close", [] { return BrowserWindows().empty(); }));
    ASSERT_TRUE(CloseWithOk(box));
}

LRESULT CALLBACK StandInProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(h, msg, wp, lp); }

// A top-level window of class IEFrame in the driver: all the program looks for.
class StandInBrowser {
public:
    StandInBrowser() {
        hwnd = MakeTopLevelWindow(L"IEFrame", StandInProc, L"stand-in browser");
    }
    ~StandInBrowser() {
        if (hwnd) DestroyWindow(hwnd);
        UnregisterClassW(L"IEFrame", GetModuleHandleW(nullptr));
    }
    StandInBrowser(const StandInBrowser&) = delete;
    StandInBrowser& operator=(const StandInBrowser&) = delete;
    HWND hwnd = nullptr;
};

TEST_F(AboutBoxTest, WithABrowserWindowAlreadyOpenTheLinkDoesNothing) {
    StandInBrowser standIn;
    ASSERT_TRUE(standIn.hwnd);

    ASSERT_TRUE(StartMain());
    HWND box = OpenAbout();
    ASSERT_TRUE(box);
    LeftClick(Child(box, ver::kIdLblURL), POINT{4, 4});
    ASSERT_TRUE(Sync(box));
    EXPECT_EQ(BrowserWindows(), std::vector<HWND>{standIn.hwnd});
    EXPECT_TRUE(NoMsgBox(app.pid()));
    ASSERT_TRUE(CloseWithOk(box));
}

}  // namespace
