#include "platform/controls_win.h"

#include <commctrl.h>

#include <cmath>

#include "platform/user32_win.h"

namespace vantrel::win {

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    const int d = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(nullptr, dc);
    return d > 0 ? d : kDefaultDpi;
}

int WindowDpi(HWND h) {
    static const auto get = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const int d = get ? static_cast<int>(get(h)) : 0;
    return d > 0 ? d : ScreenDpi();
}

Font MakeFont(const FontDesign* f, int dpi) {
    if (!f) {
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof ncm;
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0)) return Font();
        // The system's metrics are for the screen's DPI.
        ncm.lfMessageFont.lfHeight = MulDiv(ncm.lfMessageFont.lfHeight, dpi, ScreenDpi());
        return Font(CreateFontIndirectW(&ncm.lfMessageFont));
    }
    // When the face is missing the font mapper takes the nearest of the same character set.
    const int height = -MulDiv(static_cast<int>(std::lround(f->points * 100.0)), dpi, 7200);
    return Font(CreateFontW(height, 0, 0, 0, f->bold ? FW_BOLD : FW_NORMAL, FALSE, f->underline, FALSE,
                            static_cast<BYTE>(f->charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, Widen(f->face).c_str()));
}

namespace {

struct KindClass {
    const wchar_t* cls;
    DWORD style;
};

KindClass ClassOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Link: return {L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY};
    case ControlKind::List: return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS};
    case ControlKind::Button: return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON};
    case ControlKind::Option: return {L"BUTTON", WS_TABSTOP | BS_AUTORADIOBUTTON | BS_MULTILINE};
    // A static with no text paints itself in the face colour: a plain panel.
    case ControlKind::Panel: return {L"STATIC", SS_LEFT | WS_CLIPCHILDREN};
    // Owner-drawn, so that the window stretches the picture into it.
    case ControlKind::Picture: return {L"STATIC", SS_OWNERDRAW};
    case ControlKind::Label: break;
    }
    // Labels let the mouse through to the window: they do not notify.
    return {L"STATIC", SS_LEFT | SS_NOPREFIX};
}

// Keeps the selection field of a drop-down list at its design height; the
// control otherwise sizes it from the font.
// The control adds borders of its own to the item height, and Wine's answer
// to CB_GETITEMHEIGHT is not what CB_SETITEMHEIGHT takes (it answers 2 more);
// steer by the height actually measured. Every setting re-lays the control
// out, which is the costly part at start-up, so the gap between the answer
// and the setting that fitted one list is carried to the next one in
// `skew`: the next list then fits at the first setting.
void FitListField(HWND list, int targetPx, LRESULT& skew) {
    const LRESULT asked = SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (asked == CB_ERR) return;
    RECT r;
    GetWindowRect(list, &r);
    const LRESULT first = asked + (targetPx - (r.bottom - r.top));
    if (first == asked) return;
    LRESULT value = first + skew;
    if (value <= 0) value = first;
    for (int round = 0; round < 4 && value > 0; ++round) {
        SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), value);
        GetWindowRect(list, &r);
        const int delta = targetPx - (r.bottom - r.top);
        if (delta == 0) {
            skew = value - first;
            return;
        }
        value += delta;
    }
}

// A list, the panel, and whatever reaches under them are clipped by the
// siblings above them, so that no repaint draws over a list or the panel.
bool Clipped(const WindowDesign& design, const ControlDesign& c) {
    auto covering = [](const ControlDesign& o) { return o.kind == ControlKind::List || o.kind == ControlKind::Panel; };
    if (covering(c)) return true;
    for (const ControlDesign& o : design) {
        const bool overlap = o.parent == c.parent && c.box.left < o.box.left + o.box.width &&
                             o.box.left < c.box.left + c.box.width && c.box.top < o.box.top + o.box.height &&
                             o.box.top < c.box.top + c.box.height;
        if (covering(o) && overlap) return true;
    }
    return false;
}

// Left, top, width and height at `dpi`; a list's box is its field, and the
// open list hangs below it.
PixelBox PlaceOf(const ControlDesign& c, int dpi) {
    PixelBox b = ToPixels(c.box, dpi);
    if (c.kind == ControlKind::List) b.height += TwipsToPixels(c.openHeight, dpi);
    return b;
}

}  // namespace

void Controls::Create(HWND window, const WindowDesign& design, int dpi) {
    design_ = &design;
    const HINSTANCE inst = GetModuleHandleW(nullptr);
    const ControlDesign* previous = nullptr;
    for (const ControlDesign& c : design) {
        const KindClass k = ClassOf(c.kind);
        // A new group wherever the kind changes: option buttons form one, and
        // the arrow keys never wander out of it.
        const bool group = !previous || previous->kind != c.kind || previous->parent != c.parent;
        HWND parent = c.parent ? (*this)[c.parent] : window;
        const PixelBox r = PlaceOf(c, dpi);
        HWND h = CreateWindowExW(c.kind == ControlKind::Panel ? WS_EX_STATICEDGE : 0, k.cls,
                                 c.caption ? Widen(c.caption).c_str() : L"",
                                 WS_CHILD | WS_VISIBLE | k.style | (group ? WS_GROUP : 0) |
                                     (Clipped(design, c) ? WS_CLIPSIBLINGS : 0),
                                 r.left, r.top, r.width, r.height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), inst, nullptr);
        if (!h) RaiseLastError();
        hwnds_.push_back(h);
        previous = &c;
    }
    // The label boxes may reach under a list; the lists lie on top, the
    // first one topmost, which keeps their tab order.
    for (size_t i = hwnds_.size(); i-- > 0;)
        if (design.controls[i].kind == ControlKind::List)
            SetWindowPos(hwnds_[i], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetFonts(dpi, false);
}

