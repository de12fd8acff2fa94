// Faults injected under the real main window's capture: a sound card that
// refuses to open, never hands the buffer back or will not take it; device
// lists that are empty or hold names that are not text; the window closed in
// the middle of things; a thousand Starts and Stops. Each test checks what
// the user sees, that nothing is left open, and that the program goes on
// working afterwards.
#include <windows.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "capture/soundcard.h"
#include "display/drawing.h"
#include "display/mouse.h"
#include "display/surface.h"
#include "dsp/fft.h"
#include "dsp/sizes.h"
#include "commands/about.h"
#include "commands/accessories.h"
#include "commands/savefft.h"
#include "tests/capture/capture_fixture.h"
#include "tests/support/scripted_device.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"

namespace {

using Capture = CaptureTest;
using Counts = testsupport::ObjectCounts;
using testsupport::ExpectCountsAre;
using testsupport::SettledObjectCounts;
using testsupport::WarningsDuring;

const char* const DidNotOpen = Capture::DidNotOpen;

void ExpectAWarningBox(const testsupport::SeenMessageBox& box, const std::string& text)
{
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.owner, nullptr) << text;
    EXPECT_NE(box.icon, nullptr) << text;
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"}) << text;
}

// ------------------------------------------------------- the device list

std::vector<std::string> Listed;

void ListThenPressOk()
{
    Listed = Capture::ListedNames();
    Capture::PressOk();
}

// No sound card at all: the dialog warns once per opening and lists nothing,
// OK stores the wave mapper, and Start asks the mapper, which fails too and
// warns. Each round shows both warnings again and leaves nothing behind.
TEST_F(CaptureTest, WithNoDevicesTheDialogAndStartWarnInTurn)
{
    scripted::Script none;
    none.openFails = true;
    scripted::Install(none);
    capture::InputDevice = 0;
    Counts warm = {};
    for (int round = 0; round < 3; ++round) {
        testsupport::StartMessageBoxWatch("Warning");
        Capture::OpenSoundcardDialog(ListThenPressOk);
        Capture::ClickStartStop();
        const std::vector<testsupport::SeenMessageBox> boxes = testsupport::StopMessageBoxWatch();
        const std::vector<std::string> expected = {"You have no audio input devices!", DidNotOpen};
        ASSERT_EQ(boxes.size(), expected.size()) << "round " << round;
        for (size_t i = 0; i < expected.size(); ++i)
            ExpectAWarningBox(boxes[i], expected[i]);
        EXPECT_TRUE(Listed.empty());
        EXPECT_EQ(capture::InputDevice, -1);
        EXPECT_EQ(scripted::Seen().openedDevice, WAVE_MAPPER);
        EXPECT_EQ(capture::SoundcardDialog, nullptr);
        ExpectIdle("round " + std::to_string(round));
        if (round == 0)
            warm = SettledObjectCounts();
    }
    ExpectCountsAre(warm, "three rounds without devices");
    EXPECT_EQ(scripted::CountCalls("open"), 3);
    EXPECT_EQ(scripted::CountCalls("close"), 0);
    ExpectNextStartWorks("no devices");
}

std::string ByteRun(int first, int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>(first + i);
    return bytes;
}

// A driver's szPname is 32 bytes that need not be text nor end in a NUL.
// Each entry is the name up to its first NUL or its 32nd byte, never what
// the capabilities record holds after it.
TEST_F(CaptureTest, DeviceNamesAreListedUpToTheirThirtySecondByte)
{
    struct NameCase { std::string reported, listed; };
    const std::string letters32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    const NameCase cases[] = {
        {letters32.substr(0, 31), letters32.substr(0, 31)},
        {letters32, letters32},
        {letters32 + "beyond", letters32},
        {ByteRun(0x80, 32), ByteRun(0x80, 32)},
        {ByteRun(0xE0, 32), ByteRun(0xE0, 32)},
        {ByteRun(0xA0, 31), ByteRun(0xA0, 31)},
        {std::string("Mic\0rophone", 10), "Mic"},
        {"", ""},
    };
    scripted::Script script;
    std::vector<std::string> expected;
    for (const NameCase& c : cases) {
        script.deviceNames.push_back(c.reported);
        expected.push_back(c.listed);
    }
    scripted::Install(script);
    capture::InputDevice = 1;
    Capture::OpenSoundcardDialog(ListThenPressOk);

    ASSERT_EQ(Listed.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Listed[i].size(), expected[i].size()) << "device " << i;
        EXPECT_EQ(Listed[i], expected[i]) << "device " << i;
    }
    EXPECT_EQ(capture::InputDevice, 1);
    ExpectNextStartWorks("odd device names");
}

