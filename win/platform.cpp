#include "win/platform.h"

#include <shellapi.h>

namespace platform {

namespace {

void SystemLocalTime(SYSTEMTIME* now) { GetLocalTime(now); }

BOOL SystemStartProcess(const char* applicationName, char* commandLine,
                        SECURITY_ATTRIBUTES* processAttributes,
                        SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles,
                        DWORD creationFlags, void* environment, const char* directory,
                        STARTUPINFOA* startup, PROCESS_INFORMATION* started)
{
    return CreateProcessA(applicationName, commandLine, processAttributes, threadAttributes,
                          inheritHandles, creationFlags, environment, directory, startup,
                          started);
}

typedef HINSTANCE(WINAPI* ShellExecuteFunction)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

// The shell is loaded at the first shell open, not at start-up: with the
// libraries it pulls in it costs most of a megabyte and part of the start,
// for a command most runs never use. It stays loaded for the rest of the run.
ShellExecuteFunction ShellExecuteEntry()
{
    static const ShellExecuteFunction entry = [] {
        HMODULE shell = LoadLibraryA("shell32.dll");
        return shell ? reinterpret_cast<ShellExecuteFunction>(reinterpret_cast<void*>(
                           GetProcAddress(shell, "ShellExecuteA")))
                     : nullptr;
    }();
    return entry;
}

HINSTANCE SystemShellOpen(HWND owner, const char* verb, const char* file,
                          const char* parameters, const char* directory, INT show)
{
    const ShellExecuteFunction shellExecute = ShellExecuteEntry();
    if (!shellExecute)
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
    return shellExecute(owner, verb, file, parameters, directory, show);
}

DWORD SystemMilliseconds() { return GetTickCount(); }

#ifdef _MSC_VER
#pragma warning(push)
#pragma warning(disable : 4996)  // GetVersionExA is deprecated from Windows 8.1 on
#endif
BOOL SystemWindowsVersion(OSVERSIONINFOA* version) { return GetVersionExA(version); }
#ifdef _MSC_VER
#pragma warning(pop)
#endif

BOOL SystemProcessorFeature(DWORD feature) { return IsProcessorFeaturePresent(feature); }

// A constant expression, so that Calls is filled by the loader: a
// constructor of it would run before start-up has looked for SSE2.
constexpr Functions SystemTable = {SystemLocalTime,    SystemStartProcess,
                                   SystemShellOpen,    SystemMilliseconds,
                                   SystemWindowsVersion, SystemProcessorFeature};

}  // namespace

Functions System() { return SystemTable; }

Functions Calls = SystemTable;

}  // namespace platform
