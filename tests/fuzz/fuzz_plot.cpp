// The plot's mappings for any plot width 1 to 4096 and height 1 to 4096, any
// x, any band ends and any amplitude, then a run of mouse events through
// StepMouse from a start state (the program's, or any values at all). Every
// index into the spectrum lies in 0..FftLength - 1 (the spectrum is a heap
// block of exactly FftLength entries), the mappings keep their order and
// ranges, and the mouse steps only ever produce the three zoom states with
// ordered bands.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "display/mousezoom.h"
#include "display/axes.h"
#include "display/trace.h"
#include "dsp/fft.h"
#include "dsp/readings.h"
#include "dsp/numeric.h"
#include "dsp/sizes.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using display::LinearScale;
using display::LogarithmicScale;

constexpr int32_t LastEntry = dsp::FftLength - 1;

void CheckAxes(int32_t x, int32_t bin, int32_t width)
{
    FUZZ_CHECK(display::XToBin(x, LinearScale) == x, "linear XToBin(%d)", x);
    const int32_t logBin = display::XToBin(x, LogarithmicScale);
    FUZZ_CHECK(logBin >= 0, "XToBin(%d) = %d", x, logBin);
    if (x < INT32_MAX)
        FUZZ_CHECK(display::XToBin(x + 1, LogarithmicScale) >= logBin, "XToBin falls at %d", x);
    // Up to x = 568 the logarithmic axis stays inside the spectrum.
    if (x <= 568)
        FUZZ_CHECK(logBin <= LastEntry, "XToBin(%d) = %d", x, logBin);
    const int32_t index = display::SpectrumIndex(logBin);
    FUZZ_CHECK(index >= 0 && index <= LastEntry, "SpectrumIndex(%d) = %d", logBin, index);

    if (bin >= 1 && bin <= dsp::HalfLength) {
        const int32_t bx = display::BinToX(bin, LogarithmicScale);
        FUZZ_CHECK(bx >= 0 && bx <= 512 && bx % 2 == 0, "BinToX(%d) = %d", bin, bx);
        if (bin > 1)
            FUZZ_CHECK(display::BinToX(bin - 1, LogarithmicScale) <= bx, "BinToX falls at %d",
                       bin);
    }
    // The bin under each column of the plot reads a real entry once limited.
    const int32_t column = display::LimitToPlot(x, width);
    FUZZ_CHECK(column >= 1 && column <= width, "LimitToPlot(%d, %d) = %d", x, width, column);
}

// Between the band's edge bins, linear in u: u = 0 gives the first edge, and
// every column inside the band lies between the two edges.
void CheckZoomColumn(int32_t u, int32_t s, int32_t e, int32_t scale, int32_t width)
{
    const int32_t first = display::ZoomColumnToBin(0, s, e, scale, width);
    const int32_t bin = display::ZoomColumnToBin(u, s, e, scale, width);
    if (scale == LinearScale && s >= -(1 << 29) && s < (1 << 29))
        FUZZ_CHECK(first == 2 * s, "band %d..%d starts at bin %d", s, e, first);
    const int32_t index = display::SpectrumIndex(bin);
    FUZZ_CHECK(index >= 0 && index <= LastEntry, "zoom bin %d gives index %d", bin, index);
    if (u >= 0 && 2 * static_cast<int64_t>(u) <= width && s <= e && s >= 0 && e <= 4096) {
        // The band's last edge bin: column `width` of a plot twice as wide.
        const int32_t last = display::ZoomColumnToBin(width, s, e, scale, 2 * width);
        FUZZ_CHECK(bin >= first && bin <= last, "column %d of band %d..%d: bin %d not in %d..%d",
                   u, s, e, bin, first, last);
    }
}

void CheckLevels(float amplitude, int32_t height, int32_t reference, float frequency,
                 int32_t rate)
{
    display::LevelToY(amplitude, height, reference);
    const float level = dsp::LevelInDecibelsSingle(amplitude, reference);
    FUZZ_CHECK(amplitude == 0.0f ? level == -INFINITY : std::isfinite(level),
               "level of %g over %d is %g", amplitude, reference, level);
    const int32_t bin = display::ReadoutBin(frequency, rate);
    FUZZ_CHECK(bin >= 0 && bin <= LastEntry, "ReadoutBin(%g, %d) = %d", frequency, rate, bin);
}

