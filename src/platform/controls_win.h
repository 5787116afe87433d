// The controls of a window built from its design table, kept at their design
// places and fonts for the DPI of the monitor the window is on.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/controls.h"
#include "platform/text_win.h"

namespace vantrel::win {

// The system's DPI, and the DPI of the monitor a window is on (the
// system's where the system does not tell).
int ScreenDpi();
int WindowDpi(HWND h);
// A font of the design at `dpi`; the system's user-interface font for nullptr.
Font MakeFont(const FontDesign* font, int dpi);

// The controls of one window, built from its design table in tab order and
// kept at their design places and fonts for the window's DPI.
class Controls {
public:
    void Create(HWND window, const WindowDesign& design, int dpi);
    void Layout(int dpi);
    // The control with that id; nullptr for an id the design does not have.
    HWND operator[](int id) const;
    // Answers WM_CTLCOLORSTATIC: the design's text colour, grey when disabled.
    LRESULT Colour(HDC dc, HWND control) const;

private:
    void SetFonts(int dpi, bool redraw);

    const WindowDesign* design_ = nullptr;
    std::vector<HWND> hwnds_;  // in table order
    std::vector<std::pair<const FontDesign*, Font>> fonts_;
};

// A CBS_DROPDOWNLIST combobox, with the tool tip it may carry and the rule
// that tells which of its notifications make a pick.
class ComboBoxWin : public IComboBox {
public:
    void Attach(HWND h) { h_ = h; }
    void Clear() override;
    void AddItem(const std::string& text) override;
    int16_t ListIndex() override;
    void SetListIndex(int16_t index) override;
    void SetEnabled(bool enabled) override;
    void SetToolTip(const std::string& text) override;
    // What its notification `code` (CBN_...) makes: a pick, a selection to
    // put back, or nothing.
    ListPicks::Outcome Notified(int code);
    // Puts the tool tip's area back over the list after a new layout.
    void PlaceToolTip();

private:
    HWND h_ = nullptr;
    HWND tip_ = nullptr;  // created at the first tool tip, owned by the window
    std::string tipText_;
    ListPicks picks_;
};

// The outer size of a window with the design's client area at `dpi`.
SIZE OuterSize(const WindowDesign& design, DWORD style, DWORD exStyle, int dpi);

}  // namespace vantrel::win
