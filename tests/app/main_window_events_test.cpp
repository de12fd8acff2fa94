// MainDialogProc and the routing around it, driven with the messages a
// user's actions produce, against a scripted wave-input device.
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/mainwindow.h"
#include "capture/capture.h"
#include "display/surface.h"
#include "commands/about.h"
#include "commands/accessories.h"
#include "commands/savefft.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/scripted_device.h"
#include "tests/support/win32_test_support.h"

namespace {

using apptest::Snapshot;

// The scripted device opens only when told to and never finishes a buffer on
// its own (a reset hands the queued one back done). Its close records whether
// the drawing surface was still there.
bool SurfaceAliveAtClose = false;

scripted::Script DeviceScript(bool opens)
{
    scripted::Script script;
    script.openFails = !opens;
    script.buffersToDeliver = 0;
    script.deviceNames = {"Scripted"};
    script.onClose = [] {
        SurfaceAliveAtClose = GetObjectType(display::TracePen) == OBJ_PEN &&
                              GetObjectType(display::MemoryDC) == OBJ_MEMDC;
    };
    return script;
}

class MainWindowEvents : public apptest::MainWindow {
protected:
    void SetUp() override
    {
        SurfaceAliveAtClose = false;
        scripted::Install(DeviceScript(false));
        apptest::MainWindow::SetUp();
    }
    void TearDown() override
    {
        apptest::MainWindow::TearDown();
        scripted::Uninstall();
    }

    static void DeviceOpens() { scripted::Install(DeviceScript(true)); }

    HWND Control(int id) { return GetDlgItem(facts::MainDialog, id); }

    void Command(int id, WORD code)
    {
        SendMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(id, code),
                     reinterpret_cast<LPARAM>(Control(id)));
    }

    std::string Caption(int id) { return testsupport::WindowText(Control(id)); }

    std::vector<uint32_t> Bitmap() { return Snapshot(display::MemoryDC, display::PlotWidth, display::PlotHeight); }
    std::vector<uint32_t> Screen() { return Snapshot(display::PlotDC, display::PlotWidth, display::PlotHeight); }

    static size_t Lit(const std::vector<uint32_t>& pixels)
    {
        return pixels.size() - std::count(pixels.begin(), pixels.end(), 0u);
    }
};

// ------------------------------------------------------------ plot events

TEST_F(MainWindowEvents, PaintRedrawsTheBitmapAndCopiesItToThePlot)
{
    Command(facts::IdLinear, BN_CLICKED);
    ASSERT_EQ(Lit(Bitmap()), 0u);

    SendMessageA(facts::MainDialog, WM_PAINT, 0, 0);
    std::vector<uint32_t> bitmap = Bitmap();
    EXPECT_GT(Lit(bitmap), 1000u) << "no graticule drawn";
    EXPECT_NE(std::find(bitmap.begin(), bitmap.end(), 0x808080u), bitmap.end());
    EXPECT_EQ(Screen(), bitmap);
}

TEST_F(MainWindowEvents, PaintArrivesThroughTheRouting)
{
    Command(facts::IdLogarithmic, BN_CLICKED);
    ASSERT_EQ(Lit(Bitmap()), 0u);
    InvalidateRect(facts::MainDialog, nullptr, TRUE);
    UpdateWindow(facts::MainDialog);
    EXPECT_GT(Lit(Bitmap()), 1000u);
}

// Uncovering the whole window repaints the plot control too; the picture
// must survive it rather than give way to the control's black.
TEST_F(MainWindowEvents, AFullRepaintLeavesThePictureOnTheScreen)
{
    Command(facts::IdLinear, BN_CLICKED);
    RedrawWindow(facts::MainDialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    testsupport::PumpMessages(50);
    const std::vector<uint32_t> screen = Screen();
    EXPECT_GT(Lit(screen), 1000u) << "the plot is black";
    EXPECT_EQ(screen, Bitmap());
}

TEST_F(MainWindowEvents, ScaleAndSelectorCommandsBlankTheBitmapOnly)
{
    struct Case { int id; WORD code; };
    const Case cases[] = {
        {facts::IdLinear, BN_CLICKED},          {facts::IdLogarithmic, BN_CLICKED},
        {facts::IdWindowSelector, CBN_SELCHANGE}, {facts::IdWindowSelector, CBN_EDITCHANGE},
        {facts::IdLogarithmic, BN_SETFOCUS},
    };
    for (const Case& c : cases) {
        SendMessageA(facts::MainDialog, WM_PAINT, 0, 0);
        const std::vector<uint32_t> screen = Screen();
        ASSERT_GT(Lit(screen), 1000u);
        Command(c.id, c.code);
        EXPECT_EQ(Lit(Bitmap()), 0u) << c.id << "/" << c.code;
        EXPECT_EQ(Screen(), screen) << c.id << "/" << c.code << ": the screen changed";
    }
}

// The About command runs its box modally: a timer inside the box's loop
// closes it.
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!commands::AboutBox || !IsWindowVisible(commands::AboutBox))
        return;
    KillTimer(nullptr, id);
    SendMessageA(commands::AboutBox, WM_SYSCOMMAND, SC_CLOSE, 0);
}

TEST_F(MainWindowEvents, OtherCommandsLeaveTheBitmapAlone)
{
    SendMessageA(facts::MainDialog, WM_PAINT, 0, 0);
    const std::vector<uint32_t> bitmap = Bitmap();
    SetTimer(nullptr, 0, 20, CloseAboutBox);
    for (int id : {int(facts::IdFreqScaleGroup), int(facts::IdLiveReadout), IDOK, IDCANCEL, int(facts::IdMenuAbout)})
        Command(id, BN_CLICKED);
    EXPECT_EQ(Bitmap(), bitmap);
}

