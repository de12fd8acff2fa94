/* A program that imports winmm, as the analyser once did: started beside a
   planted winmm.dll it shows whether the loader looks in the program's
   folder first. */
#include <windows.h>
#include <mmsystem.h>

int main(void) { return (int)waveInGetNumDevs(); }
