// Mixer, Audio Devices, Help and About through the real main window's menu:
// the arguments the process and shell layer is handed, a real detached
// process, and the About box's window, controls, pixels, font and objects.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "export/commands.h"
#include "facts/facts.h"
#include "tests/export/export_fixture.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"

namespace {

// ------------------------------------------------------ detached processes

struct ProcessCall {
    bool noApplicationName = false;
    std::string commandLine;
    DWORD processLength = 0, threadLength = 0;
    bool processDescriptor = true, threadDescriptor = true;
    BOOL processInherit = TRUE, threadInherit = TRUE, inheritHandles = TRUE;
    DWORD flags = 0;
    bool noEnvironment = false, noDirectory = false;
    DWORD startupSize = 0, startupFlags = 0;
    WORD show = 0;
};
std::vector<ProcessCall> ProcessCalls;
bool ProcessStarts = true;
HANDLE GivenProcess = nullptr, GivenThread = nullptr;

// Hands out two real handles, so that the test can see them closed.
BOOL RecordProcess(const char* applicationName, char* commandLine,
                   SECURITY_ATTRIBUTES* processAttributes, SECURITY_ATTRIBUTES* threadAttributes,
                   BOOL inheritHandles, DWORD creationFlags, void* environment,
                   const char* directory, STARTUPINFOA* startup, PROCESS_INFORMATION* started)
{
    ProcessCall call;
    call.noApplicationName = applicationName == nullptr;
    call.commandLine = commandLine;
    call.processLength = processAttributes->nLength;
    call.threadLength = threadAttributes->nLength;
    call.processDescriptor = processAttributes->lpSecurityDescriptor != nullptr;
    call.threadDescriptor = threadAttributes->lpSecurityDescriptor != nullptr;
    call.processInherit = processAttributes->bInheritHandle;
    call.threadInherit = threadAttributes->bInheritHandle;
    call.inheritHandles = inheritHandles;
    call.flags = creationFlags;
    call.noEnvironment = environment == nullptr;
    call.noDirectory = directory == nullptr;
    call.startupSize = startup->cb;
    call.startupFlags = startup->dwFlags;
    call.show = startup->wShowWindow;
    ProcessCalls.push_back(call);
    if (!ProcessStarts)
        return FALSE;
    GivenProcess = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    GivenThread = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    started->hProcess = GivenProcess;
    started->hThread = GivenThread;
    started->dwProcessId = 4242;
    started->dwThreadId = 4343;
    return TRUE;
}

bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

class Accessories : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        ProcessCalls.clear();
        ProcessStarts = true;
        platform::Calls.StartProcess = RecordProcess;
    }
};

TEST_F(Accessories, MixerAndAudioDevicesStartTheirCommandLinesDetached)
{
    struct Case {
        int menu;
        const char* commandLine;
    };
    const Case cases[] = {
        {facts::IdMenuMixer, "Sndvol32.exe"},
        {facts::IdMenuAudioDevices, "rundll32.exe shell32.dll,Control_RunDLL mmsys.cpl, ,2"},
    };
    for (const Case& c : cases) {
        ProcessCalls.clear();
        EXPECT_EQ(Menu(c.menu), 0);
        ASSERT_EQ(ProcessCalls.size(), 1u) << c.commandLine;
        const ProcessCall& call = ProcessCalls[0];
        EXPECT_EQ(call.commandLine, c.commandLine);
        EXPECT_TRUE(call.noApplicationName);
        EXPECT_EQ(call.processLength, sizeof(SECURITY_ATTRIBUTES));
        EXPECT_EQ(call.threadLength, sizeof(SECURITY_ATTRIBUTES));
        EXPECT_FALSE(call.processDescriptor);
        EXPECT_FALSE(call.threadDescriptor);
        EXPECT_FALSE(call.processInherit);
        EXPECT_FALSE(call.threadInherit);
        EXPECT_FALSE(call.inheritHandles);
        EXPECT_EQ(call.flags, 0x20u) << "NORMAL_PRIORITY_CLASS";
        EXPECT_TRUE(call.noEnvironment);
        EXPECT_TRUE(call.noDirectory);
        EXPECT_EQ(call.startupSize, sizeof(STARTUPINFOA));
        EXPECT_EQ(call.startupFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW));
        EXPECT_EQ(call.show, 1);
        EXPECT_FALSE(IsOpen(GivenProcess));
        EXPECT_FALSE(IsOpen(GivenThread));
    }
}

