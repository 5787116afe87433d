// The main window's design: class, title, controls and their places in
// twips. The window layer builds the window from it; the tests find the
// controls by these ids.
#pragma once

#include "platform/controls.h"

namespace vantrel::main_design {

inline constexpr wchar_t kClassName[] = L"VantrelMain";

// 1 and 2 are left alone: the dialog manager's keyboard handling sends
// IDOK/IDCANCEL for Enter and Escape, and those must reach no control.
enum ControlId : int {
    kCmbRegImage = 101,
    kLblShowImage = 102,
    kLblScriptExecute = 103,
    kCmbRegJS_Switch = 104,
    kFraWait = 105,
    kLblWait = 106,
};

enum MenuId : int { kMnuSetting = 201, kMnuHelp = 202, kMnuAbout = 203 };

// mnuPopup's items in their order; the one without an id is mnuSeparator1.
struct MenuItem {
    int id;
    const char* caption;
};
inline constexpr MenuItem kPopupMenu[] = {
    {kMnuSetting, "設定"}, {kMnuHelp, "ヘルプ"}, {0, nullptr}, {kMnuAbout, "about..."}};

inline constexpr FontDesign kWaitFont{"ＭＳ Ｐゴシック", 11.25, true, false, Charset::Japanese};
// The open list has room for the longer list's three entries and more.
inline constexpr int32_t kOpenListHeight = 1500;

// In tab order. The label boxes reach under the lists' left edge; the lists
// lie on top. At design the wait panel lies below the client area, out of
// sight even when shown.
inline constexpr ControlDesign kControls[] = {
    {kCmbRegImage, ControlKind::List, nullptr, {1320, 0, 1815, 300}, nullptr, kSystemColour, 0, kOpenListHeight},
    {kLblShowImage, ControlKind::Label, "画像の表示", {360, 60, 1215, 255}},
    {kLblScriptExecute, ControlKind::Label, "スクリプトの実行", {0, 360, 1335, 255}},
    {kCmbRegJS_Switch, ControlKind::List, nullptr, {1320, 310, 1815, 300}, nullptr, kSystemColour, 0, kOpenListHeight},
    {kFraWait, ControlKind::Panel, nullptr, {1320, 720, 1815, 300}},
    {kLblWait, ControlKind::Label, "設定中...", {240, 25, 1095, 255}, &kWaitFont, kSystemColour, kFraWait},
};

inline constexpr WindowDesign kWindow{kClassName, "Vantrel", 3135, 630, kControls, std::size(kControls)};

// Where the wait panel goes while a pick is written: exactly over cmbRegImage.
inline constexpr int32_t kWaitLeft = 1320;
inline constexpr int32_t kWaitTop = 0;

}  // namespace vantrel::main_design
