// The about box FrmVer: its texts and design, and what it does on each event.
// The window layer creates the controls and turns messages into these calls.
#pragma once

#include <cstdint>
#include <string>

#include "platform/controls.h"
#include "platform/gateway.h"

namespace vantrel {

// Shown by lblURL and opened by a click on it; the two must stay one text.
constexpr char kHomePageUrl[] = "http://www.example.jp/vantrel/";

namespace ver {

constexpr char kLabel1Text[] = "Vantrel";
constexpr char kCmdOkText[] = "OK";
constexpr char kLabel3Text[] = "Ver.1.0";
constexpr char kLabel4Text[] = u8"インターネットエクスプローラ";
constexpr char kLabel5Text[] = u8"簡単設定ソフト";
// lblURL's design-time text; Form_Load replaces it before the first paint.
constexpr char kLblURLDesignText[] = "lblURL";

constexpr char kFaceTimes[] = "Times New Roman";
constexpr char kFacePGothic[] = u8"ＭＳ Ｐゴシック";
constexpr char kFaceGothic[] = u8"ＭＳ ゴシック";

// Design geometry in twips, from the client area's top left corner.
using vantrel::Box;
constexpr int32_t kClientWidth = 5070;
constexpr int32_t kClientHeight = 3225;
constexpr Box kLabel1Box{2040, 960, 1575, 375};
constexpr Box kCmdOkBox{3720, 2640, 1215, 495};
constexpr Box kLabel3Box{3840, 1080, 1215, 255};
constexpr Box kLabel4Box{240, 240, 5055, 375};
constexpr Box kLblURLBox{480, 2160, 4455, 255};
constexpr Box kLabel5Box{240, 480, 4695, 375};
constexpr Box kImage1Box{480, 960, 1335, 1035};

}  // namespace ver

class IVerView {
public:
    virtual ~IVerView() = default;
    virtual void SetURLText(const std::string& text) = 0;
    // Gives the input focus to the dialog (its only focusable control).
    virtual void SetFocus() = 0;
    // Closes the dialog for good; the next opening builds a new one.
    virtual void Unload() = 0;
};

class FrmVer {
public:
    FrmVer(IVerView& view, Platform platform) : view_(view), p_(platform) {}

    void Form_Load();
    void Form_Activate();
    void CmdOk_Click();
    void Form_Unload();
    void lblURL_Click();

private:
    void OpenHomePage();

    IVerView& view_;
    Platform p_;
};

}  // namespace vantrel
