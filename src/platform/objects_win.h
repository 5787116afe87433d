// The objects the program creates by ProgID, called late-bound: WScript.Shell
// with the shortcut objects it creates, and InternetExplorer.Application.
#pragma once

#include "platform/com_win.h"
#include "platform/gateway.h"

namespace vantrel::win {

// A read result reduced to the forms the program uses: texts, whole numbers,
// booleans and nothing keep their value; an array has no text form; anything
// else is turned into text when the system can, else has no text form either.
ShellValue ToShellValue(const VARIANT& v);

class WshShortcut : public IShortcut {
public:
    explicit WshShortcut(Dispatch link) : link_(std::move(link)) {}
    void SetTargetPath(const std::string& path) override;
    void SetHotkey(const std::string& keys) override;
    std::string GetHotkey() override;
    void SetWindowStyle(int16_t style) override;
    void Save() override;

private:
    Dispatch link_;
};

class WshShell : public IScriptShell {
public:
    // Raises kErrCannotCreate when the scripting shell is not installed.
    WshShell() : shell_(Dispatch::Create(L"WScript.Shell")) {}
    ShellValue RegRead(const std::string& path) override;
    void RegWrite(const std::string& path, const std::string& text) override;
    void RegWrite(const std::string& path, int32_t value, const std::string& type) override;
    std::string SpecialFolders(const std::string& name) override;
    std::unique_ptr<IShortcut> CreateShortcut(const std::string& lnkPath) override;

private:
    Dispatch shell_;
};

class IeBrowser : public IBrowser {
public:
    // Raises kErrCannotCreate when the browser's automation object cannot be created.
    IeBrowser() : ie_(Dispatch::Create(L"InternetExplorer.Application")) {}
    void AllowToFront() override;
    void SetVisible(bool visible) override;
    void Navigate(const std::string& url) override;

private:
    Dispatch ie_;
};

class ObjectFactory : public IObjectFactory {
public:
    std::unique_ptr<IScriptShell> CreateScriptShell() override { return std::make_unique<WshShell>(); }
    std::unique_ptr<IBrowser> CreateBrowser() override { return std::make_unique<IeBrowser>(); }
    bool BrowserRegistered() override;
};

}  // namespace vantrel::win
