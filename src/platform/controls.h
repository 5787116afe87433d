// The controls the window logic talks to, and the form in which every window
// keeps its design: one table of controls in twips, converted to pixels in
// one place. The Windows layer builds real controls from the tables; the unit
// tests implement the control interfaces over plain data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>

namespace vantrel {

// A drop-down list whose entries can only be picked, not typed.
class IComboBox {
public:
    virtual ~IComboBox() = default;
    virtual void Clear() = 0;
    virtual void AddItem(const std::string& text) = 0;
    // Selected entry, -1 for none.
    virtual int16_t ListIndex() = 0;
    // Selects entry `index`, or none for -1. Selecting from code is not a
    // pick: no click is reported.
    virtual void SetListIndex(int16_t index) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // A tool tip over the list, shown even while it is disabled; none for "".
    virtual void SetToolTip(const std::string& text) = 0;
};

// Fills a list with `entries` and selects the one at `index` (none for -1).
// The entries' texts are all different, so the entry at an index is the one
// whose text a stored value names.
inline void FillList(IComboBox& list, std::initializer_list<const char*> entries, int16_t index) {
    list.Clear();
    for (const char* entry : entries) list.AddItem(entry);
    list.SetListIndex(index);
}

// Which of a drop-down list's notifications make a pick. One choice arrives
// as several notifications: the list reports taking an entry (SELENDOK) or
// not before it reports closing (CLOSEUP), but a change of selection
// (SELCHANGE) may come before or after either (Wine sends it last). So the
// rule looks at the selection rather than the order: the list's entry is
// compared with the one it is known to show, which the program sets (its own
// selections, e.g. a change made elsewhere shown while the list is open) and
// each pick moves.
class ListPicks {
public:
    enum class Note { DropDown, SelChange, SelEndOk, CloseUp };
    enum class Outcome {
        None,
        Pick,     // the user took the entry now selected
        PutBack,  // the selection moved but nobody picked: show the setting again
    };
    // The list reported `note`; `sel` is its selection then, `enabled`
    // whether it takes input. A greyed list still moves on keys sent to it,
    // which is no user's pick.
    Outcome Notify(Note note, int sel, bool enabled);
    // The program selected `sel` itself: that is no pick, and from now on it
    // is the entry the list is known to show.
    void SelectedByProgram(int sel);

private:
    int known_ = -1;
    bool dropped_ = false;
    bool movedWhileDropped_ = false;
};

// ---- geometry ------------------------------------------------------------------
// Design geometry is in twips: 1440 per inch, 15 per pixel at 96 DPI.
constexpr int32_t kTwipsPerInch = 1440;
constexpr int32_t kDefaultDpi = 96;

// A place in a client area, in twips.
struct Box {
    int32_t left, top, width, height;
};

// Twips to pixels at `dpi`, rounded to nearest (halves up). Every place and
// size of a design is at or right of and below its parent's corner: no
// negative twips.
constexpr int32_t TwipsToPixels(int32_t twips, int32_t dpi) {
    return static_cast<int32_t>((static_cast<int64_t>(twips) * dpi + kTwipsPerInch / 2) / kTwipsPerInch);
}

constexpr double PixelsToTwips(int32_t pixels, int32_t dpi) {
    return static_cast<double>(pixels) * kTwipsPerInch / dpi;
}

// A box in pixels. Its edges are converted, not its size, so that boxes that
// meet in the design still meet on screen.
struct PixelBox {
    int32_t left, top, width, height;
};
constexpr PixelBox ToPixels(const Box& b, int32_t dpi) {
    const int32_t l = TwipsToPixels(b.left, dpi), t = TwipsToPixels(b.top, dpi);
    return {l, t, TwipsToPixels(b.left + b.width, dpi) - l, TwipsToPixels(b.top + b.height, dpi) - t};
}

// A rectangle on the screen, in pixels: a monitor's work area, a window.
struct ScreenBox {
    int32_t left, top, right, bottom;
};
// Where the top-left corner of a window of that size goes to stand in the
// middle of a work area. A window larger than the area keeps its corner in
// it, so that its title bar can be reached.
struct Corner {
    int32_t x, y;
};
constexpr Corner CentredIn(const ScreenBox& work, int32_t width, int32_t height) {
    const int32_t x = work.left + (work.right - work.left - width) / 2;
    const int32_t y = work.top + (work.bottom - work.top - height) / 2;
    return {x < work.left ? work.left : x, y < work.top ? work.top : y};
}

// ---- design tables -----------------------------------------------------------------
enum class ControlKind : uint8_t {
    Label,     // left-aligned text
    Link,      // a label that reports clicks
    List,      // drop-down list
    Button,    // push button; never the default or the cancel button
    Option,    // option button of the group it stands in
    Panel,     // plain panel that holds other controls
    Picture,   // a picture stretched into its box
};

enum class Charset : uint8_t { Western = 0, Japanese = 128 };

struct FontDesign {
    const char* face;  // UTF-8
    double points;
    bool bold;
    bool underline;
    Charset charset;
};

// Text colour as 0x00BBGGRR; kSystemColour leaves the system's.
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
constexpr uint32_t kSystemColour = 0xFFFFFFFFu;

struct ControlDesign {
    int id;
    ControlKind kind;
    const char* caption;  // UTF-8; nullptr for none
    Box box;              // in the parent's client area
    const FontDesign* font = nullptr;  // nullptr: the system's user-interface font
    uint32_t colour = kSystemColour;
    int parent = 0;       // 0: the window; otherwise the id of the panel it sits in
    int32_t openHeight = 0;  // List: height of the open list below the field
};

// A window's design: client area and controls, in tab order.
struct WindowDesign {
    const wchar_t* className;
    const char* title;  // UTF-8
    int32_t clientWidth, clientHeight;
    const ControlDesign* controls;
    size_t count;
    const ControlDesign* begin() const { return controls; }
    const ControlDesign* end() const { return controls + count; }
};

}  // namespace vantrel
