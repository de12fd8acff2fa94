// The program's entry: registers the common controls and runs the main
// window. The command line and the show command are not used.
#include <windows.h>
#include <commctrl.h>

#include "app/mainwindow.h"

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

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RegisterCommonControls();
    app::RunMainWindow(nullptr);
    return 0;
}
