// In-memory stand-ins for the platform and the windows. One World plays every
// platform interface and keeps one log across all fakes, so that the order of
// calls across objects can be checked; failures are injected per operation.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <vector>

#include "about/FrmVer.h"
#include "app/frmMain.h"
#include "platform/paths.h"
#include "shortcut/frmSetting.h"

namespace vantrel::fake {

using Log = std::vector<std::string>;
using Boxes = std::vector<std::pair<std::string, MsgIcon>>;  // "title: text", icon

inline std::string Lower(std::string s) {
    for (char& c : s) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return s;
}

inline const ErrValue kDenied{-2147024891, "アクセスが拒否されました。"};
inline std::function<void()> Raises(ErrValue e = kDenied) { return [e] { throw TrappedError(e); }; }

class World : public IObjectFactory, public IWinApi, public IHost, public IMessageBox, public IRegistryWatch {
public:
    std::map<std::string, std::string> reg;  // lower-cased shell path -> "TYPE:value"
    std::set<std::string> files;
    std::map<std::string, std::string> folders;
    std::map<std::string, ErrValue> fail;  // lower-cased "op arg" or "op"
    Log log;
    Boxes boxes;
    std::string exePath = "C:\\Tools\\VantrelV1_0.exe", hotkeyReadBack;
    bool prevInstance = false;
    int windowsMajor = 6;
    intptr_t ieFrame = 0;
    bool browserRegistered = true;

    std::vector<std::string> watched;   // the keys the program watches
    bool watchComplete = true;
    std::function<void()> keyChanged;   // what a watched key's change runs
    std::function<void()> onWrite;      // runs inside each registry write

    Platform platform() { return Platform{*this, *this, *this, *this, *this}; }
    void Watch(const std::vector<std::string>& keys, std::function<void()> changed) override {
        log.push_back("Watch");
        watched = keys;
        keyChanged = std::move(changed);
    }
    bool Complete() override { return watchComplete; }
    void Set(const std::string& path, const std::string& v) { reg[Lower(path)] = v; }
    std::string Get(const std::string& path) const { return reg.count(Lower(path)) ? reg.at(Lower(path)) : ""; }
    void Fail(const std::string& key, ErrValue e = kDenied) { fail[Lower(key)] = std::move(e); }
    // Logs the call, then raises what is registered for it, without regard to case.
    void Step(const std::string& op, const std::string& arg = "", const std::string& extra = "") {
        log.push_back(arg.empty() ? op + extra : op + " " + arg + extra);
        auto it = fail.find(Lower(op + " " + arg));
        if (it == fail.end()) it = fail.find(Lower(op));
        if (it != fail.end()) throw TrappedError(it->second);
    }
    Log Calls(const std::string& prefix) const {
        Log out;
        std::copy_if(log.begin(), log.end(), std::back_inserter(out), [&](auto& l) { return l.rfind(prefix, 0) == 0; });
        return out;
    }
    // Every entry is logged, each after the one before it.
    ::testing::AssertionResult InOrder(const Log& entries) const {
        auto at = log.begin();
        for (const auto& e : entries) {
            at = std::find(at, log.end(), e);
            if (at == log.end()) return ::testing::AssertionFailure() << "not logged in order: " << e;
            ++at;
        }
        return ::testing::AssertionSuccess();
    }

