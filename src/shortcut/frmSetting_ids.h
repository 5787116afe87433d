// What identifies the 環境設定 dialog and its controls from outside: the
// window class and caption, and the control ids (the end-to-end tests find
// the controls by them). None of the ids is IDOK or IDCANCEL, so that no
// dialog key handling can turn Enter or Escape into a button press.
#pragma once

namespace vantrel::setting_ids {

constexpr char kClassName[] = "VantrelSetting";
constexpr wchar_t kClassNameW[] = L"VantrelSetting";
constexpr char kCaption[] = "環境設定";
constexpr wchar_t kCaptionW[] = L"環境設定";

constexpr int kLabel1 = 101;
constexpr int kOptCreate = 102;  // optSetToProgramsFolder(0)
constexpr int kOptRemove = 103;  // optSetToProgramsFolder(1)
constexpr int kLblInfo = 104;
constexpr int kCmdOk = 105;
constexpr int kCmdCancel = 106;

}  // namespace vantrel::setting_ids
