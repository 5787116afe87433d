// The main window's design geometry in twips. The window layer converts it
// to pixels at the system DPI in one place, so the whole window scales.
#pragma once

#include <cstdint>

#include "platform/controls.h"

namespace vantrel::layout {

using vantrel::Box;

constexpr int32_t kClientWidth = 3135;
constexpr int32_t kClientHeight = 630;

constexpr Box kCmbRegImage{1320, 0, 1815, 300};
constexpr Box kLblShowImage{360, 60, 1215, 255};
constexpr Box kLblScriptExecute{0, 360, 1335, 255};
constexpr Box kCmbRegJS_Switch{1320, 310, 1815, 300};
// At design the panel lies below the client area, out of sight even when shown.
constexpr Box kFraWait{1320, 720, 1815, 300};
constexpr Box kLblWait{240, 25, 1095, 255};  // inside fraWait

// Where the panel goes while a pick is written: exactly over cmbRegImage.
constexpr int32_t kWaitLeft = 1320;
constexpr int32_t kWaitTop = 0;

}  // namespace vantrel::layout
