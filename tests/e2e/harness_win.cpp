// The end-to-end harness. Everything here goes through the window system as
// another process would: top-level windows are found with EnumWindows, child
// texts are read with WM_GETTEXT through SendMessageTimeout (so a hung program
// fails a test instead of hanging it), and anything that may open a modal
// window is posted, never sent.
#include "harness_win.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <sstream>

namespace e2e {

namespace {

// Messages for windows of this thread (the self-tests create some) must be
// dispatched while a wait runs, or a posted click would never be handled.
void PumpOwnMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

std::string Hex(unsigned long v) {
    std::ostringstream o;
    o << "0x" << std::hex << v;
    return o.str();
}

LRESULT SendTimeout(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool* ok = nullptr) {
    DWORD_PTR result = 0;
    LRESULT r = SendMessageTimeoutW(h, msg, wp, lp, SMTO_NORMAL | SMTO_ABORTIFHUNG, kTimeoutMs, &result);
    if (ok) *ok = r != 0;
    return static_cast<LRESULT>(result);
}

LPARAM PointParam(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

std::wstring Dir(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

// ---- processes by image name (Toolhelp) ----
std::vector<DWORD> ProcessesNamed(const wchar_t* exeName) {
    std::vector<DWORD> pids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return pids;
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32FirstW(snap, &pe); more; more = Process32NextW(snap, &pe)) {
        if (Lower(pe.szExeFile) == Lower(exeName) && pe.th32ProcessID != GetCurrentProcessId())
            pids.push_back(pe.th32ProcessID);
    }
    CloseHandle(snap);
    return pids;
}

void TerminateNamed(const wchar_t* exeName) {
    for (DWORD pid : ProcessesNamed(exeName)) {
        HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!h) continue;
        TerminateProcess(h, 1);
        WaitForSingleObject(h, 5000);
        CloseHandle(h);
    }
}

// ---- message box icons ----
// A message box's icon handle belongs to the box's process and does not
// compare equal to the same system icon loaded here, so the icon is told by
// its pixels: the static is read from the screen and compared with the system
// icons drawn here on the same background.
struct Pixels {
    int w = 0, h = 0;
    std::vector<DWORD> bits;
};

Pixels Grab(HDC src, int x, int y, int w, int h) {
    Pixels p;
    p.w = w;
    p.h = h;
    HDC mem = CreateCompatibleDC(src);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp && bits) {
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, src, x, y, SRCCOPY);
        GdiFlush();
        const DWORD* px = static_cast<const DWORD*>(bits);
        p.bits.assign(px, px + static_cast<size_t>(w) * h);
        SelectObject(mem, old);
    }
    if (bmp) DeleteObject(bmp);
    DeleteDC(mem);
    for (DWORD& v : p.bits) v &= 0x00FFFFFF;
    return p;
}

