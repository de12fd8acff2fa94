#include "tests/capture/capture_fixture.h"

#include "capture/capture.h"
#include "display/plot.h"
#include "display/surface.h"
#include "dsp/fft.h"
#include "tests/support/win32_test_support.h"

void CaptureTest::SetUp()
{
    dsp::ResetState();
    capture::WaveIn = 0;
    facts::SampleRate = 0;
    display::CursorX = 0;
    display::ZoomMode = 0;
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
