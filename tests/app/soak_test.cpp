// The soak: a long run of scripted buffers through the real capture engine
// and capture loop, with mouse moves, drags over the plot and slider moves
// mixed in between them. Every buffer must come round within a second, and
// the objects and memory of the process must stay where the warm-up left
// them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "capture/capture.h"
#include "display/drawing.h"
#include "display/mouse.h"
#include "display/sliders.h"
#include "display/surface.h"
#include "dsp/fft.h"
#include "dsp/sizes.h"
#include "tests/app/hardening.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/scripted_device.h"

namespace {

using hardening::Control;
using hardening::LimitMs;
using hardening::Step;

constexpr uint64_t Cycle = 16;  // interactions, one per buffer, then again

// A message to the main window at plot x (or over the Start button), the
// pointer put there first as the mouse handling reads it.
Step Mouse(UINT message, int x, bool overPlot = true)
{
    POINT point = {x, 5};
    ClientToScreen(overPlot ? display::PlotWindow : Control(facts::IdStartStop), &point);
    SetCursorPos(point.x, point.y);
    ScreenToClient(facts::MainDialog, &point);
    const WPARAM buttons = message == WM_LBUTTONDOWN ? MK_LBUTTON : 0;
    return {"interaction", facts::MainDialog, message, buttons, MAKELPARAM(point.x, point.y), 0};
}

Step Key(int slider, WPARAM key) { return {"interaction", Control(slider), WM_KEYDOWN, key, 0, 0}; }

// Step `phase` of the cycle: moves, a drag that opens the zoom view, a
// press and release in one spot that closes it, both sliders up and down,
// a thumb drag and a move off the plot. Each slider ends the cycle where it
// began it.
Step Interaction(uint64_t phase)
{
    switch (phase) {
    case 0: return Mouse(WM_MOUSEMOVE, 40);
    case 1: return Mouse(WM_MOUSEMOVE, 120);
    case 2: return Mouse(WM_LBUTTONDOWN, 60);
    case 3: return Mouse(WM_MOUSEMOVE, 100);
    case 4: return Mouse(WM_MOUSEMOVE, 170);
    case 5: return Mouse(WM_LBUTTONUP, 170);
    case 6: return Mouse(WM_MOUSEMOVE, 90);
    case 7: return Mouse(WM_LBUTTONDOWN, 90);
    case 8: return Mouse(WM_LBUTTONUP, 90);
    case 9: return Key(facts::IdOffsetSlider, VK_PRIOR);
    case 10: return Key(facts::IdOffsetSlider, VK_NEXT);
    case 11: return Key(facts::IdAveragesSlider, VK_PRIOR);
    case 12: return Key(facts::IdAveragesSlider, VK_NEXT);
    case 13: {
        HWND slider = Control(facts::IdAveragesSlider);
        SendMessageA(slider, TBM_SETPOS, TRUE, 80);
        return {"interaction", facts::MainDialog, WM_VSCROLL, MAKEWPARAM(TB_THUMBTRACK, 80),
                reinterpret_cast<LPARAM>(slider), 0};
    }
    case 14: {
        HWND slider = Control(facts::IdAveragesSlider);
        SendMessageA(slider, TBM_SETPOS, TRUE, display::AveragesSliderMax);
        return {"interaction", facts::MainDialog, WM_VSCROLL,
                MAKEWPARAM(TB_THUMBPOSITION, display::AveragesSliderMax),
                reinterpret_cast<LPARAM>(slider), 0};
    }
    default: return Mouse(WM_MOUSEMOVE, 5, false);
    }
}

struct SoakRun {
    uint64_t buffers = 0;        // to deliver before the Stop
    uint64_t firstCount = 0;     // buffer numbers of the two counts
    uint64_t lastCount = 0;
    uint64_t analysed = 0;       // buffers the loop took back and analysed
    double slowest = 0;
    uint64_t slowestBuffer = 0;
    hardening::Figures first = {}, last = {};
};
SoakRun Soaked;

void OnQueued(int queued)
{
    const uint64_t index = static_cast<uint64_t>(queued);
    if (index > 1) {
        const double took = hardening::Finish();
        if (took > Soaked.slowest) {
            Soaked.slowest = took;
            Soaked.slowestBuffer = index - 1;
        }
        EXPECT_LT(took, LimitMs) << "buffer " << index - 1;
    }
    // The device's record would grow with every buffer; what it says is
    // taken as it comes.
    Soaked.analysed += scripted::CountCalls("unprepare");
    scripted::Seen().calls.clear();
    scripted::Seen().bufferAddresses.clear();

    if (index == Soaked.firstCount || index == Soaked.lastCount) {
        hardening::Figures& figures = index == Soaked.firstCount ? Soaked.first : Soaked.last;
        figures = index == Soaked.firstCount ? hardening::Measure() : hardening::MeasureAgainst(Soaked.first);
        std::printf("soak: at buffer %llu: %s\n", static_cast<unsigned long long>(index),
                    hardening::Format(figures).c_str());
    }
    if (index > Soaked.buffers) {
        // The buffer after the last one never comes back; the Stop ends its wait.
        PostMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdStartStop, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Control(facts::IdStartStop)));
        return;
    }
    Step step = Interaction(index % Cycle);
    step.index = index;
    const double took = hardening::TimedSend(step);
    EXPECT_LT(took, LimitMs) << hardening::Describe(step);
    hardening::Begin({"buffer", facts::MainDialog, 0, 0, 0, index});
}

