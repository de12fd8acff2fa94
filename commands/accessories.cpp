// Help, the volume mixer and the audio page of the control panel: the shell
// and detached processes, reached through winlayer::platform::Calls.
#include "commands/accessories.h"

#include <string>
#include <vector>

#include "win/platform.h"
#include "win/modal.h"

namespace commands {

namespace {

const char HelpFileName[] = "help spectrum.htm";
// The mixer of Windows up to XP, then the one of Vista and later.
const char MixerProgram[] = "Sndvol32.exe";
const char VistaMixerProgram[] = "SndVol.exe";
// Page 2 of mmsys.cpl is the Audio page up to XP, but the Sounds tab (the
// sound scheme) from Vista on, where page 1 is the Recording tab.
const char ControlPanelProgram[] = "rundll32.exe";
const char AudioPageArguments[] = " shell32.dll,Control_RunDLL mmsys.cpl, ,2";
const char VistaAudioPageArguments[] = " shell32.dll,Control_RunDLL mmsys.cpl, ,1";

// Vista is version 6.0. A version that cannot be read counts as older.
bool IsVistaOrLater()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return winlayer::platform::Calls.WindowsVersion(&version) && version.dwMajorVersion >= 6;
}

// The system's own program `program` in the system folder, started there;
// by a bare name CreateProcessA would look beside this program and in the
// current folder first, and the new process would hold the current folder
// (a USB stick the user wants to eject).
DWORD RunSystemProgram(const char* program, const char* arguments = "")
{
    const std::string folder = winlayer::platform::SystemFolder();
    if (folder.empty())
        return 0;
    const std::string commandLine = "\"" + folder + "\\" + program + "\"" + arguments;
    return RunDetached(commandLine.c_str(), folder.c_str());
}

}  // namespace

INT_PTR ShowHelp(HWND, UINT, WPARAM, LPARAM)
{
    // No folder: the shell then takes the current folder as it is. Its name
    // read through the ANSI code page would hold a "?" for every character
    // outside it, and name no folder at all.
    HINSTANCE result = winlayer::platform::Calls.ShellOpen(nullptr, "open", HelpFileName,
                                                           nullptr, nullptr, SW_SHOWNORMAL);
    // 32 or less: no guide in the current folder (a shortcut that starts the
    // program elsewhere) or no program for .htm files. Silence would look
    // like a menu item that does nothing.
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        winlayer::Warn("Help file didn't open!");
    return reinterpret_cast<INT_PTR>(result);
}

INT_PTR RunMixer(HWND, UINT, WPARAM, LPARAM)
{
    if (!RunSystemProgram(MixerProgram) && !RunSystemProgram(VistaMixerProgram))
        winlayer::Warn("Volume mixer didn't open!");
    return 0;
}

INT_PTR RunAudioDevices(HWND, UINT, WPARAM, LPARAM)
{
    if (!RunSystemProgram(ControlPanelProgram,
                          IsVistaOrLater() ? VistaAudioPageArguments : AudioPageArguments))
        winlayer::Warn("Audio devices panel didn't open!");
    return 0;
}

DWORD RunDetached(const char* commandLine, const char* directory)
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
    if (!winlayer::platform::Calls.StartProcess(nullptr, command.data(), &processAttributes,
                                                &threadAttributes, FALSE, NORMAL_PRIORITY_CLASS,
                                                nullptr, directory, &startup, &started))
        return 0;
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    return started.dwProcessId;
}

}  // namespace commands
