// Sine, cosine and exponential in plain double arithmetic, for the window
// tables and the twiddle angles of the pass. The i686 runtime evaluates the
// library functions on the x87 unit (a 66-bit pi in the reduction, results
// that depend on the CPU and on the precision-control word), so they differ
// from the x86-64 library in the last bits; built with SSE2 and without
// contraction these give the same bits on both targets. Error at most one
// ulp; sine and cosine hand arguments beyond 1e6 to the library.
#pragma once

namespace dsp {

// sin(x) in radians.
double PortableSin(double x);

// cos(x) in radians.
double PortableCos(double x);

// e^x; +inf above 709.78, 0 below -745.13.
double PortableExp(double x);

}  // namespace dsp
