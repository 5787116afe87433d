// The about box's design: class, title, controls with their texts, fonts and
// colours, and their places in twips from the client area's top left corner.
#pragma once

#include "platform/controls.h"
#include "resources/version.h"

namespace vantrel::ver_design {

inline constexpr wchar_t kClassName[] = L"VantrelVer";
inline constexpr char kTitle[] = "バージョン情報";

// Creation order is the tab order, so these follow it.
enum ControlId : int {
    kLabel1 = 101,
    kCmdOk = 102,
    kLabel3 = 103,
    kLabel4 = 104,
    kLblURL = 105,
    kLabel5 = 106,
    kImage1 = 107,
};

inline constexpr FontDesign kTitleFont{"Times New Roman", 18, true, false, Charset::Western};
inline constexpr FontDesign kButtonFont{"Times New Roman", 12, true, false, Charset::Western};
inline constexpr FontDesign kVersionFont{"ＭＳ Ｐゴシック", 11.25, true, false, Charset::Japanese};
inline constexpr FontDesign kLineFont{"ＭＳ ゴシック", 11.25, true, false, Charset::Japanese};
inline constexpr FontDesign kLinkFont{"ＭＳ Ｐゴシック", 9, false, true, Charset::Japanese};

constexpr uint32_t kPurple = Rgb(128, 0, 128);

// lblURL's design text "lblURL" is replaced by Form_Load before the first paint.
inline constexpr ControlDesign kControls[] = {
    {kLabel1, ControlKind::Label, "Vantrel", {2040, 960, 1575, 375}, &kTitleFont, Rgb(0, 0, 192)},
    {kCmdOk, ControlKind::Button, "OK", {3720, 2640, 1215, 495}, &kButtonFont},
    {kLabel3, ControlKind::Label, VANTREL_VERSION_SHORT, {3840, 1080, 1215, 255}, &kVersionFont},
    {kLabel4, ControlKind::Label, "インターネットエクスプローラ", {240, 240, 5055, 375}, &kLineFont, kPurple},
    {kLblURL, ControlKind::Link, "lblURL", {480, 2160, 4455, 255}, &kLinkFont, Rgb(0, 0, 255)},
    {kLabel5, ControlKind::Label, "簡単設定ソフト", {240, 480, 4695, 375}, &kLineFont, kPurple},
    {kImage1, ControlKind::Picture, nullptr, {480, 960, 1335, 1035}},
};

inline constexpr WindowDesign kWindow{kClassName, kTitle, 5070, 3225, kControls, std::size(kControls)};

}  // namespace vantrel::ver_design
