// Mixer, Audio Devices, Help and About through the main window's menu: what
// the process and shell layer is handed, a real detached process, and the
// About box's window, labels, pixels, font and objects.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "commands/about.h"
#include "commands/accessories.h"
#include "commands/savefft.h"
#include "tests/commands/commands_fixture.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"

namespace {

// What the last CreateProcessA was given, and every command line it was
// given; the handles it handed out are real, so that the test can see them
// closed. It refuses the programs named in Missing, as the system refuses a
// program that does not exist.
SECURITY_ATTRIBUTES ProcessAttributes, ThreadAttributes;
STARTUPINFOA Startup;
std::vector<std::string> CommandLines;
std::vector<std::string> Missing;
bool NoApplicationNameOrEnvironment = false;
std::string Directory;
BOOL InheritHandles = TRUE;
DWORD CreationFlags = 0;
HANDLE Given[2] = {};

BOOL RecordProcess(const char* application, char* commandLine, SECURITY_ATTRIBUTES* process,
                   SECURITY_ATTRIBUTES* thread, BOOL inherit, DWORD flags, void* environment,
                   const char* directory, STARTUPINFOA* startup, PROCESS_INFORMATION* started)
{
    CommandLines.push_back(commandLine);
    ProcessAttributes = *process;
    ThreadAttributes = *thread;
    Startup = *startup;
    NoApplicationNameOrEnvironment = !application && !environment;
    Directory = directory ? directory : "(none)";
    InheritHandles = inherit;
    CreationFlags = flags;
    if (std::find(Missing.begin(), Missing.end(), commandLine) != Missing.end())
        return FALSE;
    for (HANDLE& handle : Given)
        handle = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    *started = {Given[0], Given[1], 4242, 4343};
    return TRUE;
}

// The version GetVersionExA reports; like the system it answers only a
// caller that has set the structure's size.
DWORD Major = 0, Minor = 0;

BOOL ReportVersion(OSVERSIONINFOA* version)
{
    if (version->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
        version->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))
        return FALSE;
    version->dwMajorVersion = Major;
    version->dwMinorVersion = Minor;
    return TRUE;
}

class Accessories : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        winlayer::platform::Calls.StartProcess = RecordProcess;
        winlayer::platform::Calls.WindowsVersion = ReportVersion;
    }
};

// Windows XP is 5.1, Server 2003 and XP x64 5.2, Vista 6.0; Windows 10
// reports 10.0 (or 6.2 to a program whose manifest does not name it). Each
// program is the system folder's, started there; one that does not start
// is reported.
TEST_F(Accessories, MixerAndAudioDevicesStartTheirCommandLinesDetached)
{
    const std::string system = winlayer::platform::SystemFolder();
    ASSERT_FALSE(system.empty());
    const std::string mixer = "\"" + system + "\\Sndvol32.exe\"";
    const std::string vistaMixer = "\"" + system + "\\SndVol.exe\"";
    const std::string panel = "\"" + system + "\\rundll32.exe\" shell32.dll,Control_RunDLL mmsys.cpl, ,";
    const std::string xpPage = panel + "2", vistaPage = panel + "1";
    const std::string noMixer = "Volume mixer didn't open!", noPanel = "Audio devices panel didn't open!";
    struct Case {
        int menu;
        DWORD major, minor;
        std::vector<std::string> missing, commandLines;
        std::string warning;
    };
    const Case cases[] = {
        {facts::IdMenuMixer, 5, 1, {}, {mixer}, ""},
        {facts::IdMenuMixer, 10, 0, {mixer}, {mixer, vistaMixer}, ""},
        {facts::IdMenuMixer, 10, 0, {mixer, vistaMixer}, {mixer, vistaMixer}, noMixer},
        {facts::IdMenuAudioDevices, 5, 1, {}, {xpPage}, ""},
        {facts::IdMenuAudioDevices, 5, 2, {}, {xpPage}, ""},
        {facts::IdMenuAudioDevices, 6, 0, {}, {vistaPage}, ""},
        {facts::IdMenuAudioDevices, 10, 0, {}, {vistaPage}, ""},
        {facts::IdMenuAudioDevices, 10, 0, {vistaPage}, {vistaPage}, noPanel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLines.back() + " on " + std::to_string(c.major) + "." +
                     std::to_string(c.minor));
        Major = c.major;
        Minor = c.minor;
        Missing = c.missing;
        CommandLines.clear();
        Given[0] = Given[1] = nullptr;
        testsupport::StartMessageBoxWatch("Warning");
        EXPECT_EQ(Menu(c.menu), 0);
        const std::vector<testsupport::SeenMessageBox> boxes = testsupport::StopMessageBoxWatch();
        ASSERT_EQ(boxes.size(), c.warning.empty() ? 0u : 1u);
        if (!boxes.empty()) {
            EXPECT_EQ(boxes[0].text, c.warning);
            EXPECT_EQ(boxes[0].owner, nullptr);
        }
        EXPECT_EQ(CommandLines, c.commandLines);
        EXPECT_TRUE(NoApplicationNameOrEnvironment);
        EXPECT_EQ(Directory, system);
        for (const SECURITY_ATTRIBUTES& attributes : {ProcessAttributes, ThreadAttributes}) {
            EXPECT_EQ(attributes.nLength, sizeof(SECURITY_ATTRIBUTES));
            EXPECT_EQ(attributes.lpSecurityDescriptor, nullptr);
            EXPECT_FALSE(attributes.bInheritHandle);
        }
        EXPECT_FALSE(InheritHandles);
        EXPECT_EQ(CreationFlags, 0x20u) << "NORMAL_PRIORITY_CLASS";
        EXPECT_EQ(Startup.cb, sizeof(STARTUPINFOA));
        EXPECT_EQ(Startup.dwFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW));
        EXPECT_EQ(Startup.wShowWindow, 1);
        DWORD flags = 0;
        const bool started = c.missing.size() < c.commandLines.size();
        EXPECT_EQ(Given[0] != nullptr, started);
        EXPECT_FALSE(GetHandleInformation(Given[0], &flags)) << "process handle closed";
        EXPECT_FALSE(GetHandleInformation(Given[1], &flags)) << "thread handle closed";
    }
    Missing.clear();
    EXPECT_EQ(commands::RunDetached("x.exe"), 4242u);
    EXPECT_EQ(Directory, "(none)");
