// Start-up before the main window: the processor check and the common
// controls. On the 32-bit build this file and main.cpp are compiled without
// SSE (app/CMakeLists.txt): they run before the program knows that the
// processor has it.
#include <windows.h>
#include <commctrl.h>

#include "app/mainwindow.h"
#include "win/platform.h"

namespace app {

namespace {

typedef BOOL (WINAPI* InitCommonControlsExProc)(const INITCOMMONCONTROLSEX*);

// The newer registration call is looked up at run time; a comctl32 without
// it gets the old one.
void RegisterCommonControls()
{
    HMODULE library = LoadLibraryA("COMCTL32.DLL");
    if (!library)
        return;
    auto initialise = reinterpret_cast<InitCommonControlsExProc>(
        reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
    if (initialise) {
        INITCOMMONCONTROLSEX controls;
        controls.dwSize = 8;
        controls.dwICC = 0x9FF;  // Windows 95 classes, date and internet classes
        initialise(&controls);
    } else {
        InitCommonControls();
    }
    FreeLibrary(library);
}

}  // namespace

int RunProgram()
{
    // The arithmetic of both builds is SSE2, so that their spectra agree bit
    // for bit; without it the first pass would end the program with an
    // illegal instruction and no word of why.
    if (!platform::Calls.ProcessorFeature(PF_XMMI64_INSTRUCTIONS_AVAILABLE)) {
        MessageBoxA(nullptr, "This program needs a processor with SSE2.", "Warning",
                    MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    RegisterCommonControls();
    RunMainWindow(nullptr);
    return 0;
}

}  // namespace app
