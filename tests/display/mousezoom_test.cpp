// The mouse readout and zoom selection: every transition of the three states,
// the band ends, the readout texts and the limits of every spectrum index on
// any plot width.
#include "display/mousezoom.h"
#include "display/axes.h"
#include "display/trace.h"
#include "dsp/fft.h"
#include "dsp/sizes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using display::LinearScale;
using display::LogarithmicScale;
using display::MouseAction;
using display::MouseEvent;
using display::MouseState;
using display::MouseStep;
using display::ZoomState;

constexpr int32_t Reference = dsp::StartingReferenceLevel;

// A plot 520 pixels wide at 44100 Hz over a spectrum whose entries the tests
// set; a buffer has been processed unless a test says otherwise.
struct Plot {
    std::vector<float> spectrum = std::vector<float>(dsp::FftLength, 0.0f);
    display::PlotContext context{520, LinearScale, 44100, Reference, nullptr, true};
    Plot() { context.spectrum = spectrum.data(); }

    MouseStep Step(const MouseState& state, MouseEvent event, int32_t x, bool over = true) const
    {
        return display::StepMouse(state, event, over, x, context);
    }
};

// Starting points of the transitions; the selection values tell them apart.
constexpr MouseState Live{10, 430.6640625f, 0, 0, 40, 20, 30};
constexpr MouseState Selecting{10, 430.6640625f, 1, 1, 200, 50, 30};
constexpr MouseState Zoomed{10, 430.6640625f, 1, 0, 300, 50, 150};

bool Same(const MouseState& a, const MouseState& b)
{
    return a.CursorX == b.CursorX && a.CursorFrequency == b.CursorFrequency &&
           a.ZoomMode == b.ZoomMode && a.Dragging == b.Dragging &&
           a.DragLastX == b.DragLastX && a.SelectionStart == b.SelectionStart &&
           a.SelectionEnd == b.SelectionEnd;
}

const char* Name(ZoomState s)
{
    return s == ZoomState::Live ? "Live" : s == ZoomState::Selecting ? "Selecting" : "Zoomed";
}

TEST(MouseZoom, StatesOfTheVariables)
{
    EXPECT_EQ(display::ZoomStateOf(Live), ZoomState::Live);
    EXPECT_EQ(display::ZoomStateOf(Selecting), ZoomState::Selecting);
    EXPECT_EQ(display::ZoomStateOf(Zoomed), ZoomState::Zoomed);
    EXPECT_EQ(display::ZoomStateOf(MouseState{}), ZoomState::Live);
}

