// The capture engine against the real main window, with a scripted device.
#include "tests/capture/capture_fixture.h"

#include "capture/capture.h"
#include "display/drawing.h"
#include "display/mouse.h"
#include "display/surface.h"
#include "dsp/fft.h"
#include "dsp/sizes.h"
#include "tests/support/win32_test_support.h"
#include "win/routing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct RateCase {
    int check11025, check22050, check44100;
    int32_t rate;
    DWORD bytesPerSecond;
};

class RateTest : public CaptureTest, public testing::WithParamInterface<RateCase> {};

// A later checked button overrides an earlier one; the format follows the rate.
TEST_P(RateTest, StartReadsTheRateButtonsAndFillsTheFormat)
{
    const RateCase c = GetParam();
    CheckRates(c.check11025, c.check22050, c.check44100);
    scripted::Script script;
    script.buffersToDeliver = 0;
    script.onQueued = [](int) { PostStartStopClick(); };
    scripted::Install(script);

    ClickStartStop();

    EXPECT_EQ(facts::SampleRate, c.rate);
    const WAVEFORMATEX& f = scripted::Seen().format;
    EXPECT_EQ(f.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(f.nChannels, 1);
    EXPECT_EQ(f.nSamplesPerSec, static_cast<DWORD>(c.rate));
    EXPECT_EQ(f.nAvgBytesPerSec, c.bytesPerSecond);
    EXPECT_EQ(f.nBlockAlign, 2);
    EXPECT_EQ(f.wBitsPerSample, 16);
    EXPECT_EQ(f.cbSize, 0);
}

INSTANTIATE_TEST_SUITE_P(Rates, RateTest,
                         testing::Values(RateCase{1, 0, 0, 11025, 22050},
                                         RateCase{0, 1, 0, 22050, 44100},
                                         RateCase{0, 0, 1, 44100, 88200},
                                         RateCase{1, 0, 1, 44100, 88200},
                                         RateCase{1, 1, 0, 22050, 44100}),
                         [](const testing::TestParamInfo<RateCase>& info) {
                             const RateCase& c = info.param;
                             return "Checked" + std::to_string(c.check11025) +
                                    std::to_string(c.check22050) + std::to_string(c.check44100) +
                                    "Gives" + std::to_string(c.rate);
                         });

TEST_F(CaptureTest, WithNoRateCheckedTheLastRateStays)
{
    scripted::Script script;
    script.buffersToDeliver = 0;
    script.onQueued = [](int) { PostStartStopClick(); };
    scripted::Install(script);
    CheckRates(0, 1, 0);
    ClickStartStop();
    CheckRates(0, 0, 0);
    ClickStartStop();
    EXPECT_EQ(facts::SampleRate, 22050);
    EXPECT_EQ(scripted::Seen().format.nSamplesPerSec, 22050u);
}

// While capture runs the rates are locked, the caption reads "&Stop" and a
// zoom view is given up; afterwards all is as before.
TEST_F(CaptureTest, CaptureLocksTheRatesAndShowsStop)
{
    struct Seen { BOOL groupEnabled, panelEnabled; std::string caption; int32_t zoom; };
    static Seen during;
    display::Mouse.ZoomMode = 1;
    scripted::Script script;
    script.buffersToDeliver = 0;
    script.onQueued = [](int) {
        during.groupEnabled = IsWindowEnabled(GetDlgItem(facts::SampleRatePanel, facts::IdRateGroup));
        during.panelEnabled = IsWindowEnabled(facts::SampleRatePanel);
        during.caption = StartStopCaption();
        during.zoom = display::Mouse.ZoomMode;
        PostStartStopClick();
    };
    scripted::Install(script);

    ClickStartStop();

    EXPECT_FALSE(during.groupEnabled);
    EXPECT_FALSE(during.panelEnabled);
    EXPECT_EQ(during.caption, "&Stop");
    EXPECT_EQ(during.zoom, 0);
    EXPECT_EQ(StartStopCaption(), "&Start");
    EXPECT_TRUE(IsWindowEnabled(facts::SampleRatePanel));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(facts::SampleRatePanel, facts::IdRateGroup)));
    EXPECT_EQ(capture::WaveIn, nullptr);
}