// ------------------------------------------------ the device will not open

// Clicks Start `times` times, each click ending in a warning; returns how
// many of the warnings read `text`.
int WarnedStarts(int times, const char* text)
{
    static int clicks;
    clicks = times;
    const std::vector<std::string> warnings = WarningsDuring([] {
        for (int i = 0; i < clicks; ++i)
            Capture::ClickStartStop();
    });
    EXPECT_EQ(warnings.size(), static_cast<size_t>(times));
    return static_cast<int>(std::count(warnings.begin(), warnings.end(), text));
}

// The first boxes make what the system keeps for all message boxes (fonts,
// the icon, the buttons' theme), as far as each got in painting before the
// watcher closed it; so Starts that warn come in threes until a three
// changes nothing. Returns the counts then; a leak of one object per warning
// never lets the warm-up settle.
Counts WarmedUpWarnings(const char* text, int* starts = nullptr)
{
    WarningsDuring([] {});  // the watcher's own thread is no part of the count
    const Counts fresh = SettledObjectCounts();
    Counts warm = fresh;
    int warmUp = 0;
    for (bool settled = false; !settled && warmUp < 30; warmUp += 3) {
        EXPECT_EQ(WarnedStarts(3, text), 3);
        const Counts now = SettledObjectCounts();
        settled = warmUp > 0 && now == warm;
        warm = now;
    }
    std::cout << "message boxes of " << warmUp << " warnings: GDI " << fresh.gdi << " -> "
              << warm.gdi << ", USER " << fresh.user << " -> " << warm.user << "\n";
    if (starts)
        *starts = warmUp;
    return warm;
}

// Every refused Start warns once and leaves the window idle: the device is
// asked to open and nothing more, and only the rate is taken up. After the
// warm-up neither 3 nor 30 more refusals may leave anything behind.
TEST_F(CaptureTest, RefusedStartsWarnEachTimeAndLeaveNoObjects)
{
    scripted::Script refuses;
    refuses.openFails = true;
    scripted::Install(refuses);
    CheckRates(0, 1, 0);
    testsupport::StartMessageBoxWatch("Warning");
    ClickStartStop();
    const std::vector<testsupport::SeenMessageBox> boxes = testsupport::StopMessageBoxWatch();
    ASSERT_EQ(boxes.size(), 1u);
    ExpectAWarningBox(boxes[0], DidNotOpen);
    EXPECT_EQ(scripted::Seen().calls, std::vector<std::string>{"open"});
    EXPECT_EQ(StartStopCaption(), "&Start");
    EXPECT_TRUE(IsWindowEnabled(facts::SampleRatePanel));
    EXPECT_EQ(capture::WaveIn, nullptr);
    EXPECT_EQ(facts::SampleRate, 22050);

    int warmUp = 0;
    const Counts warm = WarmedUpWarnings(DidNotOpen, &warmUp);
    for (int times : {3, 30}) {
        EXPECT_EQ(WarnedStarts(times, DidNotOpen), times);
        ExpectCountsAre(warm, std::to_string(times) + " refused Starts");
    }
    EXPECT_EQ(scripted::CountCalls("open"), 1 + warmUp + 33);
    EXPECT_EQ(scripted::Seen().calls.size(), 1 + warmUp + 33u) << "a refused device was used further";
    ExpectIdle("refused Starts");
    ExpectNextStartWorks("refused Starts");
}