TEST(MouseZoom, EveryTransition)
{
    struct Row {
        const char* what;
        MouseState from;
        MouseEvent event;
        bool over;
        int32_t x;
        ZoomState to;
        MouseAction action;
        int32_t first, second;
        bool crossHair;
    };
    const Row rows[] = {
        {"press in live", Live, MouseEvent::Press, true, 100, ZoomState::Selecting,
         MouseAction::None, 0, 0, true},
        {"press in zoom", Zoomed, MouseEvent::Press, true, 100, ZoomState::Selecting,
         MouseAction::None, 0, 0, true},
        {"press again while selecting", Selecting, MouseEvent::Press, true, 100,
         ZoomState::Selecting, MouseAction::None, 0, 0, true},
        {"press elsewhere in live", Live, MouseEvent::Press, false, 100, ZoomState::Live,
         MouseAction::None, 0, 0, false},
        {"press elsewhere in zoom", Zoomed, MouseEvent::Press, false, 100, ZoomState::Zoomed,
         MouseAction::None, 0, 0, false},
        {"release at another spot", Selecting, MouseEvent::Release, true, 300, ZoomState::Zoomed,
         MouseAction::DrawZoomView, 50, 150, true},
        {"release at the press", Selecting, MouseEvent::Release, true, 100, ZoomState::Live,
         MouseAction::None, 0, 0, true},
        {"release elsewhere", Selecting, MouseEvent::Release, false, 300, ZoomState::Selecting,
         MouseAction::None, 0, 0, false},
        {"release ending no drag in live", Live, MouseEvent::Release, true, 300,
         ZoomState::Live, MouseAction::None, 0, 0, true},
        {"release ending no drag in zoom", Zoomed, MouseEvent::Release, true, 100,
         ZoomState::Zoomed, MouseAction::None, 0, 0, true},
        {"move in live", Live, MouseEvent::Move, true, 100, ZoomState::Live, MouseAction::None,
         0, 0, true},
        {"move in zoom", Zoomed, MouseEvent::Move, true, 100, ZoomState::Zoomed,
         MouseAction::WriteZoomReadout, 0, 0, true},
        {"move while selecting", Selecting, MouseEvent::Move, true, 250, ZoomState::Selecting,
         MouseAction::InvertBand, 200, 250, true},
        {"move elsewhere while selecting", Selecting, MouseEvent::Move, false, 250,
         ZoomState::Selecting, MouseAction::None, 0, 0, false},
        {"pointer over the plot in zoom", Zoomed, MouseEvent::Pointer, true, 100,
         ZoomState::Zoomed, MouseAction::None, 0, 0, true},
        {"pointer elsewhere in live", Live, MouseEvent::Pointer, false, 100, ZoomState::Live,
         MouseAction::None, 0, 0, false},
        {"paint in live", Live, MouseEvent::Paint, false, 0, ZoomState::Live,
         MouseAction::RedrawLive, 0, 0, false},
        {"paint while selecting", Selecting, MouseEvent::Paint, false, 0, ZoomState::Selecting,
         MouseAction::RedrawLive, 0, 0, false},
        {"paint in zoom", Zoomed, MouseEvent::Paint, false, 0, ZoomState::Zoomed,
         MouseAction::RedrawLive, 0, 0, false},
        {"start in live", Live, MouseEvent::CaptureStart, false, 0, ZoomState::Live,
         MouseAction::None, 0, 0, false},
        {"start while selecting", Selecting, MouseEvent::CaptureStart, false, 0, ZoomState::Live,
         MouseAction::None, 0, 0, false},
        {"start in zoom", Zoomed, MouseEvent::CaptureStart, false, 0, ZoomState::Live,
         MouseAction::None, 0, 0, false},
    };
    const Plot plot;
    for (const Row& row : rows) {
        const MouseStep step = plot.Step(row.from, row.event, row.x, row.over);
        SCOPED_TRACE(row.what);
        const ZoomState to = display::ZoomStateOf(step.state);
        EXPECT_EQ(to, row.to) << Name(to);
        // Only the three combinations of ZoomMode and Dragging come out.
        EXPECT_EQ(step.state.ZoomMode, to == ZoomState::Live ? 0 : 1);
        EXPECT_EQ(step.state.Dragging, to == ZoomState::Selecting ? 1 : 0);
        EXPECT_EQ(step.action, row.action);
        EXPECT_EQ(step.first, row.first);
        EXPECT_EQ(step.second, row.second);
        EXPECT_EQ(step.setCrossHair, row.crossHair);
        EXPECT_EQ(step.focusPlot, row.crossHair && row.event == MouseEvent::Move);
        EXPECT_EQ(step.text.empty(), row.action != MouseAction::WriteZoomReadout);
    }
}

TEST(MouseZoom, StepsThatChangeNoVariable)
{
    const Plot plot;
    struct Row { const char* what; MouseState from; MouseEvent event; bool over; };
    const Row rows[] = {
        {"press elsewhere", Live, MouseEvent::Press, false},
        {"release elsewhere", Selecting, MouseEvent::Release, false},
        {"release ending no drag", Live, MouseEvent::Release, true},
        {"release ending no drag in zoom", Zoomed, MouseEvent::Release, true},
        {"paint in zoom", Zoomed, MouseEvent::Paint, true},
        {"paint while selecting", Selecting, MouseEvent::Paint, true},
        {"pointer while selecting", Selecting, MouseEvent::Pointer, true},
    };
    for (const Row& row : rows)
        EXPECT_TRUE(Same(plot.Step(row.from, row.event, 300, row.over).state, row.from))
            << row.what;
}

TEST(MouseZoom, PressAnchorsTheBandAtTheLimitedX)
{
    const Plot plot;
    struct Row { int32_t x, start, lastX; };
    const Row rows[] = {{100, 50, 100}, {5, 2, 5}, {7, 4, 7}, {-30, 0, 1}, {0, 0, 1},
                        {520, 260, 520}, {900, 260, 520}};
    for (const Row& row : rows) {
        const MouseState s = plot.Step(Live, MouseEvent::Press, row.x).state;
        EXPECT_EQ(s.SelectionStart, row.start) << "x " << row.x;
        EXPECT_EQ(s.DragLastX, row.lastX) << "x " << row.x;
        EXPECT_EQ(s.SelectionEnd, Live.SelectionEnd);
        EXPECT_EQ(s.CursorX, Live.CursorX);
    }
}

