// The messages that end the main window or open modal windows, in a scripted
// sequence of their own beside the random storm of storm_test.cpp: closes,
// quits, the end of a session, menu and move loops, modal commands and
// capture runs, each rebuilt where it ends the window. Nothing may crash or
// hang, each step must return within a second, and every round must leave
// the same objects and memory behind.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/mainwindow.h"
#include "capture/capture.h"
#include "capture/soundcard.h"
#include "display/surface.h"
#include "commands/about.h"
#include "commands/accessories.h"
#include "commands/savefft.h"
#include "tests/app/hardening.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/scripted_device.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"
#include "win/routing.h"
#include "win/modal.h"

namespace {

using hardening::Control;
using hardening::LimitMs;
using hardening::SelfStopping;
using hardening::Step;

// Help, the mixer and the control panel are recorded, not started.
int PlatformCalls = 0;
BOOL RecordStart(const char*, char*, SECURITY_ATTRIBUTES*, SECURITY_ATTRIBUTES*, BOOL, DWORD, void*,
                 const char*, STARTUPINFOA*, PROCESS_INFORMATION*)
{
    ++PlatformCalls;
    return FALSE;
}
HINSTANCE RecordOpen(HWND, const char*, const char*, const char*, const char*, INT)
{
    ++PlatformCalls;
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(2));  // SE_ERR_FNF: no such file
}

void Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const Step step = {"scripted", window, message, wParam, lParam, 0};
    const double took = hardening::TimedSend(step);
    EXPECT_LT(took, LimitMs) << hardening::Describe(step) << " took " << took << " ms";
}

// The program's own pump, as the modal loop runs it, for a while.
void Pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds && IsWindow(facts::MainDialog)) {
        hardening::Begin({"pump", facts::MainDialog, 0, 0, 0, 0});
        winlayer::PumpOnce();
        EXPECT_LT(hardening::Finish(), LimitMs);
    }
}

void Click()
{
    Send(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdStartStop, BN_CLICKED),
         reinterpret_cast<LPARAM>(Control(facts::IdStartStop)));
}

