// In-memory stand-ins for the platform, shared by the unit tests. They keep
// a log of every call so that tests can check order and arguments, and can be
// told to fail a given operation on a given path.
#pragma once

#include <algorithm>
#include <functional>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/gateway.h"

namespace vantrel::fake {

inline std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A registry value as stored, with its type.
struct RegEntry {
    std::string type;  // "REG_SZ", "REG_DWORD", "REG_BINARY", "REG_MULTI_SZ", "REG_QWORD", ...
    std::string text;  // REG_SZ, REG_EXPAND_SZ
    int64_t number = 0;  // REG_DWORD, REG_QWORD, and REG_BINARY written from an integer
    bool operator==(const RegEntry& o) const { return type == o.type && text == o.text && number == o.number; }
};

inline RegEntry Sz(std::string s) { return {"REG_SZ", std::move(s), 0}; }
inline RegEntry Dword(int64_t n) { return {"REG_DWORD", "", n}; }
inline RegEntry Binary(int64_t n) { return {"REG_BINARY", "", n}; }
inline RegEntry MultiSz() { return {"REG_MULTI_SZ", "a", 0}; }

// Keyed by the full shell path; names match without regard to case, as the
// real registry's do. The original spelling of the first write is kept.
class Registry {
public:
    void Set(const std::string& path, RegEntry e) {
        auto it = values_.find(Lower(path));
        if (it == values_.end()) values_[Lower(path)] = {path, std::move(e)};
        else it->second.second = std::move(e);
    }
    void Remove(const std::string& path) { values_.erase(Lower(path)); }
    std::optional<RegEntry> Get(const std::string& path) const {
        auto it = values_.find(Lower(path));
        if (it == values_.end()) return std::nullopt;
        return it->second.second;
    }
    // A snapshot to compare before and after.
    std::map<std::string, std::pair<std::string, RegEntry>> All() const { return values_; }

private:
    std::map<std::string, std::pair<std::string, RegEntry>> values_;
};

// The file system as the shortcut store sees it.
struct Files {
    std::set<std::string> present;       // existing files, exact paths
    std::set<std::string> unreadable;    // present but opening fails
    std::set<std::string> undeletable;   // present but deleting fails
};

// One log shared by all fakes of a test, to check the order across objects.
using Log = std::vector<std::string>;

// Failures to inject: key is "Op path" (e.g. "RegRead HKCU\...\1400"), or
// "Op" alone to fail every call of that operation.
struct Failures {
    std::map<std::string, ErrValue> byKey;
    std::optional<ErrValue> Find(const std::string& op, const std::string& arg) const {
        auto it = byKey.find(op + " " + arg);
        if (it == byKey.end()) it = byKey.find(Lower(op + " " + arg));
        if (it == byKey.end()) it = byKey.find(op);
        if (it == byKey.end()) return std::nullopt;
        return it->second;
    }
    void Fail(const std::string& key, int32_t number = -2147024891, std::string desc = "アクセスが拒否されました。") {
        byKey[key] = ErrValue{number, std::move(desc)};
    }
};

class Shortcut : public IShortcut {
public:
    Shortcut(std::string path, Log& log, Files& files, const Failures& failures,
             std::string hotkeyReadBack)
        : path_(std::move(path)), log_(log), files_(files), failures_(failures),
          readBack_(std::move(hotkeyReadBack)) {}
    void SetTargetPath(const std::string& p) override { Step("TargetPath=" + p, "TargetPath"); }
    void SetHotkey(const std::string& k) override { Step("Hotkey=" + k, "Hotkey"); hotkey_ = k; }
    std::string GetHotkey() override {
        Step("Hotkey?", "GetHotkey");
        return readBack_.empty() ? hotkey_ : readBack_;
    }
    void SetWindowStyle(int16_t s) override { Step("WindowStyle=" + std::to_string(s), "WindowStyle"); }
    void Save() override { Step("Save", "Save"); files_.present.insert(path_); }

private:
    void Step(const std::string& entry, const std::string& op) {
        log_.push_back("Shortcut." + entry);
        if (auto e = failures_.Find(op, path_)) throw TrappedError(*e);
    }
    std::string path_;
    Log& log_;
    Files& files_;
    const Failures& failures_;
    std::string readBack_;
    std::string hotkey_;
};

class Shell : public IScriptShell {
public:
    Shell(Registry& reg, Files& files, Log& log, const Failures& failures,
          const std::map<std::string, std::string>& folders, const std::string& hotkeyReadBack)
        : reg_(reg), files_(files), log_(log), failures_(failures), folders_(folders),
          hotkeyReadBack_(hotkeyReadBack) {}

