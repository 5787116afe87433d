#include "platform/mdlWinAPI_win.h"

#include "platform/text_win.h"

namespace vantrel::win {

namespace {

// How long one window may take to answer before it counts as hung.
constexpr UINT kSendTimeoutMs = 3000;

// The help viewer takes the file name in the ANSI code page whichever
// function is called. A path with a character outside that code page would
// arrive with "?" in its place, so it goes in its short (8.3) form, which
// survives; the file itself need not exist, so the folder is shortened.
std::string HelpPathInAnsi(const std::string& utf8) {
    const std::wstring path = Widen(utf8);
    bool lossless = false;
    std::string ansi = ToAnsi(path, &lossless);
    const size_t slash = path.find_last_of(L'\\');
    if (lossless || slash == std::wstring::npos) return ansi;
    const std::wstring folder = path.substr(0, slash);
    std::wstring shortFolder(MAX_PATH, L'\0');
    const DWORD n = GetShortPathNameW(folder.c_str(), &shortFolder[0], MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return ansi;
    shortFolder.resize(n);
    return ToAnsi(shortFolder + path.substr(slash));
}

}  // namespace

intptr_t mdlWinAPI::FindWindowA(const std::optional<std::string>& className,
                                const std::optional<std::string>& windowName) {
    // A missing name must reach user32 as NULL ("any"), not as an empty text.
    const std::string cls = className ? ToAnsi(Widen(*className)) : std::string();
    const std::string name = windowName ? ToAnsi(Widen(*windowName)) : std::string();
    HWND h = ::FindWindowA(className ? cls.c_str() : nullptr, windowName ? name.c_str() : nullptr);
    return reinterpret_cast<intptr_t>(h);
}

intptr_t mdlWinAPI::SendMessageA(intptr_t hwnd, uint32_t msg, intptr_t wParam, const void* lParam) {
    // A plain SendMessage to HWND_BROADCAST waits for every top-level window
    // in turn, and one hung window would hang this program with it. With
    // SMTO_ABORTIFHUNG the call still waits for every window that answers, but
    // skips windows the system already knows to be hung and gives up on any
    // one after the timeout, so the broadcast always returns.
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(reinterpret_cast<HWND>(hwnd), msg, static_cast<WPARAM>(wParam),
                          reinterpret_cast<LPARAM>(lParam), SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    return static_cast<intptr_t>(result);
}

int32_t mdlWinAPI::WinHelpA(intptr_t hwnd, const std::string& helpFile, uint32_t command, uintptr_t data) {
    const std::string file = HelpPathInAnsi(helpFile);
    return ::WinHelpA(reinterpret_cast<HWND>(hwnd), file.c_str(), command, static_cast<ULONG_PTR>(data)) ? 1 : 0;
}

}  // namespace vantrel::win