    std::unique_ptr<IScriptShell> CreateScriptShell() override;
    std::unique_ptr<IBrowser> CreateBrowser() override;
    bool BrowserRegistered() override { return browserRegistered; }
    intptr_t FindWindowA(const std::optional<std::string>& cls, const std::optional<std::string>& name) override {
        Step("FindWindowA", cls.value_or("(null)") + "," + name.value_or("(null)"));
        return cls == std::optional<std::string>("IEFrame") && !name ? ieFrame : 0;
    }
    intptr_t SendMessageA(intptr_t hwnd, uint32_t msg, intptr_t w, const void* l) override {
        const std::string lp = l ? std::to_string(*static_cast<const int32_t*>(l)) : "null";
        Step("SendMessageA", std::to_string(hwnd) + "," + std::to_string(msg) + "," + std::to_string(w) + "," + lp);
        return 0;
    }
    int32_t WinHelpA(intptr_t hwnd, const std::string& file, uint32_t cmd, uintptr_t data) override {
        Step("WinHelpA", std::to_string(hwnd) + "," + file + "," + std::to_string(cmd) + "," + std::to_string(data));
        return 0;
    }
    bool PrevInstance() override { Step("PrevInstance"); return prevInstance; }
    std::string ExePath() override { return exePath; }
    int WindowsMajorVersion() override { return windowsMajor; }
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    void OpenForRead(const std::string& path) override { Step("Open", path); Exists(path); }
    void Close() override { Step("Close"); }
    void RemoveFile(const std::string& path) override { Step("Kill", path); Exists(path); files.erase(path); }
    void OpenWithSystem(const std::string& target) override { Step("OpenWithSystem", target); }
    void Exists(const std::string& path) {
        if (!files.count(path)) throw TrappedError(ErrValue{53, "ファイルが見つかりません。"});
    }
    void Show(const std::string& text, const std::string& title, MsgIcon icon) override {
        log.push_back("MsgBox " + title + ": " + text);
        boxes.push_back({title + ": " + text, icon});
    }
};

struct Shortcut : IShortcut {
    Shortcut(World& w, std::string path) : w(w), path(std::move(path)) {}
    World& w;
    std::string path;
    void SetTargetPath(const std::string& p) override { w.Step("Shortcut.TargetPath", p); }
    void SetHotkey(const std::string& k) override { w.Step("Shortcut.Hotkey", k); }
    std::string GetHotkey() override { w.Step("Shortcut.GetHotkey"); return w.hotkeyReadBack; }
    void SetWindowStyle(int16_t s) override { w.Step("Shortcut.WindowStyle", std::to_string(s)); }
    void Save() override { w.Step("Shortcut.Save"); w.files.insert(path); }
};

// Reads give a text for REG_SZ, a number for REG_DWORD, no text form for
// REG_BINARY, and the shell's "not found" for a missing value.
struct Shell : IScriptShell {
    explicit Shell(World& w) : w(w) {}
    ~Shell() override { w.log.push_back("Shell released"); }
    World& w;
    ShellValue RegRead(const std::string& path) override {
        w.Step("RegRead", path);
        const std::string v = w.Get(path), data = v.substr(v.find(':') + 1);
        if (v.rfind("REG_SZ:", 0) == 0) return ShellValue::Text(data);
        if (v.rfind("REG_DWORD:", 0) == 0) return ShellValue::Integer(std::stoll(data));
        if (v.rfind("REG_BINARY:", 0) == 0) return ShellValue::NoText();
        throw TrappedError(ErrValue{-2147024894, "指定されたファイルが見つかりません。"});
    }
    void RegWrite(const std::string& path, const std::string& text) override { Write(path, "REG_SZ:" + text); }
    void RegWrite(const std::string& path, int32_t value, const std::string& type) override {
        Write(path, type + ":" + std::to_string(value));
    }
    void Write(const std::string& path, const std::string& stored) {
        w.Step("RegWrite", path, " = " + stored);
        w.Set(path, stored);
        if (w.onWrite) w.onWrite();
    }
    std::string SpecialFolders(const std::string& name) override { w.Step("SpecialFolders", name); return w.folders[name]; }
    std::unique_ptr<IShortcut> CreateShortcut(const std::string& lnk) override {
        w.Step("CreateShortcut", lnk);
        return std::make_unique<Shortcut>(w, lnk);
    }
};

struct Browser : IBrowser {
    explicit Browser(World& w) : w(w) {}
    ~Browser() override { w.log.push_back("Browser released"); }
    World& w;
    void AllowToFront() override { w.Step("Browser.AllowToFront"); }
    void SetVisible(bool v) override { w.Step("Browser.Visible", v ? "True" : "False"); }
    void Navigate(const std::string& url) override { w.Step("Browser.Navigate", url); }
};

inline std::unique_ptr<IScriptShell> World::CreateScriptShell() {
    Step("CreateObject", "WScript.Shell");
    return std::make_unique<Shell>(*this);
}
inline std::unique_ptr<IBrowser> World::CreateBrowser() {
    Step("CreateObject", "InternetExplorer.Application");
    return std::make_unique<Browser>(*this);
}

// A window part that logs "name.op arg" and raises what is registered for op.
struct Logged {
    Log& log;
    std::string name;
    std::map<std::string, std::function<void()>> raise;
    void Step(const std::string& op, const std::string& arg = "") {
        log.push_back(name + "." + op + arg);
        if (raise.count(op)) raise[op]();
    }
};

class ComboBox : public IComboBox, public Logged {
public:
    ComboBox(Log& log, std::string name) : Logged{log, std::move(name), {}} {}
    std::vector<std::string> items;
    int16_t index = -1;
    bool enabled = true;
    std::string tip;
    std::function<void()> onClear;