// Press at one x, release at another, on a 520-pixel plot.
MouseStep Drag(const Plot& plot, int32_t from, int32_t to)
{
    const MouseState pressed = plot.Step(MouseState{}, MouseEvent::Press, from).state;
    return plot.Step(pressed, MouseEvent::Release, to);
}

TEST(MouseZoom, BandEndsOfADrag)
{
    const Plot plot;
    struct Row { int32_t from, to, start, end; };
    const Row rows[] = {
        {100, 300, 50, 150}, {300, 100, 50, 150},  // either direction
        {100, 520, 50, 255},                       // the right end stops at 520 / 2 - 5
        {100, 4000, 50, 255}, {520, 515, 255, 255},  // both ends at the limit
        {5, 200, 2, 100}, {7, 200, 4, 100},        // halves to the even neighbour
        {-40, 3, 0, 2},
    };
    for (const Row& row : rows) {
        const MouseStep step = Drag(plot, row.from, row.to);
        SCOPED_TRACE(testing::Message() << row.from << " -> " << row.to);
        EXPECT_EQ(step.state.SelectionStart, row.start);
        EXPECT_EQ(step.state.SelectionEnd, row.end);
        if (row.start != row.end) {
            EXPECT_EQ(step.action, MouseAction::DrawZoomView);
            EXPECT_EQ(step.first, row.start);
            EXPECT_EQ(step.second, row.end);
            EXPECT_EQ(display::ZoomStateOf(step.state), ZoomState::Zoomed);
        } else {
            EXPECT_EQ(step.action, MouseAction::None);
            EXPECT_EQ(display::ZoomStateOf(step.state), ZoomState::Live);
        }
    }
}

TEST(MouseZoom, ReleaseWithinOneHalfPixelLeavesZoom)
{
    const Plot plot;
    // 100 and 101 both store 50; 515 and 520 both end at the limit 255.
    for (const auto& drag : {std::pair<int, int>{100, 101}, {515, 520}, {100, 100}}) {
        const MouseStep step = Drag(plot, drag.first, drag.second);
        EXPECT_EQ(display::ZoomStateOf(step.state), ZoomState::Live) << drag.first;
        EXPECT_EQ(step.action, MouseAction::None);
    }
}

TEST(MouseZoom, DragCarriedOutsideThePlotCompletesOnTheNextReleaseInIt)
{
    Plot plot;
    MouseState s = plot.Step(MouseState{}, MouseEvent::Press, 100).state;
    s = plot.Step(s, MouseEvent::Move, 150).state;
    s = plot.Step(s, MouseEvent::Release, 700, false).state;
    ASSERT_EQ(display::ZoomStateOf(s), ZoomState::Selecting);
    s = plot.Step(s, MouseEvent::Move, 0, false).state;
    EXPECT_EQ(s.CursorX, -1);
    // Back over the plot the band's edge goes on from where it was left.
    MouseStep step = plot.Step(s, MouseEvent::Move, 260);
    EXPECT_EQ(step.action, MouseAction::InvertBand);
    EXPECT_EQ(step.first, 150);
    EXPECT_EQ(step.second, 260);
    step = plot.Step(step.state, MouseEvent::Release, 260);
    EXPECT_EQ(step.action, MouseAction::DrawZoomView);
    EXPECT_EQ(step.first, 50);
    EXPECT_EQ(step.second, 130);
}

TEST(MouseZoom, BandEdgeFollowsTheLimitedX)
{
    const Plot plot;
    MouseState s = plot.Step(MouseState{}, MouseEvent::Press, 100).state;
    struct Row { int32_t x, edge; };
    const Row rows[] = {{200, 200}, {900, 520}, {-5, 1}, {101, 101}};
    int32_t previous = 100;
    for (const Row& row : rows) {
        const MouseStep step = plot.Step(s, MouseEvent::Move, row.x);
        EXPECT_EQ(step.first, previous);
        EXPECT_EQ(step.second, row.edge);
        EXPECT_EQ(step.state.DragLastX, row.edge);
        EXPECT_EQ(step.state.CursorX, row.x);  // the cursor keeps the raw x
        // A drag does not move the frequency under the cursor.
        EXPECT_EQ(step.state.CursorFrequency, 0.0f);
        previous = row.edge;
        s = step.state;
    }
}