// ------------------------------------- the buffer stalls or is not taken

const char Stopped[] = "Wave input device stopped!";

// What the user saw while a stalled capture ran, and whether the test's own
// timer had to end it.
struct Stalled {
    std::string caption;
    bool ratesEnabled = true;
    bool deviceOpen = false;
};
Stalled During;
bool RescuedByTimer = false;

void Look()
{
    During.caption = Capture::StartStopCaption();
    During.ratesEnabled = IsWindowEnabled(facts::SampleRatePanel) != FALSE;
    During.deviceOpen = capture::WaveIn != nullptr;
}

void CALLBACK LookThenPressStop(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    Look();
    Capture::PostStartStopClick();
}

void CALLBACK Rescue(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (capture::WaveIn) {
        RescuedByTimer = true;
        capture::StopCapture();
    }
}

// Start, and press Stop after `milliseconds` of capture; returns when the
// click on Start has returned, with the warnings that came up meanwhile.
std::vector<std::string> StartThenStopAfter(UINT milliseconds)
{
    static UINT stopAfter;
    stopAfter = milliseconds;
    During = Stalled();
    RescuedByTimer = false;
    return WarningsDuring([] {
        SetTimer(nullptr, 0, stopAfter, LookThenPressStop);
        const UINT_PTR rescue = SetTimer(nullptr, 0, stopAfter + 5000, Rescue);
        Capture::ClickStartStop();
        KillTimer(nullptr, rescue);
    });
}

scripted::Script ToneScript(int buffersToDeliver)
{
    scripted::Script script;
    script.buffersToDeliver = buffersToDeliver;
    script.fill = [](int16_t* samples, int count, int) {
        scripted::FillTone(samples, count, 24, 16465.0);
    };
    return script;
}

struct StallCase {
    const char* fault;
    bool prepareFails, addBufferFails;
    int buffersToDeliver;
    DWORD atLeastMs, atMostMs;  // from the click on Start to the warning's end
    std::vector<std::string> calls;  // empty: too many to list
    bool emptyAfterFirst = false;    // later buffers come back at once, silent and empty
    bool resetKeepsBuffer = false;   // the buffer stays queued, yet the device closes
    int rounds = 1;                  // the same fault, Start after Start
};

