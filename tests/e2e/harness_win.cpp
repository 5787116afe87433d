#include "harness_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace e2e {

namespace {

// Every failure of a wait or a step of the desktop is the current test's.
[[maybe_unused]] const bool g_reported = (SetFailureReport([](const std::string& what) { ADD_FAILURE() << what; }), true);

std::wstring Dir(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

}  // namespace

// ---- registry -------------------------------------------------------------------

const wchar_t* const kMainKey = L"Software\\Microsoft\\Internet Explorer\\Main";
const wchar_t* const kZone3Key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
const wchar_t* const kImageValue = L"Display Inline Images";
const wchar_t* const kUserPolicyKey =
    L"Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
const wchar_t* const kMachinePolicyKey = kUserPolicyKey;

std::wstring RegVal::Str() const {
    std::wstring s(data.size() / sizeof(wchar_t), L'\0');
    if (!s.empty()) std::memcpy(&s[0], data.data(), s.size() * sizeof(wchar_t));
    while (!s.empty() && s.back() == L'\0') s.pop_back();
    return s;
}

DWORD RegVal::Dword() const {
    DWORD v = 0;
    if (data.size() >= sizeof v) std::memcpy(&v, data.data(), sizeof v);
    return v;
}

RegVal ReadReg(HKEY root, const std::wstring& key, const std::wstring& name) {
    RegVal v;
    DWORD size = 0;
    if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &v.type, nullptr, &size) !=
        ERROR_SUCCESS)
        return v;
    v.data.resize(size);
    v.exists = RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &v.type, v.data.data(),
                            &size) == ERROR_SUCCESS;
    v.data.resize(size);
    return v;
}

void WriteReg(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
    const LONG rc = RegSetKeyValueW(root, key.c_str(), name.c_str(), type, data.data(), static_cast<DWORD>(data.size()));
    if (rc != ERROR_SUCCESS) ADD_FAILURE() << "cannot write " << (key + L"\\" + name) << " (error " << rc << ")";
}

void WriteRegSz(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    const auto* p = reinterpret_cast<const BYTE*>(value.c_str());
    WriteReg(root, key, name, REG_SZ, std::vector<BYTE>(p, p + (value.size() + 1) * sizeof(wchar_t)));
}

void WriteRegDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
    const auto* p = reinterpret_cast<const BYTE*>(&value);
    WriteReg(root, key, name, REG_DWORD, std::vector<BYTE>(p, p + sizeof value));
}

void DeleteRegValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    const LONG rc = RegDeleteKeyValueW(root, key.c_str(), name.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        ADD_FAILURE() << "cannot delete " << (key + L"\\" + name) << " (error " << rc << ")";
}

void ResetCase() {
    EndProcessesNamed(L"VantrelV1_0.exe");
    EndProcessesNamed(L"winhlp32.exe");
    EndProcessesNamed(L"iexplore.exe");

    const std::wstring picts = L"Software\\Microsoft\\Internet Explorer\\AdvancedOptions\\MULTIMEDIA\\PICTS";
    RegDeleteTreeW(HKEY_CURRENT_USER, kZone3Key);
    // No policy: the prefix has none, and a case that sets one takes it away.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
    DeleteRegValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3",
                   L"1400");
    WriteRegSz(HKEY_LOCAL_MACHINE, picts, L"RegPath", kMainKey);
    WriteRegSz(HKEY_LOCAL_MACHINE, picts, L"CheckedValue", L"yes");
    WriteRegSz(HKEY_LOCAL_MACHINE, picts, L"UncheckedValue", L"no");
    WriteRegSz(HKEY_CURRENT_USER, kMainKey, kImageValue, L"yes");
    WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"1400", 0);
    WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"CurrentLevel", 0x11500);
    WriteReg(HKEY_CURRENT_USER, kZone3Key, L"1C00", REG_BINARY, {0, 0, 0, 0});
    DeleteFileW(L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\VantrelV1_0.lnk");
}

Ink InkOnScreen(const RECT& r) {
    const std::vector<DWORD> px = CaptureScreen(r);
    const int w = r.right - r.left;
    Ink ink;
    int from = w, to = -1;
    for (size_t i = 0; i < px.size(); ++i) {
        const DWORD v = px[i];
        if ((v & 0xFF) + ((v >> 8) & 0xFF) + ((v >> 16) & 0xFF) >= 3 * 80) continue;
        ++ink.pixels;
        from = std::min(from, static_cast<int>(i % w));
        to = std::max(to, static_cast<int>(i % w));
    }
    ink.width = to - from + 1;
    return ink;
}

