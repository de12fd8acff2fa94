// Faults that need the whole window: a full disk under the save, painting
// while minimised and display changes. Each test checks what the user sees,
// that nothing is lost, and that the program goes on working afterwards.
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
#include "commands/about.h"
#include "commands/accessories.h"
#include "commands/savefft.h"
#include "commands/spectrumtext.h"
#include "tests/app/main_window_fixture.h"
#include "tests/capture/capture_fixture.h"
#include "tests/commands/commands_fixture.h"
#include "tests/support/scripted_device.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"

#include "tests/app/faults.h"

namespace {

using namespace faults;

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
        winlayer::platform::Calls.LocalTime = FixedLocalTime;
        facts::SampleRate = 44100;
        dsp::Spectrum[24] = 84300.0f;
        dsp::Spectrum[100] = 843.0f;
        text = commands::BuildSpectrumText(dsp::Spectrum, 44100, dsp::ReferenceLevel);
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
    const Counts warm = SettledObjectCounts();

    ShowWindow(facts::MainDialog, SW_MINIMIZE);
    const std::vector<uint32_t> uncovered = ScreenIn(where);
    ASSERT_TRUE(IsIconic(facts::MainDialog));
    EXPECT_NE(uncovered, PlotBitmap()) << "the plot stayed on the screen";
    PaintWhileMinimised();
    EXPECT_EQ(scripted::CountCalls("unprepare"), 5) << "4 buffers and the one Stop handed back";
    EXPECT_NEAR(dsp::Spectrum[24], 84300.0, 84.3);
    EXPECT_EQ(ScreenIn(where), uncovered) << "drawn on the screen while minimised";

    ShowWindow(facts::MainDialog, SW_RESTORE);
    EXPECT_FALSE(IsIconic(facts::MainDialog));
    const std::vector<uint32_t> restored = ScreenIn(PlotOnScreen());
    EXPECT_GT(Lit(restored), 1000u) << "the plot is black after the restore";
    EXPECT_EQ(restored, PlotBitmap());
    Capture::ExpectIdle("painting while minimised");
    ExpectCountsAre(warm, "painting while minimised");
}

class DisplayFaults : public Faults {
protected:
    // Wine makes a loaded shared cursor anew at a display change, which the
    // count would take for a leak; no mouse message is handled here.
    DisplayFaults() { loadCrossHair = false; }
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
    Counts warm = SettledObjectCounts();
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
            warm = SettledObjectCounts();
    }
    ExpectCountsAre(warm, "a second change of depth and back");
}

}  // namespace
