#include "shortcut/frmSetting_win.h"

#include <string>

#include "platform/error.h"
#include "platform/ui_win.h"
#include "resources/resource.h"
#include "shortcut/frmSetting_ids.h"

namespace vantrel::win {

namespace {

namespace ids = vantrel::setting_ids;

// A fixed dialog frame with a close box and nothing to minimize or maximize.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 4680;  // twips
constexpr int kClientHeight = 2670;

constexpr COLORREF kHeadingColour = RGB(0, 0, 192);
constexpr COLORREF kInfoColour = RGB(0, 0, 128);

struct ControlDesign {
    int id;
    const wchar_t* cls;
    const char* caption;
    DWORD style;
    int left, top, width, height;  // twips
};

// In tab order. The radio pair is one group; lblInfo starts the next group so
// that arrow keys never wander out of the pair. Neither push button is a
// default button: Enter must press nothing.
const ControlDesign kControls[] = {
    {ids::kLabel1, L"STATIC", "環境設定", SS_LEFT | SS_NOPREFIX, 240, 120, 1575, 375},
    {ids::kOptCreate, L"BUTTON", "「プログラム」メニューにショートカットを作成",
     BS_AUTORADIOBUTTON | BS_MULTILINE | WS_GROUP | WS_TABSTOP, 360, 600, 3735, 375},
    {ids::kOptRemove, L"BUTTON", "「プログラム」メニューからショートカットをはずす",
     BS_AUTORADIOBUTTON | BS_MULTILINE | WS_TABSTOP, 360, 1440, 3975, 375},
    {ids::kLblInfo, L"STATIC",
     "ショートカットを作成すると CTRL + ALT+ S で  Vantrelが起動できるようになります",
     SS_LEFT | SS_NOPREFIX | WS_GROUP, 720, 960, 3495, 375},
    {ids::kCmdOk, L"BUTTON", "OK", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 2160, 2040, 1215, 495},
    {ids::kCmdCancel, L"BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 3360, 2040, 1215, 495},
};

const int kOptionIds[2] = {ids::kOptCreate, ids::kOptRemove};

class SettingWindow : public ISettingView {
public:
    SettingWindow(HWND owner, frmSetting& form) : owner_(owner), form_(form) {}
    SettingWindow(const SettingWindow&) = delete;
    SettingWindow& operator=(const SettingWindow&) = delete;
    ~SettingWindow() override {
        if (hwnd_) DestroyWindow(hwnd_);
    }

    bool Create();
    // Shows the loaded dialog and runs it modally until it has closed.
    void Run();

    // ISettingView
    bool optSetToProgramsFolder_Value(int index) override {
        return SendMessageW(Control(kOptionIds[index]), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void optSetToProgramsFolder_SetValue(int index, bool value) override {
        // BM_SETCHECK alone leaves the other option of the group as it was.
        SendMessageW(Control(kOptionIds[index]), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
        if (value) SendMessageW(Control(kOptionIds[1 - index]), BM_SETCHECK, BST_UNCHECKED, 0);
    }
    void optSetToProgramsFolder_SetEnabled(int index, bool enabled) override {
        EnableWindow(Control(kOptionIds[index]), enabled ? TRUE : FALSE);
    }
    void lblInfo_SetEnabled(bool enabled) override { EnableWindow(Control(ids::kLblInfo), enabled ? TRUE : FALSE); }
    void Unload() override {
        // The owner is enabled before the dialog goes, so that activation
        // returns to the main window and not to another application.
        if (hwnd_) EndModal(hwnd_);
    }

    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

private:
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT ColourStatic(HDC dc, HWND control);
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    void FocusFirst();

    HWND owner_;
    frmSetting& form_;
    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
    Font headingFont_;
    Font buttonFont_;
};

const wchar_t* RegisterSettingClass(HINSTANCE inst) {
    static const bool registered = [inst] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &SettingWindow::Proc;
        wc.hInstance = inst;
        // Until the program's icon resource exists this is null, and the
        // window gets the system's default icon.
        wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(IDI_VANTREL));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        wc.lpszClassName = ids::kClassNameW;
        return RegisterClassExW(&wc) != 0;
    }();
    return registered ? ids::kClassNameW : nullptr;
}

bool SettingWindow::Create() {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    const wchar_t* cls = RegisterSettingClass(inst);
    if (!cls) return false;
    const SIZE outer = OuterSize(Px(kClientWidth), Px(kClientHeight), kStyle, kExStyle);
    // Created hidden: Form_Load sets the options before the first drawing.
    hwnd_ = CreateWindowExW(kExStyle, cls, Widen(ids::kCaption).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            outer.cx, outer.cy, owner_, nullptr, inst, this);
    if (!hwnd_) return false;

    headingFont_ = MakeFont("ＭＳ ゴシック", 14.25, true, SHIFTJIS_CHARSET);
    buttonFont_ = MakeFont("Times New Roman", 12, true, ANSI_CHARSET);
    for (const ControlDesign& c : kControls) {
        HWND h = CreateWindowExW(0, c.cls, Widen(c.caption).c_str(), WS_CHILD | WS_VISIBLE | c.style, Px(c.left),
                                 Px(c.top), Px(c.width), Px(c.height), hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), inst, nullptr);
        if (!h) return false;
        HFONT font = DefaultGuiFont();
        if (c.id == ids::kLabel1) font = headingFont_.get();
        if (c.id == ids::kCmdOk || c.id == ids::kCmdCancel) font = buttonFont_.get();
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    HICON icon = LoadIconW(inst, MAKEINTRESOURCEW(IDI_VANTREL));
    if (icon) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    return true;
}

void SettingWindow::FocusFirst() {
    // The first control in tab order that can take the focus: the option on offer.
    HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (first) SetFocus(first);
}

void SettingWindow::Run() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    FocusFirst();
    const HWND dialog = hwnd_;
    RunModal(dialog, owner_);
}

LRESULT CALLBACK SettingWindow::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            auto* self = static_cast<SettingWindow*>(cs->lpCreateParams);
            self->hwnd_ = h;
            SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<SettingWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (!self) return DefWindowProcW(h, msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(h, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            return DefWindowProcW(h, msg, wp, lp);
        }
        return self->Handle(msg, wp, lp);
    } catch (const ProgramEnd&) {
        EndProgram();
    } catch (...) {
        // Nothing may unwind into the system's code that called us.
    }
    return 0;
}

LRESULT SettingWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED) {
            // Only our own ids: an IDOK or IDCANCEL made up from a key is no click.
            if (LOWORD(wp) == ids::kCmdOk) form_.CmdOk_Click();
            else if (LOWORD(wp) == ids::kCmdCancel) form_.cmdCancel_Click();
        }
        return 0;
    case WM_CLOSE:
        // The title bar's close box and Alt+F4: a close is never refused.
        form_.Form_Unload();
        EndModal(hwnd_);
        return 0;
    case WM_ACTIVATE:
        // Keep the focus on the control that had it when the dialog was left.
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND f = GetFocus();
            if (f && IsChild(hwnd_, f)) lastFocus_ = f;
        } else if (lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)) {
            SetFocus(lastFocus_);
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
        return ColourStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT SettingWindow::ColourStatic(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    if (!IsWindowEnabled(control)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    else if (id == ids::kLabel1) SetTextColor(dc, kHeadingColour);
    else if (id == ids::kLblInfo) SetTextColor(dc, kInfoColour);
    else SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace

void ShowFrmSetting(HWND owner, frmSetting& form) {
    SettingWindow window(owner, form);
    if (!window.Create()) return;
    try {
        form.Form_Load(window);
    } catch (const ProgramEnd&) {
        // The missing-shell box has been shown; the program ends at once.
        EndProgram();
    }
    window.Run();
}

}  // namespace vantrel::win
