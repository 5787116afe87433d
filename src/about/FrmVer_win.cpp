#include "about/FrmVer_win.h"

#include <memory>
#include <string>
#include <type_traits>

#include "about/FrmVer.h"
#include "about/FrmVer_ids.h"
#include "platform/error.h"
#include "platform/ui_win.h"
#include "resources/resource.h"

namespace vantrel::win {

namespace {

// Fixed dialog frame with a close button: no sizing, no minimize or maximize.
constexpr DWORD kVerStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kVerExStyle = WS_EX_DLGMODALFRAME;

struct BitmapDeleter {
    void operator()(HBITMAP b) const { DeleteObject(b); }
};
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

class VerWindow : public IVerView {
public:
    VerWindow(HWND owner, Platform platform) : owner_(owner), form_(*this, platform) {}
    // Normally the window is gone already; this covers a Run cut short, so that
    // no message reaches a window procedure whose object no longer exists.
    ~VerWindow() override {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    VerWindow(const VerWindow&) = delete;
    VerWindow& operator=(const VerWindow&) = delete;

    void Run();

    // IVerView
    void SetURLText(const std::string& text) override { SetText(lblURL_, text); }
    void SetFocus() override { ::SetFocus(cmdOk_); }
    void Unload() override {
        if (hwnd_) EndModal(hwnd_);
    }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    static void RegisterOnce(HINSTANCE inst);
    HWND Label(const char* text, const ver::Box& box, int id, DWORD extraStyle, const Font& font);
    void DrawImage(const DRAWITEMSTRUCT& di) const;

    HWND owner_;
    HWND hwnd_ = nullptr;
    HINSTANCE inst_ = GetModuleHandleW(nullptr);
    HWND cmdOk_ = nullptr;
    HWND lblURL_ = nullptr;
    HWND label1_ = nullptr, label4_ = nullptr, label5_ = nullptr;
    Font fontLabel1_, fontCmdOk_, fontLabel3_, fontLabel45_, fontURL_;
    Bitmap picture_;
    FrmVer form_;
};

void VerWindow::RegisterOnce(HINSTANCE inst) {
    static const bool done = [inst] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &VerWindow::Proc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = ver::kClassName;
        // Shared icons belong to the system's cache: nothing to destroy.
        wc.hIcon = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                                 LR_SHARED));
        wc.hIconSm = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), LR_SHARED));
        return RegisterClassExW(&wc) != 0;
    }();
    (void)done;
}

HWND VerWindow::Label(const char* text, const ver::Box& box, int id, DWORD extraStyle, const Font& font) {
    HWND h = CreateWindowExW(0, L"STATIC", Widen(text).c_str(),
                             WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | extraStyle, Px(box.left),
                             Px(box.top), Px(box.width), Px(box.height), hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst_, nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    return h;
}

void VerWindow::Run() {
    RegisterOnce(inst_);
    const SIZE outer = OuterSize(Px(ver::kClientWidth), Px(ver::kClientHeight), kVerStyle, kVerExStyle);
    // Owned by the main window, so it gets no task-bar button of its own.
    hwnd_ = CreateWindowExW(kVerExStyle, ver::kClassName, Widen(ver::kCaption).c_str(), kVerStyle, 0, 0,
                            outer.cx, outer.cy, owner_, nullptr, inst_, this);
    if (!hwnd_) return;

    // Windows shows no class icon in a modal dialog frame's title bar, only
    // one set on the window itself (Wine draws the class icon either way).
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, GetClassLongPtrW(hwnd_, GCLP_HICON));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, GetClassLongPtrW(hwnd_, GCLP_HICONSM));

    fontLabel1_ = MakeFont(ver::kFaceTimes, 18, true, ANSI_CHARSET);
    fontCmdOk_ = MakeFont(ver::kFaceTimes, 12, true, ANSI_CHARSET);
    fontLabel3_ = MakeFont(ver::kFacePGothic, 11.25, true, SHIFTJIS_CHARSET);
    fontLabel45_ = MakeFont(ver::kFaceGothic, 11.25, true, SHIFTJIS_CHARSET);
    fontURL_ = MakeFont(ver::kFacePGothic, 9, false, SHIFTJIS_CHARSET, true);

    // Creation order is the tab order.
    label1_ = Label(ver::kLabel1Text, ver::kLabel1Box, ver::kIdLabel1, 0, fontLabel1_);
    const ver::Box& ok = ver::kCmdOkBox;
    // A plain push button: the dialog has neither a default nor a cancel button.
    cmdOk_ = CreateWindowExW(0, L"BUTTON", Widen(ver::kCmdOkText).c_str(),
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, Px(ok.left), Px(ok.top),
                             Px(ok.width), Px(ok.height), hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(ver::kIdCmdOk)), inst_, nullptr);
    SendMessageW(cmdOk_, WM_SETFONT, reinterpret_cast<WPARAM>(fontCmdOk_.get()), FALSE);
    Label(ver::kLabel3Text, ver::kLabel3Box, ver::kIdLabel3, 0, fontLabel3_);
    label4_ = Label(ver::kLabel4Text, ver::kLabel4Box, ver::kIdLabel4, 0, fontLabel45_);
    // SS_NOTIFY: the link's click arrives as STN_CLICKED.
    lblURL_ = Label(ver::kLblURLDesignText, ver::kLblURLBox, ver::kIdLblURL, SS_NOTIFY, fontURL_);
    label5_ = Label(ver::kLabel5Text, ver::kLabel5Box, ver::kIdLabel5, 0, fontLabel45_);
    const ver::Box& img = ver::kImage1Box;
    // Owner-drawn so the picture can be stretched with a mode that keeps thin
    // black lines when it is shrunk to the box at low DPI.
    CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, Px(img.left), Px(img.top),
                    Px(img.width), Px(img.height), hwnd_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(ver::kIdImage1)), inst_, nullptr);
    picture_.reset(static_cast<HBITMAP>(
        LoadImageW(inst_, MAKEINTRESOURCEW(IDB_ABOUT_CAT), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));

    // Form_Load runs while the window is still hidden, so the link shows the
    // URL from the very first paint.
    form_.Form_Load();
    CenterOnScreen(hwnd_);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    RunModal(hwnd_, owner_);
}

