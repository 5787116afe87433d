// A passive main window for frmMain's tests, logging into the World's log so
// that view calls and platform calls can be checked in one order.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/frmMain.h"
#include "fakes.h"

namespace vantrel::test {

// A list that logs what the window does to it. `failOn` makes one operation
// ("Clear", "AddItem", "SetText", "ListIndex", "SetEnabled") raise.
class LoggingCombo : public fake::ComboBox {
public:
    LoggingCombo(std::string name, fake::Log& log) : name_(std::move(name)), log_(log) {}
    std::string failOn;
    std::function<void()> onClear;

    void Clear() override { Step("Clear"); if (onClear) onClear(); fake::ComboBox::Clear(); }
    void AddItem(const std::string& t) override { Step("AddItem " + t, "AddItem"); fake::ComboBox::AddItem(t); }
    void SetText(const std::string& t) override { Step("SetText " + t, "SetText"); fake::ComboBox::SetText(t); }
    int16_t ListIndex() override { Step("ListIndex"); return fake::ComboBox::ListIndex(); }
    void SetEnabled(bool e) override { Step(std::string("Enabled ") + (e ? "True" : "False"), "SetEnabled"); fake::ComboBox::SetEnabled(e); }

private:
    void Step(const std::string& entry, const std::string& op = "") {
        log_.push_back(name_ + "." + entry);
        if (failOn == (op.empty() ? entry : op)) throw TrappedError(ErrValue{380, "プロパティの値が不正です。"});
    }
    std::string name_;
    fake::Log& log_;
};

class FakeMainView : public IMainView {
public:
    explicit FakeMainView(fake::Log& log) : log(log), image("cmbRegImage", log), script("cmbRegJS_Switch", log) {}

    fake::Log& log;
    LoggingCombo image, script;
    // Outer size at design: client 3135 x 630 plus the design frame.
    double width = 3255, height = 1035;
    bool minimized = false;
    // View operation (e.g. "SetWidth") -> what it raises.
    std::map<std::string, std::function<void()>> raise;
    PopupChoice choice = PopupChoice::None;
    bool waitVisible = true;  // a panel is visible until hidden
    int32_t waitLeft = 1320, waitTop = 720;
    static constexpr intptr_t kHwnd = 0x1234;

    IComboBox& cmbRegImage() override { return image; }
    IComboBox& cmbRegJS_Switch() override { return script; }
    double Width() override { Step("Width?"); return width; }
    double Height() override { Step("Height?"); return height; }
    void SetWidth(int32_t t) override { Step("SetWidth " + std::to_string(t), "SetWidth"); }
    void SetHeight(int32_t t) override { Step("SetHeight " + std::to_string(t), "SetHeight"); }
    bool Minimized() override { Step("IsMinimized?"); return minimized; }
    void MoveWait(int32_t l, int32_t t) override {
        Step("MoveWait " + std::to_string(l) + "," + std::to_string(t), "MoveWait");
        waitLeft = l;
        waitTop = t;
    }
    void WaitToFront() override { Step("WaitToFront"); }
    void SetWaitVisible(bool v) override {
        Step(std::string("WaitVisible ") + (v ? "True" : "False"), "SetWaitVisible");
        waitVisible = v;
    }
    void Refresh() override { Step("Refresh"); }
    intptr_t hWnd() override { return kHwnd; }
    PopupChoice PopupMenu() override { Step("PopupMenu"); return choice; }
    void ShowSettingDialog() override { Step("ShowSettingDialog"); }
    void ShowAboutDialog() override { Step("ShowAboutDialog"); }

private:
    void Step(const std::string& entry, const std::string& op = "") {
        log.push_back("View." + entry);
        auto it = raise.find(op.empty() ? entry : op);
        if (it != raise.end()) it->second();
    }
};

inline void RaiseTrapped(int32_t n, const std::string& d) { throw TrappedError(ErrValue{n, d}); }

// Registry paths as the browser and the zone settings have them.
const std::string kPicts = "HKLM\\Software\\Microsoft\\Internet Explorer\\AdvancedOptions\\MULTIMEDIA\\PICTS\\";
const std::string kChecked = kPicts + "CheckedValue";
const std::string kUnchecked = kPicts + "UncheckedValue";
const std::string kRegPathValue = kPicts + "RegPath";
const std::string kMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
const std::string kSwitch = "HKCU\\" + kMainKey + "\\Display Inline Images";
const std::string kZone = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3\\";
const std::string kPolicy = kZone + "1400";
const std::string kLevel = kZone + "CurrentLevel";
const std::string k1C00 = kZone + "1C00";

const std::string kAsk = "ダイアログを表示", kDisable = "無効にする", kEnable = "有効にする";
const std::string kYes = "はい", kNo = "いいえ";

// A machine as the browser leaves it: images on, scripts enabled.
class MainTest : public ::testing::Test {
protected:
    fake::World w;
    FakeMainView view{w.log};
    std::optional<frmMain> form;

    MainTest() {
        w.reg.Set(kChecked, fake::Sz("yes"));
        w.reg.Set(kUnchecked, fake::Sz("no"));
        w.reg.Set(kRegPathValue, fake::Sz(kMainKey));
        w.reg.Set(kSwitch, fake::Sz("yes"));
        w.reg.Set(kPolicy, fake::Dword(0));
        w.reg.Set(kLevel, fake::Dword(3));
        w.reg.Set(k1C00, fake::Binary(0));
        form.emplace(view, w.platform());
    }

    // Runs Form_Load; true when the window would be shown.
    bool Load() {
        try {
            form->Form_Load();
            return true;
        } catch (const ProgramEnd&) {
            return false;
        }
    }

    // Loads successfully, then forgets what start-up logged.
    void LoadAndClear() {
        ASSERT_TRUE(Load());
        ASSERT_TRUE(w.messages.empty());
        w.log.clear();
    }

    bool Logged(const std::string& entry) const {
        return std::find(w.log.begin(), w.log.end(), entry) != w.log.end();
    }
    size_t IndexOf(const std::string& entry) const {
        return static_cast<size_t>(std::find(w.log.begin(), w.log.end(), entry) - w.log.begin());
    }
};

}  // namespace vantrel::test
