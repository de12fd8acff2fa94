// Faults injected under the real main window: a sound card that refuses to
// open, never hands the buffer back or will not take it; device lists that
// are empty or hold names that are not text; the window closed in the middle
// of things; a thousand Starts and Stops; a clipboard and a file that another
// program holds; folders that refuse files; painting while minimised and
// display changes. Each test checks what the user sees, that nothing is lost
// and nothing left open, and that the program goes on working afterwards.
#include <windows.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "capture/soundcard.h"
#include "display/plot.h"
#include "display/surface.h"
#include "dsp/fft.h"
#include "export/commands.h"
#include "export/spectrumtext.h"
#include "tests/app/main_window_fixture.h"
#include "tests/capture/capture_fixture.h"
#include "tests/export/export_fixture.h"
#include "tests/support/scripted_device.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"

namespace {

using Capture = CaptureTest;

struct Counts {
    int gdi;
    int user;
};

// The counts once the messages that were waiting have been handled.
Counts ObjectCounts()
{
    testsupport::PumpMessages(20);
    return {testsupport::CountGdiObjects(), testsupport::CountUserObjects()};
}

void ExpectCountsAre(const Counts& expected, const std::string& after)
{
    const Counts now = ObjectCounts();
    EXPECT_EQ(now.gdi, expected.gdi) << "GDI objects after " << after;
    EXPECT_EQ(now.user, expected.user) << "USER objects after " << after;
}

// The texts of the "Warning" boxes that came up during `action`; the watcher
// closes each with OK.
std::vector<std::string> WarningsDuring(void (*action)())
{
    testsupport::StartMessageBoxWatch("Warning");
    action();
    std::vector<std::string> texts;
    for (const testsupport::SeenMessageBox& box : testsupport::StopMessageBoxWatch())
        texts.push_back(box.text);
    return texts;
}

const char DidNotOpen[] = "Wave input device didn't open!";

// The window as the user finds it when nothing runs.
void ExpectIdle(const std::string& after)
{
    EXPECT_EQ(Capture::StartStopCaption(), "&Start") << after;
    EXPECT_EQ(capture::WaveIn, nullptr) << after;
    EXPECT_TRUE(IsWindowEnabled(facts::MainDialog)) << after;
    EXPECT_TRUE(IsWindowEnabled(Capture::StartStopButton())) << after;
    EXPECT_TRUE(IsWindowEnabled(facts::SampleRatePanel)) << after;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(facts::SampleRatePanel, facts::IdRateGroup))) << after;
}

// With a sound card that works again, the next Start records: a 0 dB tone
// on bin 24 reaches Spectrum, and Stop closes the device.
void ExpectNextStartWorks(const std::string& after)
{
    scripted::Script script;
    script.buffersToDeliver = 1;
    script.fill = [](int16_t* samples, int count, int) {
        scripted::FillTone(samples, count, 24, 16465.0);
    };
    script.onQueued = [](int index) { if (index == 2) Capture::PostStartStopClick(); };
    scripted::Install(script);
    dsp::Spectrum[24] = 0.0f;
    Capture::ClickStartStop();
    EXPECT_NEAR(dsp::Spectrum[24], 84300.0, 84.3) << after;
    EXPECT_EQ(scripted::CountCalls("unprepare"), 1) << after;
    EXPECT_EQ(scripted::CountCalls("close"), 1) << after;
    ExpectIdle(after);
}

class Faults : public ExportTest {
protected:
    void SetUp() override
    {
        display::ResetMouseState();
        ExportTest::SetUp();
    }
    void TearDown() override
    {
        scripted::Uninstall();
        ExportTest::TearDown();
        if (display::MemoryDC)
            display::ReleasePlotSurface();
    }
};

// ------------------------------------------------------- the device list

std::vector<std::string> Listed;

void ListThenPressOk()
{
    Listed = Capture::ListedNames();
    Capture::PressOk();
}