    ShellValue RegRead(const std::string& path) override {
        log_.push_back("RegRead " + path);
        if (auto e = failures_.Find("RegRead", path)) throw TrappedError(*e);
        auto v = reg_.Get(path);
        if (!v) throw TrappedError(ErrValue{-2147024894, "指定されたファイルが見つかりません。"});
        if (v->type == "REG_SZ" || v->type == "REG_EXPAND_SZ") return ShellValue::Text(v->text);
        if (v->type == "REG_DWORD") return ShellValue::Integer(static_cast<int32_t>(v->number));
        if (v->type == "REG_BINARY" || v->type == "REG_MULTI_SZ") return ShellValue::NoText();
        throw TrappedError(ErrValue{-2147467259, "エラーを特定できません"});
    }
    void RegWrite(const std::string& path, const std::string& text) override {
        log_.push_back("RegWrite " + path + " = \"" + text + "\"");
        if (auto e = failures_.Find("RegWrite", path)) throw TrappedError(*e);
        reg_.Set(path, Sz(text));
    }
    void RegWrite(const std::string& path, int32_t value, const std::string& type) override {
        log_.push_back("RegWrite " + path + " = " + std::to_string(value) + " " + type);
        if (auto e = failures_.Find("RegWrite", path)) throw TrappedError(*e);
        reg_.Set(path, RegEntry{type, "", value});
    }
    std::string SpecialFolders(const std::string& name) override {
        log_.push_back("SpecialFolders " + name);
        if (auto e = failures_.Find("SpecialFolders", name)) throw TrappedError(*e);
        auto it = folders_.find(name);
        return it == folders_.end() ? std::string() : it->second;
    }
    std::unique_ptr<IShortcut> CreateShortcut(const std::string& lnk) override {
        log_.push_back("CreateShortcut " + lnk);
        if (auto e = failures_.Find("CreateShortcut", lnk)) throw TrappedError(*e);
        return std::make_unique<Shortcut>(lnk, log_, files_, failures_, hotkeyReadBack_);
    }
    ~Shell() override { log_.push_back("Shell released"); }

private:
    Registry& reg_;
    Files& files_;
    Log& log_;
    const Failures& failures_;
    const std::map<std::string, std::string>& folders_;
    const std::string& hotkeyReadBack_;
};

class Browser : public IBrowser {
public:
    Browser(Log& log, const Failures& f) : log_(log), failures_(f) {}
    void SetVisible(bool v) override {
        log_.push_back(std::string("Browser.Visible=") + (v ? "True" : "False"));
        if (auto e = failures_.Find("Visible", "")) throw TrappedError(*e);
    }
    void Navigate(const std::string& url) override {
        log_.push_back("Browser.Navigate " + url);
        if (auto e = failures_.Find("Navigate", url)) throw TrappedError(*e);
    }
    ~Browser() override { log_.push_back("Browser released"); }

private:
    Log& log_;
    const Failures& failures_;
};

struct Message {
    std::string text, title;
    MsgIcon icon;
};

// The whole platform in one object; hand World::platform() to the code under test.
class World : public IObjectFactory, public IWinApi, public IHost, public IMessageBox {
public:
    Registry reg;
    Files files;
    Log log;
    Failures failures;
    std::vector<Message> messages;
    std::map<std::string, std::string> folders{
        {"AllUsersPrograms", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"}};
    std::string hotkeyReadBack;  // empty: reads back what was set
    bool shellMissing = false, browserMissing = false;
    bool prevInstance = false;
    intptr_t ieFrame = 0;  // what FindWindowA("IEFrame") answers
    std::string exeFolder = "C:\\Tools", exeBase = "VantrelV1_0";
    int shellsAlive = 0;
    int32_t lastBroadcastLParam = -1;
    // Called when a message box is shown (e.g. to check state at that moment).
    std::function<void(const Message&)> onMessage;

    Platform platform() { return Platform{*this, *this, *this, *this}; }

    // IObjectFactory
    std::unique_ptr<IScriptShell> CreateScriptShell() override {
        log.push_back("CreateObject WScript.Shell");
        if (shellMissing) kErrCannotCreate.Raise();
        return std::make_unique<Shell>(reg, files, log, failures, folders, hotkeyReadBack);
    }
    std::unique_ptr<IBrowser> CreateBrowser() override {
        log.push_back("CreateObject InternetExplorer.Application");
        if (browserMissing) kErrCannotCreate.Raise();
        return std::make_unique<Browser>(log, failures);
    }
    // IWinApi
    intptr_t FindWindowA(const std::optional<std::string>& cls, const std::optional<std::string>& name) override {
        log.push_back("FindWindowA " + cls.value_or("(null)") + "," + name.value_or("(null)"));
        return (cls && *cls == "IEFrame" && !name) ? ieFrame : 0;
    }
    intptr_t SendMessageA(intptr_t hwnd, uint32_t msg, intptr_t w, const void* l) override {
        lastBroadcastLParam = l ? *static_cast<const int32_t*>(l) : -1;
        log.push_back("SendMessageA " + std::to_string(hwnd) + "," + std::to_string(msg) + "," +
                      std::to_string(w) + "," + (l ? std::to_string(lastBroadcastLParam) : "null"));
        return 0;
    }
    int32_t WinHelpA(intptr_t hwnd, const std::string& file, uint32_t cmd, uintptr_t data) override {
        log.push_back("WinHelpA " + std::to_string(hwnd) + "," + file + "," + std::to_string(cmd) + "," +
                      std::to_string(data));
        return 0;
    }
    // IHost
    bool PrevInstance() override { log.push_back("PrevInstance"); return prevInstance; }
    std::string ExePath() override { return exeFolder + (exeFolder.back() == '\\' ? "" : "\\") + exeBase + ".exe"; }
    void OpenForRead(const std::string& path) override {
        log.push_back("Open " + path);
        if (!files.present.count(path)) throw TrappedError(ErrValue{53, "ファイルが見つかりません。"});
        if (files.unreadable.count(path)) throw TrappedError(ErrValue{75, "パス名が無効です。"});
    }
    void Close() override { log.push_back("Close"); }
    void RemoveFile(const std::string& path) override {
        log.push_back("Kill " + path);
        if (!files.present.count(path)) throw TrappedError(ErrValue{53, "ファイルが見つかりません。"});
        if (files.undeletable.count(path)) throw TrappedError(ErrValue{75, "パス名が無効です。"});
        files.present.erase(path);
    }
    // IMessageBox
    void Show(const std::string& text, const std::string& title, MsgIcon icon) override {
        log.push_back("MsgBox " + title + ": " + text);
        messages.push_back({text, title, icon});
        if (onMessage) onMessage(messages.back());
    }

    // Log entries that start with `prefix`, in order.
    std::vector<std::string> Calls(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }
};

// A list control as plain data.
class ComboBox : public IComboBox {
public:
    std::vector<std::string> items;
    int16_t index = -1;
    bool enabled = true;
    int clears = 0;
    void Clear() override { items.clear(); index = -1; ++clears; }
    void AddItem(const std::string& t) override { items.push_back(t); }
    void SetText(const std::string& t) override {
        auto it = std::find(items.begin(), items.end(), t);
        if (it == items.end()) throw TrappedError(ErrValue{383, "'Text' プロパティは読み取り専用です。"});
        index = static_cast<int16_t>(it - items.begin());
    }
    int16_t ListIndex() override { return index; }
    void SetListIndex(int16_t i) override { index = i; }
    void SetEnabled(bool e) override { enabled = e; }
    std::string Text() const { return index < 0 ? std::string() : items[static_cast<size_t>(index)]; }
};

}  // namespace vantrel::fake
