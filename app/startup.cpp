// Start-up before the main window: the DLL search, the processor check and
// the common controls.
#include "app/startup.h"

#include <windows.h>
#include <commctrl.h>

#include "app/mainwindow.h"
#include "capture/capture.h"
#include "win/platform.h"
#include "win/modal.h"

namespace app {

namespace {

typedef BOOL (WINAPI* InitCommonControlsExProc)(const INITCOMMONCONTROLSEX*);
typedef BOOL (WINAPI* SetDefaultDllDirectoriesProc)(DWORD);
typedef BOOL (WINAPI* SetDllDirectoryAProc)(LPCSTR);

// A library that Windows does not keep among its known DLLs is looked for in
// the program's folder first and in the current folder later: a file of the
// same name in Downloads, or on the stick the program runs from, would be
// loaded in place of the system's. Where kernel32 can (Windows 8 on, Vista
// and 7 with their update) every later load searches the system folder
// alone; elsewhere (XP SP1 on) the current folder at least leaves the search.
// The system's own libraries are loaded by full path as well
// (winlayer::platform::LoadSystemLibrary).
void RestrictDllSearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto systemOnly =
        winlayer::platform::Entry<SetDefaultDllDirectoriesProc>(kernel, "SetDefaultDllDirectories");
    if (systemOnly && systemOnly(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    auto setDirectory = winlayer::platform::Entry<SetDllDirectoryAProc>(kernel, "SetDllDirectoryA");
    if (setDirectory)
        setDirectory("");
}

// The newer registration call is looked up at run time; a comctl32 without
// it gets the old one.
void RegisterCommonControls()
{
    HMODULE library = LoadLibraryA("COMCTL32.DLL");
    if (!library)
        return;
    auto initialise =
        winlayer::platform::Entry<InitCommonControlsExProc>(library, "InitCommonControlsEx");
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
    RestrictDllSearch();
    // The arithmetic of both builds is SSE2, so that their spectra agree bit
    // for bit; without it the first pass would end the program with an
    // illegal instruction and no word of why.
    if (!winlayer::platform::Calls.ProcessorFeature(PF_XMMI64_INSTRUCTIONS_AVAILABLE)) {
        winlayer::Warn("This program needs a processor with SSE2.");
        return 0;
    }
    RegisterCommonControls();
    RunMainWindow(nullptr);
    capture::ReleaseBuffers();
    winlayer::platform::EndShell();
    return 0;
}

}  // namespace app