Pixels Render(HICON icon, int w, int h, COLORREF background) {
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    HBRUSH brush = CreateSolidBrush(background);
    RECT r{0, 0, w, h};
    FillRect(mem, &r, brush);
    DeleteObject(brush);
    // The static draws the icon at its natural size in its top-left corner.
    DrawIconEx(mem, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    Pixels p = Grab(mem, 0, 0, w, h);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return p;
}

double Likeness(const Pixels& a, const Pixels& b) {
    if (a.bits.empty() || a.bits.size() != b.bits.size()) return 0;
    size_t same = 0;
    for (size_t i = 0; i < a.bits.size(); ++i) {
        const DWORD x = a.bits[i], y = b.bits[i];
        const int dr = static_cast<int>(x & 0xFF) - static_cast<int>(y & 0xFF);
        const int dg = static_cast<int>((x >> 8) & 0xFF) - static_cast<int>((y >> 8) & 0xFF);
        const int db = static_cast<int>((x >> 16) & 0xFF) - static_cast<int>((y >> 16) & 0xFF);
        if (std::abs(dr) <= 8 && std::abs(dg) <= 8 && std::abs(db) <= 8) ++same;
    }
    return static_cast<double>(same) / static_cast<double>(a.bits.size());
}

MsgBox::Icon ClassifyIcon(HWND iconStatic) {
    RECT rc = ClientRect(iconStatic);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return MsgBox::Icon::Other;
    // The box must have painted itself before it is read from the screen.
    Sync(GetAncestor(iconStatic, GA_ROOT));
    RedrawWindow(iconStatic, nullptr, nullptr, RDW_UPDATENOW);
    POINT origin{0, 0};
    ClientToScreen(iconStatic, &origin);
    HDC screen = GetDC(nullptr);
    Pixels shown = Grab(screen, origin.x, origin.y, w, h);
    ReleaseDC(nullptr, screen);
    if (shown.bits.empty()) return MsgBox::Icon::Other;
    // Icon corners are transparent: the corner pixel is the box's background.
    const DWORD bg = shown.bits[0];
    const COLORREF background = RGB((bg >> 16) & 0xFF, (bg >> 8) & 0xFF, bg & 0xFF);
    const double hand = Likeness(shown, Render(LoadIcon(nullptr, IDI_HAND), w, h, background));
    const double info = Likeness(shown, Render(LoadIcon(nullptr, IDI_ASTERISK), w, h, background));
    constexpr double kMatch = 0.97;
    if (hand >= kMatch && hand > info) return MsgBox::Icon::Hand;
    if (info >= kMatch && info > hand) return MsgBox::Icon::Information;
    return MsgBox::Icon::Other;
}

struct EnumCtx {
    DWORD pid;
    const wchar_t* cls;
    const wchar_t* title;
    bool visibleOnly;
    std::vector<HWND>* out;
};

BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<EnumCtx*>(lp);
    if (c->visibleOnly && !IsWindowVisible(h)) return TRUE;
    if (c->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid != c->pid) return TRUE;
    }
    if (c->cls && ClassOf(h) != c->cls) return TRUE;
    if (c->title) {
        wchar_t buf[512] = {};
        GetWindowTextW(h, buf, 512);
        if (std::wstring(buf) != c->title) return TRUE;
    }
    c->out->push_back(h);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> out;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&out));
    return out;
}

HWND MsgBoxOf(DWORD pid) {
    for (HWND h : TopWindows(pid, L"#32770", nullptr))
        if (GetDlgItem(h, 0xFFFF)) return h;
    return nullptr;
}

void PostMouse(HWND h, POINT client, UINT down, UINT up, WPARAM downKeys) {
    POINT screen = client;
    ClientToScreen(h, &screen);
    // A menu opened "at the pointer" reads the cursor position, not the message.
    SetCursorPos(screen.x, screen.y);
    // Wine moves the X pointer asynchronously: wait until the move is seen,
    // or the program may open its menu at the previous position.
    for (int i = 0; i < 50; ++i) {
        POINT now{};
        if (GetCursorPos(&now) && now.x == screen.x && now.y == screen.y) break;
        Sleep(10);
    }
    PostMessageW(h, WM_MOUSEMOVE, 0, PointParam(client));
    PostMessageW(h, down, downKeys, PointParam(client));
    PostMessageW(h, up, 0, PointParam(client));
}

}  // namespace

// ---- paths --------------------------------------------------------------------

std::wstring ExePath() {
    wchar_t env[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"VANTREL_EXE", env, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return env;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return Dir(self) + L"\\VantrelV1_0.exe";
}

// ---- registry -------------------------------------------------------------------

const wchar_t* const kPictsKey = L"Software\\Microsoft\\Internet Explorer\\AdvancedOptions\\MULTIMEDIA\\PICTS";
const wchar_t* const kMainKey = L"Software\\Microsoft\\Internet Explorer\\Main";
const wchar_t* const kZone3Key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

std::wstring RegVal::Str() const {
    std::wstring s(data.size() / sizeof(wchar_t), L'\0');
    if (!s.empty()) memcpy(&s[0], data.data(), s.size() * sizeof(wchar_t));
    while (!s.empty() && s.back() == L'\0') s.pop_back();
    return s;
}

DWORD RegVal::Dword() const {
    DWORD v = 0;
    if (data.size() >= sizeof v) memcpy(&v, data.data(), sizeof v);
    return v;
}

RegVal ReadReg(HKEY root, const std::wstring& key, const std::wstring& name) {
    RegVal v;
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return v;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(h, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        v.data.resize(size);
        if (RegQueryValueExW(h, name.c_str(), nullptr, &type, size ? v.data.data() : nullptr, &size) ==
            ERROR_SUCCESS) {
            v.exists = true;
            v.type = type;
            v.data.resize(size);
        } else {
            v.data.clear();
        }
    }
    RegCloseKey(h);
    return v;
}

void WriteRegRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                 const std::vector<BYTE>& data) {
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr);
    if (rc != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot create registry key " << U8(key) << " (error " << rc << ")";
        return;
    }
    rc = RegSetValueExW(h, name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                        static_cast<DWORD>(data.size()));
    if (rc != ERROR_SUCCESS)
        ADD_FAILURE() << "cannot write registry value " << U8(key) << "\\" << U8(name) << " (error " << rc << ")";
    RegCloseKey(h);
}

