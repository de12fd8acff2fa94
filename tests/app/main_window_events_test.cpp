// MainDialogProc and the routing around it, driven with the messages a
// user's actions produce, against a scripted wave-input device.
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/mainwindow.h"
#include "capture/capture.h"
#include "capture/wavein.h"
#include "display/plot.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/win32_test_support.h"

namespace {

using apptest::Snapshot;

// ------------------------------------------------------- scripted device
// Records what the engine asks of it; opens only when told to, and never
// finishes a buffer on its own (a reset hands the queued one back done).
struct FakeDevice {
    bool opens = false;
    int openCalls = 0;
    int closeCalls = 0;
    bool surfaceAliveAtClose = false;
    WAVEHDR* queued = nullptr;
};
FakeDevice Fake;

const HWAVEIN FakeHandle = reinterpret_cast<HWAVEIN>(static_cast<UINT_PTR>(0x5150));

MMRESULT FakeOpen(HWAVEIN* handle, UINT, const WAVEFORMATEX*)
{
    ++Fake.openCalls;
    if (!Fake.opens)
        return MMSYSERR_BADDEVICEID;
    *handle = FakeHandle;
    return MMSYSERR_NOERROR;
}
MMRESULT FakeStart(HWAVEIN) { return MMSYSERR_NOERROR; }
MMRESULT FakePrepare(HWAVEIN, WAVEHDR* header)
{
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}
MMRESULT FakeAddBuffer(HWAVEIN, WAVEHDR* header)
{
    Fake.queued = header;
    return MMSYSERR_NOERROR;
}
MMRESULT FakeUnprepare(HWAVEIN, WAVEHDR* header)
{
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}
MMRESULT FakeReset(HWAVEIN)
{
    if (Fake.queued)
        Fake.queued->dwFlags |= WHDR_DONE;
    return MMSYSERR_NOERROR;
}
MMRESULT FakeClose(HWAVEIN)
{
    ++Fake.closeCalls;
    Fake.surfaceAliveAtClose = GetObjectType(display::TracePen) == OBJ_PEN &&
                               GetObjectType(display::MemoryDC) == OBJ_MEMDC;
    return MMSYSERR_NOERROR;
}
UINT FakeDeviceCount() { return 1; }
MMRESULT FakeDeviceCaps(UINT, WAVEINCAPSA* caps)
{
    lstrcpyA(caps->szPname, "Scripted");
    return MMSYSERR_NOERROR;
}

class MainWindowEvents : public apptest::MainWindow {
protected:
    void SetUp() override
    {
        Fake = FakeDevice();
        wavein::Device = wavein::Functions{FakeOpen,      FakeStart, FakePrepare,
                                           FakeAddBuffer, FakeUnprepare, FakeReset,
                                           FakeClose,     FakeDeviceCount, FakeDeviceCaps};
        apptest::MainWindow::SetUp();
    }
    void TearDown() override
    {
        apptest::MainWindow::TearDown();
        wavein::Device = wavein::System();
    }

    HWND Control(int id) { return GetDlgItem(app::MainDialog, id); }

