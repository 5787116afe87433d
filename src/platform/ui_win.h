// What the three windows share on Win32: text conversion at the boundary,
// owned handles, the controls built from a design table, the window skeleton
// with its exception fence, the message loop, modal display, message boxes
// and the program's one end path.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/controls.h"
#include "platform/gateway.h"

namespace vantrel::win {

// UTF-8 (the core's texts) <-> UTF-16 (W calls) <-> the ANSI code page (A calls).
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
// `lossless`, when given, tells whether every character has a form in the code page.
std::string ToAnsi(const std::wstring& text, bool* lossless = nullptr);

// A handle released by `Release` with its holder. Move-only.
template <auto Release>
struct Releaser {
    template <class H>
    void operator()(H h) const { Release(h); }
};
template <class H, auto Release>
using Owned = std::unique_ptr<std::remove_pointer_t<H>, Releaser<Release>>;
using Font = Owned<HFONT, DeleteObject>;
using Bitmap = Owned<HBITMAP, DeleteObject>;
using Menu = Owned<HMENU, DestroyMenu>;
using MemoryDc = Owned<HDC, DeleteDC>;
using KernelHandle = Owned<HANDLE, CloseHandle>;

// The system's message text for a number, trimmed, or empty.
std::string SystemMessage(int32_t number);
// Raises the TrappedError for GetLastError(), as a failed call's HRESULT.
[[noreturn]] void RaiseLastError();

// The system's DPI, and the DPI of the monitor a window is on (the
// system's where the system does not tell).
int ScreenDpi();
int WindowDpi(HWND h);
// A font of the design at `dpi`; the system's user-interface font for nullptr.
Font MakeFont(const FontDesign* font, int dpi);
void SetText(HWND h, const std::string& utf8);

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

// One window of the program: `this` travels in CreateWindowEx's lpParam and is
// stored at WM_NCCREATE, every message goes to OnMessage behind the one
// exception fence, and WM_NCDESTROY clears the handle.
class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND hwnd() const { return hwnd_; }

protected:
    Window() = default;
    virtual ~Window();

    struct Frame {
        DWORD style, exStyle;
        HWND owner;
        int x, y;
    };
    // Registers the design's class once and creates the window hidden, with
    // its controls and the program's icon, laid out at the DPI of the monitor
    // it is on. Raises when the system refuses.
    void Create(const WindowDesign& design, const Frame& frame);
    // Moves to `r` and lays the controls out again at `dpi`: the design stays,
    // only its pixels and fonts change.
    void ChangeDpi(int dpi, const RECT& r);
    // The default: the focus comes back to the control that had it when the
    // window was left (the first one at first), statics get their colours.
    virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

    Controls controls_;
    int dpi_ = kDefaultDpi;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    void RestoreFocus();

    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
};

// Objects the main loop waits for together with the messages.
class LoopWaits {
public:
    virtual ~LoopWaits() = default;
    virtual std::vector<HANDLE> Handles() = 0;
    virtual void Signalled(size_t index) = 0;
};

// Dispatches messages, keyboard navigation through IsDialogMessage. The main
// loop runs until WM_QUIT and returns its code; it also hands the objects of
// `waits` that are signalled to it. A modal loop runs until `window` is gone,
// swallows Enter and Escape so that neither presses a button, and hands a
// WM_QUIT back to the loop outside it.
int MessageLoop(HWND window, bool modal, LoopWaits* waits = nullptr);
// As DialogBox does: the owner is disabled first, then the dialog is shown,
// then its loop runs until it is gone; the owner is active again afterwards.
void ShowModal(HWND dialog, HWND owner);
// Closes a modal dialog: its owner is enabled before the dialog is destroyed,
// so that the activation returns to it and not to another application.
void EndModal(HWND dialog);

void CenterOnScreen(HWND h);
// The outer size of a window with the design's client area at `dpi`.
SIZE OuterSize(const WindowDesign& design, DWORD style, DWORD exStyle, int dpi);

// Modal message boxes with one OK button.
class MessageBoxes : public IMessageBox {
public:
    void Show(const std::string& text, const std::string& title, MsgIcon icon) override;
};

// Ends the program after an exception left the program's code: ProgramEnd,
// its own decision, with status 0; anything else after an "エラー" box
// saying what is known, with status 1.
[[noreturn]] void EndOnException(std::exception_ptr e);

// Runs `f` where no exception may pass (a window procedure, wWinMain).
template <class F>
auto Fenced(F&& f) noexcept -> decltype(f()) {
    try {
        return f();
    } catch (...) {
        EndOnException(std::current_exception());
    }
}

}  // namespace vantrel::win