void VerWindow::DrawImage(const DRAWITEMSTRUCT& di) const {
    const RECT& r = di.rcItem;
    if (!picture_) {
        FillRect(di.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    BITMAP bm{};
    GetObjectW(picture_.get(), sizeof(bm), &bm);
    HDC mem = CreateCompatibleDC(di.hDC);
    HGDIOBJ old = SelectObject(mem, picture_.get());
    // The box ignores the picture's proportions. Shrinking with AND keeps the
    // black strokes, which a plain deleting stretch would drop.
    SetStretchBltMode(di.hDC, BLACKONWHITE);
    StretchBlt(di.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, mem, 0, 0, bm.bmWidth, bm.bmHeight,
               SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

LRESULT CALLBACK VerWindow::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<VerWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = h;
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<VerWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    try {
        return self->Handle(h, msg, wp, lp);
    } catch (const ProgramEnd&) {
        EndProgram();
    } catch (...) {
        // Nothing may unwind through the system's code; the about box has no
        // error of its own worth a message.
    }
    return 0;
}

LRESULT VerWindow::Handle(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) {
            form_.Form_Activate();
            return 0;  // the focus is set; the default would move it to the frame
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wp) == ver::kIdCmdOk && HIWORD(wp) == BN_CLICKED) {
            form_.CmdOk_Click();
            return 0;
        }
        if (LOWORD(wp) == ver::kIdLblURL && HIWORD(wp) == STN_CLICKED) {
            form_.lblURL_Click();
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        HWND ctl = reinterpret_cast<HWND>(lp);
        COLORREF text = GetSysColor(COLOR_BTNTEXT);
        if (ctl == label1_) text = RGB(0, 0, 192);
        else if (ctl == label4_ || ctl == label5_) text = RGB(128, 0, 128);
        else if (ctl == lblURL_) text = RGB(0, 0, 255);
        SetTextColor(dc, text);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DRAWITEM: {
        const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (di->CtlID == static_cast<UINT>(ver::kIdImage1)) {
            DrawImage(*di);
            return TRUE;
        }
        break;
    }
    case WM_CLOSE:
        // The title-bar close is the OK button.
        form_.CmdOk_Click();
        return 0;
    case WM_DESTROY:
        form_.Form_Unload();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

void ShowFrmVer(HWND owner, Platform platform) {
    // A fresh window and logic at each opening; both go when it returns.
    VerWindow window(owner, platform);
    window.Run();
}

}  // namespace vantrel::win
