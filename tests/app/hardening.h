// What the storm and soak tests share: sizes from the environment, a
// watchdog that names whatever the test thread is stuck in, and the figures
// (GDI objects, USER objects, private bytes) that must stay flat.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/app/main_window_fixture.h"
#include "tests/support/scripted_device.h"

namespace hardening {

// The number in environment variable `name`, or `fallback` when it is unset
// or not a positive number.
uint64_t EnvironmentCount(const char* name, uint64_t fallback);

// One step the test thread is about to take: a message with its arguments,
// or any other named step (a buffer of the soak).
struct Step {
    const char* what;  // "message" or "buffer"
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    uint64_t index;
};

std::string Describe(const Step& step);

// A thread that watches the steps of the test thread. A step still running
// after `limitMs` is named on stderr at once; one that has not returned
// `limitMs` + 20 s later ends the process with exit code 3, since a hung
// message never gives the test a chance to fail by itself.
void StartWatchdog(DWORD limitMs);
void StopWatchdog();

// Marks the start of a step; Finish returns its duration in milliseconds.
void Begin(const Step& step);
double Finish();

// Sends one message timed by the watchdog; returns the milliseconds it took.
double TimedSend(const Step& step);

struct Figures {
    int gdi;
    int user;
    int64_t privateBytes;
};

// Lets queued messages through for a moment, then counts.
Figures Measure();

// Counts again, pumping for up to two seconds, until the object counts are
// back at `reference` or below (Wine frees some objects only a while after
// their owner let them go); a leak stays.
Figures MeasureAgainst(const Figures& reference);

std::string Format(const Figures& figures);

// What a private-bytes figure may grow by between two counts and still be
// flat: the heap keeps freed blocks in its free lists and grows in whole
// pages, and the trackbars and the combo box keep what was added to them
// (a few tick marks, list items, characters typed into the edit field).
constexpr int64_t PrivateBytesSlack = 256 * 1024;

// Gtest expectations that `last` is as flat as `first`: no more objects,
// private bytes within the slack.
void ExpectFlat(const Figures& first, const Figures& last, const char* what);

// The longest a message, a pass of the pump or a buffer may take.
constexpr DWORD LimitMs = 1000;

// Control `id` of the main window.
HWND Control(int id);

// Posts the Start/Stop button's click to the main window.
void PostStartStopClick();

// The command identifiers of the main window's menu, every popup walked, as
// the window holds them, so that a command added later is among them.
std::vector<UINT> MenuCommands();

// A device that delivers `buffers` buffers and then clicks Stop itself, so
// that a Start, wanted or not, always comes back. `during` sees the index of
// every buffer queued.
scripted::Script SelfStopping(int buffers, std::function<void(int)> during = nullptr);

// The real main window with the watchdog running: started after the window
// is built, stopped before it goes; the scripted device is uninstalled last.
class WatchedWindow : public apptest::MainWindow {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace hardening
