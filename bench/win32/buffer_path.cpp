// Measures, under Wine or on Windows, what one captured buffer costs the
// analyser and how many spectra a second the live program shows.
//
// 1. The buffer's way (the pass and the redraw of the new spectrum with the
//    copy to the screen) against the real main window, as a fraction of the
//    buffer period at 44100 Hz (2048 samples = 46.44 ms), beside the same
//    with the plain drawing, the pass alone and the plain drawing's steps.
// 2. With a recording device: spectra per second of the real capture engine
//    with the real winmm, beside a bare loop of the same one-buffer polling
//    protocol (prepare, add, poll the done flag with Sleep(1), unprepare)
//    measured in the same run on the same device.
//
// usage: buffer_path [DEVICE] (default 0; "none" skips part 2)
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/mainwindow.h"
#include "capture/capture.h"
#include "capture/wavein.h"
#include "display/drawing.h"
#include "display/mouse.h"
#include "display/axes.h"
#include "display/trace.h"
#include "display/surface.h"
#include "dsp/fast_pass.h"
#include "win/controls.h"

namespace {

const double BufferPeriodMs = 2048.0 * 1000.0 / 44100.0;
const DWORD RunMs = 5000;

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void PumpFor(DWORD milliseconds)
{
    const DWORD end = GetTickCount() + milliseconds;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            Sleep(1);
        }
    }
}

void FillTone(int16_t* samples, int count)
{
    for (int i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>(
            std::lround(16465.0 * std::sin(2.0 * 3.14159265358979323846 * 24.0 * i / 1024.0)));
}

// Mean wall time in ms of `rounds` calls of `step`.
template <typename Step>
double TimeMs(int rounds, Step step)
{
    const double start = NowMs();
    for (int i = 0; i < rounds; ++i)
        step();
    return (NowMs() - start) / rounds;
}

void PrintShare(const char* what, double ms)
{
    std::printf("  %-44s %.3f ms  %5.2f %%\n", what, ms, 100.0 * ms / BufferPeriodMs);
}

// Where a redraw's time goes, step by step, on the picture of the last pass:
// the plain drawing's steps, then the steps that take their place.
void MeasureSteps(int rounds)
{
    const int32_t scale = display::LinearScale;
    const std::array<display::Point, dsp::BinCount> trace =
        display::TracePoints(dsp::Spectrum, scale, display::PlotHeight, dsp::ReferenceLevel);
    POINT points[dsp::BinCount];
    for (int32_t n = 0; n < dsp::BinCount; ++n)
        points[n] = POINT{trace[n].x, trace[n].y};
    HWND readout = GetDlgItem(facts::MainDialog, facts::IdLiveReadout);
    HWND logarithmic = GetDlgItem(facts::MainDialog, facts::IdLogarithmic);
    HDC memory = display::MemoryDC;
    char shown[64];

    std::printf("steps of both ways:\n");
    PrintShare("control lookup (GetDlgItem)", TimeMs(rounds, [&] {
                   GetDlgItem(facts::MainDialog, facts::IdLiveReadout);
               }));
    PrintShare("scale read (BM_GETCHECK)",
               TimeMs(rounds, [&] { SendMessageA(logarithmic, BM_GETCHECK, 0, 0); }));
    PrintShare("trace points (TracePoints)", TimeMs(rounds, [&] {
                   display::TracePoints(dsp::Spectrum, scale, display::PlotHeight,
                                        dsp::ReferenceLevel);
               }));
    PrintShare("copy to the screen (BitBlt)", TimeMs(rounds, [&] {
                   BitBlt(display::PlotDC, 0, 0, display::PlotWidth, display::PlotHeight, memory,
                          0, 0, SRCCOPY);
               }));
    std::printf("of the plain drawing:\n");
    PrintShare("ClearPlot (PatBlt)", TimeMs(rounds, display::ClearPlot));
    PrintShare("graticule (lines and labels)",
               TimeMs(rounds, [&] { display::DrawGraticule(scale); }));
    PrintShare("trace (512 LineTo)", TimeMs(rounds, [&] {
                   MoveToEx(memory, points[0].x, points[0].y, nullptr);
                   for (int32_t n = 1; n < dsp::BinCount; ++n)
                       LineTo(memory, points[n].x, points[n].y);
               }));
    PrintShare("readout (SetWindowTextA, same text)",
               TimeMs(rounds, [&] { SetWindowTextA(readout, "1033.6Hz, -20.0dB"); }));
    std::printf("and what takes their place:\n");
    PrintShare("remembered control (DialogItem)", TimeMs(rounds, [&] {
                   winlayer::DialogItem(facts::MainDialog, facts::IdLiveReadout);
               }));
    PrintShare("graticule copy (BitBlt)", TimeMs(rounds, [&] {
                   BitBlt(memory, 0, 0, display::PlotWidth, display::PlotHeight,
                          display::GraticuleDC, 0, 0, SRCCOPY);
               }));
    PrintShare("trace (one Polyline)",
               TimeMs(rounds, [&] { Polyline(memory, points, dsp::BinCount); }));
    PrintShare("readout unchanged (GetWindowTextA)",
               TimeMs(rounds, [&] { GetWindowTextA(readout, shown, sizeof shown); }));
}

void MeasureBufferPath()
{
    const int rounds = 1000;
    FillTone(capture::CaptureBuffer, dsp::CaptureSamples);

    const double passMs =
        TimeMs(100 * rounds, [] { dsp::RunPass(capture::CaptureBuffer, 0); });
    const double plainMs = TimeMs(rounds, [] {
        capture::ProcessBuffer(capture::CaptureBuffer);
        display::ClearPlot();
        display::RedrawPlotReference(display::Mouse.CursorX);
    });
    // The analyser's own way: the pass, then the hook the main window set.
    const double pathMs = TimeMs(rounds, [] {
        capture::ProcessBuffer(capture::CaptureBuffer);
        capture::BufferAnalysed();
    });

    std::printf("buffer way (pass, clear, redraw, copy): %.3f ms per buffer = %.2f %% of the "
                "%.2f ms buffer period at 44100 Hz\n",
                pathMs, 100.0 * pathMs / BufferPeriodMs, BufferPeriodMs);
    std::printf("  the same with the plain drawing:       %.3f ms (%.2f %%); ratio %.2f\n",
                plainMs, 100.0 * plainMs / BufferPeriodMs, pathMs / plainMs);
    std::printf("  of which the pass alone:               %.0f ns (%.3f %% of the period)\n",
                passMs * 1e6, 100.0 * passMs / BufferPeriodMs);
    MeasureSteps(rounds);
}

// The bare protocol: what the device gives with no analysis at all.
double BareLoopRate(UINT device)
{
    static int16_t buffer[dsp::CaptureSamples];
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
    HWAVEIN handle = 0;
    waveInOpen(&handle, device, &format, 0, 0, CALLBACK_NULL);
    if (!handle)
        return -1.0;
    waveInStart(handle);
    WAVEHDR header = {};
    int buffers = 0;
    double first = 0.0, last = 0.0;
    const DWORD end = GetTickCount() + RunMs;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        header.lpData = reinterpret_cast<LPSTR>(buffer);
        header.dwBufferLength = sizeof buffer;
        header.dwFlags = 0;
        waveInPrepareHeader(handle, &header, sizeof header);
        waveInAddBuffer(handle, &header, sizeof header);
        while (!(header.dwFlags & WHDR_DONE)) {
            MSG message;
            if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            else
                Sleep(1);
        }
        waveInUnprepareHeader(handle, &header, sizeof header);
        last = NowMs();
        if (buffers++ == 0)
            first = last;
    }
    waveInReset(handle);
    waveInClose(handle);
    return buffers > 1 ? 1000.0 * (buffers - 1) / (last - first) : 0.0;
}