// No sound card at all: the dialog warns and lists nothing, OK stores the
// wave mapper, and Start asks the mapper, which fails too and warns. Each
// round shows both warnings again and leaves nothing behind.
TEST_F(Faults, WithNoDevicesTheDialogAndStartWarnInTurn)
{
    scripted::Script none;
    none.openFails = true;
    scripted::Install(none);
    capture::InputDevice = 0;
    Counts warm = {};
    for (int round = 0; round < 3; ++round) {
        const std::vector<std::string> warnings = WarningsDuring([] {
            Capture::OpenSoundcardDialog(ListThenPressOk);
            Capture::ClickStartStop();
        });
        const std::vector<std::string> expected = {"You have no audio input devices!", DidNotOpen};
        EXPECT_EQ(warnings, expected) << "round " << round;
        EXPECT_TRUE(Listed.empty());
        EXPECT_EQ(capture::InputDevice, -1);
        EXPECT_EQ(scripted::Seen().openedDevice, WAVE_MAPPER);
        EXPECT_EQ(capture::SoundcardDialog, nullptr);
        ExpectIdle("round " + std::to_string(round));
        if (round == 0)
            warm = ObjectCounts();
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
TEST_F(Faults, DeviceNamesAreListedUpToTheirThirtySecondByte)
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

int RefusedStarts(int times)
{
    static int clicks;
    clicks = times;
    const std::vector<std::string> warnings = WarningsDuring([] {
        for (int i = 0; i < clicks; ++i)
            Capture::ClickStartStop();
    });
    int matching = 0;
    for (const std::string& text : warnings)
        matching += text == DidNotOpen;
    EXPECT_EQ(warnings.size(), static_cast<size_t>(times));
    return matching;
}

bool operator==(const Counts& a, const Counts& b)
{
    return a.gdi == b.gdi && a.user == b.user;
}

// Every refused Start warns once and leaves the window idle. The first
// boxes make what the system keeps for all message boxes (fonts, the icon,
// the buttons' theme), as far as each got in painting before the watcher
// closed it; so refusals come in threes until a three changes nothing. After
// that neither 3 nor 30 more refusals may leave anything behind, and a leak
// of one object per refusal never lets the warm-up settle.
TEST_F(Faults, RefusedStartsWarnEachTimeAndLeaveNoObjects)
{
    scripted::Script refuses;
    refuses.openFails = true;
    scripted::Install(refuses);
    WarningsDuring([] {});  // the watcher's own thread is no part of the count
    const Counts fresh = ObjectCounts();
    Counts warm = fresh;
    int warmUp = 0;
    for (bool settled = false; !settled && warmUp < 30; warmUp += 3) {
        EXPECT_EQ(RefusedStarts(3), 3);
        const Counts now = ObjectCounts();
        settled = warmUp > 0 && now == warm;
        warm = now;
    }
    std::cout << "message boxes of " << warmUp << " refusals: GDI " << fresh.gdi << " -> "
              << warm.gdi << ", USER " << fresh.user << " -> " << warm.user << "\n";
    for (int times : {3, 30}) {
        EXPECT_EQ(RefusedStarts(times), times);
        ExpectCountsAre(warm, std::to_string(times) + " refused Starts");
    }
    EXPECT_EQ(scripted::CountCalls("open"), warmUp + 33);
    EXPECT_EQ(scripted::Seen().calls.size(), warmUp + 33u) << "a refused device was used further";
    ExpectIdle("refused Starts");
    ExpectNextStartWorks("refused Starts");
}

// ------------------------------------- the buffer stalls or is not taken

// What the user saw while the stalled capture ran, and whether the test's
// own timer had to end it because the button did not.
struct Stalled {
    std::string caption;
    bool ratesEnabled = true;
    bool deviceOpen = false;
};
Stalled During;
bool RescuedByTimer = false;

void CALLBACK LookThenPressStop(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    During.caption = Capture::StartStopCaption();
    During.ratesEnabled = IsWindowEnabled(facts::SampleRatePanel) != FALSE;
    During.deviceOpen = capture::WaveIn != nullptr;
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
// click on Start has returned.
void StartThenStopAfter(UINT milliseconds)
{
    During = Stalled();
    RescuedByTimer = false;
    SetTimer(nullptr, 0, milliseconds, LookThenPressStop);
    const UINT_PTR rescue = SetTimer(nullptr, 0, 5000, Rescue);
    Capture::ClickStartStop();
    KillTimer(nullptr, rescue);
}

struct StallCase {
    const char* fault;
    bool prepareFails, addBufferFails;
    int buffersToDeliver;
    std::vector<std::string> calls;
};

// Whatever the device does with the buffer, the user sees a running capture
// ("&Stop", rates locked) until Stop, which resets and closes the device.
// A failed prepare or queue is not reported: the picture simply stays.
TEST_F(Faults, ABufferThatStallsOrIsRefusedStillStopsAndTheNextStartWorks)
{
    const std::vector<std::string> armOnce = {"open", "start", "prepare", "add", "reset", "close"};
    const StallCase cases[] = {
        {"a buffer that never returns", false, false, 0, armOnce},
        {"a buffer that returns once, then never", false, false, 1,
         {"open", "start", "prepare", "add", "unprepare", "prepare", "add", "reset", "close"}},
        {"waveInAddBuffer failing", false, true, -1, armOnce},
        {"waveInPrepareHeader failing", true, false, -1, armOnce},
    };
    ExpectNextStartWorks("the first capture");
    const Counts warm = ObjectCounts();
    for (const StallCase& c : cases) {
        scripted::Script script;
        script.prepareFails = c.prepareFails;
        script.addBufferFails = c.addBufferFails;
        script.buffersToDeliver = c.buffersToDeliver;
        scripted::Install(script);
        const DWORD started = GetTickCount();
        StartThenStopAfter(150);
        const DWORD took = GetTickCount() - started;

        EXPECT_EQ(During.caption, "&Stop") << c.fault;
        EXPECT_FALSE(During.ratesEnabled) << c.fault;
        EXPECT_TRUE(During.deviceOpen) << c.fault;
        EXPECT_FALSE(RescuedByTimer) << c.fault << ": Stop did not end capture";
        EXPECT_LT(took, 2000u) << c.fault;
        EXPECT_EQ(scripted::Seen().calls, c.calls) << c.fault;
        ExpectIdle(c.fault);
        ExpectNextStartWorks(c.fault);
    }
    ExpectCountsAre(warm, "stalled captures");
}

// ------------------------------------------- a thousand Starts and Stops

TEST_F(Faults, AThousandStartsAndStopsInARowEndIdle)
{
    // Every buffer comes back at once; the second of each run presses Stop.
    scripted::Script cycle;
    cycle.onQueued = [](int index) { if (index % 2 == 0) Capture::PostStartStopClick(); };
    scripted::Install(cycle);
    Capture::ClickStartStop();
    const Counts warm = ObjectCounts();

    scripted::Install(cycle);
    for (int i = 0; i < 1000; ++i)
        Capture::ClickStartStop();

    EXPECT_EQ(scripted::CountCalls("open"), 1000);
    EXPECT_EQ(scripted::CountCalls("unprepare"), 1000);
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
};

const CloseCase* Closing = nullptr;
bool ClosedByRescue = false;

void PostClose()
{
    PostMessageA(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

HWND ShownDialog()
{
    switch (Closing->showing) {
    case Showing::About:
        return export_::AboutBox;
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
    script.onQueued = [](int index) { if (index == 2) ShowThenClose(); };
    scripted::Install(script);
    SetTimer(nullptr, 0, 50, BeginClosingCase);
    const UINT_PTR rescue = SetTimer(nullptr, 0, 5000, RescueFromTheLoop);
    const INT_PTR result = app::RunMainWindow(nullptr);
    KillTimer(nullptr, rescue);
    // Closed while idle, the program keeps its surface until it exits.
    if (display::MemoryDC)
        display::ReleasePlotSurface();
    return result;
}

// Closed during capture, over the About box, over the sound-card dialog and
// over the warning of a refused Start: the program's loop returns 0, the
// device is closed, every window is gone and a second run of the same close
// leaves nothing more behind.
TEST_F(Faults, ClosingInTheMiddleEndsTheLoopAndClosesEverything)
{
    const CloseCase cases[] = {
        {"during capture", true, Showing::Nothing},
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
        const Counts warm = ObjectCounts();
        EXPECT_EQ(RunClosingCase(c), 0) << c.when;
        EXPECT_FALSE(ClosedByRescue) << c.when << ": the close did not end the program";
        EXPECT_FALSE(IsWindow(facts::MainDialog)) << c.when;
        EXPECT_FALSE(IsWindow(facts::SampleRatePanel)) << c.when;
        EXPECT_EQ(export_::AboutBox, nullptr) << c.when;
        EXPECT_EQ(export_::AboutTitleFont, nullptr) << c.when;
        EXPECT_EQ(capture::SoundcardDialog, nullptr) << c.when;
        EXPECT_EQ(capture::WaveIn, nullptr) << c.when;
        EXPECT_FALSE(FindWindowA("#32770", "Warning")) << c.when;
        const int asked = c.capturing || c.showing == Showing::Warning ? 1 : 0;
        const int opened = c.capturing ? 1 : 0;
        EXPECT_EQ(scripted::CountCalls("open"), asked) << c.when;
        EXPECT_EQ(scripted::CountCalls("reset"), opened) << c.when;
        EXPECT_EQ(scripted::CountCalls("close"), opened) << c.when;
        ExpectCountsAre(warm, std::string("a second close ") + c.when);
    }
}

// ------------------------------------- what another program holds

// A second program holding the clipboard or a file until LetGo.
struct Held {
    HANDLE process = nullptr;
    HANDLE ready = nullptr;
    HANDLE release = nullptr;
    bool holding = false;
};

// Starts the holder with "clipboard" or "file PATH" and waits until it holds.
Held HoldElsewhere(const std::string& what)
{
    static int serial = 0;
    const std::string tag =
        "analyser_faults_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
    Held held;
    held.ready = CreateEventA(nullptr, TRUE, FALSE, (tag + "_ready").c_str());
    held.release = CreateEventA(nullptr, TRUE, FALSE, (tag + "_release").c_str());
    std::string command = "\"Z:" HOLDER "\" " + tag + "_ready " + tag + "_release " + what;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return held;
    CloseHandle(started.hThread);
    held.process = started.hProcess;
    HANDLE ends[] = {held.ready, held.process};
    held.holding = WaitForMultipleObjects(2, ends, FALSE, 20000) == WAIT_OBJECT_0;
    return held;
}

// Tells the holder to let go; its exit status once it has ended.
DWORD LetGo(Held& held)
{
    DWORD status = 99;
    SetEvent(held.release);
    if (held.process && WaitForSingleObject(held.process, 20000) == WAIT_OBJECT_0)
        GetExitCodeProcess(held.process, &status);
    for (HANDLE handle : {held.process, held.ready, held.release})
        if (handle)
            CloseHandle(handle);
    held = Held();
    return status;
}

// Every clock read gives 6 December 2026, 01:15:30.
void FixedLocalTime(SYSTEMTIME* now)
{
    const SYSTEMTIME fixed = {2026, 12, 0, 6, 1, 15, 30, 0};
    *now = fixed;
}
const char SavedName[] = "FFT06December2026011530.txt";
const std::string NotWritten = std::string("File ") + SavedName + " couldn't be written!";

class ExportFaults : public Faults {
protected:
    void SetUp() override
    {
        Faults::SetUp();
        platform::Calls.LocalTime = FixedLocalTime;
        facts::SampleRate = 44100;
        dsp::Spectrum[24] = 84300.0f;
        dsp::Spectrum[100] = 843.0f;
        text = exporting::BuildSpectrumText(dsp::Spectrum, 44100, dsp::ReferenceLevel);
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(directory.c_str());
        Faults::TearDown();
    }
    static std::vector<std::string> SaveWarnings()
    {
        return WarningsDuring([] { Menu(facts::IdMenuSaveToFile); });
    }
    // Saves and expects silence and the whole text with its empty line.
    void ExpectSavedWhole(const std::string& after)
    {
        EXPECT_TRUE(SaveWarnings().empty()) << after;
        EXPECT_EQ(ReadFile(SavedName), text + "\r\n") << after;
    }
    std::string text;  // the spectrum as text, as both commands give it
};

// Another program keeps the clipboard open while the user copies hundreds
// of times: nothing is shown, its contents stay, no block is left behind,
// and saving to a file works meanwhile. Once it lets go, Copy works again.
TEST_F(ExportFaults, AClipboardHeldByAnotherProgramIsLeftAloneAndWorksAfterwards)
{
    PutOnClipboard("before");
    Held held = HoldElsewhere("clipboard");
    ASSERT_TRUE(held.holding);
    static SIZE_T before, after;
    const std::vector<std::string> warnings = WarningsDuring([] {
        Menu(facts::IdMenuSaveToClipboard);
        before = PagefileBytes();
        for (int i = 0; i < 500; ++i)
            Menu(facts::IdMenuSaveToClipboard);
        after = PagefileBytes();
        Menu(facts::IdMenuSaveToFile);
    });
    EXPECT_TRUE(warnings.empty());
    // Each block holds the 8 KB text; 500 left behind would be 4 MB.
    EXPECT_LT(after, before + 1024 * 1024) << before << " -> " << after;
    EXPECT_EQ(ReadFile(SavedName), text + "\r\n");
    EXPECT_EQ(LetGo(held), 0u);

    EXPECT_EQ(ClipboardSeenByAnotherProcess(), "before");
    Menu(facts::IdMenuSaveToClipboard);
    EXPECT_EQ(ClipboardSeenByAnotherProcess(), text);
}

// The file of that name is held open, without sharing, by another program:
// one warning, its contents stay; once it is closed the save works.
TEST_F(ExportFaults, AFileHeldByAnotherProgramIsReportedAndKept)
{
    Held held = HoldElsewhere("file \"" + directory + "\\" + SavedName + "\"");
    ASSERT_TRUE(held.holding);
    EXPECT_EQ(SaveWarnings(), std::vector<std::string>{NotWritten});
    EXPECT_EQ(LetGo(held), 0u);
    EXPECT_EQ(ReadFile(SavedName), "kept");
    ExpectSavedWhole("the other program closed the file");
}

// Makes the current directory the folder `name` of the small file systems
// that the test command mounts (tests/app/fault_disks.sh), as Wine's drive
// Z: shows it; skips the test when it is an ordinary folder.
void EnterFaultDisk(const char* name)
{
    std::string path = std::string("Z:") + FAULT_DISKS + "/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    ULARGE_INTEGER total = {};
    if (!GetDiskFreeSpaceExA(path.c_str(), nullptr, &total, nullptr))
        GTEST_SKIP() << path << " does not exist";
    if (total.QuadPart > 16u * 1024 * 1024)
        GTEST_SKIP() << path << " is no small file system of its own: mounting one needs root";
    ASSERT_TRUE(SetCurrentDirectoryA(path.c_str()));
}

bool Entered()
{
    return !testing::Test::IsSkipped() && !testing::Test::HasFatalFailure();
}

// A folder nothing can be written to, however privileged: a read-only
// mount. One warning, nothing created, and the spectrum still copies.
TEST_F(ExportFaults, ASaveIntoAReadOnlyFolderIsReportedAndCreatesNothing)
{
    EnterFaultDisk("readonly");
    if (!Entered())
        return;
    ASSERT_TRUE(DirectoryIsEmpty());
    EXPECT_EQ(SaveWarnings(), std::vector<std::string>{NotWritten});
    EXPECT_TRUE(DirectoryIsEmpty());
    SetCurrentDirectoryA(directory.c_str());
    Menu(facts::IdMenuSaveToClipboard);
    EXPECT_EQ(ClipboardSeenByAnotherProcess(), text);
}

// Fills the current directory's file system with the file "filler", 1 KB
// at a time, then gives `room` bytes back; the bytes it holds then.
size_t FillTheDiskLeaving(LONG room)
{
    HANDLE filler = CreateFileA("filler", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string block(1024, 'f');
    size_t filled = 0;
    DWORD written = 0;
    while (WriteFile(filler, block.data(), 1024, &written, nullptr) && written > 0)
        filled += written;
    filled -= room;
    SetFilePointer(filler, static_cast<LONG>(filled), nullptr, FILE_BEGIN);
    SetEndOfFile(filler);
    CloseHandle(filler);
    return filled;
}

// The disk is full, or has room for half the text: the user is told, what
// reached the disk is the start of the text and not all of it, the file
// that filled the disk stays whole, and with room again the same spectrum
// saves whole.
TEST_F(ExportFaults, ASaveOntoAFullDiskIsReportedAndWorksOnceThereIsRoom)
{
    EnterFaultDisk("full");
    if (!Entered())
        return;
    for (LONG room : {0, 4096}) {
        DeleteFileA(SavedName);
        const size_t filled = FillTheDiskLeaving(room);
        ASSERT_GT(filled, 0u);

        EXPECT_EQ(SaveWarnings(), std::vector<std::string>{NotWritten}) << room << " bytes free";
        const std::string part = ReadFile(SavedName);
        EXPECT_LT(part.size(), text.size()) << room << " bytes free";
        EXPECT_EQ(part, text.substr(0, part.size())) << room << " bytes free";
        EXPECT_EQ(ReadFile("filler"), std::string(filled, 'f')) << room << " bytes free";

        ASSERT_TRUE(DeleteFileA("filler"));
        ExpectSavedWhole("room was made");
    }
    DeleteFileA(SavedName);
}

// ------------------------------------------ painting and the display

std::vector<uint32_t> PlotBitmap()
{
    return apptest::Snapshot(display::MemoryDC, display::PlotWidth, display::PlotHeight);
}

// What the whole screen shows in `area`, once the display has caught up.
std::vector<uint32_t> ScreenIn(const RECT& area)
{
    testsupport::PumpMessages(60);
    HDC screen = GetDC(nullptr);
    std::vector<uint32_t> pixels = apptest::Snapshot(screen, area.right - area.left,
                                                     area.bottom - area.top, area.left, area.top);
    ReleaseDC(nullptr, screen);
    return pixels;
}

size_t Lit(const std::vector<uint32_t>& pixels)
{
    return pixels.size() - std::count(pixels.begin(), pixels.end(), 0u);
}

// The plot control's client area on the screen.
RECT PlotOnScreen()
{
    RECT area;
    GetClientRect(display::PlotWindow, &area);
    MapWindowPoints(display::PlotWindow, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

// Every way a paint can come while the window is minimised, and buffers
// arriving meanwhile.
void PaintWhileMinimised()
{
    UpdateWindow(facts::MainDialog);
    RedrawWindow(facts::MainDialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SendMessageA(facts::MainDialog, WM_PAINT, 0, 0);
    scripted::Script script;
    script.fill = [](int16_t* samples, int count, int) {
        scripted::FillTone(samples, count, 24, 16465.0);
    };
    script.onQueued = [](int index) { if (index == 5) Capture::PostStartStopClick(); };
    scripted::Install(script);
    Capture::ClickStartStop();
}

// Minimised, the window paints and analyses buffers without drawing on
// what the screen shows where the plot was; restored, it shows the plot.
TEST_F(Faults, PaintingWhileMinimisedDrawsNothingOutsideAndRestoreShowsThePlot)
{
    SendMessageA(facts::MainDialog, WM_PAINT, 0, 0);
    const RECT where = PlotOnScreen();
    ASSERT_EQ(ScreenIn(where), PlotBitmap()) << "the plot is not on the screen to begin with";
    PaintWhileMinimised();  // warms up the capture
    const Counts warm = ObjectCounts();

    ShowWindow(facts::MainDialog, SW_MINIMIZE);
    const std::vector<uint32_t> uncovered = ScreenIn(where);
    ASSERT_TRUE(IsIconic(facts::MainDialog));
    EXPECT_NE(uncovered, PlotBitmap()) << "the plot stayed on the screen";
    PaintWhileMinimised();
    EXPECT_EQ(scripted::CountCalls("unprepare"), 4);
    EXPECT_NEAR(dsp::Spectrum[24], 84300.0, 84.3);
    EXPECT_EQ(ScreenIn(where), uncovered) << "drawn on the screen while minimised";

    ShowWindow(facts::MainDialog, SW_RESTORE);
    EXPECT_FALSE(IsIconic(facts::MainDialog));
    const std::vector<uint32_t> restored = ScreenIn(PlotOnScreen());
    EXPECT_GT(Lit(restored), 1000u) << "the plot is black after the restore";
    EXPECT_EQ(restored, PlotBitmap());
    ExpectIdle("painting while minimised");
    ExpectCountsAre(warm, "painting while minimised");
}

class DisplayFaults : public Faults {
protected:
    void TearDown() override
    {
        // Back to the mode in the registry, whatever the test left.
        ChangeDisplaySettingsA(nullptr, 0);
        Faults::TearDown();
    }
};

// A mode of the display other than the current one, of its size, if the
// display offers one.
bool OtherModeOfTheSameSize(DEVMODEA& other)
{
    DEVMODEA current = {};
    current.dmSize = sizeof current;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current);
    for (DWORD i = 0;; ++i) {
        other = DEVMODEA();
        other.dmSize = sizeof other;
        if (!EnumDisplaySettingsA(nullptr, i, &other))
            return false;
        if (other.dmPelsWidth == current.dmPelsWidth && other.dmPelsHeight == current.dmPelsHeight &&
            other.dmBitsPerPel != current.dmBitsPerPel)
            return true;
    }
}

bool PaintsAndShows()
{
    display::ClearPlot();
    SendMessageA(facts::MainDialog, WM_PAINT, 0, 0);
    const std::vector<uint32_t> bitmap = PlotBitmap();
    const std::vector<uint32_t> shown =
        apptest::Snapshot(display::PlotDC, display::PlotWidth, display::PlotHeight);
    return Lit(bitmap) > 1000 && Lit(shown) > 1000;
}

// WM_DISPLAYCHANGE as the system sends it, 100 times, and a real change of
// the display's colour depth and back: the plot still draws and shows, and
// a second round of changes leaves nothing behind.
TEST_F(DisplayFaults, ADisplayChangeLeavesThePlotDrawing)
{
    ASSERT_TRUE(PaintsAndShows());
    Counts warm = ObjectCounts();
    for (int i = 0; i < 100; ++i)
        SendMessageA(facts::MainDialog, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_TRUE(PaintsAndShows());
    EXPECT_EQ(apptest::Snapshot(display::PlotDC, display::PlotWidth, display::PlotHeight), PlotBitmap());
    ExpectCountsAre(warm, "100 WM_DISPLAYCHANGE");

    DEVMODEA other;
    if (!OtherModeOfTheSameSize(other))
        GTEST_SKIP() << "the display offers no other mode; only WM_DISPLAYCHANGE was tried";
    std::cout << "changing the display to " << other.dmBitsPerPel << " bits per pixel and back\n";
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(ChangeDisplaySettingsA(&other, 0), DISP_CHANGE_SUCCESSFUL) << other.dmBitsPerPel << " bits";
        testsupport::PumpMessages(100);
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), static_cast<int>(other.dmBitsPerPel));
        ReleaseDC(nullptr, screen);
        EXPECT_TRUE(PaintsAndShows()) << "at " << other.dmBitsPerPel << " bits";
        ASSERT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
        testsupport::PumpMessages(100);
        EXPECT_TRUE(PaintsAndShows()) << "back from " << other.dmBitsPerPel << " bits";
        EXPECT_EQ(ScreenIn(PlotOnScreen()), PlotBitmap()) << "back from " << other.dmBitsPerPel << " bits";
        if (round == 0)
            warm = ObjectCounts();
    }
    ExpectCountsAre(warm, "a second change of depth and back");
}

}  // namespace
