// The window skeleton the program's windows share, with its exception fence,
// the message loop and modal display.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "platform/controls.h"
#include "platform/controls_win.h"

namespace vantrel::win {

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
    // Where a dialog opens, on the monitor that holds its owner (the main
    // window, wherever the user put it): in the middle of its work area, or
    // where the system places new windows when that is on the same monitor.
    enum class Place { Centred, SystemDefault };
    // A dialog's opening: created hidden, `load` runs before anything is
    // shown, the window is placed, then it is shown modal over the frame's
    // owner. Returns once it has been closed.
    void OpenModal(const WindowDesign& design, const Frame& frame, const std::function<void()>& load, Place place);
    // Closes a dialog opened by OpenModal; nothing when it is gone already.
    void CloseModal();
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

// Centres `h` in the work area of the monitor that holds `owner` (the
// primary one without an owner).
void CentreOnMonitorOf(HWND h, HWND owner);

}  // namespace vantrel::win
