// Start-up before the main window. On the 32-bit build startup.cpp and
// main.cpp are compiled without SSE: they run before the program knows that
// the processor has it.
#pragma once

namespace app {

// The program from WinMain on: the DLL search limited to the system folder,
// then on a processor without SSE2 a warning and nothing more, else the
// common controls registered and the main window run, and after it the
// capture buffers released and the shell's COM balanced. Returns 0, the
// program's exit code.
int RunProgram();

}  // namespace app