#ifndef _WIN64
    // The 32-bit layouts the system expects.
    EXPECT_EQ(ProcessAttributes.nLength, 12u);
    EXPECT_EQ(Startup.cb, 68u);
#endif
}

// With the system's CreateProcessA: a program that exists runs on its own;
// one that does not gives 0.
TEST_F(Accessories, TheSystemStartsARealProgramAndRefusesAMissingOne)
{
    winlayer::platform::Calls = winlayer::platform::System();
    const DWORD id = commands::RunDetached("cmd.exe /c exit 7");
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id);
    ASSERT_TRUE(process);
    EXPECT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
    DWORD status = 0;
    GetExitCodeProcess(process, &status);
    CloseHandle(process);
    EXPECT_EQ(status, 7u);
    EXPECT_EQ(commands::RunDetached("no-such-program-here.exe"), 0u);
}

std::string ShellCall;
INT_PTR ShellResult = 0;

HINSTANCE RecordShell(HWND owner, const char* verb, const char* file, const char* parameters,
                      const char* directory, INT show)
{
    ShellCall = std::string(owner ? "owner" : "no owner") + "|" + verb + "|" + file + "|" +
                (parameters ? parameters : "no parameters") + "|" +
                (directory ? directory : "no folder") + "|" +
                std::to_string(show);
    return reinterpret_cast<HINSTANCE>(ShellResult);
}

// COM as the shell open asks for it ("sta": apartment-threaded, without
// OLE1's DDE) and its uninitialisation ("end"), answering ComAnswer.
std::string ComCalls;
HRESULT ComAnswer = S_OK;

HRESULT RecordInitialise(DWORD model)
{
    ComCalls += model == (COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) ? "sta " : "other ";
    return ComAnswer;
}

void RecordUninitialise() { ComCalls += "end "; }