// ---- the probe ------------------------------------------------------------------------

Probe::Probe(HWND main) : main_(main) {
    sink_ = MakeTopLevelWindow(L"VantrelProbeSink", Sink, L"probe sink");
    SetWindowLongPtrW(sink_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const std::wstring exe = ExePath();
    dll_ = LoadLibraryW((Dir(exe) + L"\\vantrel_probe.dll").c_str());
    const auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(dll_, "ProbeCallWndProc")));
    const auto taken =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(dll_, "ProbeGetMsgProc")));
    const DWORD thread = GetWindowThreadProcessId(main, nullptr);
    hook_ = proc ? SetWindowsHookExW(WH_CALLWNDPROC, proc, dll_, thread) : nullptr;
    getMessageHook_ = hook_ && taken ? SetWindowsHookExW(WH_GETMESSAGE, taken, dll_, thread) : nullptr;
    if (!getMessageHook_) ADD_FAILURE() << "cannot hook the probe into the program (error " << GetLastError() << ")";
}

Probe::~Probe() {
    if (getMessageHook_) UnhookWindowsHookEx(getMessageHook_);
    if (hook_) UnhookWindowsHookEx(hook_);
    DestroyWindow(sink_);
    if (dll_) FreeLibrary(dll_);
}

void Probe::LoadDllRequest() {
    // The hook sees sent messages only.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main_, RegisterWindowMessageW(L"VantrelProbeLoad"), 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &result);
}

bool Probe::Settle(HWND window) {
    static const UINT barrier = RegisterWindowMessageW(L"VantrelProbeBarrier");
    // Two rounds: what the first round's input posted lies behind the first
    // barrier, and so before the second.
    for (int round = 0; round < 2; ++round) {
        const WPARAM n = ++barriers_;
        if (!PostMessageW(window, barrier, n, 0) ||
            !WaitUntil("the program to handle what was posted to it", [&] { return seen.barrier >= n; }))
            return false;
    }
    return true;
}

LRESULT CALLBACK Probe::Sink(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Probe*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (self && msg == WM_APP) self->seen.shown.emplace_back(reinterpret_cast<HWND>(wp), lp != 0);
    if (self && msg == WM_APP + 1) self->seen.loads.push_back(static_cast<DWORD>(wp));
    if (self && msg == WM_APP + 2) ++self->seen.plantedMarks;
    if (self && msg == WM_APP + 3) self->seen.barrier = std::max(self->seen.barrier, wp);
    return DefWindowProcW(h, msg, wp, lp);
}

HWND ProgramCase::Start(const std::wstring& exe) {
    return main = app.Start(exe) ? app.WaitMain() : nullptr;
}

std::wstring Recorded() {
    HANDLE f = CreateFileW(kRecordedUrlFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return L"";
    wchar_t buf[512] = {};
    DWORD got = 0;
    ReadFile(f, buf, sizeof buf - sizeof(wchar_t), &got, nullptr);
    CloseHandle(f);
    return buf;
}

void ProgramCase::TearDown() {
    probe_.reset();
    ResetCase();
    for (auto s = saved_.rbegin(); s != saved_.rend(); ++s) {
        if (s->value.exists) WriteReg(s->root, s->key, s->name, s->value.type, s->value.data);
        else DeleteRegValue(s->root, s->key, s->name);
    }
    saved_.clear();
    DeleteFileW(kRecordedUrlFile);
}

void ProgramCase::Replace(HKEY root, const std::wstring& key, const std::wstring& name,
                          const std::optional<std::wstring>& text) {
    saved_.push_back({root, key, name, ReadReg(root, key, name)});
    if (text) WriteRegSz(root, key, name, *text);
    else DeleteRegValue(root, key, name);
}

void ProgramCase::RecordWhatTheHandlerGets(const std::wstring& commandKey) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    Replace(HKEY_LOCAL_MACHINE, commandKey, L"", L"\"" + std::wstring(self) + L"\" --record-url \"%1\"");
    DeleteFileW(kRecordedUrlFile);
}

Probe& ProgramCase::probe() {
    if (!probe_) probe_ = std::make_unique<Probe>(main);
    return *probe_;
}

bool ProgramCase::ReadyForInput() {
    return WaitUntil("the main window in front", [&] { return GetForegroundWindow() == main; }) && Settle(main);
}

HWND ProgramCase::Open(int item, const wchar_t* cls, const char* title) {
    return ChooseMainMenuItem(main, item) ? app.WaitWindow(cls, W(title).c_str()) : nullptr;
}

}  // namespace e2e
