// The main window on Win32: turns window messages into frmMain's events and
// frmMain's view calls into control messages. No decisions are made here.
#pragma once

#include <windows.h>

#include "app/frmMain.h"
#include "platform/controls_win.h"
#include "platform/window_win.h"
#include "shortcut/frmSetting.h"

namespace vantrel::win {

class MainWindow : public Window, public IMainView {
public:
    // `waits`: what the message loop waits for besides messages (the watch).
    MainWindow(Platform platform, LoopWaits& waits)
        : platform_(platform), waits_(waits), form_(*this, platform), setting_(platform) {}

    // Creates the window hidden, runs Form_Load, shows the window and runs
    // the message loop until it is closed. Returns the process exit code.
    int Run(int showCommand);

    // IMainView
    IComboBox& cmbRegImage() override { return cmbRegImage_; }
    IComboBox& cmbRegJS_Switch() override { return cmbRegJS_Switch_; }
    double Width() override;
    double Height() override;
    void SetWidth(int32_t twips) override;
    void SetHeight(int32_t twips) override;
    bool Minimized() override;
    int Dpi() override { return dpi_; }
    void MoveWait(int32_t leftTwips, int32_t topTwips) override;
    void WaitToFront() override;
    void SetWaitVisible(bool visible) override;
    void Refresh() override;
    intptr_t hWnd() override { return reinterpret_cast<intptr_t>(hwnd()); }
    PopupChoice PopupMenu() override;
    void ShowSettingDialog() override;
    void ShowAboutDialog() override;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnListNotify(int id, int code);
    void Pick(int id, bool putBack);
    void OnMouseUp(int16_t button, LPARAM lp);
    SIZE OuterPixels();
    void Resize(int width, int height);

    Platform platform_;
    LoopWaits& waits_;
    bool loaded_ = false;  // resize events reach the logic only after Form_Load
    bool movingDpi_ = false;  // taking the system's suggested size at a new DPI
    ComboBoxWin cmbRegImage_;
    ComboBoxWin cmbRegJS_Switch_;
    frmMain form_;
    // The settings dialog's logic outlives each opening: it remembers the
    // Programs folder between two openings.
    frmSetting setting_;
};

}  // namespace vantrel::win