void WriteRegSz(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    const BYTE* p = reinterpret_cast<const BYTE*>(value.c_str());
    WriteRegRaw(root, key, name, REG_SZ, std::vector<BYTE>(p, p + (value.size() + 1) * sizeof(wchar_t)));
}

void WriteRegDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&value);
    WriteRegRaw(root, key, name, REG_DWORD, std::vector<BYTE>(p, p + sizeof value));
}

void DeleteRegValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return;
    LONG rc = RegDeleteValueW(h, name.c_str());
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        ADD_FAILURE() << "cannot delete registry value " << U8(key) << "\\" << U8(name) << " (error " << rc << ")";
}

void DeleteRegTree(HKEY root, const std::wstring& key) {
    LONG rc = RegDeleteTreeW(root, key.c_str());
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
        RegDeleteKeyW(root, key.c_str());  // RegDeleteTree leaves the key itself
        return;
    }
    ADD_FAILURE() << "cannot delete registry key " << U8(key) << " (error " << rc << ")";
}

void ResetCase() {
    // Programs a previous case left behind: the program itself, the help
    // viewer's "ERROR" box, browser windows opened from the about box.
    TerminateNamed(L"VantrelV1_0.exe");
    TerminateNamed(L"winhlp32.exe");
    for (HWND h : TopWindows(0, L"IEFrame", nullptr, false)) PostMessageW(h, WM_CLOSE, 0, 0);
    WaitUntil("browser windows left by an earlier case to close",
              [] { return TopWindows(0, L"IEFrame", nullptr, false).empty(); });
    TerminateNamed(L"iexplore.exe");

    DeleteRegTree(HKEY_LOCAL_MACHINE, kPictsKey);
    DeleteRegValue(HKEY_CURRENT_USER, kMainKey, L"Display Inline Images");
    DeleteRegTree(HKEY_CURRENT_USER, kZone3Key);
    WriteRegSz(HKEY_LOCAL_MACHINE, kPictsKey, L"RegPath", L"Software\\Microsoft\\Internet Explorer\\Main");
    WriteRegSz(HKEY_LOCAL_MACHINE, kPictsKey, L"CheckedValue", L"yes");
    WriteRegSz(HKEY_LOCAL_MACHINE, kPictsKey, L"UncheckedValue", L"no");
    WriteRegSz(HKEY_CURRENT_USER, kMainKey, L"Display Inline Images", L"yes");
    WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"1400", 0);
    WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"CurrentLevel", 0x11500);
    WriteRegRaw(HKEY_CURRENT_USER, kZone3Key, L"1C00", REG_BINARY, {0, 0, 0, 0});

    std::vector<std::wstring> folders = {L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"};
    wchar_t programs[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs)))
        folders.push_back(programs);
    for (const auto& f : folders) {
        const std::wstring lnk = f + L"\\VantrelV1_0.lnk";
        if (FileExists(lnk) && !DeleteFileW(lnk.c_str()))
            ADD_FAILURE() << "cannot delete " << U8(lnk) << " (error " << GetLastError() << ")";
    }
}

RegTree SaveRegTree(HKEY root, const std::wstring& key) {
    RegTree t;
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return t;
    t.exists = true;
    DWORD maxName = 0, maxData = 0, maxSub = 0;
    RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, &maxSub, nullptr, nullptr, &maxName, &maxData, nullptr,
                     nullptr);
    for (DWORD i = 0;; ++i) {
        std::wstring name(maxName + 1, L'\0');
        std::vector<BYTE> data(maxData + 2);
        DWORD nameLen = static_cast<DWORD>(name.size()), dataLen = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueW(h, i, &name[0], &nameLen, nullptr, &type, data.data(), &dataLen) != ERROR_SUCCESS) break;
        name.resize(nameLen);
        data.resize(dataLen);
        t.values.push_back({name, type, data});
    }
    for (DWORD i = 0;; ++i) {
        std::wstring name(maxSub + 1, L'\0');
        DWORD nameLen = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(h, i, &name[0], &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        name.resize(nameLen);
        t.subkeys.emplace_back(name, RegTree{});
    }
    RegCloseKey(h);
    for (auto& sub : t.subkeys) sub.second = SaveRegTree(root, key + L"\\" + sub.first);
    return t;
}

