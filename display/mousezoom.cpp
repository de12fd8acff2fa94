#include "display/mousezoom.h"

#include "display/axes.h"
#include "display/trace.h"
#include "dsp/numeric.h"
#include "dsp/readings.h"

#include <utility>

namespace display {

namespace {

MouseStep Unchanged(const MouseState& state)
{
    MouseStep step;
    step.state = state;
    step.action = MouseAction::None;
    step.first = 0;
    step.second = 0;
    step.setCrossHair = false;
    step.focusPlot = false;
    return step;
}

// Bin under limited plot x: linear across the selected band in a zoom view,
// the frequency axis's own mapping otherwise. May lie beyond the spectrum.
int32_t BinUnderMouse(const MouseState& state, int32_t x, const PlotContext& plot)
{
    if (state.ZoomMode == 1)
        return ZoomColumnToBin(HalfPixels(x), state.SelectionStart, state.SelectionEnd,
                               plot.scale, plot.width);
    return XToBin(x, plot.scale);
}

MouseStep Move(const MouseState& state, bool overPlot, int32_t plotX, const PlotContext& plot)
{
    MouseStep step = Unchanged(state);
    // Before the first buffer there is nothing to read out.
    if (!plot.bufferProcessed)
        return step;
    if (!overPlot) {
        step.state.CursorX = -1;
        return step;
    }
    step.setCrossHair = true;
    step.focusPlot = true;
    step.state.CursorX = plotX;
    const int32_t x = LimitToPlot(plotX, plot.width);

    if (state.Dragging == 1) {
        step.action = MouseAction::InvertBand;
        step.first = state.DragLastX;
        step.second = x;
        step.state.DragLastX = x;
        return step;
    }

    const int32_t bin = BinUnderMouse(state, x, plot);
    // The frequency is that of the bin under the mouse even beyond the
    // spectrum; the level of such a bin is read from the last entry, which
    // the pass never fills.
    const float frequency = static_cast<float>(dsp::BinFrequency(bin, plot.sampleRate));
    if (state.ZoomMode == 1) {
        const float level =
            dsp::LevelInDecibelsSingle(plot.spectrum[SpectrumIndex(bin)], plot.reference);
        step.action = MouseAction::WriteZoomReadout;
        step.text = ReadoutText(frequency, level);
    }
    step.state.CursorFrequency = frequency;
    return step;
}

MouseStep Press(const MouseState& state, bool overPlot, int32_t plotX, const PlotContext& plot)
{
    MouseStep step = Unchanged(state);
    if (!overPlot)
        return step;
    step.setCrossHair = true;
    const int32_t x = LimitToPlot(plotX, plot.width);
    step.state.SelectionStart = HalfPixels(x);
    step.state.DragLastX = x;
    step.state.Dragging = 1;
    step.state.ZoomMode = 1;  // the capture engine stops redrawing the live plot
    return step;
}

MouseStep Release(const MouseState& state, bool overPlot, int32_t plotX,
                  const PlotContext& plot)
{
    MouseStep step = Unchanged(state);
    if (!overPlot)
        return step;  // a drag that leaves the plot goes on
    step.setCrossHair = true;
    // A release that ends no drag (the press was elsewhere) would otherwise
    // draw a zoom view in the live state, or re-cut the shown band.
    if (state.Dragging != 1)
        return step;

    MouseState& next = step.state;
    next.SelectionEnd = HalfPixels(LimitToPlot(plotX, plot.width));
    next.Dragging = 0;
    // Keep the band's ends 5 half-pixels short of the right edge.
    const double limit = plot.width / 2.0 - 5;
    if (limit < next.SelectionStart)
        next.SelectionStart = dsp::Nearest(limit);
    if (limit < next.SelectionEnd)
        next.SelectionEnd = dsp::Nearest(limit);
    if (next.SelectionEnd < next.SelectionStart)
        std::swap(next.SelectionStart, next.SelectionEnd);

    if (next.SelectionStart == next.SelectionEnd) {
        next.ZoomMode = 0;
        return step;
    }
    next.ZoomMode = 1;
    step.action = MouseAction::DrawZoomView;
    step.first = next.SelectionStart;
    step.second = next.SelectionEnd;
    return step;
}

}  // namespace

ZoomState ZoomStateOf(const MouseState& state)
{
    if (state.Dragging == 1)
        return ZoomState::Selecting;
    return state.ZoomMode == 1 ? ZoomState::Zoomed : ZoomState::Live;
}

int32_t HalfPixels(int32_t x)
{
    return dsp::Nearest(x / 2.0);
}

int32_t LimitToPlot(int32_t x, int32_t width)
{
    if (x < 1)
        x = 1;
    if (x > width)
        x = width;
    return x;
}

MouseStep StepMouse(const MouseState& state, MouseEvent event, bool overPlot, int32_t plotX,
                    const PlotContext& plot)
{
    switch (event) {
    case MouseEvent::Move:
        return Move(state, overPlot, plotX, plot);
    case MouseEvent::Press:
        return Press(state, overPlot, plotX, plot);
    case MouseEvent::Release:
        return Release(state, overPlot, plotX, plot);
    case MouseEvent::Pointer: {
        // Windows sets the window's own arrow before every mouse message
        // unless it is answered: the cross-hair would flicker.
        MouseStep step = Unchanged(state);
        step.setCrossHair = overPlot && plot.bufferProcessed;
        return step;
    }
    case MouseEvent::Paint: {
        MouseStep step = Unchanged(state);
        step.action = MouseAction::RedrawLive;
        return step;
    }
    case MouseEvent::CaptureStart: {
        // Dragging goes too: a drag carried on over a live, redrawn plot
        // would invert bands on it and flash a zoom view at its release.
        MouseStep step = Unchanged(state);
        step.state.ZoomMode = 0;
        step.state.Dragging = 0;
        return step;
    }
    }
    return Unchanged(state);
}

}  // namespace display