// The real engine with the real winmm, counting the buffers it takes back.
int EngineBuffers = 0;
double EngineFirst = 0.0, EngineLast = 0.0;
MMRESULT (*SystemUnprepare)(HWAVEIN, WAVEHDR*) = nullptr;

MMRESULT CountingUnprepare(HWAVEIN handle, WAVEHDR* header)
{
    EngineLast = NowMs();
    if (EngineBuffers++ == 0)
        EngineFirst = EngineLast;
    return SystemUnprepare(handle, header);
}

void CALLBACK StopEngine(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND button = GetDlgItem(facts::MainDialog, facts::IdStartStop);
    PostMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdStartStop, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

double EngineRate(UINT device)
{
    capture::wavein::Device = capture::wavein::System();
    SystemUnprepare = capture::wavein::Device.Unprepare;
    capture::wavein::Device.Unprepare = CountingUnprepare;
    capture::InputDevice = static_cast<int32_t>(device);
    SetTimer(nullptr, 0, RunMs, StopEngine);
    SendMessageA(GetDlgItem(facts::MainDialog, facts::IdStartStop), BM_CLICK, 0, 0);
    capture::wavein::Device = capture::wavein::System();
    return EngineBuffers > 1 ? 1000.0 * (EngineBuffers - 1) / (EngineLast - EngineFirst) : 0.0;
}

}  // namespace

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, 0x9FF};
    InitCommonControlsEx(&controls);
    app::BuildMainWindow(nullptr);
    app::ShowMainWindow();
    PumpFor(200);

    MeasureBufferPath();

    if (argc > 1 && std::strcmp(argv[1], "none") == 0)
        return 0;
    const UINT device = argc > 1 ? static_cast<UINT>(std::atoi(argv[1])) : 0;
    const double bare = BareLoopRate(device);
    if (bare < 0.0) {
        std::printf("device %u does not open: no rates measured\n", device);
        return 0;
    }
    const double engine = EngineRate(device);
    std::printf("spectra per second over %.0f s at 44100 Hz: analyser %.2f (%.1f ms each), "
                "bare polling loop %.2f (%.1f ms each); ratio %.3f\n",
                RunMs / 1000.0, engine, 1000.0 / engine, bare, 1000.0 / bare, engine / bare);
    SendMessageA(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}
