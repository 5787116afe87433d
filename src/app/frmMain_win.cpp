#include "app/frmMain_win.h"

#include <string>
#include <vector>

#include "about/FrmVer_win.h"
#include "app/frmMain_ids.h"
#include "app/frmMain_layout.h"
#include "resources/resource.h"
#include "shortcut/frmSetting_win.h"

namespace vantrel::win {

namespace {

constexpr wchar_t kWaitPanelClass[] = L"VantrelWaitPanel";
// A pick is carried out after the list has finished its own notification,
// so that a message box shown by the pick never runs inside the list's
// roll-up code.
constexpr UINT kMsgPick = WM_APP + 1;

// Main window frame: resizable, minimize box, no maximize box.
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                             WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_APPWINDOW;

RECT PxBox(const layout::Box& b) {
    return RECT{Px(b.left), Px(b.top), Px(b.left + b.width), Px(b.top + b.height)};
}

HWND MakeChild(HWND parent, const wchar_t* cls, DWORD style, const layout::Box& box, int id,
               HINSTANCE inst) {
    const RECT r = PxBox(box);
    return CreateWindowExW(0, cls, L"", WS_CHILD | WS_CLIPSIBLINGS | style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst,
                           nullptr);
}

// The panel that carries "設定中...": a plain face-coloured box with an
// etched edge, like a frame without caption.
LRESULT CALLBACK WaitPanelProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT rc;
        GetClientRect(h, &rc);
        DrawEdge(dc, &rc, EDGE_ETCHED, BF_RECT);
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

// Keeps the selection field of a drop-down list at its design height; the
// control otherwise sizes it from the font.
void FitComboHeight(HWND combo, int targetPx) {
    // The control adds borders of its own to the item height, and Wine's
    // answer to CB_GETITEMHEIGHT is not what CB_SETITEMHEIGHT takes; steer
    // by the height actually measured.
    LRESULT value = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (value == CB_ERR) return;
    for (int round = 0; round < 4; ++round) {
        RECT r;
        GetWindowRect(combo, &r);
        const int delta = targetPx - (r.bottom - r.top);
        if (delta == 0 || value + delta <= 0) return;
        value += delta;
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), value);
    }
}

// Signed client coordinates of a mouse message.
POINT PointOf(LPARAM lp) {
    return POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

int16_t ShiftState() {
    int16_t s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= 1;
    if (GetKeyState(VK_CONTROL) < 0) s |= 2;
    if (GetKeyState(VK_MENU) < 0) s |= 4;
    return s;
}

}  // namespace

// ---- ComboBoxWin --------------------------------------------------------------

void ComboBoxWin::Clear() { SendMessageW(h_, CB_RESETCONTENT, 0, 0); }

