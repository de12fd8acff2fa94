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

HINSTANCE SystemShellOpen(HWND owner, const char* verb, const char* file,
                          const char* parameters, const char* directory, INT show)
{
    return ShellExecuteA(owner, verb, file, parameters, directory, show);
}

}  // namespace

Functions System()
{
    return Functions{SystemLocalTime, SystemStartProcess, SystemShellOpen};
}

Functions Calls = System();

}  // namespace platform
