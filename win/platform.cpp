#include "win/platform.h"

#include <objbase.h>
#include <shellapi.h>

namespace winlayer {
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
typedef HRESULT(WINAPI* CoInitializeExFunction)(void*, DWORD);
typedef void(WINAPI* CoUninitializeFunction)();

// ole32's two entries, looked up together at the first use.
struct Ole32 {
    CoInitializeExFunction initialise;
    CoUninitializeFunction uninitialise;
};

const Ole32& Ole32Entries()
{
    static const Ole32 entries = [] {
        HMODULE library = LoadSystemLibrary("ole32.dll");
        return Ole32{Entry<CoInitializeExFunction>(library, "CoInitializeEx"),
                     Entry<CoUninitializeFunction>(library, "CoUninitialize")};
    }();
    return entries;
}

HRESULT SystemInitialiseCom(DWORD model)
{
    if (!Ole32Entries().initialise || !Ole32Entries().uninitialise)
        return E_NOTIMPL;
    return Ole32Entries().initialise(nullptr, model);
}

void SystemUninitialiseCom() { Ole32Entries().uninitialise(); }

// Whether this thread's COM was initialised for the shell and awaits its
// CoUninitialize (EndShell).
bool ComToBalance = false;

// The shell is loaded at the first shell open, not at start-up: with the
// libraries it pulls in it costs most of a megabyte and part of the start,
// for a command most runs never use. The shell may hand the file to a
// handler that is a COM object, so COM is initialised on this thread first,
// as the shell asks of its callers: apartment-threaded, without OLE1's DDE.
// A thread already in another apartment keeps it, and the shell is called
// all the same. Once initialised COM stays so until EndShell.
ShellExecuteFunction ShellExecuteEntry()
{
    if (!ComToBalance)
        ComToBalance = SUCCEEDED(Calls.InitialiseCom(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    static const ShellExecuteFunction entry =
        Entry<ShellExecuteFunction>(LoadSystemLibrary("shell32.dll"), "ShellExecuteA");
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
                                   SystemWindowsVersion, SystemProcessorFeature,
                                   SystemInitialiseCom, SystemUninitialiseCom};

}  // namespace

Functions System() { return SystemTable; }

void EndShell()
{
    if (ComToBalance)
        Calls.UninitialiseCom();
    ComToBalance = false;
}

std::string SystemFolder()
{
    char folder[MAX_PATH + 1] = "";
    const UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return std::string();
    std::string path(folder, length);
    if (path.back() == '\\')
        path.pop_back();
    return path;
}

HMODULE LoadSystemLibrary(const char* name)
{
    const std::string folder = SystemFolder();
    if (folder.empty())
        return nullptr;
    // The altered search takes the library's own imports from its folder too.
    const std::string path = folder + "\\" + name;
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

Functions Calls = SystemTable;

}  // namespace platform
}  // namespace winlayer