void ComboBoxWin::AddItem(const std::string& text) {
    const std::wstring w = Widen(text);
    SendMessageW(h_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void ComboBoxWin::SetText(const std::string& text) {
    // CB_SELECTSTRING and CB_FINDSTRINGEXACT fold case and match prefixes;
    // the entry must be the one with exactly this text.
    const std::wstring want = Widen(text);
    const LRESULT count = SendMessageW(h_, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT len = SendMessageW(h_, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (len == CB_ERR) continue;
        std::vector<wchar_t> buf(static_cast<size_t>(len) + 1);
        SendMessageW(h_, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
        if (want == buf.data()) {
            SendMessageW(h_, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    }
    throw TrappedError(383, "'Text' プロパティは読み取り専用です。");
}

int16_t ComboBoxWin::ListIndex() {
    const LRESULT sel = SendMessageW(h_, CB_GETCURSEL, 0, 0);
    return sel == CB_ERR ? int16_t{-1} : static_cast<int16_t>(sel);
}

void ComboBoxWin::SetEnabled(bool enabled) { EnableWindow(h_, enabled ? TRUE : FALSE); }

// ---- MainWindow -----------------------------------------------------------------

MainWindow::MainWindow(HINSTANCE instance, Platform platform)
    : instance_(instance), platform_(platform), form_(*this, platform), setting_(platform) {}

MainWindow::~MainWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

int MainWindow::Run(int showCommand) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &MainWindow::Proc;
    wc.hInstance = instance_;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassExW(&wc);

    WNDCLASSEXW pc{};
    pc.cbSize = sizeof pc;
    pc.lpfnWndProc = &WaitPanelProc;
    pc.hInstance = instance_;
    pc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    pc.lpszClassName = kWaitPanelClass;
    RegisterClassExW(&pc);

    // Created hidden: Form_Load runs before the window is first shown, and a
    // second instance or a failed start-up must never show it.
    const SIZE outer = OuterSize(Px(layout::kClientWidth), Px(layout::kClientHeight), kMainStyle, kMainExStyle);
    hwnd_ = CreateWindowExW(kMainExStyle, kMainWindowClass, kMainWindowTitle, kMainStyle, 0, 0, outer.cx, outer.cy,
                            nullptr, nullptr, instance_, this);
    if (!hwnd_) return 1;
    // No maximize box already greys the system menu's entry on Windows; say so
    // explicitly for window managers that build their own menu.
    EnableMenuItem(GetSystemMenu(hwnd_, FALSE), SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
    CreateControls();

    try {
        form_.Form_Load();
    } catch (const ProgramEnd&) {
        EndProgram();
    } catch (...) {
        EndProgram();
    }
    loaded_ = true;

    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(cmbRegImage_.hwnd());
    lastFocus_ = cmbRegImage_.hwnd();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(hwnd_, &msg)) continue;  // Tab between the two lists
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void MainWindow::CreateControls() {
    const HFONT gui = DefaultGuiFont();
    const DWORD list = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VISIBLE;

    // Creation order is the tab order; the lists are raised above the labels
    // afterwards since the label boxes reach under the lists' left edge.
    layout::Box dropped = layout::kCmbRegImage;
    dropped.height *= 6;  // the open list's height: room for every entry
    cmbRegImage_.Attach(MakeChild(hwnd_, L"COMBOBOX", list, dropped, kIdCmbRegImage, instance_));
    lblShowImage_ = MakeChild(hwnd_, L"STATIC", SS_LEFT | WS_VISIBLE, layout::kLblShowImage, kIdLblShowImage, instance_);
    lblScriptExecute_ =
        MakeChild(hwnd_, L"STATIC", SS_LEFT | WS_VISIBLE, layout::kLblScriptExecute, kIdLblScriptExecute, instance_);
    dropped = layout::kCmbRegJS_Switch;
    dropped.height *= 6;
    cmbRegJS_Switch_.Attach(MakeChild(hwnd_, L"COMBOBOX", list, dropped, kIdCmbRegJS_Switch, instance_));
    fraWait_ = MakeChild(hwnd_, kWaitPanelClass, WS_VISIBLE | WS_CLIPCHILDREN, layout::kFraWait, kIdFraWait, instance_);
    lblWait_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, Px(layout::kLblWait.left),
                               Px(layout::kLblWait.top), Px(layout::kLblWait.width), Px(layout::kLblWait.height),
                               fraWait_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdLblWait)), instance_,
                               nullptr);

    for (HWND c : {cmbRegImage_.hwnd(), lblShowImage_, lblScriptExecute_, cmbRegJS_Switch_.hwnd()})
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(gui), FALSE);
    waitFont_ = MakeFont("ＭＳ Ｐゴシック", 11.25, true, SHIFTJIS_CHARSET);
    SendMessageW(lblWait_, WM_SETFONT, reinterpret_cast<WPARAM>(waitFont_.get()), FALSE);

    SetText(lblShowImage_, "画像の表示");
    SetText(lblScriptExecute_, "スクリプトの実行");
    SetText(lblWait_, "設定中...");

    FitComboHeight(cmbRegImage_.hwnd(), Px(layout::kCmbRegImage.height));
    FitComboHeight(cmbRegJS_Switch_.hwnd(), Px(layout::kCmbRegJS_Switch.height));
    for (HWND c : {cmbRegJS_Switch_.hwnd(), cmbRegImage_.hwnd()})
        SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CALLBACK MainWindow::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        static_cast<MainWindow*>(cs->lpCreateParams)->hwnd_ = h;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    // No exception may cross into the system: the logic traps what it must,
    // and whatever still arrives here ends the program rather than the stack.
    try {
        return self->Handle(msg, wp, lp);
    } catch (const ProgramEnd&) {
        EndProgram();
    } catch (...) {
        EndProgram();
    }
}

LRESULT MainWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (lp != 0) OnComboNotify(LOWORD(wp), HIWORD(wp));
        return 0;
    case kMsgPick:
        Pick(static_cast<int>(wp));
        return 0;
    case WM_SIZE:
        if (loaded_) form_.Form_Resize();
        return 0;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_MAXIMIZE) return 0;
        break;
    case WM_LBUTTONUP:
        OnMouseUp(kLeftButton, wp, lp);
        return 0;
    case WM_RBUTTONUP:
        OnMouseUp(kRightButton, wp, lp);
        return 0;
    case WM_MBUTTONUP:
        OnMouseUp(kMiddleButton, wp, lp);
        return 0;
    case WM_CONTEXTMENU:
        // The popup opens only on a right-button release; the context-menu
        // key and Shift+F10 must open nothing. The title bar keeps its
        // system menu.
        if (lp != -1 && SendMessageW(hwnd_, WM_NCHITTEST, 0, lp) != HTCLIENT) break;
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND f = GetFocus();
            if (f && IsChild(hwnd_, f)) lastFocus_ = f;
        } else {
            RestoreFocus();
        }
        return 0;
    case WM_SETFOCUS:
        RestoreFocus();
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
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void MainWindow::RestoreFocus() {
    HWND target = lastFocus_ ? lastFocus_ : cmbRegImage_.hwnd();
    if (target && IsWindowEnabled(target)) SetFocus(target);
}

