// The main window on Win32: turns window messages into frmMain's events and
// frmMain's view calls into control messages. No decisions are made here.
#pragma once

#include <windows.h>

#include "app/frmMain.h"
#include "platform/ui_win.h"
#include "shortcut/frmSetting.h"

namespace vantrel::win {

// A CBS_DROPDOWNLIST combobox.
class ComboBoxWin : public IComboBox {
public:
    void Attach(HWND h) { h_ = h; }
    HWND hwnd() const { return h_; }
    void Clear() override;
    void AddItem(const std::string& text) override;
    void SetText(const std::string& text) override;
    int16_t ListIndex() override;
    void SetEnabled(bool enabled) override;

private:
    HWND h_ = nullptr;
};

class MainWindow : public IMainView {
public:
    MainWindow(HINSTANCE instance, Platform platform);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // Creates the window hidden, runs Form_Load, shows it and runs the message
    // loop until the window is closed. Returns the process exit code.
    int Run(int showCommand);

    // IMainView
    IComboBox& cmbRegImage() override { return cmbRegImage_; }
    IComboBox& cmbRegJS_Switch() override { return cmbRegJS_Switch_; }
    double Width() override;
    double Height() override;
    void SetWidth(int32_t twips) override;
    void SetHeight(int32_t twips) override;
    bool IsMinimized() override;
    void MoveWait(int32_t leftTwips, int32_t topTwips) override;
    void WaitToFront() override;
    void SetWaitVisible(bool visible) override;
    void Refresh() override;
    intptr_t hWnd() override { return reinterpret_cast<intptr_t>(hwnd_); }
    PopupChoice PopupMenu() override;
    void ShowSettingDialog() override;
    void ShowAboutDialog() override;

private:
    // What a drop-down list is doing, so that one pick writes once.
    struct ListState {
        bool dropped = false;
        bool pickQueued = false;
        int selAtDrop = -1;
    };

    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void OnComboNotify(int id, int code);
    void QueuePick(int id, ListState& st);
    void Pick(int id);
    void OnMouseUp(int16_t button, WPARAM wp, LPARAM lp);
    void RestoreFocus();

    HINSTANCE instance_;
    Platform platform_;
    HWND hwnd_ = nullptr;
    HWND lblShowImage_ = nullptr;
    HWND lblScriptExecute_ = nullptr;
    HWND fraWait_ = nullptr;
    HWND lblWait_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool loaded_ = false;  // resize events reach the logic only after Form_Load
    ComboBoxWin cmbRegImage_;
    ComboBoxWin cmbRegJS_Switch_;
    ListState imageList_;
    ListState scriptList_;
    Font waitFont_;
    frmMain form_;
    // The settings dialog's logic outlives each opening: it remembers the
    // Programs folder between two openings.
    frmSetting setting_;
};

}  // namespace vantrel::win