// The guide of the current directory (here not the test program's), and the
// shell's result returned; a result of 32 or less (31: no program for .htm
// files; 2, which the system answers here: no guide) also warns. COM is
// initialised for the first open and balanced once at the end, unless the
// thread's apartment refused it; the shell is called either way.
TEST_F(Accessories, HelpOpensTheGuideOfTheCurrentDirectory)
{
    winlayer::platform::Calls.ShellOpen = RecordShell;
    for (INT_PTR result : {42, 33, 32, 31, 2}) {
        ShellResult = result;
        testsupport::StartMessageBoxWatch("Warning");
        EXPECT_EQ(commands::ShowHelp(nullptr, WM_COMMAND, facts::IdMenuHelp, 0), result);
        const std::vector<testsupport::SeenMessageBox> boxes = testsupport::StopMessageBoxWatch();
        EXPECT_EQ(ShellCall, "no owner|open|help spectrum.htm|no parameters|no folder|1");
        ASSERT_EQ(boxes.size(), result <= 32 ? 1u : 0u) << result;
        if (result <= 32) {
            EXPECT_EQ(boxes[0].text, "Help file didn't open!");
            EXPECT_EQ(boxes[0].owner, nullptr);
            EXPECT_NE(boxes[0].icon, nullptr);
            EXPECT_EQ(boxes[0].buttons, std::vector<std::string>{"OK"});
        }
    }
    for (HRESULT answer : {S_OK, S_FALSE, RPC_E_CHANGED_MODE}) {
        winlayer::platform::Calls = winlayer::platform::System();
        winlayer::platform::Calls.InitialiseCom = RecordInitialise;
        winlayer::platform::Calls.UninitialiseCom = RecordUninitialise;
        ComAnswer = answer;
        ComCalls.clear();
        testsupport::StartMessageBoxWatch("Warning");
        for (int open = 0; open < 2; ++open)
            EXPECT_EQ(commands::ShowHelp(nullptr, WM_COMMAND, facts::IdMenuHelp, 0), SE_ERR_FNF);
        EXPECT_EQ(testsupport::StopMessageBoxWatch().size(), 2u);
        winlayer::platform::EndShell();
        EXPECT_EQ(ComCalls, answer == RPC_E_CHANGED_MODE ? "sta sta " : "sta end ") << answer;
    }
    winlayer::platform::Calls = winlayer::platform::System();

    // A folder whose name the ANSI code page cannot spell ("?" in its ANSI
    // name), holding the guide: the shell finds it (and, here, has no
    // program for it: 31).
    const std::wstring unspellable = L"\u0141ukasz";
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, unspellable.c_str(), -1, nullptr, 0, nullptr, &lost);
    ASSERT_TRUE(lost) << "the ANSI code page spells the folder's name";
    ASSERT_TRUE(CreateDirectoryW(unspellable.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(unspellable.c_str()));
    CloseHandle(CreateFileW(L"help spectrum.htm", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    testsupport::StartMessageBoxWatch("Warning");
    const INT_PTR found = commands::ShowHelp(nullptr, WM_COMMAND, facts::IdMenuHelp, 0);
    testsupport::StopMessageBoxWatch();
    DeleteFileW(L"help spectrum.htm");
    SetCurrentDirectoryA(directory.c_str());
    RemoveDirectoryW(unspellable.c_str());
    EXPECT_TRUE(found == SE_ERR_NOASSOC || found > 32) << found;
}

// The About box, observed from a timer inside its own loop, then closed.
struct SeenAbout {
    std::string caption, title, credits, titleFace;
    LONG style = 0, exStyle = 0, titleStyle = 0, creditsStyle = 0;
    POINT origin = {};
    RECT client = {}, titleRect = {}, creditsRect = {};
    bool mainEnabled = true, hasIcon = false, creditsHaveDialogFont = false;
    LOGFONTA titleFont = {};
    HFONT titleHandle = nullptr;
    COLORREF dialogPixel = 0, labelPixel = 0;
};
SeenAbout Seen;

void CALLBACK ObserveAndClose(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND box = commands::AboutBox;
    if (!box || !IsWindowVisible(box))
        return;
    KillTimer(nullptr, id);
    HWND title = GetDlgItem(box, commands::IdAboutTitle);
    HWND credits = GetDlgItem(box, commands::IdAboutCredits);
    Seen.caption = testsupport::WindowText(box);
    Seen.title = testsupport::WindowText(title);
    Seen.credits = testsupport::WindowText(credits);
    Seen.style = GetWindowLongA(box, GWL_STYLE);
    Seen.exStyle = GetWindowLongA(box, GWL_EXSTYLE);
    Seen.titleStyle = GetWindowLongA(title, GWL_STYLE);
    Seen.creditsStyle = GetWindowLongA(credits, GWL_STYLE);
    ClientToScreen(box, &Seen.origin);
    GetClientRect(box, &Seen.client);
    Seen.titleRect = apptest::RectInParent(title);
    Seen.creditsRect = apptest::RectInParent(credits);
    Seen.mainEnabled = IsWindowEnabled(facts::MainDialog) != FALSE;
    Seen.hasIcon = SendMessageA(box, WM_GETICON, ICON_BIG, 0) && SendMessageA(box, WM_GETICON, ICON_SMALL, 0);
    Seen.creditsHaveDialogFont = SendMessageA(credits, WM_GETFONT, 0, 0) == SendMessageA(box, WM_GETFONT, 0, 0);
    Seen.titleHandle = reinterpret_cast<HFONT>(SendMessageA(title, WM_GETFONT, 0, 0));
    GetObjectA(Seen.titleHandle, sizeof Seen.titleFont, &Seen.titleFont);
    testsupport::PumpMessages(60);
    HDC dc = GetDC(box);
    Seen.dialogPixel = GetPixel(dc, Seen.client.right - 3, Seen.client.bottom / 2);
    Seen.labelPixel = GetPixel(dc, Seen.creditsRect.right - 1, Seen.client.bottom - 2);
    ReleaseDC(box, dc);
    SendMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
}

LRESULT OpenAbout()
{
    SetTimer(nullptr, 0, 20, ObserveAndClose);
    return ExportTest::Menu(facts::IdMenuAbout);
}

using apptest::PixelsX;
using apptest::PixelsY;

TEST_F(Accessories, TheAboutBoxIsAsItsTableSays)
{
    EXPECT_EQ(OpenAbout(), 0);
    EXPECT_EQ(Seen.caption, "KESTRO spectrum analyser");
    EXPECT_EQ(Seen.style, static_cast<LONG>(0x94C800D4));
    EXPECT_EQ(Seen.exStyle & 0x10108, 0x10108);
    // A template places the box's client area in the owner's client area.
    POINT owner = {0, 0};
    ClientToScreen(facts::MainDialog, &owner);
    EXPECT_EQ(Seen.origin.x - owner.x, PixelsX(100));
    EXPECT_EQ(Seen.origin.y - owner.y, PixelsY(50));
    EXPECT_EQ(Seen.client.right, PixelsX(190));
    EXPECT_EQ(Seen.client.bottom, PixelsY(72));
    EXPECT_TRUE(Seen.hasIcon);
    EXPECT_FALSE(Seen.mainEnabled);
    EXPECT_TRUE(IsWindowEnabled(facts::MainDialog)) << "usable again once the box has closed";

    const RECT title = {PixelsX(5), PixelsY(5), PixelsX(5) + PixelsX(165), PixelsY(5) + PixelsY(15)};
    const RECT credits = {PixelsX(5), PixelsY(20), PixelsX(5) + PixelsX(165), PixelsY(20) + PixelsY(90)};
    EXPECT_TRUE(EqualRect(&Seen.titleRect, &title));
    EXPECT_TRUE(EqualRect(&Seen.creditsRect, &credits));
    EXPECT_EQ(Seen.titleStyle, 0x50000001);
    EXPECT_EQ(Seen.creditsStyle, 0x50000001);
    EXPECT_EQ(Seen.title, "FFT spectrum analyser");
    const std::string given = "\r\n(with some help from others)\r\nVersion 1.0 Build 20.03.11\r\n";
    const size_t at = Seen.credits.find(given);
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(Seen.credits.substr(0, at).find("KESTRO"), std::string::npos);
    const std::string rest = Seen.credits.substr(at + given.size());
    EXPECT_NE(rest.find("\r\nThis version:March 2011\r\n"), std::string::npos);
    EXPECT_NE(rest.find("2011", rest.rfind("\r\n")), std::string::npos);
    EXPECT_EQ(std::count(Seen.credits.begin(), Seen.credits.end(), '\n'), 5);
    EXPECT_EQ(Seen.dialogPixel, RGB(159, 220, 220));
    EXPECT_EQ(Seen.labelPixel, RGB(159, 220, 220));

    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTA arial = {};
    arial.lfHeight = -(pixelsPerInch * 14) / 72;
    arial.lfWeight = 400;
    lstrcpyA(arial.lfFaceName, "Arial");
    EXPECT_EQ(memcmp(&Seen.titleFont, &arial, sizeof arial), 0) << Seen.titleFont.lfFaceName;
    EXPECT_TRUE(Seen.creditsHaveDialogFont);
    EXPECT_EQ(GetObjectType(Seen.titleHandle), 0u) << "the title font is deleted";
}

}  // namespace