// A device that stops delivering ends capture as Stop ends it and says so:
// after the loop's own 5 s before the first buffer and 2 s after one, at
// once when it will not take the buffer. The last spectrum stays, the device
// is closed, and the next Start records, however often the fault came.
TEST_F(CaptureTest, ADeviceThatStopsDeliveringEndsCaptureWithAWarning)
{
    const std::vector<std::string> armOnce = {"open", "start", "prepare", "add", "reset", "unprepare", "close"};
    const StallCase cases[] = {
        {"a buffer that never returns", false, false, 0, 4900, 6500, armOnce},
        {"a buffer that returns once, then never", false, false, 1, 1900, 3500,
         {"open", "start", "prepare", "add", "unprepare", "prepare", "add", "reset", "unprepare", "close"}},
        {"waveInAddBuffer failing", false, true, -1, 0, 1800, armOnce},
        {"waveInPrepareHeader failing", true, false, -1, 0, 1800,
         {"open", "start", "prepare", "reset", "close"}},
        {"a buffer that returns once, then empty for ever", false, false, -1, 1900, 3500, {}, true},
        // Each round leaves its buffer marked as queued on a closed device.
        {"Wine's sound server dying three times", false, false, 1, 1900, 5000, {}, false, true, 3},
    };
    ExpectNextStartWorks("the first capture");
    for (const StallCase& c : cases) {
        scripted::Script script = ToneScript(c.buffersToDeliver);
        script.prepareFails = c.prepareFails;
        script.addBufferFails = c.addBufferFails;
        script.resetKeepsBuffer = c.resetKeepsBuffer;
        if (c.emptyAfterFirst) {
            script.bytesRecorded = [](int index) -> DWORD {
                return index == 1 ? dsp::CaptureSamples * sizeof(int16_t) : 0;
            };
            script.fill = [](int16_t* samples, int count, int index) {
                std::fill(samples, samples + count, 0);
                if (index == 1)
                    scripted::FillTone(samples, count, 24, 16465.0);
            };
        }
        for (int round = 1; round <= c.rounds; ++round) {
            SCOPED_TRACE("round " + std::to_string(round));
            scripted::Install(script);
            dsp::Spectrum[24] = 1.0f;
            const DWORD started = GetTickCount();
            const std::vector<std::string> warnings = WarningsDuring([] { Capture::ClickStartStop(); });
            const DWORD took = GetTickCount() - started;

            EXPECT_EQ(warnings, std::vector<std::string>{Stopped}) << c.fault;
            EXPECT_GE(took, c.atLeastMs) << c.fault;
            EXPECT_LE(took, c.atMostMs) << c.fault;
            if (!c.calls.empty()) {
                EXPECT_EQ(scripted::Seen().calls, c.calls) << c.fault;
            } else if (c.emptyAfterFirst) {
                EXPECT_GT(scripted::Seen().queued, 100) << c.fault;
            }
            EXPECT_EQ(scripted::Seen().openHandles, 0) << c.fault;
            if (!c.prepareFails && !c.addBufferFails) {
                EXPECT_EQ(scripted::Seen().bufferAddresses.front(), capture::CaptureBuffer) << c.fault;
            }
            const bool toneKept = c.buffersToDeliver == 1 || c.emptyAfterFirst;
            EXPECT_NEAR(dsp::Spectrum[24], toneKept ? 84300.0 : 1.0, 84.3) << c.fault;
            ExpectIdle(c.fault);
        }
        ExpectNextStartWorks(c.fault);
    }
}

// The loop's clock, 100 ms further at every reading: each pass counts as a
// long one, and a stalled device is given up in a few dozen passes.
DWORD FastClock()
{
    static DWORD now = 0;
    return now += 100;
}

// Twenty stalled devices in a row each warn once and leave nothing behind.
TEST_F(CaptureTest, StoppedDevicesLeaveNoObjects)
{
    winlayer::platform::Calls.Milliseconds = FastClock;
    scripted::Install(ToneScript(1));
    const Counts warm = WarmedUpWarnings(Stopped);
    EXPECT_EQ(WarnedStarts(20, Stopped), 20);
    ExpectCountsAre(warm, "20 stopped devices");
    ExpectIdle("20 stopped devices");
    ExpectNextStartWorks("20 stopped devices");
}

struct SteadyCase {
    const char* device;
    int buffersToDeliver;
    UINT firstAfterMs, laterAfterMs, stopAfterMs;
    int atLeastQueued;
    int unprepared;  // -1: as many as came in the time
};

// Devices that deliver late or slowly, but steadily, are never given up, and
// Stop ends a stall long before the device would be, even when no buffer ever
// came back: until then the user saw a running capture, and the Stop hands
// back the buffer the device held.
TEST_F(CaptureTest, SlowDevicesAndStopsDuringAStallGiveNoWarning)
{
    const SteadyCase cases[] = {
        {"a buffer every 500 ms", -1, 500, 500, 10000, 15, -1},
        {"a first buffer after 4 s", -1, 4000, 100, 5000, 3, -1},
        {"Stop during a stall", 1, 0, 0, 150, 2, 2},
        {"Stop while the first buffer never returns", 0, 0, 0, 200, 1, 1},
    };
    for (const SteadyCase& c : cases) {
        scripted::Script script = ToneScript(c.buffersToDeliver);
        script.firstBufferAfterMs = c.firstAfterMs;
        script.buffersAfterMs = c.laterAfterMs;
        scripted::Install(script);
        EXPECT_TRUE(StartThenStopAfter(c.stopAfterMs).empty()) << c.device;
        EXPECT_EQ(During.caption, "&Stop") << c.device;
        EXPECT_FALSE(During.ratesEnabled) << c.device;
        EXPECT_TRUE(During.deviceOpen) << c.device;
        EXPECT_FALSE(RescuedByTimer) << c.device;
        EXPECT_GE(scripted::Seen().queued, c.atLeastQueued) << c.device;
        if (c.unprepared >= 0) {
            EXPECT_EQ(scripted::CountCalls("unprepare"), c.unprepared) << c.device;
        }
        EXPECT_EQ(scripted::CountCalls("close"), 1) << c.device;
        ExpectIdle(c.device);
    }
}

