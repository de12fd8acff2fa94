#include "tests/app/hardening.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "facts/facts.h"
#include "tests/support/win32_test_support.h"

namespace hardening {

uint64_t EnvironmentCount(const char* name, uint64_t fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    return (*end == '\0' && value > 0) ? value : fallback;
}

std::string Describe(const Step& step)
{
    char name[64] = "";
    if (step.window)
        GetClassNameA(step.window, name, sizeof name);
    char text[224];
    std::snprintf(text, sizeof text, "%s %llu: window %p (%s) message 0x%04X wParam 0x%llX lParam 0x%llX",
                  step.what, static_cast<unsigned long long>(step.index),
                  static_cast<void*>(step.window), name, step.message,
                  static_cast<unsigned long long>(step.wParam),
                  static_cast<unsigned long long>(static_cast<ULONG_PTR>(step.lParam)));
    return text;
}

namespace {

// Written by the test thread under the lock, read by the watchdog.
std::mutex Lock;
Step Current = {};
bool Busy = false;
uint64_t Started = 0;     // QueryPerformanceCounter at Begin
uint64_t Generation = 0;  // counts Begins, so that a report names one step once
// The steps before the current one, for the report of a hang.
constexpr size_t HistorySize = 4096;
Step History[HistorySize] = {};

std::atomic<bool> Stop{false};
std::thread Watcher;

uint64_t Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart);
}

double Milliseconds(uint64_t ticks)
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return 1000.0 * static_cast<double>(ticks) / frequency;
}

void PrintHistory()
{
    for (uint64_t g = Generation > HistorySize ? Generation - HistorySize + 1 : 1; g < Generation; ++g) {
        const Step& earlier = History[g % HistorySize];
        if (earlier.window == Current.window)
            std::fprintf(stderr, "  %s\n", Describe(earlier).c_str());
    }
}

// A fault inside a message names it and what its window got before it.
LONG WINAPI ReportFault(EXCEPTION_POINTERS* fault)
{
    std::fprintf(stderr, "watchdog: exception 0x%08lX during %s. The steps to its window before it:\n",
                 fault->ExceptionRecord->ExceptionCode, Describe(Current).c_str());
    PrintHistory();
    std::fflush(stderr);
    return EXCEPTION_CONTINUE_SEARCH;
}

void Watch(DWORD limitMs)
{
    uint64_t reported = 0;
    while (!Stop) {
        Sleep(50);
        std::lock_guard<std::mutex> guard(Lock);
        if (!Busy)
            continue;
        const double running = Milliseconds(Now() - Started);
        if (running > limitMs && reported != Generation) {
            reported = Generation;
            std::fprintf(stderr, "watchdog: %s still running after %.0f ms\n",
                         Describe(Current).c_str(), running);
            std::fflush(stderr);
        }
        if (running > limitMs + 20000.0) {
            std::fprintf(stderr, "watchdog: %s hung for %.0f ms; ending the test. The steps to "
                         "its window before it:\n", Describe(Current).c_str(), running);
            PrintHistory();
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

}  // namespace

void StartWatchdog(DWORD limitMs)
{
    StopWatchdog();
    Stop = false;
    SetUnhandledExceptionFilter(ReportFault);
    Watcher = std::thread(Watch, limitMs);
}

void StopWatchdog()
{
    if (!Watcher.joinable())
        return;
    Stop = true;
    Watcher.join();
}

void Begin(const Step& step)
{
    std::lock_guard<std::mutex> guard(Lock);
    Current = step;
    Busy = true;
    ++Generation;
    History[Generation % HistorySize] = step;
    Started = Now();
}

double Finish()
{
    std::lock_guard<std::mutex> guard(Lock);
    Busy = false;
    return Milliseconds(Now() - Started);
}

double TimedSend(const Step& step)
{
    Begin(step);
    SendMessageA(step.window, step.message, step.wParam, step.lParam);
    return Finish();
}

namespace {

// The committed private pages of the address space, which is what Windows
// reports as PrivateUsage; Wine reports 0 there, so they are added up here.
int64_t CommittedPrivatePages()
{
    int64_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char* address = nullptr;
    while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += static_cast<int64_t>(region.RegionSize);
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total;
}

int64_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters) &&
        counters.PrivateUsage > 0)
        return static_cast<int64_t>(counters.PrivateUsage);
    return CommittedPrivatePages();
}

}  // namespace

Figures Measure()
{
    testsupport::PumpMessages(100);
    return {testsupport::CountGdiObjects(), testsupport::CountUserObjects(), PrivateBytes()};
}

Figures MeasureAgainst(const Figures& reference)
{
    Figures figures = Measure();
    for (int i = 0; i < 10 && (figures.gdi > reference.gdi || figures.user > reference.user); ++i) {
        testsupport::PumpMessages(100);
        figures = Measure();
    }
    return figures;
}

std::string Format(const Figures& figures)
{
    char text[96];
    std::snprintf(text, sizeof text, "GDI %d, USER %d, private %lld KiB", figures.gdi,
                  figures.user, static_cast<long long>(figures.privateBytes / 1024));
    return text;
}

void ExpectFlat(const Figures& first, const Figures& last, const char* what)
{
    EXPECT_GT(first.gdi, 0) << what << ": no GDI count";
    EXPECT_GT(first.user, 0) << what << ": no USER count";
    EXPECT_GT(first.privateBytes, 0) << what << ": no private bytes";
    // Fewer is no leak: a control may have let go of what it made for a
    // passing state (a caret, a dropped list) that the first count met.
    EXPECT_LE(last.gdi, first.gdi) << what << ": GDI objects";
    EXPECT_LE(last.user, first.user) << what << ": USER objects";
    EXPECT_LE(last.privateBytes - first.privateBytes, PrivateBytesSlack) << what << ": private bytes";
}

HWND Control(int id) { return GetDlgItem(facts::MainDialog, id); }

void PostStartStopClick()
{
    PostMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdStartStop, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(facts::IdStartStop)));
}

namespace {

void AddCommands(HMENU menu, std::vector<UINT>& commands)
{
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU popup = GetSubMenu(menu, i))
            AddCommands(popup, commands);
        else
            commands.push_back(GetMenuItemID(menu, i));
    }
}

}  // namespace

std::vector<UINT> MenuCommands()
{
    std::vector<UINT> commands;
    AddCommands(GetMenu(facts::MainDialog), commands);
    return commands;
}

scripted::Script SelfStopping(int buffers, std::function<void(int)> during)
{
    scripted::Script script;
    script.buffersToDeliver = buffers;
    script.deviceNames = {"Scripted"};
    script.fill = [](int16_t* samples, int count, int index) {
        scripted::FillTone(samples, count, 10 + index % 400, 6000);
    };
    script.onQueued = [buffers, during](int index) {
        if (during)
            during(index);
        if (index == buffers + 1)
            PostStartStopClick();
    };
    return script;
}

void WatchedWindow::SetUp()
{
    apptest::MainWindow::SetUp();
    StartWatchdog(LimitMs);
}

void WatchedWindow::TearDown()
{
    StopWatchdog();
    apptest::MainWindow::TearDown();
    scripted::Uninstall();
}

}  // namespace hardening