    void Clear() override { Step("Clear"); if (onClear) onClear(); items.clear(); index = -1; }
    void AddItem(const std::string& t) override { Step("AddItem", " " + t); items.push_back(t); }
    int16_t ListIndex() override { Step("ListIndex"); return index; }
    void SetListIndex(int16_t i) override { Step("SetListIndex", " " + std::to_string(i)); index = i; }
    void SetEnabled(bool e) override { Step("SetEnabled"); enabled = e; }
    void SetToolTip(const std::string& t) override { Step("SetToolTip"); tip = t; }
    std::string Text() const { return index < 0 ? "" : items.at(static_cast<size_t>(index)); }
};

class MainView : public IMainView, public Logged {
public:
    explicit MainView(Log& log) : Logged{log, "View", {}}, image(log, "cmbRegImage"), script(log, "cmbRegJS_Switch") {}
    ComboBox image, script;
    double width = 3255, height = 1035;
    int dpi = 96;
    bool minimized = false, waitVisible = true;
    PopupChoice choice = PopupChoice::None;

    IComboBox& cmbRegImage() override { return image; }
    IComboBox& cmbRegJS_Switch() override { return script; }
    double Width() override { Step("Width"); return width; }
    double Height() override { Step("Height"); return height; }
    void SetWidth(int32_t t) override { Step("SetWidth", " " + std::to_string(t)); }
    void SetHeight(int32_t t) override { Step("SetHeight", " " + std::to_string(t)); }
    bool Minimized() override { Step("Minimized"); return minimized; }
    int Dpi() override { return dpi; }
    void MoveWait(int32_t l, int32_t t) override { Step("MoveWait", " " + std::to_string(l) + "," + std::to_string(t)); }
    void WaitToFront() override { Step("WaitToFront"); }
    void SetWaitVisible(bool v) override { Step("WaitVisible", v ? " True" : " False"); waitVisible = v; }
    void Refresh() override { Step("Refresh"); }
    intptr_t hWnd() override { return 0x1234; }
    PopupChoice PopupMenu() override { Step("PopupMenu"); return choice; }
    void ShowSettingDialog() override { Step("ShowSettingDialog"); }
    void ShowAboutDialog() override { Step("ShowAboutDialog"); }
};

// The option pair behaves as an option group: selecting one clears the other.
class SettingView : public ISettingView, public Logged {
public:
    explicit SettingView(Log& log) : Logged{log, "Dialog", {}} {}
    bool value[2] = {false, false}, enabled[2] = {true, true}, infoEnabled = true;
    int unloads = 0;

    bool optSetToProgramsFolder_Value(int i) override { return value[i]; }
    void optSetToProgramsFolder_SetValue(int i, bool v) override { value[i] = v; if (v) value[1 - i] = false; }
    void optSetToProgramsFolder_SetEnabled(int i, bool e) override { enabled[i] = e; }
    void lblInfo_SetEnabled(bool e) override { infoEnabled = e; }
    void Unload() override { Step("Unload"); ++unloads; }
};

class VerView : public IVerView, public Logged {
public:
    explicit VerView(Log& log) : Logged{log, "About", {}} {}
    std::string url = "lblURL";
    void SetURLText(const std::string& t) override { Step("SetURLText"); url = t; }
    void SetFocus() override { Step("SetFocus"); }
    void Unload() override { Step("Unload"); }
};

}  // namespace vantrel::fake
