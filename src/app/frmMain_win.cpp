#include "app/frmMain_win.h"

#include <string>
#include <vector>

#include "about/FrmVer_win.h"
#include "app/frmMain_design.h"
#include "platform/text_win.h"
#include "shortcut/frmSetting_win.h"

namespace vantrel::win {

namespace {

namespace ids = vantrel::main_design;

// A pick is carried out after the list has finished its own notification,
// so that a message box shown by the pick never runs inside the list's
// roll-up code.
constexpr UINT kMsgPick = WM_APP + 1;
// Posted once the window is shown: what waits for it runs after the first
// messages the shown window gets.
constexpr UINT kMsgShown = WM_APP + 2;

// A resizable frame with a minimize box and no maximize box.
constexpr DWORD kMainStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_APPWINDOW;

int16_t ShiftState() {
    int16_t s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= 1;
    if (GetKeyState(VK_CONTROL) < 0) s |= 2;
    if (GetKeyState(VK_MENU) < 0) s |= 4;
    return s;
}

}  // namespace

// ---- MainWindow -----------------------------------------------------------------

int MainWindow::Run(int showCommand) {
    // Created hidden: Form_Load runs before the window is first shown, and a
    // second instance or a failed start-up must never show it.
    Create(ids::kWindow, {kMainStyle, kMainExStyle, nullptr, 0, 0});
    // No maximize box already greys the system menu's entry on Windows; say so
    // explicitly for window managers that build their own menu.
    EnableMenuItem(GetSystemMenu(hwnd(), FALSE), SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
    cmbRegImage_.Attach(controls_[ids::kCmbRegImage]);
    cmbRegJS_Switch_.Attach(controls_[ids::kCmbRegJS_Switch]);

    form_.Form_Load();
    loaded_ = true;
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
    PostMessageW(hwnd(), kMsgShown, 0, 0);
    return MessageLoop(hwnd(), false, &waits_);
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (lp != 0) OnListNotify(LOWORD(wp), HIWORD(wp));
        return 0;
    case kMsgPick:
        Pick(static_cast<int>(wp), lp != 0);
        return 0;
    case kMsgShown:
        form_.Form_Shown();
        return 0;
    case WM_SIZE:
        if (loaded_ && !movingDpi_) form_.Form_Resize();
        return 0;
    case WM_DPICHANGED:
        // The window takes the suggested rectangle first; only then does the
        // logic record it as the size to keep.
        movingDpi_ = true;
        Window::OnMessage(msg, wp, lp);
        movingDpi_ = false;
        cmbRegJS_Switch_.PlaceToolTip();
        if (loaded_) form_.Form_DpiChanged();
        return 0;
    case WM_ACTIVATE:
        if (loaded_ && LOWORD(wp) != WA_INACTIVE) form_.Form_Activate();
        break;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_MAXIMIZE) return 0;
        break;
    case WM_LBUTTONUP:
        OnMouseUp(kLeftButton, lp);
        return 0;
    case WM_RBUTTONUP:
        OnMouseUp(kRightButton, lp);
        return 0;
    case WM_MBUTTONUP:
        OnMouseUp(kMiddleButton, lp);
        return 0;
    case WM_CONTEXTMENU:
        // The popup opens only on a right-button release; the context-menu
        // key and Shift+F10 must open nothing. The title bar keeps its
        // system menu.
        if (lp != -1 && SendMessageW(hwnd(), WM_NCHITTEST, 0, lp) != HTCLIENT) break;
        return 0;
    case WM_DESTROY: {
        bool cancel = false;
        form_.Form_Unload(cancel);
        PostQuitMessage(0);
        return 0;
    }
    default:
        break;
    }
    return Window::OnMessage(msg, wp, lp);
}

void MainWindow::OnListNotify(int id, int code) {
    ComboBoxWin* list = id == ids::kCmbRegImage ? &cmbRegImage_ : id == ids::kCmbRegJS_Switch ? &cmbRegJS_Switch_ : nullptr;
    if (!list) return;
    const ListPicks::Outcome outcome = list->Notified(code);
    if (outcome != ListPicks::Outcome::None)
        PostMessageW(hwnd(), kMsgPick, static_cast<WPARAM>(id), outcome == ListPicks::Outcome::PutBack);
}

void MainWindow::Pick(int id, bool putBack) {
    // A list that moved without a pick shows the setting again.
    if (putBack) form_.Registry_Change();
    else if (id == ids::kCmbRegImage) form_.cmbRegImage_Click();
    else if (id == ids::kCmbRegJS_Switch) form_.cmbRegJS_Switch_Click();
}