// The device sees exactly the calls of one buffer's way, in order.
TEST_F(CaptureTest, OneBufferTakesThePathOfCallsInOrder)
{
    scripted::Script script;
    script.buffersToDeliver = 1;
    script.onQueued = [](int index) { if (index == 2) PostStartStopClick(); };
    scripted::Install(script);
    capture::InputDevice = 0;

    ClickStartStop();

    const std::vector<std::string> expected = {"open",   "start", "prepare", "add",
                                               "unprepare", "prepare", "add", "reset",
                                               "unprepare", "close"};
    EXPECT_EQ(scripted::Seen().calls, expected);
    EXPECT_EQ(scripted::Seen().openedDevice, 0u);
    EXPECT_EQ(capture::CaptureHeader.dwBufferLength, 4096u);
    EXPECT_EQ(static_cast<const void*>(capture::CaptureHeader.lpData),
              static_cast<const void*>(capture::CaptureBuffer));
}

// A tone on bin 24 at 44100 Hz with the peak that reads 0 dB: Spectrum holds
// the reference amplitude there and the trace touches the top edge at x = 24.
TEST_F(CaptureTest, AToneBufferEndsAsThePeakInSpectrumAndOnThePlot)
{
    scripted::Install(OneToneBuffer());

    ClickStartStop();

    EXPECT_NEAR(dsp::Spectrum[24], 84300.0, 84300.0 * 0.001);
    for (int bin = 1; bin <= dsp::HalfLength; ++bin)
        if (bin != 24) {
            EXPECT_LT(dsp::Spectrum[bin], dsp::Spectrum[24]) << "bin " << bin;
        }
    EXPECT_EQ(GetPixel(display::MemoryDC, 24, 0), RGB(0, 255, 0));
    // The copy reached the screen: the plot control shows the same pixel.
    EXPECT_EQ(GetPixel(display::PlotDC, 24, 0), RGB(0, 255, 0));
    // Nowhere else does the trace reach the top row.
    for (int x = 0; x < display::PlotWidth; ++x)
        if (x != 24) {
            EXPECT_NE(GetPixel(display::MemoryDC, x, 0), RGB(0, 255, 0)) << "x " << x;
        }
}

int Analysed = 0;
void (*ShowAnalysed)() = nullptr;
void CountAnalysed()
{
    ++Analysed;
    ShowAnalysed();
}

// The bytes of the block a pass reads.
constexpr DWORD BlockBytes = dsp::FftLength * sizeof(int16_t);

// A buffer that comes back holding less than the block a pass reads (two
// bytes short, or none) goes back to the device unanalysed; a whole block is
// enough.
TEST_F(CaptureTest, OnlyBuffersThatHoldAWholeBlockAreAnalysed)
{
    scripted::Script script;
    script.buffersToDeliver = 8;
    script.bytesRecorded = [](int index) -> DWORD {
        return index % 2 ? BlockBytes : index % 4 ? BlockBytes - 2 : 0;
    };
    script.fill = [](int16_t* samples, int count, int index) {
        scripted::FillTone(samples, count, index % 2 ? 24 : 48, 16465.0);
    };
    script.onQueued = [](int index) { if (index == 9) PostStartStopClick(); };
    scripted::Install(script);
    Analysed = 0;
    ShowAnalysed = capture::BufferAnalysed;
    capture::BufferAnalysed = CountAnalysed;

    ClickStartStop();
    capture::BufferAnalysed = ShowAnalysed;

    EXPECT_EQ(Analysed, 4);
    EXPECT_EQ(scripted::CountCalls("unprepare"), 9) << "8 buffers, then the one the Stop handed back";
    EXPECT_NEAR(dsp::Spectrum[24], 84300.0, 84.3);
    EXPECT_LT(dsp::Spectrum[48], 843.0);
}

// Stop during the wait: the buffer handed back by the reset is not used.
TEST_F(CaptureTest, StopDuringTheWaitKeepsSpectrumAndPlot)
{
    static std::vector<float> spectrumBefore;
    static std::vector<COLORREF> pixelsBefore;
    scripted::Script script;
    script.buffersToDeliver = 1;
    script.fill = [](int16_t* samples, int count, int index) {
        scripted::FillTone(samples, count, index == 1 ? 24 : 100, 16465.0);
    };
    script.onQueued = [](int index) {
        if (index != 2) return;
        // The second buffer is filled with another tone but never finishes.
        scripted::FillTone(capture::CaptureBuffer, dsp::CaptureSamples, 100, 16465.0);
        spectrumBefore.assign(dsp::Spectrum, dsp::Spectrum + dsp::FftLength);
        pixelsBefore = BitmapPixels();
        PostStartStopClick();
    };
    scripted::Install(script);

    ClickStartStop();

    ASSERT_EQ(spectrumBefore.size(), static_cast<size_t>(dsp::FftLength));
    EXPECT_EQ(std::memcmp(spectrumBefore.data(), dsp::Spectrum, sizeof dsp::Spectrum), 0);
    EXPECT_EQ(BitmapPixels(), pixelsBefore);
    EXPECT_EQ(scripted::CountCalls("unprepare"), 2) << "the first buffer, then the one the Stop handed back";
}