namespace {
void WriteRegTree(HKEY root, const std::wstring& key, const RegTree& tree) {
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr);
    if (rc != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot recreate registry key " << U8(key) << " (error " << rc << ")";
        return;
    }
    for (const auto& v : tree.values) {
        rc = RegSetValueExW(h, v.name.c_str(), 0, v.type, v.data.empty() ? nullptr : v.data.data(),
                            static_cast<DWORD>(v.data.size()));
        if (rc != ERROR_SUCCESS)
            ADD_FAILURE() << "cannot restore " << U8(key) << "\\" << U8(v.name) << " (error " << rc << ")";
    }
    RegCloseKey(h);
    for (const auto& sub : tree.subkeys) WriteRegTree(root, key + L"\\" + sub.first, sub.second);
}
}  // namespace

void RestoreRegTree(HKEY root, const std::wstring& key, const RegTree& tree) {
    DeleteRegTree(root, key);
    if (tree.exists) WriteRegTree(root, key, tree);
}

// ---- registry snapshots -----------------------------------------------------------

namespace {

std::wstring LowerPath(const std::wstring& s) {
    std::wstring out(s);
    if (!out.empty()) CharLowerBuffW(&out[0], static_cast<DWORD>(out.size()));
    return out;
}

bool Skipped(const std::wstring& key, const std::vector<std::wstring>& skip) {
    const std::wstring k = LowerPath(key);
    for (const auto& s : skip)
        if (LowerPath(s) == k) return true;
    return false;
}

// Depth first; a key that cannot be opened (access) is still recorded as a key.
void SnapshotKey(RegSnapshot& into, HKEY root, const std::wstring& rootName, const std::wstring& key,
                 const std::vector<std::wstring>& skip) {
    if (!key.empty() && Skipped(key, skip)) return;
    const std::wstring path = key.empty() ? rootName : rootName + L"\\" + key;
    into.keys[LowerPath(path)] = path;
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key.empty() ? nullptr : key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return;
    DWORD maxSub = 0, maxName = 0, maxData = 0;
    RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, &maxSub, nullptr, nullptr, &maxName, &maxData, nullptr,
                     nullptr);
    for (DWORD i = 0;; ++i) {
        std::wstring name(maxName + 2, L'\0');
        std::vector<BYTE> data(maxData + 2);
        DWORD nameLen = static_cast<DWORD>(name.size()), dataLen = static_cast<DWORD>(data.size()), type = 0;
        LONG rc = RegEnumValueW(h, i, &name[0], &nameLen, nullptr, &type, data.data(), &dataLen);
        if (rc == ERROR_MORE_DATA) {  // grew since the query: ask for the sizes again
            RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                             nullptr, nullptr);
            --i;
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        name.resize(nameLen);
        data.resize(dataLen);
        const std::wstring vpath = path + L"\\\\" + name;
        into.values[LowerPath(vpath)] = {vpath, RegData{type, data}};
    }
    std::vector<std::wstring> subs;
    for (DWORD i = 0;; ++i) {
        std::wstring name(maxSub + 2, L'\0');
        DWORD nameLen = static_cast<DWORD>(name.size());
        LONG rc = RegEnumKeyExW(h, i, &name[0], &nameLen, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) {
            RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, &maxSub, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr);
            --i;
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        name.resize(nameLen);
        subs.push_back(name);
    }
    RegCloseKey(h);
    for (const auto& s : subs) SnapshotKey(into, root, rootName, key.empty() ? s : key + L"\\" + s, skip);
}

std::string Quoted(const RegData& d) {
    std::ostringstream o;
    o << TypeName(d.type) << " ";
    if (d.type == REG_SZ || d.type == REG_EXPAND_SZ) {
        RegVal v;
        v.data = d.bytes;
        std::wstring s = v.Str();
        if (s.size() > 40) s = s.substr(0, 40) + L"...";
        o << "'" << U8(s) << "'";
    } else {
        o << "[";
        for (size_t i = 0; i < d.bytes.size() && i < 16; ++i) o << (i ? " " : "") << static_cast<int>(d.bytes[i]);
        if (d.bytes.size() > 16) o << " ...";
        o << "]";
    }
    return o.str();
}

}  // namespace

