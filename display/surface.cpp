#include "display/surface.h"

#include "facts/facts.h"
#include "win/controls.h"


namespace display {

HWND PlotWindow = nullptr;
int32_t PlotWidth = 0;
int32_t PlotHeight = 0;
HDC PlotDC = nullptr;
HDC MemoryDC = nullptr;
HBITMAP PlotBitmap = nullptr;
HPEN TracePen = nullptr;
HFONT LabelFont = nullptr;
HDC GraticuleDC = nullptr;
HBITMAP GraticuleBitmap = nullptr;
int32_t GraticuleScale = -1;
bool PlotBlank = false;

namespace {

// The objects a new memory context comes with. They go back in before ours
// are deleted: a bitmap still selected into a context cannot be deleted.
HGDIOBJ InitialBitmap = nullptr;
HGDIOBJ InitialPen = nullptr;
HGDIOBJ InitialFont = nullptr;
HGDIOBJ InitialGraticuleBitmap = nullptr;

// The green of the trace, the zoom view and the plot's own text.
constexpr COLORREF TraceColour = RGB(0, 255, 0);

}  // namespace

void CreatePlotSurface()
{
    winlayer::SetColours(GetDlgItem(facts::MainDialog, facts::IdPlot), TraceColour, 0);
    PlotWindow = GetDlgItem(facts::MainDialog, facts::IdPlot);

    RECT client;
    GetClientRect(PlotWindow, &client);
    PlotHeight = client.bottom;
    PlotWidth = client.right;

    PlotDC = GetDC(PlotWindow);
    // The static class asks for its parent's clipping (CS_PARENTDC): without
    // a clip of its own, zoom-view points above or below the plot would land
    // on the main window around it.
    IntersectClipRect(PlotDC, 0, 0, PlotWidth, PlotHeight);
    MemoryDC = CreateCompatibleDC(PlotDC);
    PlotBitmap = CreateCompatibleBitmap(PlotDC, PlotWidth, PlotHeight);
    InitialBitmap = SelectObject(MemoryDC, PlotBitmap);
    TracePen = CreatePen(PS_SOLID, 1, TraceColour);
    InitialPen = SelectObject(MemoryDC, TracePen);
    SetTextColor(MemoryDC, RGB(192, 192, 192));

    // A font left by an earlier surface is selected nowhere any more.
    if (LabelFont)
        DeleteObject(LabelFont);
    LabelFont = winlayer::CreatePointFont("Arial", 7);
    InitialFont = SelectObject(MemoryDC, LabelFont);
    SetBkMode(MemoryDC, TRANSPARENT);

    GraticuleDC = CreateCompatibleDC(PlotDC);
    GraticuleBitmap = CreateCompatibleBitmap(PlotDC, PlotWidth, PlotHeight);
    InitialGraticuleBitmap = SelectObject(GraticuleDC, GraticuleBitmap);
    GraticuleScale = -1;
    PlotBlank = false;
}

void ClearPlot()
{
    PatBlt(MemoryDC, 0, 0, PlotWidth, PlotHeight, BLACKNESS);
    PlotBlank = true;
}

void ReleasePlotSurface()
{
    SelectObject(MemoryDC, InitialPen);
    DeleteObject(TracePen);
    ReleaseDC(PlotWindow, PlotDC);
    SelectObject(MemoryDC, InitialBitmap);
    DeleteObject(PlotBitmap);
    SelectObject(MemoryDC, InitialFont);
    DeleteDC(MemoryDC);
    SelectObject(GraticuleDC, InitialGraticuleBitmap);
    DeleteObject(GraticuleBitmap);
    DeleteDC(GraticuleDC);

    TracePen = nullptr;
    PlotDC = nullptr;
    PlotBitmap = nullptr;
    MemoryDC = nullptr;
    InitialBitmap = InitialPen = InitialFont = nullptr;
    GraticuleBitmap = nullptr;
    GraticuleDC = nullptr;
    InitialGraticuleBitmap = nullptr;
    GraticuleScale = -1;
    PlotBlank = false;
}

}  // namespace display
