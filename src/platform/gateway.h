// What the program asks of the platform. The portable core sees only these
// interfaces; the Windows implementation lives in the *_win files beside
// this one, and the unit tests use in-memory fakes. Every text is UTF-8.
// Every operation may raise TrappedError unless it says otherwise.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace vantrel {

// What a late-bound call hands back, reduced to the forms the program uses.
struct ShellValue {
    enum class Kind { Empty, Text, Integer, Boolean, NoText };
    Kind kind = Kind::Empty;
    std::string text;      // Kind::Text (UTF-8)
    int64_t integer = 0;   // Kind::Integer; Kind::Boolean (0 or -1)

    static ShellValue Text(std::string s) { ShellValue v; v.kind = Kind::Text; v.text = std::move(s); return v; }
    static ShellValue Integer(int64_t n) { ShellValue v; v.kind = Kind::Integer; v.integer = n; return v; }
    static ShellValue Boolean(bool b) { ShellValue v; v.kind = Kind::Boolean; v.integer = b ? -1 : 0; return v; }
    // An array (REG_BINARY, REG_MULTI_SZ read back) or another value with no text form.
    static ShellValue NoText() { ShellValue v; v.kind = Kind::NoText; return v; }
};

// The standard conversion of a read result to text: a string stays as it is,
// a number becomes its decimal digits, a boolean "True"/"False", nothing the
// empty text. A value with no text form raises kErrTypeMismatch.
std::string ToText(const ShellValue& v);

// The object WScript.Shell's CreateShortcut answers. Members are called in
// the order the caller chooses; nothing is written before Save.
class IShortcut {
public:
    virtual ~IShortcut() = default;
    virtual void SetTargetPath(const std::string& path) = 0;
    virtual void SetHotkey(const std::string& keys) = 0;
    virtual std::string GetHotkey() = 0;
    virtual void SetWindowStyle(int16_t style) = 0;
    virtual void Save() = 0;
};

// WScript.Shell, late-bound.
class IScriptShell {
public:
    virtual ~IScriptShell() = default;
    // path begins "HKLM\" or "HKCU\"; the last component is the value name.
    virtual ShellValue RegRead(const std::string& path) = 0;
    // Without a type the shell stores a text as REG_SZ; with one ("REG_DWORD",
    // "REG_BINARY") it stores the integer in that form.
    virtual void RegWrite(const std::string& path, const std::string& text) = 0;
    virtual void RegWrite(const std::string& path, int32_t value, const std::string& type) = 0;
    virtual std::string SpecialFolders(const std::string& name) = 0;
    virtual std::unique_ptr<IShortcut> CreateShortcut(const std::string& lnkPath) = 0;
};

// InternetExplorer.Application, late-bound.
class IBrowser {
public:
    virtual ~IBrowser() = default;
    // The browser runs in a process of its own, which the system does not
    // let take the foreground from us unless we allow it.
    virtual void AllowToFront() = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void Navigate(const std::string& url) = 0;
};

// Objects created by ProgID. A creation that fails raises kErrCannotCreate.
class IObjectFactory {
public:
    virtual ~IObjectFactory() = default;
    virtual std::unique_ptr<IScriptShell> CreateScriptShell() = 0;  // "WScript.Shell"
    virtual std::unique_ptr<IBrowser> CreateBrowser() = 0;          // "InternetExplorer.Application"
    // Whether the system knows "InternetExplorer.Application" at all; nothing
    // is created. Never raises.
    virtual bool BrowserRegistered() = 0;
};

// The user32 functions of mdlWinAPI. Window handles travel as integers;
// texts are converted to the system's ANSI code page by the implementation.
class IWinApi {
public:
    virtual ~IWinApi() = default;
    static constexpr intptr_t kHwndBroadcast = 0xFFFF;
    static constexpr uint32_t kWmWinIniChange = 0x001A;
    static constexpr uint32_t kHelpContents = 3;

    // A null class or window name is passed as std::nullopt.
    virtual intptr_t FindWindowA(const std::optional<std::string>& className,
                                 const std::optional<std::string>& windowName) = 0;
    // lParam points at caller-owned memory that outlives the call.
    virtual intptr_t SendMessageA(intptr_t hwnd, uint32_t msg, intptr_t wParam, const void* lParam) = 0;
    virtual int32_t WinHelpA(intptr_t hwnd, const std::string& helpFile, uint32_t command, uintptr_t data) = 0;
};

// Facilities of the operating system that are not objects.
class IHost {
public:
    virtual ~IHost() = default;
    // True when another instance of this program is already running.
    virtual bool PrevInstance() = 0;
    // Full path of the running executable.
    virtual std::string ExePath() = 0;
    // The major version of Windows as the system itself reports it (10 on
    // Windows 10 and 11), whatever the program's manifest claims. Never raises.
    virtual int WindowsMajorVersion() = 0;
    // Whether a file is there. Never raises.
    virtual bool FileExists(const std::string& path) = 0;
    // Open a file for reading and close it again; each step may raise.
    virtual void OpenForRead(const std::string& path) = 0;
    virtual void Close() = 0;
    virtual void RemoveFile(const std::string& path) = 0;
    // Hands a URL or a file to the system's handler for it ("open"): the
    // default browser, the program registered for the file's type.
    virtual void OpenWithSystem(const std::string& target) = 0;
};

// Change notification for registry keys. It only says when to look; the
// values are still read through the scripting shell.
class IRegistryWatch {
public:
    virtual ~IRegistryWatch() = default;
    // Watches the keys ("HKCU\\..." or "HKLM\\...") from now on: `changed` runs on the
    // user-interface thread, from its message loop, after a value of one of
    // them changed or the key went away or came back. A key that does not
    // exist yet is watched for its coming.
    virtual void Watch(const std::vector<std::string>& keys, std::function<void()> changed) = 0;
    // True when every key has been watched without a gap since the last
    // question (or since Watch). A key the system would not watch, at the
    // start or again after a change, is tried once more first; while the
    // answer is false, a change may have gone unseen.
    virtual bool Complete() = 0;
};

enum class MsgIcon { Critical, Information };

// Modal message boxes with one OK button.
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual void Show(const std::string& text, const std::string& title, MsgIcon icon) = 0;
};

// Everything the core reaches outside itself, handed to each window's logic.
struct Platform {
    IObjectFactory& objects;
    IWinApi& api;
    IHost& host;
    IMessageBox& msgbox;
    IRegistryWatch& watch;
};

}  // namespace vantrel