class Soak : public hardening::WatchedWindow {
protected:
    void SetUp() override
    {
        display::ResetMouseState();
        Soaked = SoakRun();
        Soaked.buffers = hardening::EnvironmentCount("SOAK_BUFFERS", 10000);
        scripted::Script script;
        script.buffersToDeliver = static_cast<int>(Soaked.buffers);
        script.deviceNames = {"Scripted"};
        // A tone that walks over the spectrum, with a little DC under it.
        script.fill = [](int16_t* samples, int count, int index) {
            scripted::FillTone(samples, count, 5 + index % 300, 4000 + index % 7 * 1000);
            for (int i = 0; i < count; ++i)
                samples[i] = static_cast<int16_t>(samples[i] + 150);
        };
        script.onQueued = OnQueued;
        scripted::Install(script);
        hardening::WatchedWindow::SetUp();
    }
};

TEST_F(Soak, ScriptedBuffersWithMouseAndSlidersStayFlat)
{
    // Both counts at the start of a cycle, so that the zoom view, the
    // sliders and the focus are in the same state at each.
    const uint64_t warmUp = std::max<uint64_t>(Cycle, std::min<uint64_t>(1000, Soaked.buffers / 10));
    Soaked.firstCount = (warmUp + Cycle - 1) / Cycle * Cycle;
    Soaked.lastCount = std::max(Soaked.firstCount, Soaked.buffers / Cycle * Cycle);
    std::printf("soak: %llu buffers (SOAK_BUFFERS), one interaction of %llu between each two\n",
                static_cast<unsigned long long>(Soaked.buffers), static_cast<unsigned long long>(Cycle));

    const DWORD began = GetTickCount();
    SendMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdStartStop, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(facts::IdStartStop)));
    const double seconds = (GetTickCount() - began) / 1000.0;
    Soaked.analysed += scripted::CountCalls("unprepare") - 1;  // the buffer the Stop handed back

    std::printf("soak: %.1f s, %.2f ms a buffer, slowest buffer %llu with %.1f ms\n", seconds,
                1000.0 * seconds / static_cast<double>(Soaked.buffers),
                static_cast<unsigned long long>(Soaked.slowestBuffer), Soaked.slowest);
    EXPECT_EQ(Soaked.analysed, Soaked.buffers);
    EXPECT_EQ(capture::WaveIn, nullptr);
    EXPECT_EQ(capture::StartStopCaption(), facts::StartCaption);
    // The averages slider ends each cycle at one average: the spectrum is the
    // last buffer's, its tone the highest bin.
    int highest = 3;
    for (int bin = 3; bin <= dsp::HalfLength; ++bin) {
        if (dsp::Spectrum[bin] > dsp::Spectrum[highest])
            highest = bin;
    }
    EXPECT_EQ(highest, 5 + static_cast<int>(Soaked.buffers % 300));
    hardening::ExpectFlat(Soaked.first, Soaked.last, "soak");
}

}  // namespace