std::string TypeName(DWORD type) {
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "type " + std::to_string(type);
    }
}

void SnapshotInto(RegSnapshot& into, HKEY root, const wchar_t* rootName, const std::wstring& key,
                  const std::vector<std::wstring>& skip) {
    SnapshotKey(into, root, rootName, key, skip);
}

RegSnapshot SnapshotRegistry() {
    RegSnapshot s;
    SnapshotInto(s, HKEY_CURRENT_USER, L"HKCU");
    SnapshotInto(s, HKEY_LOCAL_MACHINE, L"HKLM", L"", {L"System\\CurrentControlSet"});
    return s;
}

std::vector<RegChange> DiffRegistry(const RegSnapshot& before, const RegSnapshot& after) {
    std::vector<RegChange> out;
    auto add = [&out](const std::wstring& path, bool isKey, bool was, bool now, const RegData* oldData,
                      const RegData* newData) {
        RegChange c;
        c.path = path;
        c.isKey = isKey;
        c.before = was;
        c.after = now;
        if (oldData) c.was = *oldData;
        if (newData) c.now = *newData;
        out.push_back(std::move(c));
    };
    for (const auto& [k, path] : before.keys)
        if (!after.keys.count(k)) add(path, true, true, false, nullptr, nullptr);
    for (const auto& [k, path] : after.keys)
        if (!before.keys.count(k)) add(path, true, false, true, nullptr, nullptr);
    for (const auto& [k, v] : before.values) {
        auto it = after.values.find(k);
        if (it == after.values.end()) add(v.first, false, true, false, &v.second, nullptr);
        else if (it->second.second != v.second) add(v.first, false, true, true, &v.second, &it->second.second);
    }
    for (const auto& [k, v] : after.values)
        if (!before.values.count(k)) add(v.first, false, false, true, nullptr, &v.second);
    return out;
}

// Keys that Wine itself creates or rewrites, whatever the program does;
// compared as path prefixes, without regard to case. A start and close of
// Vantrel changes nothing at all, not even here.
const wchar_t* const kWineHousekeeping[] = {
    // Wine's user32 keeps a volatile copy of the system parameters here and
    // creates its "Control Panel\Mouse" subkey (without values) the first
    // time a mouse parameter is asked for in a wineserver session: opening a
    // drop-down list is enough. It lives only as long as the wineserver and
    // holds nothing of the browser's settings.
    L"HKCU\\Software\\Wine\\Temporary System Parameters",
};

std::vector<RegChange> WithoutWineHousekeeping(std::vector<RegChange> changes) {
    auto housekeeping = [](const RegChange& c) {
        const std::wstring p = LowerPath(c.path);
        for (const wchar_t* k : kWineHousekeeping) {
            const std::wstring prefix = LowerPath(k);
            if (p.compare(0, prefix.size(), prefix) == 0) return true;
        }
        return false;
    };
    changes.erase(std::remove_if(changes.begin(), changes.end(), housekeeping), changes.end());
    return changes;
}

std::string Describe(const std::vector<RegChange>& changes) {
    std::ostringstream o;
    for (const auto& c : changes) {
        o << (c.before && c.after ? "~ " : c.after ? "+ " : "- ") << (c.isKey ? "key " : "value ") << U8(c.path);
        if (!c.isKey) {
            if (c.before) o << " was " << Quoted(c.was);
            if (c.after) o << " now " << Quoted(c.now);
        }
        o << "\n";
    }
    return o.str();
}

// ---- processes ------------------------------------------------------------------

App::~App() {
    Kill();
    if (pi_.hThread) CloseHandle(pi_.hThread);
    if (pi_.hProcess) CloseHandle(pi_.hProcess);
}

bool App::Launch(const std::wstring& exe, DWORD flags) {
    if (pi_.hProcess) {
        Kill();
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
        pi_ = PROCESS_INFORMATION{};
    }
    if (!FileExists(exe)) {
        ADD_FAILURE() << "the program to start does not exist: " << U8(exe);
        return false;
    }
    std::wstring cmd = L"\"" + exe + L"\"";
    std::wstring dir = Dir(exe);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, flags, nullptr, dir.c_str(), &si, &pi_)) {
        ADD_FAILURE() << "cannot start " << U8(exe) << ((flags & CREATE_SUSPENDED) ? " suspended" : "")
                      << " (error " << GetLastError() << ")";
        pi_ = PROCESS_INFORMATION{};
        return false;
    }
    return true;
}

