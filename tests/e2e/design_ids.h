// Names the end-to-end tests use for the windows' designs.
#pragma once

#include "about/FrmVer_design.h"
#include "app/frmMain_design.h"
#include "shortcut/frmSetting_design.h"

namespace vantrel {

inline constexpr const wchar_t* kMainWindowClass = main_design::kClassName;
inline constexpr wchar_t kMainWindowTitle[] = L"Vantrel";
inline constexpr int kIdCmbRegImage = main_design::kCmbRegImage;
inline constexpr int kIdLblShowImage = main_design::kLblShowImage;
inline constexpr int kIdLblScriptExecute = main_design::kLblScriptExecute;
inline constexpr int kIdCmbRegJS_Switch = main_design::kCmbRegJS_Switch;
inline constexpr int kIdFraWait = main_design::kFraWait;

namespace layout {
using vantrel::Box;
inline constexpr int32_t kClientWidth = main_design::kWindow.clientWidth;
inline constexpr int32_t kClientHeight = main_design::kWindow.clientHeight;
inline constexpr Box kCmbRegImage = main_design::kControls[0].box;
inline constexpr Box kLblShowImage = main_design::kControls[1].box;
inline constexpr Box kLblScriptExecute = main_design::kControls[2].box;
inline constexpr Box kCmbRegJS_Switch = main_design::kControls[3].box;
inline constexpr Box kFraWait = main_design::kControls[4].box;
}  // namespace layout

namespace ver {
using vantrel::Box;
inline constexpr const wchar_t* kClassName = ver_design::kClassName;
inline constexpr const char* kCaption = ver_design::kTitle;
inline constexpr int32_t kClientWidth = ver_design::kWindow.clientWidth;
inline constexpr int32_t kClientHeight = ver_design::kWindow.clientHeight;
inline constexpr int kIdLabel1 = ver_design::kLabel1, kIdCmdOk = ver_design::kCmdOk, kIdLabel3 = ver_design::kLabel3,
                     kIdLabel4 = ver_design::kLabel4, kIdLblURL = ver_design::kLblURL, kIdLabel5 = ver_design::kLabel5,
                     kIdImage1 = ver_design::kImage1;
inline constexpr Box kLabel1Box = ver_design::kControls[0].box, kCmdOkBox = ver_design::kControls[1].box,
                     kLabel3Box = ver_design::kControls[2].box, kLabel4Box = ver_design::kControls[3].box,
                     kLblURLBox = ver_design::kControls[4].box, kLabel5Box = ver_design::kControls[5].box,
                     kImage1Box = ver_design::kControls[6].box;
}  // namespace ver

namespace setting_ids {
inline constexpr const wchar_t* kClassNameW = setting_design::kClassName;
inline constexpr wchar_t kCaptionW[] = L"環境設定";
using namespace setting_design;
}  // namespace setting_ids

}  // namespace vantrel
