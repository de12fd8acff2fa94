// The kernel32, shell32 and ole32 calls whose effect lies outside the
// program or depends on the moment or the system: the local clock, the
// millisecond tick, starting a process, the shell's open and the COM it
// needs, the Windows version and the processor's features. They sit
// behind one table of functions so that tests can record what is asked
// instead of starting programs; the production table calls the system
// directly with the arguments it is given. Nothing here knows what the
// program does with them.
#pragma once
#include <windows.h>

#include <string>

namespace winlayer {
namespace platform {

struct Functions {
    // GetLocalTime: the local date and time now.
    void (*LocalTime)(SYSTEMTIME* now);
    // CreateProcessA with every argument passed through. On success the
    // caller owns the two handles it leaves in *started and must close them.
    BOOL (*StartProcess)(const char* applicationName, char* commandLine,
                         SECURITY_ATTRIBUTES* processAttributes,
                         SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles,
                         DWORD creationFlags, void* environment, const char* directory,
                         STARTUPINFOA* startup, PROCESS_INFORMATION* started);
    // ShellExecuteA with every argument passed through; its result.
    HINSTANCE (*ShellOpen)(HWND owner, const char* verb, const char* file,
                           const char* parameters, const char* directory, INT show);
    // GetTickCount: milliseconds since Windows started. It wraps after 49.7
    // days, so only the unsigned difference of two readings means anything.
    DWORD (*Milliseconds)();
    // GetVersionExA: the version of Windows as it reports itself to this
    // program (Windows 8.1 and later report 6.2 unless the manifest names
    // them). The caller sets dwOSVersionInfoSize.
    BOOL (*WindowsVersion)(OSVERSIONINFOA* version);
    // IsProcessorFeaturePresent: whether the processor has the feature (a
    // PF_ constant) and Windows lets programs use it.
    BOOL (*ProcessorFeature)(DWORD feature);
    // CoInitializeEx(nullptr, model) and CoUninitialize of the system's
    // ole32, for the shell open above; without ole32 the first answers
    // E_NOTIMPL.
    HRESULT (*InitialiseCom)(DWORD model);
    void (*UninitialiseCom)();
};

// The table the program uses; starts as System(). Tests may replace it. It
// is filled when the image loads, before any code runs, so that start-up can
// read it before it may run SSE2 code.
extern Functions Calls;

// The functions that call the system.
Functions System();

// Balances the COM initialisation of the first shell open, when it
// succeeded (S_OK or S_FALSE), with one CoUninitialize; nothing when the
// thread's apartment refused it or no shell was opened. Called once, at the
// end of the program's run, on the thread that opened the shell.
void EndShell();

// The system folder as GetSystemDirectoryA names it, without a trailing
// backslash; the 32-bit program on 64-bit Windows is sent on to SysWOW64 by
// the system. The programs and libraries of Windows are taken from here by
// full path, never by a search that may find a file of the same name beside
// the program or in the current folder.
std::string SystemFolder();

// The function `name` of `library` as a `Function`, or 0 when the library
// (0 too) or the function is missing: for calls that not every Windows has.
template <typename Function>
Function Entry(HMODULE library, const char* name)
{
    return library ? reinterpret_cast<Function>(
                         reinterpret_cast<void*>(GetProcAddress(library, name)))
                   : nullptr;
}

// The system library `name` (such as "winmm.dll") loaded from SystemFolder(),
// with the libraries it needs searched for from there too; 0 when it does not
// load. It stays loaded for the rest of the run.
HMODULE LoadSystemLibrary(const char* name);

}  // namespace platform
}  // namespace winlayer
