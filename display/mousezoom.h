// The mouse readout and drag-to-zoom selection over the plot as a pure state
// machine. The Win32 layer (display/mouse.h) calls StepMouse with its state
// and what it read for the message, keeps the state the step returns and
// carries out the one action the step names. No <windows.h>, no state of its
// own.
#pragma once
#include <cstdint>
#include <string>

namespace display {

// The mouse and zoom state of the main window, by value: display::Mouse holds
// the program's; a step only returns its new value.
struct MouseState {
    int32_t CursorX;          // raw plot x of the last move over the plot; -1 after one elsewhere
    float CursorFrequency;    // Hz of the bin under the mouse at the last move outside a drag
    int32_t ZoomMode;         // 1 while a band is dragged or a zoom view is shown
    int32_t Dragging;         // 1 from a press in the plot until the release that ends the drag
    int32_t DragLastX;        // plot x (1 to width) of the inverted band's moving edge
    int32_t SelectionStart;   // band ends in half-pixels; Start <= End after a release
    int32_t SelectionEnd;
};

// The three states the variables encode. A Dragging of 1 counts as Selecting
// whatever ZoomMode holds; steps only ever produce these three combinations.
enum class ZoomState : int32_t {
    Live,       // ZoomMode 0, Dragging 0: the live plot
    Selecting,  // ZoomMode 1, Dragging 1: the frozen plot with the dragged band inverted
    Zoomed      // ZoomMode 1, Dragging 0: the zoom view of the selected band
};

// The state that `state`'s ZoomMode and Dragging encode.
ZoomState ZoomStateOf(const MouseState& state);

// What happened: the three mouse messages, the system asking for the pointer
// before each of them (WM_SETCURSOR), a repaint of the main window, and the
// start of capture (which leaves a zoom or a selection for the live plot).
enum class MouseEvent : int32_t { Move, Press, Release, Pointer, Paint, CaptureStart };

// What the Win32 layer reads for a step. `spectrum` is the caller's array of
// dsp::FftLength amplitudes; no entry beyond them is ever read, on any width.
struct PlotContext {
    int32_t width;            // PlotWidth
    int32_t scale;            // LinearScale or LogarithmicScale (the Logarithmic button)
    int32_t sampleRate;       // SampleRate
    int32_t reference;        // ReferenceLevel: the amplitude that reads 0 dB
    const float* spectrum;    // Spectrum
    bool bufferProcessed;     // a buffer has been processed (dsp::PassHasRun)
};

// The one drawing or label action a step asks for.
enum class MouseAction : int32_t {
    None,              // nothing to draw or write
    WriteZoomReadout,  // set the zoom readout label to `text`
    InvertBand,        // InvertBand(first, second): move the dragged band's edge
    DrawZoomView,      // DrawZoomView(first, second): the band SelectionStart..SelectionEnd
    RedrawLive         // RedrawPlot with the state's CursorX: the live plot back on the screen
};

struct MouseStep {
    MouseState state;      // the variables' new values, to copy back
    MouseAction action;
    int32_t first;         // arguments of InvertBand and DrawZoomView, 0 otherwise
    int32_t second;
    std::string text;      // the readout of WriteZoomReadout, empty otherwise
    bool setCrossHair;     // the message was handled over the plot: SetCursor(IDC_CROSS)
    bool focusPlot;        // give the keyboard focus to the plot control
};

// One event: `overPlot` says whether the mouse is over the plot control and
// `plotX` is its x in the plot's client area, not limited (both ignored by
// Paint and CaptureStart, `plotX` by Pointer).
//  - Move: nothing at all before the first processed buffer. Elsewhere than
//    over the plot CursorX becomes -1. Over it CursorX = plotX, x is limited
//    to 1..width; while dragging the band's edge follows x (InvertBand from
//    DragLastX to x); otherwise CursorFrequency becomes the frequency of the
//    bin under x (the zoom mapping in Zoomed, XToBin in Live), and in Zoomed
//    the zoom readout shows it with its level.
//  - Press over the plot: Selecting, the band anchored at the limited x.
//  - Release over the plot while Selecting: the band ends are limited to
//    width / 2 - 5 half-pixels and ordered; different ends give Zoomed and
//    DrawZoomView, equal ends give Live. A release outside the plot, or one
//    that ends no drag, changes nothing.
//  - Pointer: the cross-hair over the plot once a buffer has been processed,
//    as a Move would set it; nothing otherwise (the system's own pointer).
//    No variable changes.
//  - Paint: RedrawLive in every state; the state is kept (a zoom view or an
//    inverted band gives way to the live plot without leaving Zoomed).
//  - CaptureStart: Live from every state, with nothing to draw.
MouseStep StepMouse(const MouseState& state, MouseEvent event, bool overPlot, int32_t plotX,
                    const PlotContext& plot);

// A band end in half-pixels: nearest(x / 2), halves to even (5 -> 2, 7 -> 4).
int32_t HalfPixels(int32_t x);

// x limited to the plot's columns 1 to width.
int32_t LimitToPlot(int32_t x, int32_t width);

}  // namespace display