TEST(MouseZoom, MovesAndPointersBeforeTheFirstBufferDoNothing)
{
    Plot plot;
    plot.context.bufferProcessed = false;
    for (const MouseState& from : {MouseState{}, Live, Selecting, Zoomed})
        for (bool over : {true, false})
            for (MouseEvent event : {MouseEvent::Move, MouseEvent::Pointer}) {
                const MouseStep step = plot.Step(from, event, 123, over);
                EXPECT_TRUE(Same(step.state, from));
                EXPECT_EQ(step.action, MouseAction::None);
                EXPECT_FALSE(step.setCrossHair);
                EXPECT_FALSE(step.focusPlot);
            }
    EXPECT_EQ(plot.Step(MouseState{}, MouseEvent::Move, 123).state.CursorX, 0);
}

TEST(MouseZoom, LiveMoveSetsTheCursorForTheNextRedraw)
{
    Plot plot;
    struct Row { int32_t scale, x, rate; int32_t cursorX; float frequency; };
    const Row rows[] = {
        {LinearScale, 24, 44100, 24, 1033.59375f},
        {LinearScale, 512, 44100, 512, 22050.0f},
        {LinearScale, 800, 11025, 800, 5598.6328125f},   // limited to 520: bin 520
        {LinearScale, -7, 22050, -7, 21.533203125f},     // limited to 1: bin 1
        {LogarithmicScale, 1, 44100, 1, 86.1328125f},    // bin 2
        {LogarithmicScale, 512, 44100, 512, 22050.0f},   // bin 512
        {LogarithmicScale, 90, 1024, 90, 3.0f},          // bin 3
    };
    for (const Row& row : rows) {
        plot.context.scale = row.scale;
        plot.context.sampleRate = row.rate;
        const MouseStep step = plot.Step(Live, MouseEvent::Move, row.x);
        EXPECT_EQ(step.state.CursorX, row.cursorX);
        EXPECT_EQ(step.state.CursorFrequency, row.frequency) << "x " << row.x;
        EXPECT_EQ(step.action, MouseAction::None);
        EXPECT_TRUE(step.focusPlot);
    }
}

TEST(MouseZoom, ZoomReadoutTexts)
{
    Plot plot;
    plot.spectrum[24] = 8430.0f;    // -20 dB
    plot.spectrum[100] = 84300.0f;  // 0 dB
    plot.spectrum[300] = 843.0f;    // -40 dB
    plot.spectrum[200] = 8.43e6f;   // +40 dB
    // Band 12..100 half-pixels: bins 24 to 200 across the plot.
    const MouseState band{-1, 0.0f, 1, 0, 0, 12, 100};
    const MouseState wide{-1, 0.0f, 1, 0, 0, 50, 150};  // bins 100 to 300
    struct Row { MouseState state; int32_t x; const char* text; };
    const Row rows[] = {
        {band, 1, "1033.6Hz, -20.0dB"},
        {band, 520, "8613.3Hz, 40.0dB"},
        {band, 2, "1076.7Hz, -98.5dB"},   // bin 25, amplitude 1
        {wide, 1, "4306.6Hz, 0.0dB"},
        {wide, 520, "12919.9Hz, -40.0dB"},
        {wide, 260, "8613.3Hz, 40.0dB"},
    };
    plot.spectrum[25] = 1.0f;  // amplitude 1: the bottom of the scale
    for (const Row& row : rows) {
        const MouseStep step = plot.Step(row.state, MouseEvent::Move, row.x);
        EXPECT_EQ(step.action, MouseAction::WriteZoomReadout);
        EXPECT_EQ(step.text, row.text) << "x " << row.x;
        EXPECT_TRUE(Same(step.state, MouseState{row.x, step.state.CursorFrequency, 1, 0, 0,
                                                row.state.SelectionStart,
                                                row.state.SelectionEnd}));
    }
    // An empty bin reads -inf.
    EXPECT_EQ(plot.Step(wide, MouseEvent::Move, 100).text, "5943.2Hz, -infdB");
}

TEST(MouseZoom, ZoomOfALogarithmicBand)
{
    Plot plot;
    plot.context.scale = LogarithmicScale;
    // Edges at half-pixels 28 and 256: the bins under x = 56 and 512.
    const MouseState band{0, 0.0f, 1, 0, 0, 28, 256};
    const int32_t first = display::XToBin(56, LogarithmicScale);
    EXPECT_EQ(plot.Step(band, MouseEvent::Move, 1).state.CursorFrequency,
              static_cast<float>(first * 44100.0 / dsp::FftLength));
    EXPECT_EQ(plot.Step(band, MouseEvent::Move, 520).state.CursorFrequency, 22050.0f);
}