// A menu or the About box held open inside the loop: its time is not the
// loop's waiting.
enum class Holder { Menu, About };
Holder Holding;
DWORD HolderClosedAt = 0;

void CALLBACK OpenHolder(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (Holding == Holder::Menu)
        TrackPopupMenu(GetSubMenu(GetMenu(facts::MainDialog), 0), TPM_LEFTALIGN, 0, 0, 0,
                       facts::MainDialog, nullptr);
    else
        SendMessageA(facts::MainDialog, WM_COMMAND, facts::IdMenuAbout, 0);
}

void CALLBACK CloseHolder(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    Look();
    HolderClosedAt = GetTickCount();
    if (Holding == Holder::Menu)
        EndMenu();
    else if (commands::AboutBox)
        PostMessageA(commands::AboutBox, WM_SYSCOMMAND, SC_CLOSE, 0);
}

TEST_F(CaptureTest, AMenuOrBoxHeldOpenDoesNotCountAsWaiting)
{
    for (Holder holder : {Holder::Menu, Holder::About}) {
        const char* what = holder == Holder::Menu ? "the File menu" : "the About box";
        Holding = holder;
        During = Stalled();
        scripted::Install(ToneScript(1));
        const DWORD started = GetTickCount();
        const std::vector<std::string> warnings = WarningsDuring([] {
            const UINT_PTR open = SetTimer(nullptr, 0, 1000, OpenHolder);
            const UINT_PTR close = SetTimer(nullptr, 0, 6000, CloseHolder);
            Capture::ClickStartStop();
            KillTimer(nullptr, open);
            KillTimer(nullptr, close);
        });
        const DWORD took = GetTickCount() - started;
        const DWORD afterClose = GetTickCount() - HolderClosedAt;
        EXPECT_EQ(During.caption, "&Stop") << what << " closed after 5 s";
        EXPECT_EQ(warnings, std::vector<std::string>{Stopped}) << what;
        EXPECT_GE(took, 6800u) << what;
        // The 2 s of waiting after a buffer are counted from the close. The
        // bound is on that stretch alone, not on the timers that a busy
        // machine runs late; it still tells 2 s from the 5 s of a loop that
        // had begun its wait anew.
        EXPECT_LE(afterClose, 4000u) << what;
        ExpectIdle(what);
    }
}

// ------------------------------------------- a thousand Starts and Stops