bool App::Start(const std::wstring& exe) {
    if (!Launch(exe, 0)) return false;
    // Until the program waits for input its windows may be half made.
    WaitForInputIdle(pi_.hProcess, kTimeoutMs);
    return true;
}

bool App::StartSuspended(const std::wstring& exe) { return Launch(exe, CREATE_SUSPENDED); }

void App::Resume() {
    if (pi_.hThread && ResumeThread(pi_.hThread) == static_cast<DWORD>(-1))
        ADD_FAILURE() << "cannot resume pid " << pi_.dwProcessId << " (error " << GetLastError() << ")";
}

bool App::Running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

bool App::WaitExit(int timeoutMs, DWORD* exitCode) {
    if (!pi_.hProcess) {
        ADD_FAILURE() << "waiting for the end of a program that was never started";
        return false;
    }
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(pi_.hProcess, 10) == WAIT_TIMEOUT) {
        PumpOwnMessages();
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) {
            ADD_FAILURE() << "the program (pid " << pi_.dwProcessId << ") still runs after " << timeoutMs << " ms";
            return false;
        }
    }
    if (exitCode) GetExitCodeProcess(pi_.hProcess, exitCode);
    return true;
}

void App::Kill() {
    if (!Running()) return;
    TerminateProcess(pi_.hProcess, 1);
    WaitForSingleObject(pi_.hProcess, 5000);
}

HWND App::WaitWindow(const wchar_t* cls, const wchar_t* title, int timeoutMs) const {
    HWND found = nullptr;
    const DWORD start = GetTickCount();
    for (;;) {
        auto all = TopWindows(pi_.dwProcessId, cls, title);
        if (!all.empty()) {
            found = all.front();
            break;
        }
        if (!Running()) {
            DWORD code = 0;
            if (pi_.hProcess) GetExitCodeProcess(pi_.hProcess, &code);
            ADD_FAILURE() << "the program ended (exit code " << code << ") without showing the window class=\""
                          << (cls ? U8(cls) : "*") << "\" title=\"" << (title ? U8(title) : "*") << "\"";
            return nullptr;
        }
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) {
            ADD_FAILURE() << "no window class=\"" << (cls ? U8(cls) : "*") << "\" title=\""
                          << (title ? U8(title) : "*") << "\" appeared within " << timeoutMs << " ms";
            return nullptr;
        }
        PumpOwnMessages();
        Sleep(10);
    }
    Sync(found);
    return found;
}

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls, const wchar_t* title, bool visibleOnly) {
    std::vector<HWND> out;
    EnumCtx ctx{pid, cls, title, visibleOnly, &out};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&ctx));
    return out;
}

bool WaitFor(const char* what, bool (*pred)(void*), void* ctx, int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpOwnMessages();
        if (pred(ctx)) return true;
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) {
            ADD_FAILURE() << "timed out after " << timeoutMs << " ms waiting for " << what;
            return false;
        }
        Sleep(10);
    }
}

bool Sync(HWND h, int timeoutMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &result)) {
        ADD_FAILURE() << "window " << Hex(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(h)))
                      << " did not answer within " << timeoutMs << " ms";
        return false;
    }
    return true;
}

std::wstring Text(HWND h) {
    bool ok = false;
    LRESULT len = SendTimeout(h, WM_GETTEXTLENGTH, 0, 0, &ok);
    if (!ok || len <= 0) return std::wstring();
    std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
    LRESULT got = SendTimeout(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(&buf[0]));
    buf.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min<LRESULT>(got, len))));
    return buf;
}

std::wstring ClassOf(HWND h) {
    wchar_t buf[256] = {};
    GetClassNameW(h, buf, 256);
    return buf;
}

HWND Child(HWND parent, int id) { return GetDlgItem(parent, id); }

RECT ScreenRect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

RECT ClientRect(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    return r;
}

// ---- drop-down lists ------------------------------------------------------------

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    bool ok = false;
    LRESULT n = SendTimeout(combo, CB_GETCOUNT, 0, 0, &ok);
    if (!ok) {
        ADD_FAILURE() << "the drop-down list did not answer CB_GETCOUNT";
        return items;
    }
    for (LRESULT i = 0; i < n; ++i) {
        LRESULT len = SendTimeout(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (len < 0) len = 0;
        std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
        LRESULT got = SendTimeout(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&buf[0]));
        buf.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min<LRESULT>(got, len))));
        items.push_back(buf);
    }
    return items;
}