void MainWindow::OnMouseUp(int16_t button, LPARAM lp) {
    const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    const auto twips = [&](int px) { return static_cast<float>(PixelsToTwips(px, dpi_)); };
    const int16_t shift = ShiftState();
    // The labels, and a greyed list, let the mouse through to the window;
    // tell them apart by where the pointer is.
    const auto boxOf = [&](int id) {
        RECT r;
        GetWindowRect(controls_[id], &r);
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    for (int id : {ids::kCmbRegImage, ids::kCmbRegJS_Switch})
        if (const RECT r = boxOf(id); PtInRect(&r, pt)) return;  // the lists open no menu
    if (const RECT r = boxOf(ids::kLblShowImage); PtInRect(&r, pt))
        return form_.lblShowImage_MouseUp(button, shift, twips(pt.x - r.left), twips(pt.y - r.top));
    if (const RECT r = boxOf(ids::kLblScriptExecute); PtInRect(&r, pt))
        return form_.lblScriptExecute_MouseUp(button, shift, twips(pt.x - r.left), twips(pt.y - r.top));
    form_.Form_MouseUp(button, shift, twips(pt.x), twips(pt.y));
}

// ---- IMainView -------------------------------------------------------------------

SIZE MainWindow::OuterPixels() {
    RECT r;
    if (!GetWindowRect(hwnd(), &r)) RaiseLastError();
    return SIZE{r.right - r.left, r.bottom - r.top};
}

double MainWindow::Width() { return PixelsToTwips(OuterPixels().cx, dpi_); }

double MainWindow::Height() { return PixelsToTwips(OuterPixels().cy, dpi_); }

void MainWindow::Resize(int width, int height) {
    // Setting the size it already has would only raise another resize.
    const SIZE now = OuterPixels();
    if (now.cx == width && now.cy == height) return;
    SetWindowPos(hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetWidth(int32_t twips) { Resize(TwipsToPixels(twips, dpi_), OuterPixels().cy); }

void MainWindow::SetHeight(int32_t twips) { Resize(OuterPixels().cx, TwipsToPixels(twips, dpi_)); }

bool MainWindow::Minimized() { return IsIconic(hwnd()) != FALSE; }

void MainWindow::MoveWait(int32_t leftTwips, int32_t topTwips) {
    SetWindowPos(controls_[ids::kFraWait], nullptr, TwipsToPixels(leftTwips, dpi_), TwipsToPixels(topTwips, dpi_), 0,
                 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::WaitToFront() {
    SetWindowPos(controls_[ids::kFraWait], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::SetWaitVisible(bool visible) { ShowWindow(controls_[ids::kFraWait], visible ? SW_SHOWNA : SW_HIDE); }

void MainWindow::Refresh() {
    // The pick blocks the message loop until the write and the broadcast are
    // over, so what showing or hiding the panel changed (the panel with its
    // caption, or the part of the list it uncovers) is painted now, not when
    // WM_PAINT comes round. Nothing else in the window changed.
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    // Painting lands in the window's back buffer; Wine hands that buffer to
    // the display whenever the thread waits on its queue, and the blocking
    // work that follows would otherwise leave a half-drawn window on screen
    // until it is over. A wait that times out at once presents it (and on
    // Windows costs nothing).
    MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
}

PopupChoice MainWindow::PopupMenu() {
    const Menu mnuPopup(CreatePopupMenu());
    if (!mnuPopup) return PopupChoice::None;
    for (const ids::MenuItem& item : ids::kPopupMenu) {
        if (item.caption)
            AppendMenuW(mnuPopup.get(), MF_STRING, static_cast<UINT_PTR>(item.id), Widen(item.caption).c_str());
        else
            AppendMenuW(mnuPopup.get(), MF_SEPARATOR, 0, nullptr);
    }
    POINT pt;
    GetCursorPos(&pt);
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(hwnd());
    const int cmd = TrackPopupMenu(mnuPopup.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                   pt.x, pt.y, 0, hwnd(), nullptr);
    PostMessageW(hwnd(), WM_NULL, 0, 0);
    switch (cmd) {
    case ids::kMnuSetting: return PopupChoice::Setting;
    case ids::kMnuHelp: return PopupChoice::Help;
    case ids::kMnuAbout: return PopupChoice::About;
    default: return PopupChoice::None;
    }
}

void MainWindow::ShowSettingDialog() { ShowFrmSetting(hwnd(), setting_); }

void MainWindow::ShowAboutDialog() { ShowFrmVer(hwnd(), platform_); }

}  // namespace vantrel::win
