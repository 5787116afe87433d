// Small Win32 helpers shared by the three windows: text conversion at the
// boundary, DPI scaling of design twips, owned GDI fonts, the modal loop.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel::win {

// UTF-8 (the core's texts) <-> UTF-16 (W calls) <-> the ANSI code page (A calls).
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
std::string ToAnsi(const std::string& utf8);

// The system DPI the windows scale to (96 when the system says nothing).
int SystemDpi();
// Design twips -> pixels at SystemDpi(), rounded.
int Px(int twips);

// A GDI font that is deleted with its holder. Move-only.
class Font {
public:
    Font() = default;
    explicit Font(HFONT f) : h_(f) {}
    Font(Font&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
    Font& operator=(Font&& o) noexcept;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    ~Font();
    HFONT get() const { return h_; }

private:
    HFONT h_ = nullptr;
};

// A font by face (UTF-8), size in points (11.25 etc.), scaled to SystemDpi().
// When the face is missing the system's font mapper picks the nearest font of
// the same character set.
Font MakeFont(const char* faceUtf8, double points, bool bold, BYTE charset, bool underline = false);
// The system's default user-interface font (what controls use unless given one).
HFONT DefaultGuiFont();

// Sets a window's or control's text from UTF-8.
void SetText(HWND h, const std::string& utf8);

// Runs a modal loop for `dialog` until it is destroyed: `owner` is disabled
// meanwhile (as the owner of a modal dialog is) and activated again afterwards.
// Enter and Escape are swallowed so that neither presses a button; Tab and the
// other dialog keys work. Returns when the dialog window no longer exists.
void RunModal(HWND dialog, HWND owner);
// Closes a modal dialog: its owner is enabled again first, then the dialog is
// destroyed. Destroying a window while its owner is still disabled hands the
// activation to some other application's window; call this from the dialog's
// close handling instead of DestroyWindow.
void EndModal(HWND dialog);

// Centres a top-level window on the primary monitor's work area.
void CenterOnScreen(HWND h);

// Outer window size for a client area of the given pixels with the given styles.
SIZE OuterSize(int clientW, int clientH, DWORD style, DWORD exStyle);

}  // namespace vantrel::win

namespace vantrel::win {
// Ends the process at once (after a ProgramEnd reached a window procedure).
[[noreturn]] void EndProgram();
}  // namespace vantrel::win
