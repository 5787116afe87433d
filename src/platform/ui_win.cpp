#include "platform/ui_win.h"

#include <cmath>

namespace vantrel::win {

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    if (n) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

namespace {
std::string FromWide(const std::wstring& w, UINT codePage) {
    if (w.empty()) return std::string();
    const int n = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    if (n) WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}
}  // namespace

std::string Narrow(const std::wstring& utf16) { return FromWide(utf16, CP_UTF8); }
std::string ToAnsi(const std::string& utf8) { return FromWide(Widen(utf8), CP_ACP); }

int SystemDpi() {
    // The system DPI is fixed for the session, so it is asked for once.
    static const int dpi = [] {
        HDC dc = GetDC(nullptr);
        const int d = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
        if (dc) ReleaseDC(nullptr, dc);
        return d > 0 ? d : 96;
    }();
    return dpi;
}

int Px(int twips) { return MulDiv(twips, SystemDpi(), 1440); }

Font& Font::operator=(Font&& o) noexcept {
    if (this != &o) {
        if (h_) DeleteObject(h_);
        h_ = o.h_;
        o.h_ = nullptr;
    }
    return *this;
}

Font::~Font() {
    if (h_) DeleteObject(h_);
}

Font MakeFont(const char* faceUtf8, double points, bool bold, BYTE charset, bool underline) {
    const int hundredths = static_cast<int>(std::lround(points * 100.0));
    const int height = -MulDiv(hundredths, SystemDpi(), 7200);
    const std::wstring face = Widen(faceUtf8 ? faceUtf8 : "");
    return Font(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline ? TRUE : FALSE,
                            FALSE, charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

HFONT DefaultGuiFont() {
    static const Font font = [] {
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof(ncm);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0))
            return Font(CreateFontIndirectW(&ncm.lfMessageFont));
        return Font();
    }();
    // The stock font needs no deleting, so it is the fallback, not the holder's.
    return font.get() ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void SetText(HWND h, const std::string& utf8) { SetWindowTextW(h, Widen(utf8).c_str()); }

namespace {
bool IsEnterOrEscape(const MSG& m, HWND dialog) {
    if (m.message != WM_KEYDOWN && m.message != WM_KEYUP && m.message != WM_CHAR) return false;
    if (m.wParam != VK_RETURN && m.wParam != VK_ESCAPE) return false;
    return m.hwnd == dialog || IsChild(dialog, m.hwnd);
}
}  // namespace

void RunModal(HWND dialog, HWND owner) {
    // An owner that was already disabled (a nested modal) stays so afterwards.
    const bool reenable = owner && IsWindowEnabled(owner);
    if (reenable) EnableWindow(owner, FALSE);

    MSG msg;
    while (IsWindow(dialog)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to the outer loop: hand it back and stop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        if (IsEnterOrEscape(msg, dialog)) continue;
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    // Usually EndModal has already done this before the dialog went away; it
    // is repeated for a dialog destroyed by other means.
    if (reenable && IsWindow(owner)) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}

void EndModal(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(dialog);
}

void CenterOnScreen(HWND h) {
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work.right = GetSystemMetrics(SM_CXSCREEN);
        work.bottom = GetSystemMetrics(SM_CYSCREEN);
    }
    RECT r{};
    GetWindowRect(h, &r);
    const int w = r.right - r.left, hgt = r.bottom - r.top;
    const int x = work.left + ((work.right - work.left) - w) / 2;
    const int y = work.top + ((work.bottom - work.top) - hgt) / 2;
    SetWindowPos(h, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE OuterSize(int clientW, int clientH, DWORD style, DWORD exStyle) {
    RECT r{0, 0, clientW, clientH};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void EndProgram() { ExitProcess(0); }

}  // namespace vantrel::win
