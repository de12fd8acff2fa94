#include "display/mouse.h"

#include <windowsx.h>

#include "display/drawing.h"
#include "dsp/fft.h"
#include "facts/facts.h"

namespace display {

MouseState Mouse = {};

namespace {

PlotContext CurrentPlotContext()
{
    PlotContext plot;
    plot.width = PlotWidth;
    plot.scale = CurrentScale();
    plot.sampleRate = facts::SampleRate;
    plot.reference = dsp::ReferenceLevel;
    plot.spectrum = dsp::Spectrum;
    plot.bufferProcessed = dsp::PassHasRun;
    return plot;
}

// lParam is in the main window's client coordinates. The plot control lets
// mouse input through to the main window, so the child under the point is
// asked instead of the message's window.
bool IsOverPlot(LPARAM lParam)
{
    if (PlotDC == nullptr)
        return false;
    POINT point;
    point.x = GET_X_LPARAM(lParam);
    point.y = GET_Y_LPARAM(lParam);
    return ChildWindowFromPoint(facts::MainDialog, point) == WindowFromDC(PlotDC);
}

int32_t MouseXInPlot()
{
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(PlotWindow, &point);
    return point.x;
}

// Carries out what a step asks for, after its state has been kept, so that
// a redraw sees the new Mouse.CursorX.
void CarryOut(const MouseStep& step)
{
    Mouse = step.state;
    if (step.setCrossHair) {
        // Shared: the system owns it, nothing to destroy.
        SetCursor(static_cast<HCURSOR>(
            LoadImageA(nullptr, IDC_CROSS, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE)));
    }
    if (step.focusPlot)
        SetFocus(PlotWindow);
    switch (step.action) {
    case MouseAction::None:
        break;
    case MouseAction::WriteZoomReadout:
        SetDlgItemTextA(facts::MainDialog, facts::IdZoomReadout, step.text.c_str());
        break;
    case MouseAction::InvertBand:
        InvertBand(step.first, step.second);
        break;
    case MouseAction::DrawZoomView:
        DrawZoomView(step.first, step.second);
        break;
    case MouseAction::RedrawLive:
        RedrawPlot(Mouse.CursorX);
        break;
    }
}

void Step(MouseEvent event, bool overPlot, int32_t plotX)
{
    CarryOut(StepMouse(Mouse, event, overPlot, plotX, CurrentPlotContext()));
}

// A mouse message: where it happened, then the step.
void StepAt(MouseEvent event, LPARAM lParam)
{
    const bool overPlot = IsOverPlot(lParam);
    Step(event, overPlot, overPlot ? MouseXInPlot() : 0);
}

}  // namespace

bool ShowPlotPointer(LPARAM lParam)
{
    if (LOWORD(lParam) != HTCLIENT)
        return false;
    // WM_SETCURSOR carries no position: the pointer's, in the main window.
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(facts::MainDialog, &point);
    const MouseStep step = StepMouse(Mouse, MouseEvent::Pointer,
                                     IsOverPlot(MAKELPARAM(point.x, point.y)), 0,
                                     CurrentPlotContext());
    CarryOut(step);
    return step.setCrossHair;
}

void FollowMouse(LPARAM lParam)
{
    StepAt(MouseEvent::Move, lParam);
}

void BeginZoomSelection(LPARAM lParam)
{
    StepAt(MouseEvent::Press, lParam);
}

void EndZoomSelection(LPARAM lParam)
{
    StepAt(MouseEvent::Release, lParam);
}

// The plot control paints itself black after its parent; when both were
// uncovered, it does so first here, or it would blank the copy at once and
// the plot would stay black until the next buffer.
void RepaintPlot()
{
    UpdateWindow(PlotWindow);
    Step(MouseEvent::Paint, false, 0);
}

void LeaveZoomForCapture()
{
    Step(MouseEvent::CaptureStart, false, 0);
}

void ResetMouseState()
{
    Mouse = MouseState();
}

}  // namespace display