void MainWindow::OnComboNotify(int id, int code) {
    ListState* st = id == kIdCmbRegImage ? &imageList_ : id == kIdCmbRegJS_Switch ? &scriptList_ : nullptr;
    if (!st) return;
    HWND combo = id == kIdCmbRegImage ? cmbRegImage_.hwnd() : cmbRegJS_Switch_.hwnd();
    // While the list is open, the arrow keys and the pointer move the
    // selection and the list reports every step; only the entry the user
    // finally takes is a pick. With the list closed every change is a pick.
    // One choice arrives as several notifications (Wine: SELENDOK, CLOSEUP,
    // then SELCHANGE; Windows in another order), all within the same input
    // message, so they are gathered into one posted pick.
    switch (code) {
    case CBN_DROPDOWN:
        st->dropped = true;
        st->selAtDrop = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
        break;
    case CBN_SELCHANGE:
        if (!st->dropped) QueuePick(id, *st);
        break;
    case CBN_SELENDOK:
        if (st->dropped) QueuePick(id, *st);
        break;
    case CBN_CLOSEUP:
        // Closed without taking an entry, but showing another one than
        // before: the setting the user sees has changed all the same.
        if (st->dropped && static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)) != st->selAtDrop)
            QueuePick(id, *st);
        st->dropped = false;
        break;
    default:
        break;
    }
}

void MainWindow::QueuePick(int id, ListState& st) {
    if (st.pickQueued) return;
    st.pickQueued = true;
    PostMessageW(hwnd_, kMsgPick, static_cast<WPARAM>(id), 0);
}

void MainWindow::Pick(int id) {
    if (id == kIdCmbRegImage) imageList_.pickQueued = false;
    if (id == kIdCmbRegJS_Switch) scriptList_.pickQueued = false;
    if (id == kIdCmbRegImage)
        form_.cmbRegImage_Click();
    else if (id == kIdCmbRegJS_Switch)
        form_.cmbRegJS_Switch_Click();
}

void MainWindow::OnMouseUp(int16_t button, WPARAM, LPARAM lp) {
    const POINT pt = PointOf(lp);
    // The labels let the mouse through to the window (they are not
    // notifying statics); tell them apart by where the pointer is.
    auto inside = [&](HWND c, float& x, float& y) {
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        if (!PtInRect(&r, pt)) return false;
        x = static_cast<float>(PixelsToTwips(pt.x - r.left, SystemDpi()));
        y = static_cast<float>(PixelsToTwips(pt.y - r.top, SystemDpi()));
        return true;
    };
    const int16_t shift = ShiftState();
    float x = 0, y = 0;
    if (inside(lblShowImage_, x, y)) {
        form_.lblShowImage_MouseUp(button, shift, x, y);
    } else if (inside(lblScriptExecute_, x, y)) {
        form_.lblScriptExecute_MouseUp(button, shift, x, y);
    } else {
        form_.Form_MouseUp(button, shift, static_cast<float>(PixelsToTwips(pt.x, SystemDpi())),
                           static_cast<float>(PixelsToTwips(pt.y, SystemDpi())));
    }
}

