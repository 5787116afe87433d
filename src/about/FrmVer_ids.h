// What the about box's window layer and the end-to-end tests agree on: the
// window class, the title and the control identifiers.
#pragma once

namespace vantrel::ver {

constexpr wchar_t kClassName[] = L"VantrelVer";
constexpr char kCaption[] = u8"バージョン情報";

// Creation order is the tab order, so these follow it.
constexpr int kIdLabel1 = 101;
constexpr int kIdCmdOk = 102;
constexpr int kIdLabel3 = 103;
constexpr int kIdLabel4 = 104;
constexpr int kIdLblURL = 105;
constexpr int kIdLabel5 = 106;
constexpr int kIdImage1 = 107;

}  // namespace vantrel::ver