// ------------------------------------------------------- Start/Stop button

TEST_F(MainWindowEvents, StartStopAnswersOnlyNotificationCodesZeroAndOne)
{
    testsupport::StartMessageBoxWatch("Warning");
    const WORD ignored[] = {BN_HILITE, BN_UNHILITE, BN_DISABLE, BN_DOUBLECLICKED,
                            BN_SETFOCUS, BN_KILLFOCUS, 0x100};
    for (WORD code : ignored)
        Command(facts::IdStartStop, code);
    EXPECT_EQ(scripted::CountCalls("open"), 0);
    Command(facts::IdStartStop, 0);
    Command(facts::IdStartStop, 1);
    std::vector<testsupport::SeenMessageBox> boxes = testsupport::StopMessageBoxWatch();
    EXPECT_EQ(scripted::CountCalls("open"), 2);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Wave input device didn't open!");
    EXPECT_EQ(Caption(facts::IdStartStop), "&Start");
}

TEST_F(MainWindowEvents, OnlyTheExactStartCaptionStartsCapture)
{
    for (const char* caption : {"&START", "Start", "&Start ", "&Stop"}) {
        SetWindowTextA(Control(facts::IdStartStop), caption);
        Command(facts::IdStartStop, BN_CLICKED);
        EXPECT_EQ(scripted::CountCalls("open"), 0) << caption;
        EXPECT_EQ(Caption(facts::IdStartStop), "&Start") << caption << " did not stop";
    }
}

TEST_F(MainWindowEvents, ASecondClickStopsTheCaptureTheFirstStarted)
{
    DeviceOpens();
    // The second click waits in the queue until the first one's capture
    // loop pumps it.
    PostMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdStartStop, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(facts::IdStartStop)));
    Command(facts::IdStartStop, BN_CLICKED);
    EXPECT_EQ(scripted::CountCalls("open"), 1);
    EXPECT_EQ(scripted::CountCalls("close"), 1);
    EXPECT_EQ(capture::WaveIn, nullptr);
    EXPECT_EQ(Caption(facts::IdStartStop), "&Start");
    EXPECT_TRUE(IsWindow(facts::MainDialog));
    EXPECT_TRUE(IsWindowEnabled(facts::SampleRatePanel));
}

// ------------------------------------------------------------ keys, close

// Lets the dialog handle one key as the modal loop would.
void PressKey(HWND focus, WPARAM key)
{
    SendMessageA(facts::MainDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    MSG message = {focus, WM_KEYDOWN, key, 0, GetTickCount(), {0, 0}};
    if (!IsDialogMessageA(facts::MainDialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

TEST_F(MainWindowEvents, EscAndEnterLeaveTheWindowOpen)
{
    for (int id : {int(facts::IdLinear), int(facts::IdWindowSelector), int(facts::IdAveragesSlider)}) {
        PressKey(Control(id), VK_ESCAPE);
        PressKey(Control(id), VK_RETURN);
        EXPECT_TRUE(IsWindow(facts::MainDialog)) << id;
    }
    SendMessageA(facts::MainDialog, WM_COMMAND, IDCANCEL, 0);
    SendMessageA(facts::MainDialog, WM_COMMAND, IDOK, 0);
    testsupport::PumpMessages(20);
    EXPECT_TRUE(IsWindow(facts::MainDialog));
    EXPECT_EQ(scripted::CountCalls("open"), 0);
}

TEST_F(MainWindowEvents, EnterOnTheStartButtonPressesIt)
{
    testsupport::StartMessageBoxWatch("Warning");
    PressKey(Control(facts::IdStartStop), VK_RETURN);
    testsupport::StopMessageBoxWatch();
    EXPECT_EQ(scripted::CountCalls("open"), 1);
    EXPECT_TRUE(IsWindow(facts::MainDialog));
}

TEST_F(MainWindowEvents, CloseBoxEndsTheWindowAndTheLoopReturnsZero)
{
    PostMessageA(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(app::MainWindowLoop(), 0);
    EXPECT_FALSE(IsWindow(facts::MainDialog));
    EXPECT_FALSE(IsWindow(facts::SampleRatePanel));
    // Closed while stopped: the drawing surface lasts until the process ends.
    EXPECT_EQ(GetObjectType(display::TracePen), static_cast<DWORD>(OBJ_PEN));
    EXPECT_EQ(GetObjectType(display::MemoryDC), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(GetObjectType(display::PlotBitmap), static_cast<DWORD>(OBJ_BITMAP));
}

TEST_F(MainWindowEvents, CloseDuringCaptureClosesTheDeviceThenReleasesTheSurface)
{
    DeviceOpens();
    PostMessageA(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Command(facts::IdStartStop, BN_CLICKED);  // returns once the nested close has run

    EXPECT_EQ(scripted::CountCalls("open"), 1);
    EXPECT_EQ(scripted::CountCalls("close"), 1);
    EXPECT_TRUE(SurfaceAliveAtClose) << "surface released before the device was closed";
    EXPECT_EQ(capture::WaveIn, nullptr);
    EXPECT_FALSE(IsWindow(facts::MainDialog));
    EXPECT_FALSE(IsWindow(facts::SampleRatePanel));
    EXPECT_EQ(GetObjectType(display::TracePen), 0u);
    EXPECT_EQ(GetObjectType(display::MemoryDC), 0u);
    EXPECT_EQ(GetObjectType(display::PlotBitmap), 0u);
    EXPECT_EQ(app::MainWindowLoop(), 0);
}

}  // namespace