int ComboSel(HWND combo) {
    bool ok = false;
    LRESULT r = SendTimeout(combo, CB_GETCURSEL, 0, 0, &ok);
    if (!ok) ADD_FAILURE() << "the drop-down list did not answer CB_GETCURSEL";
    return static_cast<int>(r);
}

void PickComboItem(HWND combo, int index) {
    DWORD pid = 0;
    GetWindowThreadProcessId(combo, &pid);
    PostMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    // The open list is a top-level window of its own, visible only while open.
    HWND list = nullptr;
    if (!WaitUntil("the drop-down list to open (a visible ComboLBox window)", [&] {
            auto lists = TopWindows(pid, L"ComboLBox", nullptr);
            list = lists.empty() ? nullptr : lists.front();
            return list != nullptr;
        }))
        return;
    RECT item{};
    bool ok = false;
    LRESULT r = SendTimeout(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item), &ok);
    if (!ok || r == LB_ERR) {
        ADD_FAILURE() << "the open list has no entry " << index;
        PostMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
        return;
    }
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    PostMessageW(list, WM_MOUSEMOVE, 0, PointParam(at));
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(at));
    PostMessageW(list, WM_LBUTTONUP, 0, PointParam(at));
}

void ComboKey(HWND combo, UINT vk) { PostKey(combo, vk); }

// ---- message boxes ----------------------------------------------------------------

MsgBox WaitMsgBox(DWORD pid, int timeoutMs) {
    MsgBox box;
    HWND h = nullptr;
    if (!WaitUntil("a message box (#32770 with a 0xFFFF static)",
                   [&] { return (h = MsgBoxOf(pid)) != nullptr; }, timeoutMs))
        return box;
    Sync(h);
    box.hwnd = h;
    wchar_t title[512] = {};
    GetWindowTextW(h, title, 512);
    box.title = title;
    box.text = Text(GetDlgItem(h, 0xFFFF));
    for (HWND c : Children(h)) {
        const std::wstring cls = Lower(ClassOf(c));
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        if (cls == L"static" && (style & SS_TYPEMASK) == SS_ICON && box.icon == MsgBox::Icon::None) {
            // The icon is read off the screen, and a box caught before its
            // first paint shows none yet: look again for a moment.
            for (int i = 0; i < 40; ++i) {
                box.icon = ClassifyIcon(c);
                if (box.icon != MsgBox::Icon::Other) break;
                Sleep(50);
            }
        } else if (cls == L"button" && IsWindowVisible(c)) {
            const LONG kind = style & BS_TYPEMASK;
            if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) box.buttons.push_back(Text(c));
        }
    }
    return box;
}

bool NoMsgBox(DWORD pid) { return MsgBoxOf(pid) == nullptr; }

void ClickButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) {
        ADD_FAILURE() << "the dialog has no button with id " << id;
        return;
    }
    PostMessageW(button, BM_CLICK, 0, 0);
}

void PressOk(const MsgBox& box) {
    if (!box.hwnd) {
        ADD_FAILURE() << "no message box to press OK on";
        return;
    }
    HWND only = nullptr;
    int buttons = 0;
    for (HWND c : Children(box.hwnd)) {
        const LONG kind = GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK;
        if (Lower(ClassOf(c)) == L"button" && IsWindowVisible(c) &&
            (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON)) {
            only = c;
            ++buttons;
        }
    }
    if (buttons == 1) PostMessageW(only, BM_CLICK, 0, 0);
    else ClickButton(box.hwnd, IDOK);
}

// ---- mouse and keyboard -------------------------------------------------------------

void RightClick(HWND h, POINT client) { PostMouse(h, client, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON); }
void LeftClick(HWND h, POINT client) { PostMouse(h, client, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON); }
void MiddleClick(HWND h, POINT client) { PostMouse(h, client, WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON); }

void PostKey(HWND h, UINT vk) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(h, WM_KEYDOWN, vk, 1 | scan);
    PostMessageW(h, WM_KEYUP, vk, static_cast<LPARAM>(1 | scan | (1u << 30) | (1u << 31)));
}

HWND FindPopupMenu() {
    auto menus = TopWindows(0, L"#32768", nullptr);
    return menus.empty() ? nullptr : menus.front();
}

HWND WaitPopupMenu(int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpOwnMessages();
        if (HWND m = FindPopupMenu()) return m;
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return nullptr;
        Sleep(10);
    }
}