    void Command(int id, WORD code)
    {
        SendMessageA(app::MainDialog, WM_COMMAND, MAKEWPARAM(id, code),
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
    Command(app::IdLinear, BN_CLICKED);
    ASSERT_EQ(Lit(Bitmap()), 0u);

    SendMessageA(app::MainDialog, WM_PAINT, 0, 0);
    std::vector<uint32_t> bitmap = Bitmap();
    EXPECT_GT(Lit(bitmap), 1000u) << "no graticule drawn";
    EXPECT_NE(std::find(bitmap.begin(), bitmap.end(), 0x808080u), bitmap.end());
    EXPECT_EQ(Screen(), bitmap);
}

TEST_F(MainWindowEvents, PaintArrivesThroughTheRouting)
{
    Command(app::IdLogarithmic, BN_CLICKED);
    ASSERT_EQ(Lit(Bitmap()), 0u);
    InvalidateRect(app::MainDialog, nullptr, TRUE);
    UpdateWindow(app::MainDialog);
    EXPECT_GT(Lit(Bitmap()), 1000u);
}

// Uncovering the whole window repaints the plot control too; the picture
// must survive it rather than give way to the control's black.
TEST_F(MainWindowEvents, AFullRepaintLeavesThePictureOnTheScreen)
{
    Command(app::IdLinear, BN_CLICKED);
    RedrawWindow(app::MainDialog, nullptr, nullptr,
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
        {app::IdLinear, BN_CLICKED},          {app::IdLogarithmic, BN_CLICKED},
        {app::IdWindowSelector, CBN_SELCHANGE}, {app::IdWindowSelector, CBN_EDITCHANGE},
        {app::IdLogarithmic, BN_SETFOCUS},
    };
    for (const Case& c : cases) {
        SendMessageA(app::MainDialog, WM_PAINT, 0, 0);
        const std::vector<uint32_t> screen = Screen();
        ASSERT_GT(Lit(screen), 1000u);
        Command(c.id, c.code);
        EXPECT_EQ(Lit(Bitmap()), 0u) << c.id << "/" << c.code;
        EXPECT_EQ(Screen(), screen) << c.id << "/" << c.code << ": the screen changed";
    }
}

TEST_F(MainWindowEvents, OtherCommandsLeaveTheBitmapAlone)
{
    SendMessageA(app::MainDialog, WM_PAINT, 0, 0);
    const std::vector<uint32_t> bitmap = Bitmap();
    for (int id : {int(app::IdFreqScaleGroup), int(app::IdLiveReadout), IDOK, IDCANCEL, int(app::IdMenuAbout)})
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
        Command(app::IdStartStop, code);
    EXPECT_EQ(Fake.openCalls, 0);
    Command(app::IdStartStop, 0);
    Command(app::IdStartStop, 1);
    std::vector<testsupport::SeenMessageBox> boxes = testsupport::StopMessageBoxWatch();
    EXPECT_EQ(Fake.openCalls, 2);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Wave input device didn't open!");
    EXPECT_EQ(Caption(app::IdStartStop), "&Start");
}

TEST_F(MainWindowEvents, OnlyTheExactStartCaptionStartsCapture)
{
    for (const char* caption : {"&START", "Start", "&Start ", "&Stop"}) {
        SetWindowTextA(Control(app::IdStartStop), caption);
        Command(app::IdStartStop, BN_CLICKED);
        EXPECT_EQ(Fake.openCalls, 0) << caption;
        EXPECT_EQ(Caption(app::IdStartStop), "&Start") << caption << " did not stop";
    }
}

TEST_F(MainWindowEvents, ASecondClickStopsTheCaptureTheFirstStarted)
{
    Fake.opens = true;
    // The second click waits in the queue until the first one's capture
    // loop pumps it.
    PostMessageA(app::MainDialog, WM_COMMAND, MAKEWPARAM(app::IdStartStop, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(app::IdStartStop)));
    Command(app::IdStartStop, BN_CLICKED);
    EXPECT_EQ(Fake.openCalls, 1);
    EXPECT_EQ(Fake.closeCalls, 1);
    EXPECT_EQ(capture::WaveIn, nullptr);
    EXPECT_EQ(Caption(app::IdStartStop), "&Start");
    EXPECT_TRUE(IsWindow(app::MainDialog));
    EXPECT_TRUE(IsWindowEnabled(app::SampleRatePanel));
}

// ------------------------------------------------------------ keys, close

// Lets the dialog handle one key as the modal loop would.
void PressKey(HWND focus, WPARAM key)
{
    SendMessageA(app::MainDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    MSG message = {focus, WM_KEYDOWN, key, 0, GetTickCount(), {0, 0}};
    if (!IsDialogMessageA(app::MainDialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

TEST_F(MainWindowEvents, EscAndEnterLeaveTheWindowOpen)
{
    for (int id : {int(app::IdLinear), int(app::IdWindowSelector), int(app::IdAveragesSlider)}) {
        PressKey(Control(id), VK_ESCAPE);
        PressKey(Control(id), VK_RETURN);
        EXPECT_TRUE(IsWindow(app::MainDialog)) << id;
    }
    SendMessageA(app::MainDialog, WM_COMMAND, IDCANCEL, 0);
    SendMessageA(app::MainDialog, WM_COMMAND, IDOK, 0);
    testsupport::PumpMessages(20);
    EXPECT_TRUE(IsWindow(app::MainDialog));
    EXPECT_EQ(Fake.openCalls, 0);
}

TEST_F(MainWindowEvents, EnterOnTheStartButtonPressesIt)
{
    testsupport::StartMessageBoxWatch("Warning");
    PressKey(Control(app::IdStartStop), VK_RETURN);
    testsupport::StopMessageBoxWatch();
    EXPECT_EQ(Fake.openCalls, 1);
    EXPECT_TRUE(IsWindow(app::MainDialog));
}

TEST_F(MainWindowEvents, CloseBoxEndsTheWindowAndTheLoopReturnsZero)
{
    PostMessageA(app::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(app::MainWindowLoop(), 0);
    EXPECT_FALSE(IsWindow(app::MainDialog));
    EXPECT_FALSE(IsWindow(app::SampleRatePanel));
    // Closed while stopped: the drawing surface lasts until the process ends.
    EXPECT_EQ(GetObjectType(display::TracePen), static_cast<DWORD>(OBJ_PEN));
    EXPECT_EQ(GetObjectType(display::MemoryDC), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(GetObjectType(display::PlotBitmap), static_cast<DWORD>(OBJ_BITMAP));
}

TEST_F(MainWindowEvents, CloseDuringCaptureClosesTheDeviceThenReleasesTheSurface)
{
    Fake.opens = true;
    PostMessageA(app::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Command(app::IdStartStop, BN_CLICKED);  // returns once the nested close has run

    EXPECT_EQ(Fake.openCalls, 1);
    EXPECT_EQ(Fake.closeCalls, 1);
    EXPECT_TRUE(Fake.surfaceAliveAtClose) << "surface released before the device was closed";
    EXPECT_EQ(capture::WaveIn, nullptr);
    EXPECT_FALSE(IsWindow(app::MainDialog));
    EXPECT_FALSE(IsWindow(app::SampleRatePanel));
    EXPECT_EQ(GetObjectType(display::TracePen), 0u);
    EXPECT_EQ(GetObjectType(display::MemoryDC), 0u);
    EXPECT_EQ(GetObjectType(display::PlotBitmap), 0u);
    EXPECT_EQ(app::MainWindowLoop(), 0);
}

// ------------------------------------------------------------------ leaks

TEST_F(MainWindowEvents, ThousandsOfRepaintsLeaveNoObjectsBehind)
{
    for (int i = 0; i < 10; ++i)
        SendMessageA(app::MainDialog, WM_PAINT, 0, 0);
    testsupport::PumpMessages(20);
    const int gdi = testsupport::CountGdiObjects();
    const int user = testsupport::CountUserObjects();
    for (int i = 0; i < 3000; ++i) {
        SendMessageA(app::MainDialog, WM_PAINT, 0, 0);
        if (i % 10 == 0) {
            InvalidateRect(app::MainDialog, nullptr, TRUE);
            UpdateWindow(app::MainDialog);
        }
    }
    testsupport::PumpMessages(20);
    EXPECT_EQ(testsupport::CountGdiObjects(), gdi);
    EXPECT_EQ(testsupport::CountUserObjects(), user);
}

}  // namespace
