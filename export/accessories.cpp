// Help, the volume mixer and the audio page of the control panel: the shell
// and detached processes, reached through platform::Calls.
#include "export/commands.h"

#include <string>
#include <vector>

#include "win/platform.h"

namespace export_ {

namespace {

const char HelpFileName[] = "help spectrum.htm";
// The mixer of Windows up to XP, then the one of Vista and later.
const char MixerCommand[] = "Sndvol32.exe";
const char VistaMixerCommand[] = "SndVol.exe";
// Page 2 of mmsys.cpl is the Audio page up to XP, but the Sounds tab (the
// sound scheme) from Vista on, where page 1 is the Recording tab.
const char AudioDevicesCommand[] = "rundll32.exe shell32.dll,Control_RunDLL mmsys.cpl, ,2";
const char VistaAudioDevicesCommand[] = "rundll32.exe shell32.dll,Control_RunDLL mmsys.cpl, ,1";

// Vista is version 6.0. A version that cannot be read counts as older.
bool IsVistaOrLater()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return platform::Calls.WindowsVersion(&version) && version.dwMajorVersion >= 6;
}

// The whole current directory, however long.
std::string CurrentDirectory()
{
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    std::string directory(size, '\0');
    directory.resize(GetCurrentDirectoryA(size, &directory[0]));
    return directory;
}

}  // namespace

INT_PTR ShowHelp(HWND, UINT, WPARAM, LPARAM)
{
    const std::string directory = CurrentDirectory();
    HINSTANCE result = platform::Calls.ShellOpen(nullptr, "open", HelpFileName, nullptr,
                                                 directory.c_str(), SW_SHOWNORMAL);
    // 32 or less: no guide in the current folder (a shortcut that starts the
    // program elsewhere) or no program for .htm files. Silence would look
    // like a menu item that does nothing.
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        MessageBoxA(nullptr, "Help file didn't open!", "Warning", MB_OK | MB_ICONEXCLAMATION);
    return reinterpret_cast<INT_PTR>(result);
}

INT_PTR RunMixer(HWND, UINT, WPARAM, LPARAM)
{
    if (!RunDetached(MixerCommand))
        RunDetached(VistaMixerCommand);
    return 0;
}

INT_PTR RunAudioDevices(HWND, UINT, WPARAM, LPARAM)
{
    RunDetached(IsVistaOrLater() ? VistaAudioDevicesCommand : AudioDevicesCommand);
    return 0;
}

DWORD RunDetached(const char* commandLine)
{
    // CreateProcessA may write into the command line it is given.
    std::vector<char> command(commandLine, commandLine + lstrlenA(commandLine) + 1);
    SECURITY_ATTRIBUTES processAttributes = {sizeof processAttributes, nullptr, FALSE};
    SECURITY_ATTRIBUTES threadAttributes = {sizeof threadAttributes, nullptr, FALSE};
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started = {};
    if (!platform::Calls.StartProcess(nullptr, command.data(), &processAttributes,
                                      &threadAttributes, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                                      nullptr, &startup, &started))
        return 0;
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    return started.dwProcessId;
}

}  // namespace export_