void ChoosePopupItem(HWND menu, int downs) {
    for (int i = 0; i < downs; ++i) PostKey(menu, VK_DOWN);
    PostKey(menu, VK_RETURN);
}

bool OpenMainMenuItem(HWND mainWnd, int downs) {
    // The background: a client point that no control covers. A label that
    // does not notify lets the mouse through, so it counts as background.
    RECT rc = ClientRect(mainWnd);
    POINT spot{-1, -1};
    for (int y = rc.bottom - 3; y > rc.top && spot.x < 0; y -= 4) {
        for (int x = rc.left + 3; x < rc.right; x += 4) {
            POINT p{x, y};
            HWND hit = ChildWindowFromPointEx(mainWnd, p, CWP_SKIPINVISIBLE);
            if (hit == mainWnd) {
                spot = p;
                break;
            }
        }
    }
    if (spot.x < 0) {
        ADD_FAILURE() << "the main window has no free background to right-click";
        return false;
    }
    RightClick(mainWnd, spot);
    HWND menu = WaitPopupMenu();
    if (!menu) {
        ADD_FAILURE() << "no popup menu opened after a right click at (" << spot.x << "," << spot.y << ")";
        return false;
    }
    ChoosePopupItem(menu, downs);
    return WaitUntil("the popup menu to close", [] { return FindPopupMenu() == nullptr; });
}

// ---- files ------------------------------------------------------------------------

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot create " << U8(path) << " (error " << GetLastError() << ")";
        return;
    }
    DWORD written = 0;
    if (!::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        ADD_FAILURE() << "cannot write " << U8(path) << " (error " << GetLastError() << ")";
    CloseHandle(f);
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(f);
    return out;
}

// ---- screen -----------------------------------------------------------------------

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi;
}

namespace {
using SetDpiContext = HANDLE(WINAPI*)(HANDLE);
// Looked up at run time: older headers and systems lack the call.
SetDpiContext SetThreadDpiContext() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<SetDpiContext>(
                        reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")))
                  : nullptr;
}
}  // namespace

PhysicalPixels::PhysicalPixels() {
    // DPI_AWARENESS_CONTEXT_SYSTEM_AWARE is the handle value -2.
    if (SetDpiContext set = SetThreadDpiContext()) previous_ = set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-2)));
}

PhysicalPixels::~PhysicalPixels() {
    if (SetDpiContext set = SetThreadDpiContext())
        if (previous_) set(previous_);
}

HWND MakeTopLevelWindow(const wchar_t* cls, WNDPROC proc, const wchar_t* title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);  // a second registration fails harmlessly
    return CreateWindowExW(0, cls, title, WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, wc.hInstance, nullptr);
}

int DarkPixelsOnScreen(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return 0;
    HDC screen = GetDC(nullptr);
    const Pixels p = Grab(screen, r.left, r.top, w, h);
    ReleaseDC(nullptr, screen);
    int dark = 0;
    for (DWORD v : p.bits)
        if ((v & 0xFF) + ((v >> 8) & 0xFF) + ((v >> 16) & 0xFF) < 3 * 80) ++dark;
    return dark;
}

bool SaveScreenBmp(const RECT& r, const std::wstring& path) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    Pixels px = Grab(screen, r.left, r.top, w, h);
    ReleaseDC(nullptr, screen);
    if (px.bits.size() != static_cast<size_t>(w) * h) return false;
    // Bottom-up rows of 24-bit pixels, each row padded to four bytes.
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~static_cast<size_t>(3);
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = static_cast<DWORD>(stride * h);
    fh.bfType = 0x4D42;  // "BM"
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
    bytes.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    std::string row(stride, '\0');
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const DWORD v = px.bits[static_cast<size_t>(y) * w + x];
            row[x * 3] = static_cast<char>(v & 0xFF);
            row[x * 3 + 1] = static_cast<char>((v >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<char>((v >> 16) & 0xFF);
        }
        bytes += row;
    }
    WriteFile(path, bytes);
    return FileExists(path);
}

bool SaveWindowBmp(HWND h, const std::wstring& path) {
    Sync(h);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sync(h);
    // The X server shows the new pixels a moment after the program drew them.
    Sleep(150);
    return SaveScreenBmp(ScreenRect(h), path);
}

// ---- text -------------------------------------------------------------------------

std::wstring W(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (n <= 1) return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

std::string U8(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

}  // namespace e2e
