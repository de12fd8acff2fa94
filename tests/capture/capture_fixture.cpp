#include "tests/capture/capture_fixture.h"

#include "capture/capture.h"
#include "capture/soundcard.h"
#include "display/drawing.h"
#include "display/mouse.h"
#include "display/surface.h"
#include "dsp/fft.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"

namespace {

void (*WhileOpen)() = nullptr;

// The timer can fire inside a message box that the dialog shows while it is
// being set up; the test acts only once the dialog itself is on the screen.
void CALLBACK DriveDialog(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!capture::SoundcardDialog || !IsWindowVisible(capture::SoundcardDialog))
        return;
    KillTimer(nullptr, id);
    WhileOpen();
}

}  // namespace

void CaptureTest::SetUp()
{
    display::ResetMouseState();
    // The plot's cross-hair is loaded shared at the first mouse message over
    // the plot after a pass and kept by the system for the process. Wine
    // makes up mouse moves when a window shows, hides or closes, so that
    // first load can fall inside a test's object count: it is done here.
    LoadImageA(nullptr, IDC_CROSS, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
    dsp::ResetState();
    capture::WaveIn = 0;
    facts::SampleRate = 0;
    display::Mouse.CursorX = 0;
    display::Mouse.ZoomMode = 0;
    app::BuildMainWindow(nullptr);
    app::ShowMainWindow();
    testsupport::PumpMessages(30);
}

void CaptureTest::TearDown()
{
    scripted::Uninstall();
    if (IsWindow(facts::MainDialog))
        SendMessageA(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (display::MemoryDC)
        display::ReleasePlotSurface();
    winlayer::platform::Calls = winlayer::platform::System();
    testsupport::PumpMessages(10);
}

HWND CaptureTest::StartStopButton()
{
    return GetDlgItem(facts::MainDialog, facts::IdStartStop);
}

std::string CaptureTest::StartStopCaption()
{
    return testsupport::WindowText(StartStopButton());
}

void CaptureTest::ClickStartStop()
{
    SendMessageA(StartStopButton(), BM_CLICK, 0, 0);
}

void CaptureTest::PostStartStopClick()
{
    PostMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdStartStop, BN_CLICKED),
                 reinterpret_cast<LPARAM>(StartStopButton()));
}

void CaptureTest::CheckRates(int rate11025, int rate22050, int rate44100)
{
    SendDlgItemMessageA(facts::SampleRatePanel, facts::IdRate11025, BM_SETCHECK, rate11025, 0);
    SendDlgItemMessageA(facts::SampleRatePanel, facts::IdRate22050, BM_SETCHECK, rate22050, 0);
    SendDlgItemMessageA(facts::SampleRatePanel, facts::IdRate44100, BM_SETCHECK, rate44100, 0);
}

std::vector<COLORREF> CaptureTest::BitmapPixels()
{
    std::vector<COLORREF> pixels;
    pixels.reserve(static_cast<size_t>(display::PlotWidth) * display::PlotHeight);
    for (int y = 0; y < display::PlotHeight; ++y)
        for (int x = 0; x < display::PlotWidth; ++x)
            pixels.push_back(GetPixel(display::MemoryDC, x, y));
    return pixels;
}

void CaptureTest::OpenSoundcardDialog(void (*whileOpen)())
{
    WhileOpen = whileOpen;
    SetTimer(nullptr, 0, 30, DriveDialog);
    SendMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdMenuSelectSoundcard, 0), 0);
}

// Posted rather than sent: a timer fires only from the queue, so the dialog
// must be shown and its loop running before the test acts.
void CaptureTest::OpenSoundcardDialogFromQueue(void (*whileOpen)())
{
    WhileOpen = whileOpen;
    SetTimer(nullptr, 0, 30, DriveDialog);
    PostMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdMenuSelectSoundcard, 0), 0);
}

HWND CaptureTest::DeviceList()
{
    return GetDlgItem(capture::SoundcardDialog, capture::IdDeviceList);
}

std::vector<std::string> CaptureTest::ListedNames()
{
    std::vector<std::string> names;
    const int count = static_cast<int>(SendMessageA(DeviceList(), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string text(SendMessageA(DeviceList(), CB_GETLBTEXTLEN, i, 0) + 1, '\0');
        text.resize(SendMessageA(DeviceList(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0])));
        names.push_back(text);
    }
    return names;
}

void CaptureTest::PressOk()
{
    SendMessageA(GetDlgItem(capture::SoundcardDialog, capture::IdDeviceOk), BM_CLICK, 0, 0);
}

const char CaptureTest::DidNotOpen[] = "Wave input device didn't open!";

void CaptureTest::ExpectIdle(const std::string& after)
{
    EXPECT_EQ(StartStopCaption(), "&Start") << after;
    EXPECT_EQ(capture::WaveIn, nullptr) << after;
    EXPECT_TRUE(IsWindowEnabled(facts::MainDialog)) << after;
    EXPECT_TRUE(IsWindowEnabled(StartStopButton())) << after;
    EXPECT_TRUE(IsWindowEnabled(facts::SampleRatePanel)) << after;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(facts::SampleRatePanel, facts::IdRateGroup))) << after;
}

scripted::Script CaptureTest::OneToneBuffer()
{
    scripted::Script script;
    script.buffersToDeliver = 1;
    script.fill = [](int16_t* samples, int count, int) {
        scripted::FillTone(samples, count, 24, 16465.0);
    };
    script.onQueued = [](int index) { if (index == 2) PostStartStopClick(); };
    return script;
}

void CaptureTest::ExpectNextStartWorks(const std::string& after)
{
    scripted::Install(OneToneBuffer());
    dsp::Spectrum[24] = 0.0f;
    ClickStartStop();
    EXPECT_NEAR(dsp::Spectrum[24], 84300.0, 84.3) << after;
    EXPECT_EQ(scripted::CountCalls("unprepare"), 2) << after << ": a buffer and the one Stop handed back";
    EXPECT_EQ(scripted::CountCalls("close"), 1) << after;
    ExpectIdle(after);
}