// ---- IMainView -------------------------------------------------------------------

double MainWindow::Width() {
    RECT r;
    if (!GetWindowRect(hwnd_, &r)) throw TrappedError(-2147467259, "ウィンドウの大きさを取得できません。");
    return PixelsToTwips(r.right - r.left, SystemDpi());
}

double MainWindow::Height() {
    RECT r;
    if (!GetWindowRect(hwnd_, &r)) throw TrappedError(-2147467259, "ウィンドウの大きさを取得できません。");
    return PixelsToTwips(r.bottom - r.top, SystemDpi());
}

void MainWindow::SetWidth(int32_t twips) {
    RECT r;
    GetWindowRect(hwnd_, &r);
    const int w = TwipsToPixels(twips, SystemDpi());
    // Setting the size it already has would only raise another resize.
    if (r.right - r.left == w) return;
    SetWindowPos(hwnd_, nullptr, 0, 0, w, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetHeight(int32_t twips) {
    RECT r;
    GetWindowRect(hwnd_, &r);
    const int h = TwipsToPixels(twips, SystemDpi());
    if (r.bottom - r.top == h) return;
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MainWindow::IsMinimized() { return IsIconic(hwnd_) != FALSE; }

void MainWindow::MoveWait(int32_t leftTwips, int32_t topTwips) {
    SetWindowPos(fraWait_, nullptr, Px(leftTwips), Px(topTwips), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::WaitToFront() {
    SetWindowPos(fraWait_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::SetWaitVisible(bool visible) { ShowWindow(fraWait_, visible ? SW_SHOWNA : SW_HIDE); }

void MainWindow::Refresh() {
    // The pick blocks the message loop until the write and the broadcast are
    // over, so the window is brought up to date now, not when WM_PAINT comes
    // round: the panel drawn afresh with its caption, and whatever showing or
    // hiding it uncovered. Nothing else in the window changed, and redrawing
    // the lists as well doubled the time a pick takes under Wine.
    if (IsWindowVisible(fraWait_))
        RedrawWindow(fraWait_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    // Painting lands in the window's back buffer; Wine hands that buffer to
    // the display whenever the thread waits on its queue, and the blocking
    // work that follows would otherwise leave a half-drawn window on screen
    // until it is over. A wait that times out at once presents it (and on
    // Windows costs nothing).
    MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
}

PopupChoice MainWindow::PopupMenu() {
    HMENU mnuPopup = CreatePopupMenu();
    if (!mnuPopup) return PopupChoice::None;
    AppendMenuW(mnuPopup, MF_STRING, kIdMnuSetting, Widen("設定").c_str());
    AppendMenuW(mnuPopup, MF_STRING, kIdMnuHelp, Widen("ヘルプ").c_str());
    AppendMenuW(mnuPopup, MF_SEPARATOR, 0, nullptr);  // mnuSeparator1
    AppendMenuW(mnuPopup, MF_STRING, kIdMnuAbout, L"about...");
    POINT pt;
    GetCursorPos(&pt);
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(hwnd_);
    const UINT cmd = static_cast<UINT>(TrackPopupMenu(mnuPopup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON |
                                                                   TPM_RETURNCMD | TPM_NONOTIFY,
                                                      pt.x, pt.y, 0, hwnd_, nullptr));
    PostMessageW(hwnd_, WM_NULL, 0, 0);
    DestroyMenu(mnuPopup);
    switch (cmd) {
    case kIdMnuSetting: return PopupChoice::Setting;
    case kIdMnuHelp: return PopupChoice::Help;
    case kIdMnuAbout: return PopupChoice::About;
    default: return PopupChoice::None;
    }
}

void MainWindow::ShowSettingDialog() { ShowFrmSetting(hwnd_, setting_); }

void MainWindow::ShowAboutDialog() { ShowFrmVer(hwnd_, platform_); }

}  // namespace vantrel::win
