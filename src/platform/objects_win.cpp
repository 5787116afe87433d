#include "platform/objects_win.h"

#include "platform/text_win.h"

namespace vantrel::win {

ShellValue ToShellValue(const VARIANT& v) {
    const VARTYPE vt = V_VT(&v);
    if (vt & VT_ARRAY) return ShellValue::NoText();
    switch (vt) {
    case VT_EMPTY: return ShellValue{};
    case VT_BSTR: return ShellValue::Text(V_BSTR(&v) ? Narrow(std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))))
                                                     : std::string());
    case VT_I2: return ShellValue::Integer(V_I2(&v));
    case VT_I4: return ShellValue::Integer(V_I4(&v));
    case VT_INT: return ShellValue::Integer(V_INT(&v));
    case VT_UI1: return ShellValue::Integer(V_UI1(&v));
    case VT_UI2: return ShellValue::Integer(V_UI2(&v));
    case VT_UI4: return ShellValue::Integer(V_UI4(&v));
    case VT_UINT: return ShellValue::Integer(V_UINT(&v));
    case VT_BOOL: return ShellValue::Boolean(V_BOOL(&v) != VARIANT_FALSE);
    default: break;
    }
    Variant text;
    if (FAILED(VariantChangeType(text.get(), const_cast<VARIANT*>(&v), 0, VT_BSTR)))
        return ShellValue::NoText();
    return ToShellValue(*text.get());
}

// ---- WshShell -------------------------------------------------------------

ShellValue WshShell::RegRead(const std::string& path) {
    const Variant v = shell_.Call(L"RegRead", path);
    return ToShellValue(*v.get());
}

// The member is called by this spelling; IDispatch matches names without
// regard to case, so it reaches RegWrite.
void WshShell::RegWrite(const std::string& path, const std::string& text) {
    shell_.Call(L"Regwrite", path, text);
}

void WshShell::RegWrite(const std::string& path, int32_t value, const std::string& type) {
    shell_.Call(L"Regwrite", path, value, type);
}

// SpecialFolders is a property without parameters answering a collection of
// folders, indexed by name through its Item member. The one-step form
// SpecialFolders(name) also works, because the type library's Invoke hands a
// surplus argument on to the returned object's default member; asking for the
// collection and then its Item says what happens without relying on that.
// Wine's collection knows only "Desktop", "AllUsersDesktop" and
// "AllUsersPrograms" and answers E_NOTIMPL for every other name.
std::string WshShell::SpecialFolders(const std::string& name) {
    Variant collection = shell_.Get(L"SpecialFolders");
    Dispatch folders = Dispatch::From(collection);
    const Variant path = folders.Get(L"Item", name);
    return ToText(ToShellValue(*path.get()));
}

std::unique_ptr<IShortcut> WshShell::CreateShortcut(const std::string& lnkPath) {
    Variant link = shell_.Call(L"CreateShortcut", lnkPath);
    return std::make_unique<WshShortcut>(Dispatch::From(link));
}

// ---- WshShortcut ----------------------------------------------------------

void WshShortcut::SetTargetPath(const std::string& path) { link_.Put(L"TargetPath", path); }

void WshShortcut::SetHotkey(const std::string& keys) { link_.Put(L"Hotkey", keys); }

std::string WshShortcut::GetHotkey() {
    const Variant v = link_.Get(L"Hotkey");
    return ToText(ToShellValue(*v.get()));
}

// The shortcut's WindowStyle is an Integer (16-bit) in the caller's terms.
void WshShortcut::SetWindowStyle(int16_t style) { link_.Put(L"WindowStyle", style); }

void WshShortcut::Save() { link_.Call(L"Save"); }

// ---- IeBrowser --------------------------------------------------------------

void IeBrowser::AllowToFront() {
    // The browser's window handle is a property of the object; its process is
    // the one allowed to take the foreground.
    const Variant v = ie_.Get(L"HWND");
    Variant handle;
    if (FAILED(VariantChangeType(handle.get(), const_cast<VARIANT*>(v.get()), 0, VT_I8))) kErrTypeMismatch.Raise();
    DWORD pid = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<INT_PTR>(V_I8(handle.get()))), &pid);
    if (!pid || !AllowSetForegroundWindow(pid)) RaiseLastError();
}

// Visible is a VARIANT_BOOL property: true must travel as VARIANT_TRUE (-1).
void IeBrowser::SetVisible(bool visible) { ie_.Put(L"Visible", visible); }

void IeBrowser::Navigate(const std::string& url) { ie_.Call(L"Navigate", url); }

// ---- ObjectFactory ------------------------------------------------------------

bool ObjectFactory::BrowserRegistered() {
    CLSID clsid;
    return SUCCEEDED(CLSIDFromProgID(L"InternetExplorer.Application", &clsid));
}

}  // namespace vantrel::win