void Menu(int id) { Send(facts::MainDialog, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void PostMenu(int id) { PostMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

LPARAM CaptionPoint()
{
    RECT frame;
    GetWindowRect(facts::MainDialog, &frame);
    return MAKELPARAM((frame.left + frame.right) / 2, frame.top + GetSystemMetrics(SM_CYFRAME) + 4);
}

void Capture(int buffers, std::function<void(int)> during = nullptr)
{
    scripted::Install(SelfStopping(buffers, std::move(during)));
    Click();
}

// One step of the sequence: what it does and whether the window outlives it.
struct Scene {
    const char* name;
    void (*act)();
    bool windowStays;
};

const Scene Scenes[] = {
    {"WM_CLOSE from outside while stopped, then the loop", [] {
         PostMessageA(facts::MainDialog, WM_CLOSE, 0, 0);
         hardening::Begin({"loop", facts::MainDialog, 0, 0, 0, 0});
         EXPECT_EQ(app::MainWindowLoop(), 0);
         EXPECT_LT(hardening::Finish(), LimitMs);
     }, false},
    {"end of session asked and told", [] {
         Send(facts::MainDialog, WM_QUERYENDSESSION, 0, 0);
         Send(facts::MainDialog, WM_ENDSESSION, TRUE, 0);
         Send(facts::MainDialog, WM_ENDSESSION, FALSE, 0);
     }, true},
    {"WM_QUIT in the queue", [] { PostQuitMessage(0); Pump(20); }, true},
    {"minimise, maximise, restore", [] {
         for (WPARAM command : {SC_MINIMIZE, SC_RESTORE, SC_MAXIMIZE, SC_RESTORE})
             Send(facts::MainDialog, WM_SYSCOMMAND, command, 0);
     }, true},
    {"menu bar from the keyboard", [] {
         Send(facts::MainDialog, WM_SYSCOMMAND, SC_KEYMENU, 0);
         Send(facts::MainDialog, WM_SYSCOMMAND, SC_KEYMENU, 'f');
         Send(facts::MainDialog, WM_SYSKEYDOWN, VK_F10, 0);
         Send(facts::MainDialog, WM_SYSKEYUP, VK_F10, 0);
         Send(facts::MainDialog, WM_SYSCHAR, 'h', 1 << 29);
     }, true},
    {"move and size loops", [] {
         Send(facts::MainDialog, WM_SYSCOMMAND, SC_MOVE, 0);
         Send(facts::MainDialog, WM_SYSCOMMAND, SC_SIZE, 0);
         for (WPARAM hit : {HTCAPTION, HTBOTTOMRIGHT, HTSYSMENU, HTMENU, HTMINBUTTON})
             Send(facts::MainDialog, WM_NCLBUTTONDOWN, hit, CaptionPoint());
     }, true},
    {"system and context menus", [] {
         Send(facts::MainDialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(facts::MainDialog), CaptionPoint());
         Send(facts::MainDialog, 0x0313, 0, CaptionPoint());  // WM_POPUPSYSTEMMENU
         HWND edit = GetWindow(Control(facts::IdWindowSelector), GW_CHILD);
         Send(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), -1);
         Send(edit, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
     }, true},
    {"every command of the menu", [] {
         for (UINT id : hardening::MenuCommands())
             Menu(static_cast<int>(id));
     }, true},
    {"Start, 20 buffers, Stop", [] {
         Capture(20);
         EXPECT_EQ(scripted::CountCalls("unprepare"), 21) << "20 buffers and the one Stop handed back";
     }, true},
    {"Start on a device that does not open", [] {
         scripted::Script refusing = SelfStopping(0);
         refusing.openFails = true;
         scripted::Install(refusing);
         Click();
     }, true},
    {"About, sound card and saving during capture", [] {
         Capture(12, [](int index) {
             if (index == 2) PostMenu(facts::IdMenuAbout);
             if (index == 4) PostMenu(facts::IdMenuSaveToFile);
             if (index == 6) PostMenu(facts::IdMenuSaveToClipboard);
             if (index == 8) PostMenu(facts::IdMenuSelectSoundcard);  // it stops the capture
         });
         EXPECT_EQ(scripted::CountCalls("close"), 1);
     }, true},
    {"Alt+F4 while stopped", [] {
         Send(facts::MainDialog, WM_SYSKEYDOWN, VK_F4, KF_ALTDOWN << 16);
         Pump(50);
     }, false},
    {"close box during capture", [] {
         Capture(10, [](int index) {
             if (index == 3) PostMessageA(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
         });
     }, false},
    {"WM_CLOSE during capture", [] {
         Capture(10, [](int index) {
             if (index == 3) PostMessageA(facts::MainDialog, WM_CLOSE, 0, 0);
         });
     }, false},
    {"close box while stopped, then the loop", [] {
         PostMessageA(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
         hardening::Begin({"loop", facts::MainDialog, 0, 0, 0, 0});
         EXPECT_EQ(app::MainWindowLoop(), 0);
         EXPECT_LT(hardening::Finish(), LimitMs);
     }, false},
    {"rate panel activated, then the close box during capture", [] {
         Send(facts::SampleRatePanel, WM_ACTIVATE, WA_ACTIVE, 0);
         Capture(10, [](int index) {
             if (index == 3) PostMessageA(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
         });
     }, false},
    {"rate panel activated, then the close box while stopped", [] {
         Send(facts::SampleRatePanel, WM_ACTIVATE, WA_CLICKACTIVE, 0);
         Send(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
     }, false},
    {"WM_DESTROY sent, then the close box", [] {
         Send(facts::MainDialog, WM_DESTROY, 0, 0);
         Send(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
     }, false},
};

class ScriptedEndings : public hardening::WatchedWindow {
protected:
    void SetUp() override
    {
        scripted::Install(SelfStopping(1));
        saved_ = winlayer::platform::Calls;
        winlayer::platform::Calls.StartProcess = RecordStart;
        winlayer::platform::Calls.ShellOpen = RecordOpen;
        // Saving writes into a folder of the test's own.
        GetCurrentDirectoryA(MAX_PATH, previous_);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        std::snprintf(folder_, sizeof folder_, "%sstorm-%lu", temp, GetCurrentProcessId());
        CreateDirectoryA(folder_, nullptr);
        SetCurrentDirectoryA(folder_);
        hardening::WatchedWindow::SetUp();
    }
    void TearDown() override
    {
        hardening::WatchedWindow::TearDown();
        winlayer::platform::Calls = saved_;
        SetCurrentDirectoryA(previous_);
        WIN32_FIND_DATAA found;
        const std::string pattern = std::string(folder_) + "\\*.txt";
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
            DeleteFileA((std::string(folder_) + "\\" + found.cFileName).c_str());
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        RemoveDirectoryA(folder_);
    }

    // A window ended by a scene is built again as start-up builds it; the
    // surface a stopped window left behind goes first, as it would with the
    // process.
    static void Rebuild()
    {
        if (GetObjectType(display::MemoryDC) == OBJ_MEMDC)
            display::ReleasePlotSurface();
        app::BuildMainWindow(nullptr);
        app::ShowMainWindow();
        testsupport::PumpMessages(20);
    }

    winlayer::platform::Functions saved_ = {};
    char previous_[MAX_PATH] = {};
    char folder_[MAX_PATH] = {};
};

TEST_F(ScriptedEndings, EndingsAndModalWindowsReturnAndLeaveNothingBehind)
{
    constexpr int Rounds = 3;
    hardening::Figures first = {};
    size_t boxes = 0;
    for (int round = 1; round <= Rounds; ++round) {
        for (const Scene& scene : Scenes) {
            SCOPED_TRACE(scene.name);
            testsupport::StartModalWatch(facts::MainDialog, GetCurrentThreadId());
            scene.act();
            Pump(20);
            boxes += testsupport::StopMessageBoxWatch().size();
            EXPECT_EQ(IsWindow(facts::MainDialog) != FALSE, scene.windowStays);
            EXPECT_EQ(capture::WaveIn, nullptr);
            EXPECT_EQ(capture::SoundcardDialog, nullptr);
            EXPECT_EQ(commands::AboutBox, nullptr);
            // The keyboard's dialog is one that exists, or none.
            const HWND active = winlayer::ActiveDialog();
            EXPECT_TRUE(active == nullptr || IsWindow(active)) << active;
            if (IsWindow(facts::MainDialog))
                EXPECT_EQ(capture::StartStopCaption(), facts::StartCaption);
            else
                Rebuild();
        }
        // The first round loads what the system loads once; the others
        // must leave the counts where it left them.
        const hardening::Figures figures = round == 1 ? hardening::Measure() : hardening::MeasureAgainst(first);
        std::printf("scripted: after round %d of %zu scenes: %s\n", round, std::size(Scenes),
                    hardening::Format(figures).c_str());
        if (round == 1)
            first = figures;
        else
            hardening::ExpectFlat(first, figures, "scripted sequence");
    }
    std::printf("scripted: %zu modal windows closed by the watcher, %d platform calls recorded\n",
                boxes, PlatformCalls);
    // Help, the mixer twice (Sndvol32.exe refused, then SndVol.exe) and the
    // audio devices.
    EXPECT_EQ(PlatformCalls, 4 * Rounds);
}

}  // namespace