// Thousands of buffers of changing tones, then hundreds of one-buffer runs
// and a thousand Starts and Stops in a row: every device is closed, the
// window ends idle and no GDI or USER object stays.
TEST_F(CaptureTest, AThousandStartsAndStopsInARowEndIdle)
{
    scripted::Script buffers;
    buffers.buffersToDeliver = 2000;
    buffers.fill = [](int16_t* samples, int count, int index) {
        scripted::FillTone(samples, count, 1 + index % 500, 10000.0);
    };
    buffers.onQueued = [](int index) { if (index == 2001) Capture::PostStartStopClick(); };
    // Every buffer comes back at once; the second of each run presses Stop.
    scripted::Script cycle;
    cycle.onQueued = [](int index) { if (index % 2 == 0) Capture::PostStartStopClick(); };
    scripted::Install(buffers);
    Capture::ClickStartStop();  // warms up anything created once
    scripted::Install(cycle);
    Capture::ClickStartStop();
    const Counts warm = SettledObjectCounts();

    scripted::Install(buffers);
    Capture::ClickStartStop();
    EXPECT_EQ(scripted::CountCalls("unprepare"), 2001);
    scripted::Script oneBuffer;
    oneBuffer.buffersToDeliver = 1;
    oneBuffer.onQueued = [](int index) { if (index == 2) Capture::PostStartStopClick(); };
    for (int i = 0; i < 300; ++i) {
        scripted::Install(oneBuffer);
        Capture::ClickStartStop();
    }
    ExpectCountsAre(warm, "2000 buffers and 300 one-buffer runs");

    scripted::Install(cycle);
    for (int i = 0; i < 1000; ++i)
        Capture::ClickStartStop();

    EXPECT_EQ(scripted::CountCalls("open"), 1000);
    EXPECT_EQ(scripted::CountCalls("unprepare"), 2000) << "a buffer and the one Stop handed back, each time";
    EXPECT_EQ(scripted::CountCalls("reset"), 1000);
    EXPECT_EQ(scripted::CountCalls("close"), 1000);
    ExpectIdle("1000 Starts and Stops");
    ExpectCountsAre(warm, "1000 Starts and Stops");
    ExpectNextStartWorks("1000 Starts and Stops");
}

// ------------------------------------------------ closing in the middle

enum class Showing { Nothing, About, Soundcard, Warning };

struct CloseCase {
    const char* when;
    bool capturing;
    Showing showing;
    // The buffers the device hands back before it stalls (-1: every one) and
    // the queued buffer at which the close comes; the unprepares then, -1
    // for as many as came meanwhile.
    int buffers = -1, closeAt = 2, unprepared = -1;
};

const CloseCase* Closing = nullptr;
bool ClosedByRescue = false;
// Whether the drawing surface was still there when the device closed, and
// what the pen had become once the program's loop returned.
bool SurfaceAliveAtClose = false;
HPEN PenAtClose = nullptr;
DWORD PenAfterTheLoop = 0;