void CheckDrawing(const float* spectrum, int32_t s, int32_t e, int32_t scale, int32_t width,
                  int32_t height, int32_t reference)
{
    const auto trace = display::TracePoints(spectrum, scale, height, reference);
    FUZZ_CHECK(trace[0].x == 0, "trace starts at x %d", trace[0].x);
    for (int32_t i = 1; i < dsp::BinCount; ++i)
        FUZZ_CHECK(trace[i].x == display::BinToX(i, scale), "trace point %d at x %d", i,
                   trace[i].x);
    const auto zoom = display::ZoomViewPoints(spectrum, s, e, scale, width, height, reference);
    FUZZ_CHECK(zoom.size() == static_cast<size_t>(width) + 1, "%zu zoom points for width %d",
               zoom.size(), width);
    for (size_t x = 0; x < zoom.size(); ++x)
        FUZZ_CHECK(zoom[x].x == static_cast<int32_t>(x), "zoom point %zu at x %d", x, zoom[x].x);

    const display::Graticule g = display::BuildGraticule(scale, width, height);
    FUZZ_CHECK(g.lineCount >= 0 && g.lineCount <= display::Graticule::MaxLines &&
                   g.labelCount >= 0 && g.labelCount <= display::Graticule::MaxLabels,
               "%d lines, %d labels", g.lineCount, g.labelCount);
    for (int32_t i = 0; i < g.labelCount; ++i) {
        const display::Label& label = g.labels[i];
        const size_t length = strnlen(label.text, sizeof label.text);
        FUZZ_CHECK(length < sizeof label.text && label.count >= 0 &&
                       static_cast<size_t>(label.count) <= length,
                   "label %d: %d of \"%.16s\"", i, label.count, label.text);
    }
}

bool ValidZoomState(const display::MouseState& s)
{
    return (s.ZoomMode == 0 || s.ZoomMode == 1) && (s.Dragging == 0 || s.Dragging == 1) &&
           (s.Dragging == 0 || s.ZoomMode == 1);
}

display::MouseState ConsumeStartState(FuzzedDataProvider& input)
{
    display::MouseState state{};
    if (input.ConsumeBool())
        return state;  // as the program starts
    state.CursorX = input.ConsumeIntegral<int32_t>();
    state.CursorFrequency = fuzz::ConsumeAnyFloat(input);
    state.ZoomMode = input.ConsumeIntegral<int32_t>();
    state.Dragging = input.ConsumeIntegral<int32_t>();
    state.DragLastX = input.ConsumeIntegral<int32_t>();
    state.SelectionStart = input.ConsumeIntegral<int32_t>();
    state.SelectionEnd = input.ConsumeIntegral<int32_t>();
    return state;
}

