// Mixer and Audio Devices with the system's own answers. windows_versions.sh
// runs this program once with Wine set to report Windows XP to it and once
// Windows 10, with a SndVol.exe of the tests in the system folder and no
// Sndvol32.exe anywhere; EXPECTED_WINDOWS names the version set.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/commands/commands_fixture.h"
#include "win/platform.h"

namespace {

std::vector<std::string> CommandLines;

// Records the start and answers as if the process had started.
BOOL RecordOnly(const char*, char* commandLine, SECURITY_ATTRIBUTES*, SECURITY_ATTRIBUTES*, BOOL,
                DWORD, void*, const char*, STARTUPINFOA*, PROCESS_INFORMATION* started)
{
    CommandLines.push_back(commandLine);
    *started = {nullptr, nullptr, 4242, 4343};
    return TRUE;
}

bool OnXp()
{
    const char* expected = std::getenv("EXPECTED_WINDOWS");
    return expected && std::string(expected) == "winxp";
}

using WindowsVersions = ExportTest;

// The real version through the real table; only the start is recorded.
// Windows 10 reports itself as 6.2 to a program whose manifest does not name
// it, and Wine does the same; the program's manifest (built into this test
// too) names it, so it reads 10.0.
TEST_F(WindowsVersions, AudioDevicesOpensTheAudioPageOfTheVersionItRunsOn)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(winlayer::platform::Calls.WindowsVersion(&version));
    const std::string reported =
        std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion);
    EXPECT_EQ(reported, OnXp() ? "5.1" : "10.0");
    winlayer::platform::Calls.StartProcess = RecordOnly;
    Menu(facts::IdMenuAudioDevices);
    const std::string page = OnXp() ? "2" : "1";
    EXPECT_EQ(CommandLines, std::vector<std::string>{"\"" + winlayer::platform::SystemFolder() +
                                                     "\\rundll32.exe\" shell32.dll,Control_RunDLL mmsys.cpl, ," + page});
}

// SndVol.exe is started by its full path in the system folder, and leaves its
// mark in the folder it was started in.
TEST_F(WindowsVersions, MixerStartsSndVolWhereSndvol32IsMissing)
{
    const std::string system = winlayer::platform::SystemFolder();
    const std::string mark = system + "\\SndVol-started.txt";
    Menu(facts::IdMenuMixer);
    for (int i = 0; i < 300 && GetFileAttributesA(mark.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    EXPECT_EQ(ReadFile(mark), "\"" + system + "\\SndVol.exe\"");
    DeleteFileA(mark.c_str());
}

}  // namespace