// ---- Limits ----------------------------------------------------------------

// FftLength entries between two blocks of as many guards at +60 dB, a level no
// entry holds: bins 0..HalfLength at amplitude 1 (-98.5 dB), the rest empty (-inf).
struct GuardedSpectrum {
    std::vector<float> memory;
    const float* entries;
    GuardedSpectrum() : memory(dsp::FftLength, 1000.0f * Reference)
    {
        memory.insert(memory.end(), dsp::BinCount, 1.0f);
        memory.insert(memory.end(), dsp::FftLength - dsp::BinCount, 0.0f);
        memory.insert(memory.end(), dsp::FftLength, 1000.0f * Reference);
        entries = memory.data() + dsp::FftLength;
    }
};

bool ReadsAnEntry(const std::string& text)
{
    const auto endsWith = [&](const std::string& tail) {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(),
                                                          tail.size(), tail) == 0;
    };
    return endsWith("Hz, -98.5dB") || endsWith("Hz, -infdB");
}

TEST(MouseZoomLimits, EveryWidthOnBothScales)
{
    GuardedSpectrum spectrum;
    for (int32_t scale : {LinearScale, LogarithmicScale})
        for (int32_t width = 1; width <= 4096; ++width) {
            const display::PlotContext plot{width, scale, 44100, Reference, spectrum.entries,
                                            true};
            const int32_t limit = static_cast<int32_t>(std::nearbyint(width / 2.0 - 5));
            const int32_t xs[] = {-50, 0, 1, 2, width / 2, width - 1, width, width + 1,
                                  width + 1000};
            // Bands from one edge to the other, both ways, and the widest one
            // a drag can make from beyond the plot.
            const std::pair<int32_t, int32_t> drags[] = {{1, width}, {width, 1},
                                                         {-100, 100000}};
            for (const auto& drag : drags) {
                MouseState s = display::StepMouse(MouseState{}, MouseEvent::Press, true,
                                                  drag.first, plot).state;
                const MouseStep released =
                    display::StepMouse(s, MouseEvent::Release, true, drag.second, plot);
                s = released.state;
                ASSERT_LE(s.SelectionStart, s.SelectionEnd);
                ASSERT_LE(s.SelectionEnd, std::max(limit, 0)) << "width " << width;
                if (display::ZoomStateOf(s) != ZoomState::Zoomed)
                    continue;
                for (int32_t x : xs) {
                    const MouseStep step =
                        display::StepMouse(s, MouseEvent::Move, true, x, plot);
                    ASSERT_TRUE(ReadsAnEntry(step.text))
                        << step.text << " width " << width << " scale " << scale << " x " << x;
                    ASSERT_TRUE(std::isfinite(step.state.CursorFrequency));
                }
            }
            // The live readout's frequency leads back into the spectrum too.
            for (int32_t x : xs) {
                const float frequency = display::StepMouse(MouseState{}, MouseEvent::Move, true,
                                                           x, plot).state.CursorFrequency;
                const int32_t bin = display::ReadoutBin(frequency, 44100);
                ASSERT_GE(bin, 0);
                ASSERT_LE(bin, dsp::FftLength - 1);
            }
        }
}

TEST(MouseZoomLimits, EveryColumnOfWideZoomViews)
{
    GuardedSpectrum spectrum;
    for (int32_t width : {568, 569, 579, 580, 1200, 4096})
        for (int32_t scale : {LinearScale, LogarithmicScale}) {
            const display::PlotContext plot{width, scale, 22050, Reference, spectrum.entries,
                                            true};
            MouseState s =
                display::StepMouse(MouseState{}, MouseEvent::Press, true, 1, plot).state;
            const MouseStep released =
                display::StepMouse(s, MouseEvent::Release, true, width, plot);
            ASSERT_EQ(released.action, MouseAction::DrawZoomView);
            for (int32_t x = 1; x <= width; ++x)
                ASSERT_TRUE(ReadsAnEntry(
                    display::StepMouse(released.state, MouseEvent::Move, true, x, plot).text))
                    << "width " << width << " x " << x;
            // What DrawZoomView draws for the band stays inside as well.
            const auto points = display::ZoomViewPoints(spectrum.entries, released.first,
                                                        released.second, scale, width, 340,
                                                        Reference);
            for (const display::Point& p : points)
                ASSERT_NE(p.y, -207) << "width " << width;
        }
}

}  // namespace
