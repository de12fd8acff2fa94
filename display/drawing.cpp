#include "display/plot.h"

#include "display/plotmath.h"
#include "dsp/fft.h"
#include "facts/facts.h"

#include <string>
#include <vector>

namespace display {

float ReadoutLevel = 0.0f;

int32_t CursorX = 0;
float CursorFrequency = 0.0f;
int32_t ZoomMode = 0;
int32_t Dragging = 0;
int32_t DragLastX = 0;
int32_t SelectionStart = 0;
int32_t SelectionEnd = 0;

namespace {

// The frequency axis in use: the check state of the Logarithmic button.
int32_t CurrentScale()
{
    const LRESULT check =
        SendMessageA(GetDlgItem(facts::MainDialog, facts::IdLogarithmic), BM_GETCHECK, 0, 0);
    return check == BST_CHECKED ? LogarithmicScale : LinearScale;
}

}  // namespace

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
}

void RedrawPlot(int32_t& cursorX)
{
    const int32_t scale = CurrentScale();
    const std::array<Point, TracePointCount> trace =
        TracePoints(dsp::Spectrum, scale, PlotHeight, dsp::ReferenceLevel);

    DrawGraticule(scale);
    MoveToEx(MemoryDC, trace[0].x, trace[0].y, nullptr);
    for (int32_t n = 1; n < TracePointCount; ++n)
        LineTo(MemoryDC, trace[n].x, trace[n].y);

    HPEN cursorPen = CreatePen(PS_SOLID, 1, RGB(255, 255, 0));
    HGDIOBJ kept = SelectObject(MemoryDC, cursorPen);
    MoveToEx(MemoryDC, cursorX, 0, nullptr);
    LineTo(MemoryDC, cursorX, PlotHeight);
    SelectObject(MemoryDC, kept);
    DeleteObject(cursorPen);

    BitBlt(PlotDC, 0, 0, PlotWidth, PlotHeight, MemoryDC, 0, 0, SRCCOPY);

    const int32_t bin = ReadoutBin(CursorFrequency, facts::SampleRate);
    ReadoutLevel = LevelInDecibels(dsp::Spectrum[bin], dsp::ReferenceLevel);
    const std::string text = ReadoutText(CursorFrequency, ReadoutLevel);
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
    ClearPlot();
    if (ZoomMode == 0)
        RedrawPlot(CursorX);
}

INT_PTR OnSampleRatePanel(HWND, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam);
        if (id == facts::IdRate11025 || id == facts::IdRate22050 || id == facts::IdRate44100)
            ClearPlot();
    }
    return 0;
}

}  // namespace display
