// The plot's off-screen drawing surface and the resources that live for the
// whole run. The display owns every handle declared here from
// CreatePlotSurface until ReleasePlotSurface; other modules only read them.
#pragma once
#include <windows.h>
#include <cstdint>

namespace display {

extern HWND PlotWindow;     // the plot control, facts::IdPlot of the main window
extern int32_t PlotWidth;   // its client width in pixels, read once at creation
extern int32_t PlotHeight;  // its client height in pixels
extern HDC PlotDC;          // the plot control's device context, kept for the run
extern HDC MemoryDC;        // off-screen context holding PlotBitmap, TracePen, LabelFont
extern HBITMAP PlotBitmap;  // PlotWidth x PlotHeight off-screen picture
extern HPEN TracePen;       // green pen of the trace and the zoom view
extern HFONT LabelFont;     // 7-point Arial of the dB labels

// The graticule over black, drawn once per scale and surface and copied into
// PlotBitmap for every new spectrum instead of being drawn again.
extern HDC GraticuleDC;          // off-screen context holding GraticuleBitmap
extern HBITMAP GraticuleBitmap;  // PlotWidth x PlotHeight, the picture of GraticuleScale
extern int32_t GraticuleScale;   // scale drawn in GraticuleBitmap; -1 while it holds none
extern bool PlotBlank;           // nothing of PlotBitmap is to stay: set by ClearPlot, cleared by drawing

// Creates the surface for control facts::IdPlot of facts::MainDialog and gives the
// control green text on black. Called once, after the controls exist.
void CreatePlotSurface();

// Blackens the off-screen picture; the screen keeps its picture until the
// next copy.
void ClearPlot();

// Releases the surface at the close of the main window: TracePen, PlotDC,
// PlotBitmap, MemoryDC, GraticuleBitmap, GraticuleDC. LabelFont lives on until the process ends (a later
// CreatePlotSurface replaces it).
void ReleasePlotSurface();

}  // namespace display
