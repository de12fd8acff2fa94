#include "display/drawing.h"

#include "display/axes.h"
#include "display/mouse.h"
#include "display/trace.h"
#include "dsp/fft.h"
#include "dsp/readings.h"
#include "facts/facts.h"
#include "win/controls.h"

#include <string>
#include <vector>

namespace display {

namespace {

// Graticule of `scale` over black into the whole picture. The picture is the
// same for every spectrum of a scale, so it is drawn once and copied after.
void PaintBlankGraticule(int32_t scale)
{
    if (GraticuleScale == scale) {
        BitBlt(MemoryDC, 0, 0, PlotWidth, PlotHeight, GraticuleDC, 0, 0, SRCCOPY);
        return;
    }
    PatBlt(MemoryDC, 0, 0, PlotWidth, PlotHeight, BLACKNESS);
    DrawGraticule(scale);
    BitBlt(GraticuleDC, 0, 0, PlotWidth, PlotHeight, MemoryDC, 0, 0, SRCCOPY);
    GraticuleScale = scale;
}

// One polyline through the trace's points: the same pixels as a LineTo from
// each point to the next, in one call.
void DrawTrace(int32_t scale)
{
    const std::array<Point, dsp::BinCount> trace =
        TracePoints(dsp::Spectrum, scale, PlotHeight, dsp::ReferenceLevel);
    POINT points[dsp::BinCount];
    for (int32_t n = 0; n < dsp::BinCount; ++n) {
        points[n].x = trace[n].x;
        points[n].y = trace[n].y;
    }
    Polyline(MemoryDC, points, dsp::BinCount);
}

// The yellow line over the plot's full height at x.
void DrawCursorLine(int32_t x)
{
    HPEN cursorPen = CreatePen(PS_SOLID, 1, RGB(255, 255, 0));
    HGDIOBJ kept = SelectObject(MemoryDC, cursorPen);
    MoveToEx(MemoryDC, x, 0, nullptr);
    LineTo(MemoryDC, x, PlotHeight);
    SelectObject(MemoryDC, kept);
    DeleteObject(cursorPen);
}

// The live readout under Mouse.CursorFrequency.
std::string LiveReadoutText()
{
    const int32_t bin = ReadoutBin(Mouse.CursorFrequency, facts::SampleRate);
    return ReadoutText(Mouse.CursorFrequency,
                       dsp::LevelInDecibelsSingle(dsp::Spectrum[bin], dsp::ReferenceLevel));
}

// Sets the label's text unless it already reads so: a static control repaints
// itself on every WM_SETTEXT, and the readout mostly stays as it was.
void ShowReadout(int id, const std::string& text)
{
    HWND label = winlayer::DialogItem(facts::MainDialog, id);
    char shown[64];
    const int length = GetWindowTextA(label, shown, static_cast<int>(sizeof shown));
    if (length + 1 < static_cast<int>(sizeof shown) && text == shown)
        return;
    SetWindowTextA(label, text.c_str());
}

}  // namespace

int32_t CurrentScale()
{
    HWND logarithmic = winlayer::DialogItem(facts::MainDialog, facts::IdLogarithmic);
    const LRESULT check = SendMessageA(logarithmic, BM_GETCHECK, 0, 0);
    return check == BST_CHECKED ? LogarithmicScale : LinearScale;
}

void DrawGraticule(int32_t scale)
{
    HPEN grid = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    HGDIOBJ kept = SelectObject(MemoryDC, grid);

    const Graticule graticule = BuildGraticule(scale, PlotWidth, PlotHeight);
    for (int32_t n = 0; n < graticule.lineCount; ++n) {
        const Segment& line = graticule.lines[n];
        MoveToEx(MemoryDC, line.x1, line.y1, nullptr);
        LineTo(MemoryDC, line.x2, line.y2);
    }
    for (int32_t n = 0; n < graticule.labelCount; ++n) {
        const Label& label = graticule.labels[n];
        TextOutA(MemoryDC, label.x, label.y, label.text, label.count);
    }

    SelectObject(MemoryDC, kept);
    DeleteObject(grid);
    PlotBlank = false;
}

void RedrawPlot(int32_t cursorX)
{
    const int32_t scale = CurrentScale();
    if (PlotBlank)
        PaintBlankGraticule(scale);
    else
        DrawGraticule(scale);
    PlotBlank = false;
    DrawTrace(scale);

    DrawCursorLine(cursorX);
    BitBlt(PlotDC, 0, 0, PlotWidth, PlotHeight, MemoryDC, 0, 0, SRCCOPY);
    ShowReadout(facts::IdLiveReadout, LiveReadoutText());
}

void RedrawPlotReference(int32_t cursorX)
{
    const int32_t scale = CurrentScale();
    const std::array<Point, dsp::BinCount> trace =
        TracePoints(dsp::Spectrum, scale, PlotHeight, dsp::ReferenceLevel);

    DrawGraticule(scale);
    MoveToEx(MemoryDC, trace[0].x, trace[0].y, nullptr);
    for (int32_t n = 1; n < dsp::BinCount; ++n)
        LineTo(MemoryDC, trace[n].x, trace[n].y);

    DrawCursorLine(cursorX);
    BitBlt(PlotDC, 0, 0, PlotWidth, PlotHeight, MemoryDC, 0, 0, SRCCOPY);
    const std::string text = LiveReadoutText();
    SetWindowTextA(GetDlgItem(facts::MainDialog, facts::IdLiveReadout), text.c_str());
}

void DrawZoomView(int32_t s, int32_t e)
{
    PatBlt(PlotDC, 0, 0, PlotWidth, PlotHeight, BLACKNESS);
    const std::vector<Point> points = ZoomViewPoints(dsp::Spectrum, s, e, CurrentScale(),
                                                     PlotWidth, PlotHeight, dsp::ReferenceLevel);
    if (points.empty())
        return;

    // TracePen stays selected into MemoryDC; the screen context only borrows it.
    HGDIOBJ kept = SelectObject(PlotDC, TracePen);
    MoveToEx(PlotDC, points[0].x, points[0].y, nullptr);
    for (size_t n = 1; n < points.size(); ++n)
        LineTo(PlotDC, points[n].x, points[n].y);
    SelectObject(PlotDC, kept);
}

void InvertBand(int32_t x1, int32_t x2)
{
    RECT band;
    band.left = x1 < x2 ? x1 : x2;
    band.right = x1 < x2 ? x2 : x1;
    band.top = 0;
    band.bottom = PlotHeight;
    InvertRect(PlotDC, &band);
}

void ShowNewSpectrum()
{
    if (Mouse.ZoomMode != 0) {
        ClearPlot();
        return;
    }
    // The redraw covers every pixel of a blank picture with the graticule's
    // copy, so blackening it first would only be overwritten.
    PlotBlank = true;
    RedrawPlot(Mouse.CursorX);
}

INT_PTR OnSampleRatePanel(HWND, UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND)
        return 0;
    for (const facts::RateButton& button : facts::RateButtons) {
        if (LOWORD(wParam) == button.id)
            ClearPlot();
    }
    return 0;
}

}  // namespace display