void CheckStep(const display::MouseState& before, display::MouseEvent event, bool overPlot,
               int32_t plotX, const display::MouseStep& step, const display::PlotContext& plot)
{
    const display::MouseState& after = step.state;
    if (ValidZoomState(before))
        FUZZ_CHECK(ValidZoomState(after), "zoom %d dragging %d after zoom %d dragging %d",
                   after.ZoomMode, after.Dragging, before.ZoomMode, before.Dragging);
    const double limit = plot.width / 2.0 - 5;
    switch (step.action) {
    case display::MouseAction::DrawZoomView:
        FUZZ_CHECK(step.first < step.second && step.first == after.SelectionStart &&
                       step.second == after.SelectionEnd &&
                       after.SelectionEnd <= std::max<double>(limit, dsp::Nearest(limit)),
                   "zoom view %d..%d of width %d", step.first, step.second, plot.width);
        break;
    case display::MouseAction::InvertBand:
        FUZZ_CHECK(step.first == before.DragLastX && step.second >= 1 &&
                       step.second <= plot.width && after.DragLastX == step.second,
                   "band %d..%d of width %d", step.first, step.second, plot.width);
        break;
    case display::MouseAction::WriteZoomReadout: {
        const std::string& text = step.text;
        const int32_t decimals = display::ReadoutDecimals;
        const size_t first = fuzz::MaskLength(text, decimals);
        FUZZ_CHECK(first != 0 && text.compare(first, 4, "Hz, ") == 0 &&
                       fuzz::LevelLength(std::string_view(text).substr(first + 4), decimals) +
                               first + 6 ==
                           text.size() &&
                       text.compare(text.size() - 2, 2, "dB") == 0,
                   "zoom readout \"%s\"", text.c_str());
        break;
    }
    default:
        break;
    }
    if (event == display::MouseEvent::Release && before.Dragging == 1 && after.Dragging == 0)
        FUZZ_CHECK(after.SelectionStart <= after.SelectionEnd, "band %d..%d after a release at %d",
                   after.SelectionStart, after.SelectionEnd, plotX);
    if (event == display::MouseEvent::Move && overPlot && plot.bufferProcessed &&
        before.Dragging != 1)
        FUZZ_CHECK(std::isfinite(after.CursorFrequency), "frequency %g", after.CursorFrequency);
}

struct MouseInput {
    display::MouseEvent event;
    bool overPlot;
    int32_t plotX;
};

// Up to 16 events, mostly near the plot's columns.
std::vector<MouseInput> ConsumeMouseEvents(FuzzedDataProvider& input, int32_t width)
{
    std::vector<MouseInput> events(input.ConsumeIntegralInRange(0, 16));
    for (MouseInput& m : events) {
        m.event = static_cast<display::MouseEvent>(input.ConsumeIntegralInRange(0, 4));
        m.overPlot = input.ConsumeBool();
        m.plotX = input.ConsumeBool() ? input.ConsumeIntegralInRange<int32_t>(-8, width + 8)
                                      : input.ConsumeIntegral<int32_t>();
    }
    return events;
}

void RunMouse(display::MouseState state, const std::vector<MouseInput>& events,
              const display::PlotContext& plot)
{
    for (const MouseInput& m : events) {
        const display::MouseStep step = display::StepMouse(state, m.event, m.overPlot, m.plotX, plot);
        CheckStep(state, m.event, m.overPlot, m.plotX, step, plot);
        state = step.state;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int32_t width = input.ConsumeIntegralInRange<int32_t>(1, 4096);
    const int32_t height = input.ConsumeIntegralInRange<int32_t>(1, 4096);
    const int32_t scale = input.ConsumeBool() ? LogarithmicScale : LinearScale;
    const int32_t reference =
        input.ConsumeBool() ? dsp::StartingReferenceLevel : input.ConsumeIntegral<int32_t>();
    const int32_t rate = input.ConsumeIntegral<int32_t>();
    const int32_t x = input.ConsumeIntegral<int32_t>();
    const int32_t bin = input.ConsumeIntegral<int32_t>();
    const int32_t u = input.ConsumeIntegral<int32_t>();
    const int32_t s = input.ConsumeIntegral<int32_t>();
    const int32_t e = input.ConsumeIntegral<int32_t>();
    const float amplitude = fuzz::ConsumeAnyFloat(input);
    const float frequency = fuzz::ConsumeAnyFloat(input);
    const bool processed = input.ConsumeBool();
    const display::MouseState start = ConsumeStartState(input);
    const std::vector<MouseInput> events = ConsumeMouseEvents(input, width);
    // What is left fills the spectrum from its first entry.
    const auto spectrum = fuzz::ConsumeArray<float>(input, dsp::FftLength);

    CheckAxes(x, bin, width);
    CheckZoomColumn(u, s, e, scale, width);
    CheckLevels(amplitude, height, reference, frequency, rate);
    CheckDrawing(spectrum.get(), s, e, scale, width, height, reference);
    const display::PlotContext plot{width, scale, rate, reference, spectrum.get(), processed};
    RunMouse(start, events, plot);
    return 0;
}