void Controls::Layout(int dpi) {
    for (size_t i = 0; i < hwnds_.size(); ++i) {
        const PixelBox r = PlaceOf(design_->controls[i], dpi);
        SetWindowPos(hwnds_[i], nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetFonts(dpi, true);
}

void Controls::SetFonts(int dpi, bool redraw) {
    // One font per font of the design (the user-interface font for nullptr).
    std::vector<std::pair<const FontDesign*, Font>> fonts;
    const auto fontOf = [&](const FontDesign* f) {
        for (const auto& [design, font] : fonts)
            if (design == f) return font.get();
        fonts.emplace_back(f, MakeFont(f, dpi));
        return fonts.back().second.get();
    };
    LRESULT skew = 0;
    for (size_t i = 0; i < hwnds_.size(); ++i) {
        const ControlDesign& c = design_->controls[i];
        SendMessageW(hwnds_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(c.font)), redraw);
        if (c.kind == ControlKind::List) FitListField(hwnds_[i], ToPixels(c.box, dpi).height, skew);
    }
    // The controls have their new fonts; the old ones may go.
    fonts_ = std::move(fonts);
}

HWND Controls::operator[](int id) const {
    for (size_t i = 0; i < hwnds_.size(); ++i)
        if (design_->controls[i].id == id) return hwnds_[i];
    return nullptr;
}

LRESULT Controls::Colour(HDC dc, HWND control) const {
    uint32_t colour = kSystemColour;
    for (size_t i = 0; i < hwnds_.size(); ++i)
        if (hwnds_[i] == control) colour = design_->controls[i].colour;
    if (!IsWindowEnabled(control)) colour = GetSysColor(COLOR_GRAYTEXT);
    SetTextColor(dc, colour == kSystemColour ? GetSysColor(COLOR_BTNTEXT) : colour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

// ---- ComboBoxWin --------------------------------------------------------------

void ComboBoxWin::Clear() {
    SendMessageW(h_, CB_RESETCONTENT, 0, 0);
    picks_.SelectedByProgram(-1);
}

void ComboBoxWin::AddItem(const std::string& text) {
    SendMessageW(h_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

int16_t ComboBoxWin::ListIndex() {
    const LRESULT sel = SendMessageW(h_, CB_GETCURSEL, 0, 0);
    return sel == CB_ERR ? int16_t{-1} : static_cast<int16_t>(sel);
}

void ComboBoxWin::SetListIndex(int16_t index) {
    SendMessageW(h_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    picks_.SelectedByProgram(index);
}

void ComboBoxWin::SetEnabled(bool enabled) { EnableWindow(h_, enabled ? TRUE : FALSE); }

void ComboBoxWin::SetToolTip(const std::string& text) {
    tipText_ = text;
    if (!tip_ && text.empty()) return;
    if (!tip_) {
        // Made only when first needed: most machines never show it, so
        // start-up does not make it.
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, GetParent(h_), nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!tip_) return;
    }
    PlaceToolTip();
}

ListPicks::Outcome ComboBoxWin::Notified(int code) {
    ListPicks::Note note;
    switch (code) {
    case CBN_DROPDOWN: note = ListPicks::Note::DropDown; break;
    case CBN_SELCHANGE: note = ListPicks::Note::SelChange; break;
    case CBN_SELENDOK: note = ListPicks::Note::SelEndOk; break;
    case CBN_CLOSEUP: note = ListPicks::Note::CloseUp; break;
    default: return ListPicks::Outcome::None;
    }
    return picks_.Notify(note, ListIndex(), IsWindowEnabled(h_) != FALSE);
}

void ComboBoxWin::PlaceToolTip() {
    if (!tip_) return;
    // A disabled list gets no mouse messages: its window does, so the tool is
    // the list's area of the window.
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = GetParent(h_);
    ti.uId = reinterpret_cast<UINT_PTR>(h_);
    SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (tipText_.empty()) return;
    const std::wstring text = Widen(tipText_);
    ti.uFlags = TTF_SUBCLASS;
    ti.lpszText = const_cast<wchar_t*>(text.c_str());
    GetWindowRect(h_, &ti.rect);
    MapWindowPoints(nullptr, ti.hwnd, reinterpret_cast<POINT*>(&ti.rect), 2);
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

SIZE OuterSize(const WindowDesign& design, DWORD style, DWORD exStyle, int dpi) {
    static const auto adjust = User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT r{0, 0, TwipsToPixels(design.clientWidth, dpi), TwipsToPixels(design.clientHeight, dpi)};
    if (!adjust || !adjust(&r, style, FALSE, exStyle, static_cast<UINT>(dpi))) AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace vantrel::win
