// The floor Vantrel is measured against: what the platform itself costs for
// the same work. A bare window that creates WScript.Shell, makes the nine
// registry reads of Vantrel's start-up (five values, four policy places),
// fills two drop-down lists and shows
// itself; a pick writes the same values through the shell object and sends
// the same broadcast. No error handling beyond not crashing: this program
// only runs under the benchmark with a seeded registry.
#include <windows.h>
#include <oleauto.h>

namespace {

constexpr wchar_t kClass[] = L"VantrelFloor";
// The ids the benchmark looks for, the same as Vantrel's lists and wait panel.
constexpr int kIdImage = 101;
constexpr int kIdScript = 104;
constexpr int kIdMarker = 105;

const wchar_t kPicts[] = L"HKLM\\Software\\Microsoft\\Internet Explorer\\AdvancedOptions\\MULTIMEDIA\\PICTS\\";
const wchar_t kZone3[] = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3\\";

IDispatch* g_shell = nullptr;
HWND g_image = nullptr;
HWND g_script = nullptr;
HWND g_marker = nullptr;
wchar_t g_switchPath[512];

// `args` in IDispatch order (last argument first).
HRESULT Call(const wchar_t* member, VARIANT* args, UINT count, VARIANT* result) {
    LPOLESTR name = const_cast<LPOLESTR>(member);
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = g_shell->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS params{args, nullptr, count, 0};
    EXCEPINFO ei{};
    UINT argErr = 0;
    hr = g_shell->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, &ei, &argErr);
    SysFreeString(ei.bstrDescription);
    SysFreeString(ei.bstrSource);
    SysFreeString(ei.bstrHelpFile);
    return hr;
}

// The value as text (a DWORD comes back as a number).
void RegRead(const wchar_t* path, wchar_t* out, int outLen) {
    VARIANT arg, result;
    VariantInit(&result);
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = SysAllocString(path);
    out[0] = L'\0';
    if (SUCCEEDED(Call(L"RegRead", &arg, 1, &result)) &&
        SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BSTR)))
        lstrcpynW(out, V_BSTR(&result), outLen);
    VariantClear(&arg);
    VariantClear(&result);
}

void RegWriteText(const wchar_t* path, const wchar_t* text) {
    VARIANT args[2];
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = SysAllocString(path);
    V_VT(&args[0]) = VT_BSTR;
    V_BSTR(&args[0]) = SysAllocString(text);
    VARIANT result;
    VariantInit(&result);
    Call(L"RegWrite", args, 2, &result);
    VariantClear(&args[0]);
    VariantClear(&args[1]);
    VariantClear(&result);
}

void RegWriteNumber(const wchar_t* path, LONG value, const wchar_t* type) {
    VARIANT args[3];
    V_VT(&args[2]) = VT_BSTR;
    V_BSTR(&args[2]) = SysAllocString(path);
    V_VT(&args[1]) = VT_I4;
    V_I4(&args[1]) = value;
    V_VT(&args[0]) = VT_BSTR;
    V_BSTR(&args[0]) = SysAllocString(type);
    VARIANT result;
    VariantInit(&result);
    Call(L"RegWrite", args, 3, &result);
    VariantClear(&args[0]);
    VariantClear(&args[2]);
    VariantClear(&result);
}

void Join(wchar_t* out, int outLen, const wchar_t* a, const wchar_t* b) {
    lstrcpynW(out, a, outLen);
    const int used = lstrlenW(out);
    lstrcpynW(out + used, b, outLen - used);
}

void PickImage() {
    const LRESULT sel = SendMessageW(g_image, CB_GETCURSEL, 0, 0);
    if (sel == CB_ERR) return;
    // The marker stands where Vantrel's wait panel does: its hiding tells the
    // benchmark that the write and the broadcast are over.
    ShowWindow(g_marker, SW_SHOWNA);
    RegWriteText(g_switchPath, sel == 0 ? L"yes" : L"no");
    static const char empty[4] = {};
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 31, reinterpret_cast<LPARAM>(empty), SMTO_ABORTIFHUNG,
                        3000, &answer);
    ShowWindow(g_marker, SW_HIDE);
}

void PickScript() {
    const LRESULT sel = SendMessageW(g_script, CB_GETCURSEL, 0, 0);
    if (sel == CB_ERR) return;
    const LONG policy = sel == 0 ? 1 : sel == 1 ? 3 : 0;
    wchar_t path[512];
    Join(path, 512, kZone3, L"1400");
    RegWriteNumber(path, policy, L"REG_DWORD");
    Join(path, 512, kZone3, L"CUrrentLevel");
    RegWriteNumber(path, 0, L"REG_DWORD");
    Join(path, 512, kZone3, L"1C00");
    RegWriteNumber(path, 65536, L"REG_BINARY");
}

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == CBN_SELCHANGE && LOWORD(wp) == kIdImage) PickImage();
        if (HIWORD(wp) == CBN_SELCHANGE && LOWORD(wp) == kIdScript) PickScript();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(h, msg, wp, lp);
    }
}

HWND List(HWND parent, int id, int top, HINSTANCE inst) {
    HWND h = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                             88, top, 121, 120, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst,
                             nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return h;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int show) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"WScript.Shell", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, reinterpret_cast<void**>(&g_shell))))
        return 1;

    wchar_t path[512], policy[64], checked[64], unchecked[64], regPath[400], image[64];
    Join(path, 512, kZone3, L"1400");
    RegRead(path, policy, 64);
    Join(path, 512, kPicts, L"CheckedValue");
    RegRead(path, checked, 64);
    Join(path, 512, kPicts, L"UncheckedValue");
    RegRead(path, unchecked, 64);
    Join(path, 512, kPicts, L"RegPath");
    RegRead(path, regPath, 400);
    Join(path, 512, L"HKCU\\", regPath);
    Join(g_switchPath, 512, path, L"\\Display Inline Images");
    RegRead(g_switchPath, image, 64);
    // Where a policy may fix the script setting; on the benchmark's machine
    // none does, so each read fails as it does on most machines.
    const wchar_t* const policies[] = {
        L"HKLM\\Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3\\1400",
        L"HKCU\\Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3\\1400",
        L"HKLM\\Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Security_HKLM_only",
        L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3\\1400"};
    for (const wchar_t* p : policies) RegRead(p, policy, 64);

    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    HWND main = CreateWindowExW(0, kClass, L"Floor", WS_OVERLAPPEDWINDOW, 0, 0, 225, 80, nullptr, nullptr, inst,
                                nullptr);
    g_image = List(main, kIdImage, 0, inst);
    g_script = List(main, kIdScript, 21, inst);
    g_marker = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 88, 0, 121, 20, main,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdMarker)), inst, nullptr);

    SendMessageW(g_image, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"はい"));
    SendMessageW(g_image, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"いいえ"));
    SendMessageW(g_image, CB_SETCURSEL, CharLowerW(image) && lstrcmpW(image, L"no") == 0 ? 1 : 0, 0);
    SendMessageW(g_script, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"ダイアログを表示"));
    SendMessageW(g_script, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"無効にする"));
    SendMessageW(g_script, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"有効にする"));
    const int js = lstrcmpW(policy, L"1") == 0 ? 0 : lstrcmpW(policy, L"3") == 0 ? 1 : 2;
    SendMessageW(g_script, CB_SETCURSEL, static_cast<WPARAM>(js), 0);

    ShowWindow(main, show);
    UpdateWindow(main);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    g_shell->Release();
    CoUninitialize();
    return 0;
}