// A second Start reuses the buffer as it was and takes up the new rate and device.
TEST_F(CaptureTest, StartStopStartReusesTheBufferAndRereadsRateAndDevice)
{
    static int16_t firstSample = 0;
    scripted::Script script;
    script.buffersToDeliver = 1;
    script.fill = [](int16_t* samples, int count, int) {
        for (int i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(i - 1000);
    };
    script.onQueued = [](int index) { if (index == 2) PostStartStopClick(); };
    scripted::Install(script);
    ClickStartStop();
    const void* firstAddress = scripted::Seen().bufferAddresses.front();

    scripted::Script again;
    again.buffersToDeliver = 0;
    again.onQueued = [](int) {
        firstSample = capture::CaptureBuffer[0];
        PostStartStopClick();
    };
    scripted::Install(again);
    CheckRates(1, 0, 0);
    capture::InputDevice = 2;
    ClickStartStop();

    EXPECT_EQ(scripted::Seen().bufferAddresses.front(), firstAddress);
    EXPECT_EQ(firstSample, -1000);
    EXPECT_EQ(scripted::Seen().openedDevice, 2u);
    EXPECT_EQ(scripted::Seen().format.nSamplesPerSec, 11025u);
    EXPECT_EQ(facts::SampleRate, 11025);
}

TEST_F(CaptureTest, TheWaveMapperIsOpenedForDeviceMinusOne)
{
    scripted::Script script;
    script.buffersToDeliver = 0;
    script.onQueued = [](int) { PostStartStopClick(); };
    scripted::Install(script);
    capture::InputDevice = -1;
    ClickStartStop();
    EXPECT_EQ(scripted::Seen().openedDevice, WAVE_MAPPER);
}

// The capture loop pumps with the modal loop's pump: keys go through the
// active dialog, so Enter on the focused Stop button clicks it. A timer stops
// capture after 3 s should the key get lost.
bool StoppedByTimer = false;

void CALLBACK StopAfterTimeout(HWND, UINT, UINT_PTR, DWORD)
{
    StoppedByTimer = true;
    capture::StopCapture();
}

TEST_F(CaptureTest, TheCapturePumpGivesKeysToTheActiveDialog)
{
    StoppedByTimer = false;
    scripted::Script script;
    script.buffersToDeliver = 0;
    script.onQueued = [](int index) {
        if (index != 1)
            return;
        winlayer::DialogProc(facts::MainDialog, WM_ACTIVATE, WA_ACTIVE, 0);
        SendMessageA(facts::MainDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(StartStopButton()), TRUE);
        PostMessageA(StartStopButton(), WM_KEYDOWN, VK_RETURN, 0);
    };
    scripted::Install(script);
    const UINT_PTR timer = SetTimer(nullptr, 0, 3000, StopAfterTimeout);

    ClickStartStop();
    KillTimer(nullptr, timer);

    EXPECT_FALSE(StoppedByTimer) << "Enter did not reach the button through IsDialogMessage";
    EXPECT_EQ(scripted::CountCalls("close"), 1);
    EXPECT_EQ(StartStopCaption(), "&Start");
    EXPECT_EQ(capture::WaveIn, nullptr);
}

// A driver that holds on to the buffer after the reset is asked again until it
// lets go. A device that never closes keeps its buffer: each next Start
// records into a buffer no device holds; once they close, Start records into
// the first again.
TEST_F(CaptureTest, ADeviceIsLetGoEvenWhenItsDriverHoldsOn)
{
    const void* const first = capture::CaptureBuffer;
    struct Step {
        const char* driver;
        int unprepareRefusals, closeRefusals;
        const void* buffer;   // what it records into (0: one no device holds)
        int openHandles;      // after its Stop
    };
    const Step steps[] = {
        {"refuses twice, then once", 2, 1, first, 0},
        {"never closes", 0, -1, first, 1},
        {"never closes either", 0, -1, nullptr, 1},
        {"with both buffers held", 0, -1, nullptr, 1},
        {"closes again", 0, 0, first, -3},  // and the three stuck handles with it
    };
    std::vector<const void*> held;
    for (const Step& s : steps) {
        scripted::Script script;
        script.buffersToDeliver = 0;
        script.unprepareRefusals = s.unprepareRefusals;
        script.closeRefusals = s.closeRefusals;
        script.onQueued = [](int) { PostStartStopClick(); };
        scripted::Install(script);
        testsupport::StartMessageBoxWatch("Warning");
        ClickStartStop();
        const std::vector<testsupport::SeenMessageBox> boxes = testsupport::StopMessageBoxWatch();
        const scripted::Record& seen = scripted::Seen();
        ASSERT_TRUE(boxes.empty()) << s.driver;
        EXPECT_EQ(seen.openHandles, s.openHandles) << s.driver;
        EXPECT_EQ(capture::WaveIn, nullptr) << s.driver;
        const void* const used = seen.bufferAddresses.back();
        if (s.buffer) {
            EXPECT_EQ(used, s.buffer) << s.driver;
        } else {
            EXPECT_EQ(std::count(held.begin(), held.end(), used), 0) << s.driver;
        }
        if (s.openHandles == 1)
            held.push_back(used);
    }
    const std::vector<std::string> calls = {"reset", "close", "reset", "close", "reset", "close", "open",
                                            "start", "prepare", "add", "reset", "unprepare", "close"};
    EXPECT_EQ(scripted::Seen().calls, calls);
}

// ------------------------------------------------------ the window selector

HWND Selector() { return GetDlgItem(facts::MainDialog, facts::IdWindowSelector); }

// Replaces the text of the selector's field by typing `text` into it, as
// the keyboard does once the field has the focus.
void TypeIntoSelector(const char* text)
{
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    GetComboBoxInfo(Selector(), &info);
    SetFocus(info.hwndItem);
    SendMessageA(info.hwndItem, EM_SETSEL, 0, -1);
    for (const char* c = text; *c; ++c)
        SendMessageA(info.hwndItem, WM_CHAR, static_cast<WPARAM>(*c), 0);
}

// What the user does before a pass: type, pick an entry (when `typed` is 0)
// or leave the field; and the kind that pass must use and the field's text.
struct SelectorStep {
    const char* typed;
    int picked;
    bool leave;
    int32_t kind;
    const char* text;
};
const SelectorStep Steps[] = {
    {nullptr, 2, false, 2, "Hanning"},
    {"x", 0, false, 2, "x"},
    {"welch", 0, false, 2, "welch"},
    {"kaiser", 0, false, 3, "Kaiser"},
    {"q", 0, true, 3, "Kaiser"},
};

struct SeenPass {
    int32_t kind;
    std::string text;
    int peakBin;
};
std::vector<SeenPass> Passes;

// Runs as buffer `index` is queued, after pass index - 1: records that pass
// and takes the next step before pass `index`.
void FollowSteps(int index)
{
    if (index < 2)
        return;
    const float* top = std::max_element(dsp::Spectrum, dsp::Spectrum + dsp::BinCount);
    Passes.push_back({dsp::WindowKind, testsupport::WindowText(Selector()),
                      static_cast<int>(top - dsp::Spectrum)});
    const size_t step = static_cast<size_t>(index - 2);
    if (step >= sizeof Steps / sizeof Steps[0]) {
        CaptureTest::PostStartStopClick();
        return;
    }
    const SelectorStep& s = Steps[step];
    if (!s.typed) {
        SendMessageA(Selector(), CB_SETCURSEL, static_cast<WPARAM>(s.picked), 0);
        SendMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdWindowSelector, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Selector()));
        return;
    }
    TypeIntoSelector(s.typed);
    if (s.leave)
        SetFocus(CaptureTest::StartStopButton());
}

// Typing into the selector never stops the analysis: while the text names no
// entry each pass uses the kind chosen last, a typed name in any case chooses
// its kind, and leaving the field gives it back the name of the kind in use.
TEST_F(CaptureTest, TypingInTheWindowSelectorKeepsTheAnalysisGoing)
{
    scripted::Script script;
    script.fill = [](int16_t* samples, int count, int index) {
        scripted::FillTone(samples, count, 10 + index, 10000.0);
    };
    script.onQueued = FollowSteps;
    scripted::Install(script);
    Passes.clear();
    ClickStartStop();

    ASSERT_EQ(Passes.size(), 1 + sizeof Steps / sizeof Steps[0]);
    EXPECT_EQ(Passes[0].kind, 0);
    for (size_t pass = 1; pass <= Passes.size(); ++pass) {
        const SeenPass& seen = Passes[pass - 1];
        EXPECT_EQ(seen.peakBin, 10 + static_cast<int>(pass)) << "pass " << pass << " was skipped";
        if (pass == 1)
            continue;
        EXPECT_EQ(seen.kind, Steps[pass - 2].kind) << "pass " << pass;
        EXPECT_EQ(seen.text, Steps[pass - 2].text) << "pass " << pass;
    }
}

}  // namespace
