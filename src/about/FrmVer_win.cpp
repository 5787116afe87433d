#include "about/FrmVer_win.h"

#include "about/FrmVer.h"
#include "about/FrmVer_design.h"
#include "platform/text_win.h"
#include "platform/window_win.h"
#include "resources/resource.h"

namespace vantrel::win {

namespace {

namespace ids = vantrel::ver_design;

class VerWindow : public Window, public IVerView {
public:
    explicit VerWindow(Platform platform) : form_(*this, platform) {}

    void Open(HWND owner) {
        // Owned by the main window, so it gets no task-bar button of its own;
        // centred on the main window's monitor before it shows.
        const auto load = [this] {
            picture_.reset(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_ABOUT_CAT),
                                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
            // Form_Load runs while the window is still hidden, so the link
            // shows the URL from the very first paint.
            form_.Form_Load();
        };
        // A fixed dialog frame with a close button: no sizing, no minimize or maximize.
        const Frame frame{WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, owner, 0, 0};
        OpenModal(ids::kWindow, frame, load, Place::Centred);
    }

    // IVerView
    void Unload() override { CloseModal(); }
    void SetURLText(const std::string& text) override { SetText(controls_[ids::kLblURL], text); }
    void SetFocus() override { ::SetFocus(controls_[ids::kCmdOk]); }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) break;
            form_.Form_Activate();
            return 0;  // the focus is set; the default would move it to the frame
        case WM_COMMAND:
            if (LOWORD(wp) == ids::kCmdOk && HIWORD(wp) == BN_CLICKED) form_.CmdOk_Click();
            if (LOWORD(wp) == ids::kLblURL && HIWORD(wp) == STN_CLICKED) form_.lblURL_Click();
            return 0;
        case WM_DRAWITEM:
            DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_CLOSE:
            // The title-bar close is the OK button.
            form_.CmdOk_Click();
            return 0;
        case WM_DESTROY:
            form_.Form_Unload();
            return 0;
        }
        return Window::OnMessage(msg, wp, lp);
    }

private:
    void DrawPicture(const DRAWITEMSTRUCT& di) const {
        const RECT& r = di.rcItem;
        const MemoryDc mem(CreateCompatibleDC(di.hDC));
        BITMAP bm{};
        if (!picture_ || !mem || !GetObjectW(picture_.get(), sizeof bm, &bm)) {
            FillRect(di.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
            return;
        }
        const HGDIOBJ old = SelectObject(mem.get(), picture_.get());
        // The box ignores the picture's proportions. Shrinking with AND keeps
        // the black strokes, which a plain deleting stretch would drop.
        SetStretchBltMode(di.hDC, BLACKONWHITE);
        StretchBlt(di.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, mem.get(), 0, 0, bm.bmWidth,
                   bm.bmHeight, SRCCOPY);
        SelectObject(mem.get(), old);
    }

    Bitmap picture_;
    FrmVer form_;
};

}  // namespace

void ShowFrmVer(HWND owner, Platform platform) { VerWindow(platform).Open(owner); }

}  // namespace vantrel::win