#ifndef _WIN64
// The 32-bit layouts the system expects: 12 and 68 bytes.
TEST_F(Accessories, On32BitWindowsTheStructuresAre12And68Bytes)
{
    Menu(facts::IdMenuMixer);
    ASSERT_EQ(ProcessCalls.size(), 1u);
    EXPECT_EQ(ProcessCalls[0].processLength, 12u);
    EXPECT_EQ(ProcessCalls[0].threadLength, 12u);
    EXPECT_EQ(ProcessCalls[0].startupSize, 68u);
}
#endif

TEST_F(Accessories, RunDetachedGivesTheProcessIdOrZero)
{
    EXPECT_EQ(export_::RunDetached("anything.exe"), 4242u);
    ProcessStarts = false;
    EXPECT_EQ(export_::RunDetached("anything.exe"), 0u);
    EXPECT_EQ(Menu(facts::IdMenuMixer), 0);
    EXPECT_EQ(ProcessCalls.size(), 3u);
}

// With the system's CreateProcessA: a program that exists runs on its own
// and is not waited for; one that does not exist gives 0.
TEST_F(Accessories, TheSystemStartsARealProgramAndRefusesAMissingOne)
{
    platform::Calls = platform::System();
    const DWORD id = export_::RunDetached("cmd.exe /c exit 7");
    ASSERT_NE(id, 0u);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id);
    ASSERT_TRUE(process);
    EXPECT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
    DWORD status = 0;
    GetExitCodeProcess(process, &status);
    CloseHandle(process);
    EXPECT_EQ(status, 7u);

    EXPECT_EQ(export_::RunDetached("no-such-program-here.exe"), 0u);
    EXPECT_EQ(Menu(facts::IdMenuMixer), 0);
}

// ------------------------------------------------------------------ help

struct ShellCall {
    HWND owner;
    std::string verb, file, directory;
    bool noParameters;
    INT show;
};
std::vector<ShellCall> ShellCalls;
INT_PTR ShellResult = 0;

HINSTANCE RecordShell(HWND owner, const char* verb, const char* file, const char* parameters,
                      const char* directory, INT show)
{
    ShellCalls.push_back({owner, verb, file, directory, parameters == nullptr, show});
    return reinterpret_cast<HINSTANCE>(ShellResult);
}

// The help file is looked for in the current directory, which here is not
// the test program's; Help returns what the shell returned.
TEST_F(Accessories, HelpOpensTheGuideOfTheCurrentDirectoryWithTheShell)
{
    platform::Calls.ShellOpen = RecordShell;
    for (INT_PTR result : {42, 31, 2}) {
        ShellCalls.clear();
        ShellResult = result;
        EXPECT_EQ(export_::ShowHelp(facts::MainDialog, WM_COMMAND, facts::IdMenuHelp, 0), result);
        ASSERT_EQ(ShellCalls.size(), 1u);
        EXPECT_EQ(ShellCalls[0].owner, nullptr);
        EXPECT_EQ(ShellCalls[0].verb, "open");
        EXPECT_EQ(ShellCalls[0].file, "help spectrum.htm");
        EXPECT_TRUE(ShellCalls[0].noParameters);
        EXPECT_EQ(ShellCalls[0].directory, directory);
        EXPECT_EQ(ShellCalls[0].show, SW_SHOWNORMAL);
    }
    ShellCalls.clear();
    Menu(facts::IdMenuHelp);
    EXPECT_EQ(ShellCalls.size(), 1u) << "the menu item reaches Help";
}

TEST_F(Accessories, HelpWithoutTheGuideGetsFileNotFoundFromTheSystem)
{
    platform::Calls = platform::System();
    EXPECT_EQ(export_::ShowHelp(facts::MainDialog, WM_COMMAND, facts::IdMenuHelp, 0),
              SE_ERR_FNF);
}

// ------------------------------------------------------------- About box

void (*WhileAboutOpen)() = nullptr;

void CALLBACK DriveAbout(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!export_::AboutBox || !IsWindowVisible(export_::AboutBox))
        return;
    KillTimer(nullptr, id);
    WhileAboutOpen();
}

void CloseAbout()
{
    SendMessageA(export_::AboutBox, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// Chooses About; `whileOpen` runs inside the box's loop and must close it.
LRESULT OpenAbout(void (*whileOpen)())
{
    WhileAboutOpen = whileOpen;
    SetTimer(nullptr, 0, 20, DriveAbout);
    return SendMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdMenuAbout, 0), 0);
}

struct Label {
    std::string className, text;
    LONG style = 0, exStyle = 0;
    RECT rect = {};
    HFONT font = nullptr;
};

