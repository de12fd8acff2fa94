// Window functions: the five coefficient tables, the Kaiser window and the
// modified Bessel function it needs. The dsp module owns every table; other
// modules only read them.
#pragma once
#include <cstdint>

#include "dsp/sizes.h"

namespace dsp {

// Window kinds in the order of the window selector's list; a new kind goes
// before WindowKindCount, with its gain, its table (declared below, returned
// by WindowTableFor, filled by BuildWindowTables) and its selector name.
enum : int32_t {
    KindBlackman = 0,
    KindHamming = 1,
    KindHanning = 2,
    KindKaiser = 3,
    KindWelch = 4,
    KindRectangular = 5,
    WindowKindCount
};

// Whether `kind` names a window; both passes run no pass for one that does not.
constexpr bool IsWindowKind(int32_t kind) { return kind >= 0 && kind < WindowKindCount; }

// Factor applied to every windowed sample of each kind so that an on-bin
// sinusoid reads the same level whatever the window (1 for rectangular).
extern const double WindowGain[WindowKindCount];

// Two pi as a single, set by StartUp before the tables are built; the pass
// derives its twiddle angles from it too.
extern float TwoPi;

// Window coefficient tables, FftLength entries each, filled by
// BuildWindowTables.
extern float BlackmanTable[FftLength];
extern float HammingTable[FftLength];
extern float HanningTable[FftLength];
extern float KaiserTable[FftLength];
extern float WelchTable[FftLength];

// The table of window kind 0..4; nullptr for rectangular or an unknown kind.
const float* WindowTableFor(int32_t kind);

// Every table of WindowTableFor back to zeros (tests start from them).
void ClearWindowTables();

// Modified Bessel function of the first kind, order 0 (polynomial
// approximations, one below 3.75 and one from 3.75 up).
float BesselI0(float x);

// Kaiser coefficient (beta = 10) for index n of an FftLength-point window.
float KaiserWindow(int32_t n);

// Called after every index while the tables are built, to hand the processor
// to other programs; StartUp (dsp/fft.h) sets it, the Win32 program to a
// sleep of zero milliseconds. Nothing is called while it is null.
extern void (*YieldHook)();

// Fills the five tables from TwoPi; calls YieldHook after every index.
void BuildWindowTables();

}  // namespace dsp
