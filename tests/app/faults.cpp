#include "tests/app/faults.h"

#include "capture/capture.h"
#include "display/drawing.h"
#include "display/mouse.h"
#include "display/surface.h"
#include "dsp/fft.h"
#include "tests/capture/capture_fixture.h"
#include "tests/support/scripted_device.h"
#include "tests/support/win32_test_support.h"

namespace faults {

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

void ExpectIdle(const std::string& after)
{
    EXPECT_EQ(Capture::StartStopCaption(), "&Start") << after;
    EXPECT_EQ(capture::WaveIn, nullptr) << after;
    EXPECT_TRUE(IsWindowEnabled(facts::MainDialog)) << after;
    EXPECT_TRUE(IsWindowEnabled(Capture::StartStopButton())) << after;
    EXPECT_TRUE(IsWindowEnabled(facts::SampleRatePanel)) << after;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(facts::SampleRatePanel, facts::IdRateGroup))) << after;
}

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
    EXPECT_EQ(scripted::CountCalls("unprepare"), 2) << after << ": a buffer and the one Stop handed back";
    EXPECT_EQ(scripted::CountCalls("close"), 1) << after;
    ExpectIdle(after);
}

void Faults::SetUp()
{
    display::ResetMouseState();
    // The plot's cross-hair is loaded shared at the first mouse message over
    // the plot after a pass and kept by the system for the process. Wine
    // makes up mouse moves when a window shows, hides or closes, so that
    // first load can fall inside a test's count: it is done here instead.
    if (loadCrossHair)
        LoadImageA(nullptr, IDC_CROSS, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
    ExportTest::SetUp();
}

void Faults::TearDown()
{
    scripted::Uninstall();
    ExportTest::TearDown();
    if (display::MemoryDC)
        display::ReleasePlotSurface();
}

}  // namespace faults