struct SeenAbout {
    std::string caption;
    LONG style = 0, exStyle = 0;
    HWND owner = nullptr;
    POINT clientOrigin = {};  // on the screen
    RECT client = {};
    bool mainEnabled = true;
    HICON bigIcon = nullptr, smallIcon = nullptr;
    Label title, credits;
    HFONT dialogFont = nullptr;
    LOGFONTA titleFont = {}, creditsFont = {};
    bool titleFontAlive = false;
    int childCount = 0;
    COLORREF dialogPixel = 0, titleMargin = 0, creditsMargin = 0;
};
SeenAbout Seen;

Label DescribeLabel(HWND box, int id)
{
    Label label;
    HWND control = GetDlgItem(box, id);
    label.className = testsupport::ClassName(control);
    label.text = testsupport::WindowText(control);
    label.style = GetWindowLongA(control, GWL_STYLE);
    label.exStyle = GetWindowLongA(control, GWL_EXSTYLE);
    label.rect = apptest::RectInParent(control);
    label.font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    return label;
}

COLORREF PixelOf(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

void ObserveAbout()
{
    HWND box = export_::AboutBox;
    Seen = SeenAbout();
    Seen.caption = testsupport::WindowText(box);
    Seen.style = GetWindowLongA(box, GWL_STYLE);
    Seen.exStyle = GetWindowLongA(box, GWL_EXSTYLE);
    Seen.owner = GetWindow(box, GW_OWNER);
    Seen.clientOrigin = {0, 0};
    ClientToScreen(box, &Seen.clientOrigin);
    GetClientRect(box, &Seen.client);
    Seen.mainEnabled = IsWindowEnabled(facts::MainDialog) != FALSE;
    Seen.bigIcon = reinterpret_cast<HICON>(SendMessageA(box, WM_GETICON, ICON_BIG, 0));
    Seen.smallIcon = reinterpret_cast<HICON>(SendMessageA(box, WM_GETICON, ICON_SMALL, 0));
    Seen.title = DescribeLabel(box, export_::IdAboutTitle);
    Seen.credits = DescribeLabel(box, export_::IdAboutCredits);
    Seen.dialogFont = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
    GetObjectA(Seen.title.font, sizeof Seen.titleFont, &Seen.titleFont);
    GetObjectA(Seen.credits.font, sizeof Seen.creditsFont, &Seen.creditsFont);
    Seen.titleFontAlive = GetObjectType(export_::AboutTitleFont) == OBJ_FONT;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ++Seen.childCount;
    testsupport::PumpMessages(60);
    // Right of both labels; and the labels' last columns, which no text of
    // theirs reaches.
    Seen.dialogPixel = PixelOf(box, Seen.client.right - 3, Seen.client.bottom / 2);
    Seen.titleMargin = PixelOf(box, Seen.title.rect.right - 1, Seen.title.rect.top + 1);
    Seen.creditsMargin = PixelOf(box, Seen.credits.rect.right - 1, Seen.client.bottom - 2);
}

using apptest::PixelsX;
using apptest::PixelsY;

TEST_F(Accessories, TheAboutBoxIsPlacedStyledAndLabelledAsItsTableSays)
{
    EXPECT_EQ(OpenAbout([] { ObserveAbout(); CloseAbout(); }), 0);

    EXPECT_EQ(Seen.caption, "KESTRO spectrum analyser");
    EXPECT_EQ(Seen.style, static_cast<LONG>(0x94C800D4));
    EXPECT_EQ(Seen.exStyle & 0x10108, 0x10108);
    EXPECT_EQ(Seen.owner, facts::MainDialog);
    POINT origin = {0, 0};
    ClientToScreen(facts::MainDialog, &origin);
    // A template places the box's client area, in the owner's client area.
    EXPECT_EQ(Seen.clientOrigin.x, origin.x + PixelsX(100));
    EXPECT_EQ(Seen.clientOrigin.y, origin.y + PixelsY(50));
    EXPECT_EQ(Seen.client.right, PixelsX(190));
    EXPECT_EQ(Seen.client.bottom, PixelsY(72));
    EXPECT_FALSE(Seen.mainEnabled);
    EXPECT_NE(Seen.bigIcon, nullptr);
    EXPECT_NE(Seen.smallIcon, nullptr);
    EXPECT_EQ(Seen.childCount, 2);

    struct Expected {
        const Label& label;
        int y, height;
        const char* text;
    };
    const Expected labels[] = {
        {Seen.title, 5, 15, "FFT spectrum analyser"},
        {Seen.credits, 20, 90, nullptr},
    };
    for (const Expected& e : labels) {
        EXPECT_EQ(e.label.className, "Static");
        EXPECT_EQ(e.label.style, 0x50000001);
        EXPECT_EQ(e.label.exStyle, 0);
        EXPECT_EQ(e.label.rect.left, PixelsX(5));
        EXPECT_EQ(e.label.rect.top, PixelsY(e.y));
        EXPECT_EQ(e.label.rect.right - e.label.rect.left, PixelsX(165));
        EXPECT_EQ(e.label.rect.bottom - e.label.rect.top, PixelsY(e.height));
        if (e.text) {
            EXPECT_EQ(e.label.text, e.text);
        }
    }

    const COLORREF background = RGB(159, 220, 220);
    EXPECT_EQ(Seen.dialogPixel, background);
    EXPECT_EQ(Seen.titleMargin, background);
    EXPECT_EQ(Seen.creditsMargin, background);

    EXPECT_TRUE(IsWindowEnabled(facts::MainDialog)) << "usable again once the box has closed";
    EXPECT_EQ(export_::AboutBox, nullptr);
}

TEST_F(Accessories, TheCreditsAreSixLinesWithTheGivenOnesInPlace)
{
    OpenAbout([] { ObserveAbout(); CloseAbout(); });
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = Seen.credits.text.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        lines.push_back(Seen.credits.text.substr(start, end - start));
    lines.push_back(Seen.credits.text.substr(start));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(lines[0].find("KESTRO"), std::string::npos);
    EXPECT_EQ(lines[1], "(with some help from others)");
    EXPECT_EQ(lines[2], "Version 1.0 Build 20.03.11");
    EXPECT_FALSE(lines[3].empty());
    EXPECT_EQ(lines[4], "This version:March 2011");
    EXPECT_NE(lines[5].find("2011"), std::string::npos);
}

// 14-point Arial on the title only; the credits keep the dialog font. The
// font exists while the box is open and is gone once it has closed.
TEST_F(Accessories, TheTitleHasFourteenPointArialForItsBoxAlone)
{
    OpenAbout([] { ObserveAbout(); CloseAbout(); });

    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(std::string(Seen.titleFont.lfFaceName), "Arial");
    EXPECT_EQ(Seen.titleFont.lfHeight, -(pixelsPerInch * 14) / 72);
    EXPECT_EQ(Seen.titleFont.lfWidth, 0);
    EXPECT_EQ(Seen.titleFont.lfWeight, 400);
    EXPECT_FALSE(Seen.titleFont.lfItalic);
    EXPECT_FALSE(Seen.titleFont.lfUnderline);
    EXPECT_FALSE(Seen.titleFont.lfStrikeOut);
    EXPECT_EQ(Seen.titleFont.lfCharSet, 0);
    EXPECT_EQ(Seen.credits.font, Seen.dialogFont);
    EXPECT_EQ(std::string(Seen.creditsFont.lfFaceName), "MS Sans Serif");
    EXPECT_TRUE(Seen.titleFontAlive);
    EXPECT_EQ(GetObjectType(Seen.title.font), 0u) << "the title font is deleted";
    EXPECT_EQ(export_::AboutTitleFont, nullptr);
}

// Esc and Enter do not close the box: only its close box does.
TEST_F(Accessories, KeysLeaveTheAboutBoxOpen)
{
    static bool openAfterKeys = false;
    OpenAbout([] {
        for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
            PostMessageA(export_::AboutBox, WM_KEYDOWN, key, 0);
            PostMessageA(export_::AboutBox, WM_KEYUP, key, 0xC0000001);
        }
        testsupport::PumpMessages(60);
        openAfterKeys = IsWindow(export_::AboutBox) != FALSE;
        CloseAbout();
    });
    EXPECT_TRUE(openAfterKeys);
}

TEST_F(Accessories, RepeatedAboutBoxesLeaveNoObjectsBehind)
{
    OpenAbout(CloseAbout);
    testsupport::PumpMessages(20);
    const int gdiBefore = testsupport::CountGdiObjects();
    const int userBefore = testsupport::CountUserObjects();
    for (int i = 0; i < 60; ++i)
        OpenAbout(CloseAbout);
    testsupport::PumpMessages(20);
    EXPECT_EQ(testsupport::CountGdiObjects(), gdiBefore);
    EXPECT_EQ(testsupport::CountUserObjects(), userBefore);
}

}  // namespace