void PostClose()
{
    PostMessageA(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

HWND ShownDialog()
{
    switch (Closing->showing) {
    case Showing::About:
        return commands::AboutBox;
    case Showing::Soundcard:
        return capture::SoundcardDialog;
    default:
        return FindWindowA("#32770", "Warning");
    }
}

// The close box is pressed once the dialog or box is on the screen; the main
// window is disabled under a dialog, but a close still comes (from the
// taskbar, or the session ending). A warning is then answered with OK.
void CALLBACK CloseOnceShown(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dialog = ShownDialog();
    if (!dialog || !IsWindowVisible(dialog))
        return;
    KillTimer(nullptr, id);
    PostClose();
    if (Closing->showing == Showing::Warning)
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void ShowThenClose()
{
    if (Closing->showing == Showing::Nothing) {
        PostClose();
        return;
    }
    SetTimer(nullptr, 0, 20, CloseOnceShown);
    if (Closing->showing == Showing::Warning) {
        Capture::ClickStartStop();  // refused: the warning's loop runs inside
        return;
    }
    const int item = Closing->showing == Showing::About ? facts::IdMenuAbout
                                                         : facts::IdMenuSelectSoundcard;
    PostMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(item, 0), 0);
}

// Runs inside the program's own loop, as the user's first action.
void CALLBACK BeginClosingCase(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (Closing->capturing)
        Capture::ClickStartStop();  // the second buffer shows and closes
    else
        ShowThenClose();
}

// Should the close not end the program, this ends it so that the test can
// report it instead of hanging.
void CALLBACK RescueFromTheLoop(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (IsWindow(facts::MainDialog)) {
        ClosedByRescue = true;
        capture::WaveIn = nullptr;
        DestroyWindow(facts::MainDialog);
    }
}

// The program from its start to its loop's end, closed in the case's way.
INT_PTR RunClosingCase(const CloseCase& c)
{
    Closing = &c;
    ClosedByRescue = false;
    scripted::Script script;
    script.deviceNames = {"Scripted"};
    script.openFails = c.showing == Showing::Warning;
    script.buffersToDeliver = c.buffers;
    script.onQueued = [](int index) { if (index == Closing->closeAt) ShowThenClose(); };
    SurfaceAliveAtClose = false;
    PenAtClose = nullptr;
    script.onClose = [] {
        PenAtClose = display::TracePen;
        SurfaceAliveAtClose = GetObjectType(display::TracePen) == OBJ_PEN &&
                              GetObjectType(display::MemoryDC) == OBJ_MEMDC &&
                              GetObjectType(display::PlotBitmap) == OBJ_BITMAP;
    };
    scripted::Install(script);
    SetTimer(nullptr, 0, 50, BeginClosingCase);
    const UINT_PTR rescue = SetTimer(nullptr, 0, 5000, RescueFromTheLoop);
    const INT_PTR result = app::RunMainWindow(nullptr);
    KillTimer(nullptr, rescue);
    PenAfterTheLoop = PenAtClose ? GetObjectType(PenAtClose) : 0;
    // Closed while idle, the program keeps its surface until it exits.
    if (display::MemoryDC)
        display::ReleasePlotSurface();
    return result;
}

// Closed during capture, over the About box, over the sound-card dialog and
// over the warning of a refused Start: the program's loop returns 0, the
// device is closed (while the drawing surface still exists, which goes after
// it), every window is gone and a second run of the same close leaves
// nothing more behind.
TEST_F(CaptureTest, ClosingInTheMiddleEndsTheLoopAndClosesEverything)
{
    const CloseCase cases[] = {
        {"during capture", true, Showing::Nothing},
        {"during capture, while the fourth buffer is out", true, Showing::Nothing, 3, 4, 4},
        {"with the About box open", false, Showing::About},
        {"with the About box open during capture", true, Showing::About},
        {"with the sound-card dialog open", false, Showing::Soundcard},
        {"with the sound-card dialog opened during capture", true, Showing::Soundcard},
        {"with the warning of a refused Start open", false, Showing::Warning},
    };
    // The program builds its own window.
    SendMessageA(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    display::ReleasePlotSurface();
    for (const CloseCase& c : cases) {
        RunClosingCase(c);
        const Counts warm = SettledObjectCounts();
        EXPECT_EQ(RunClosingCase(c), 0) << c.when;
        EXPECT_FALSE(ClosedByRescue) << c.when << ": the close did not end the program";
        EXPECT_FALSE(IsWindow(facts::MainDialog)) << c.when;
        EXPECT_FALSE(IsWindow(facts::SampleRatePanel)) << c.when;
        EXPECT_EQ(commands::AboutBox, nullptr) << c.when;
        EXPECT_EQ(commands::AboutTitleFont, nullptr) << c.when;
        EXPECT_EQ(capture::SoundcardDialog, nullptr) << c.when;
        EXPECT_EQ(capture::WaveIn, nullptr) << c.when;
        EXPECT_FALSE(FindWindowA("#32770", "Warning")) << c.when;
        const int asked = c.capturing || c.showing == Showing::Warning ? 1 : 0;
        const int opened = c.capturing ? 1 : 0;
        EXPECT_EQ(scripted::CountCalls("open"), asked) << c.when;
        EXPECT_EQ(scripted::CountCalls("reset"), opened) << c.when;
        EXPECT_EQ(scripted::CountCalls("close"), opened) << c.when;
        if (c.unprepared >= 0) {
            EXPECT_EQ(scripted::CountCalls("unprepare"), c.unprepared) << c.when;
        }
        if (c.capturing && c.showing == Showing::Nothing) {
            EXPECT_TRUE(SurfaceAliveAtClose) << c.when;
            EXPECT_EQ(PenAfterTheLoop, 0u) << c.when << ": the pen outlived the window";
        }
        ExpectCountsAre(warm, std::string("a second close ") + c.when);
    }
}

}  // namespace
