// The 環境設定 dialog's design: class, title, controls and their places in
// twips. None of the ids is IDOK or IDCANCEL, so that no dialog key handling
// can turn Enter or Escape into a button press.
#pragma once

#include "platform/controls.h"

namespace vantrel::setting_design {

inline constexpr wchar_t kClassName[] = L"VantrelSetting";
inline constexpr char kTitle[] = "環境設定";

enum ControlId : int {
    kLabel1 = 101,
    kOptCreate = 102,  // optSetToProgramsFolder(0)
    kOptRemove = 103,  // optSetToProgramsFolder(1)
    kLblInfo = 104,
    kCmdOk = 105,
    kCmdCancel = 106,
};

inline constexpr FontDesign kHeadingFont{"ＭＳ ゴシック", 14.25, true, false, Charset::Japanese};
inline constexpr FontDesign kButtonFont{"Times New Roman", 12, true, false, Charset::Western};

// In tab order. The option pair is one group; lblInfo, indented under the
// create option it belongs to, starts the next.
inline constexpr ControlDesign kControls[] = {
    {kLabel1, ControlKind::Label, kTitle, {240, 120, 1575, 375}, &kHeadingFont, Rgb(0, 0, 192)},
    {kOptCreate, ControlKind::Option, "「プログラム」メニューにショートカットを作成", {360, 600, 3735, 375}},
    {kOptRemove, ControlKind::Option, "「プログラム」メニューからショートカットをはずす", {360, 1440, 3975, 375}},
    {kLblInfo, ControlKind::Label, "ショートカットを作成すると CTRL + ALT+ S で  Vantrelが起動できるようになります",
     {720, 960, 3495, 375}, nullptr, Rgb(0, 0, 128)},
    {kCmdOk, ControlKind::Button, "OK", {2160, 2040, 1215, 495}, &kButtonFont},
    {kCmdCancel, ControlKind::Button, "Cancel", {3360, 2040, 1215, 495}, &kButtonFont},
};

inline constexpr WindowDesign kWindow{kClassName, kTitle, 4680, 2670, kControls, std::size(kControls)};

}  // namespace vantrel::setting_design
