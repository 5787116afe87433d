// The end-to-end harness: runs the real VantrelV1_0.exe under Wine and acts
// on it as a user would (desktop_win.h), with the registry as the browser
// leaves it before each case. A wait that times out fails the current test
// saying what did not happen.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop_win.h"

namespace e2e {

using namespace desktop;

// Where the driver, started as a URL handler ("--record-url URL"), writes the URL.
constexpr const wchar_t* kRecordedUrlFile = L"C:\\vantrel-url.txt";

// ---- registry -------------------------------------------------------------
extern const wchar_t* const kMainKey;   // HKCU ...\Internet Explorer\Main
extern const wchar_t* const kZone3Key;  // HKCU ...\Internet Settings\Zones\3
extern const wchar_t* const kImageValue;
extern const wchar_t* const kUserPolicyKey;     // HKCU ...\Policies\...\Zones\3
extern const wchar_t* const kMachinePolicyKey;  // HKLM, the same path

struct RegVal {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    std::wstring Str() const;  // REG_SZ contents
    DWORD Dword() const;
};
RegVal ReadReg(HKEY root, const std::wstring& key, const std::wstring& name);
void WriteReg(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const std::vector<BYTE>& data);
void WriteRegSz(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value);
void WriteRegDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
void DeleteRegValue(HKEY root, const std::wstring& key, const std::wstring& name);

// What the driver, started as a handler in its recording mode, was given; "" for nothing.
std::wstring Recorded();

// Before and after each case: the browser values of a Windows system with
// Internet Explorer (images "yes", zone 3 policy 0, level 0x11500, 1C00 four
// zero bytes), no Vantrel shortcut, no Vantrel, help viewer or browser left.
void ResetCase();

// The dark pixels (text, lines) on screen in a rectangle, and their horizontal extent.
struct Ink {
    int pixels = 0, width = 0;
};
Ink InkOnScreen(const RECT& r);

// The probe DLL hooked into the UI thread of the program's window `main`. It
// reports, to a sink window of the driver, each owned window the moment it
// is shown with its owner's state, the outcome of LoadDllRequest(), and the
// barriers Settle() posts.
class Probe {
public:
    explicit Probe(HWND main);
    ~Probe();
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;
    bool ok() const { return hook_ != nullptr; }
    // Has the program ask for "cryptbase.dll" by its bare name.
    void LoadDllRequest();
    // Returns once the program has handled what was posted to `window` before
    // the call, and what that handling posted in turn (a pick a key posts).
    bool Settle(HWND window);
    struct Seen {
        std::vector<std::pair<HWND, bool>> shown;  // window, owner enabled at that moment
        std::vector<DWORD> loads;                  // 0: loaded, else the error
        int plantedMarks = 0;                      // the planted copy's DllMain ran
        WPARAM barrier = 0;                        // the last barrier taken
    } seen;

private:
    static LRESULT CALLBACK Sink(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    HWND main_, sink_ = nullptr;
    HMODULE dll_ = nullptr;
    HHOOK hook_ = nullptr, getMessageHook_ = nullptr;
    WPARAM barriers_ = 0;
};

// A case that begins and ends with everything cleared away.
class ProgramCase : public ::testing::Test {
protected:
    void SetUp() override { ResetCase(); }
    void TearDown() override;
    // Starts the program; its main window, or nullptr after a failure.
    HWND Start(const std::wstring& exe = ExePath());
    // The probe in the started program, hooked at its first use.
    Probe& probe();
    // Once the program has handled everything posted to `window` so far.
    bool Settle(HWND window) { return probe().Settle(window); }
    // The main window in front, shown, with nothing left to handle: input
    // sent now meets the window as a user's would.
    bool ReadyForInput();
    // Sets a registry value (deletes it for nullopt) for this case only: the
    // value as it was comes back when the case ends, whatever its outcome.
    void Replace(HKEY root, const std::wstring& key, const std::wstring& name, const std::optional<std::wstring>& text);
    // The command of a handler (a key ...\shell\open\command) replaced by
    // this driver in its recording mode, for this case.
    void RecordWhatTheHandlerGets(const std::wstring& commandKey);
    // Takes item `item` of the popup menu; the window of that class and title it opens.
    HWND Open(int item, const wchar_t* cls, const char* title);
    App app;
    HWND main = nullptr;

private:
    struct Saved {
        HKEY root;
        std::wstring key, name;
        RegVal value;
    };
    std::unique_ptr<Probe> probe_;
    std::vector<Saved> saved_;
};
// A case that begins with the program's main window up.
class StartedCase : public ProgramCase {
protected:
    void SetUp() override {
        ProgramCase::SetUp();
        ASSERT_TRUE(Start());
        ASSERT_TRUE(ReadyForInput());
    }
};

}  // namespace e2e
