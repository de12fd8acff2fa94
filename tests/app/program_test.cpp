// The program file itself: it starts under the system, shows its window,
// exits with code 0 when closed, and carries its resources; and its start on
// a processor without SSE2.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/mainwindow.h"
#include "app/startup.h"
#include "dsp/fft.h"
#include "facts/facts.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"

namespace {

// The build passes the Unix path; Wine's drive Z: is the Unix root.
std::string ProgramPath()
{
    std::string path = std::string("Z:") + SPECTRUM_EXE;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

struct Found {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM parameter)
{
    Found* found = reinterpret_cast<Found*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    if (process == found->process && std::strcmp(title, "Spectrum Analyzer") == 0 &&
        IsWindowVisible(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

TEST(Program, StartsShowsItsWindowAndExitsWithZeroWhenClosed)
{
    std::string commandLine = "\"" + ProgramPath() + "\" ignored arguments";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;  // the program shows its window whatever it is told
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process))
        << GetLastError();

    Found found = {process.dwProcessId, nullptr};
    for (int waited = 0; waited < 30000 && !found.window; waited += 50) {
        Sleep(50);
        EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&found));
    }
    ASSERT_TRUE(found.window) << "no visible window titled \"Spectrum Analyzer\"";
    char className[32] = {};
    GetClassNameA(found.window, className, sizeof className);
    EXPECT_STREQ(className, "#32770");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(found.window, GWL_STYLE)) & 0x80CF0854u, 0x80CF0854u);
    EXPECT_TRUE(GetMenu(found.window));

    PostMessageA(found.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    DWORD exitCode = 1234;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// A processor without SSE2 (faked: every other feature is there): one
// warning in the program's style, then the end with 0, before the main
// window or the tables of a pass exist.
std::vector<DWORD> AskedFeatures;
BOOL AllButSse2(DWORD feature)
{
    AskedFeatures.push_back(feature);
    return feature != PF_XMMI64_INSTRUCTIONS_AVAILABLE;
}

TEST(Program, WithoutSse2SaysSoAndEndsBeforeItsWindow)
{
    const winlayer::platform::Functions system = winlayer::platform::Calls;
    winlayer::platform::Calls.ProcessorFeature = AllButSse2;
    testsupport::StartMessageBoxWatch("Warning");
    const int exitCode = app::RunProgram();
    const std::vector<testsupport::SeenMessageBox> boxes = testsupport::StopMessageBoxWatch();
    winlayer::platform::Calls = system;

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(AskedFeatures, std::vector<DWORD>{PF_XMMI64_INSTRUCTIONS_AVAILABLE});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "This program needs a processor with SSE2.");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].icon, LoadIconA(nullptr, IDI_EXCLAMATION));
    EXPECT_EQ(boxes[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(facts::MainDialog, nullptr);
    EXPECT_EQ(FindWindowA(nullptr, "Spectrum Analyzer"), nullptr);
    EXPECT_EQ(dsp::BitReverseTable[1], 0) << "the tables of a pass were built";
}

// ------------------------------------------------------------- resources

class ProgramResources : public testing::Test {
protected:
    void SetUp() override
    {
        module = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module);
    }
    void TearDown() override { FreeLibrary(module); }

    std::vector<BYTE> Resource(const char* name, const char* type)
    {
        HRSRC found = FindResourceA(module, name, type);
        if (!found)
            return {};
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
        return std::vector<BYTE>(data, data + SizeofResource(module, found));
    }

    static WORD Word(const std::vector<BYTE>& data, size_t offset)
    {
        return static_cast<WORD>(data[offset] | (data[offset + 1] << 8));
    }

    HMODULE module = nullptr;
};

TEST_F(ProgramResources, IconGroupHoldsOne32By32ImageOf16Colours)
{
    std::vector<BYTE> group = Resource("icon1", MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(Word(group, 2), 1);  // icons
    EXPECT_EQ(Word(group, 4), 1);  // one image
    EXPECT_EQ(group[6], 32);       // width
    EXPECT_EQ(group[7], 32);       // height
    EXPECT_EQ(group[8], 16);       // colours
    EXPECT_EQ(Word(group, 12), 4); // bits per pixel
}

TEST_F(ProgramResources, CursorGroupHoldsOneImageWithHotSpotFiveFifteen)
{
    std::vector<BYTE> group = Resource("CURSOR1", MAKEINTRESOURCEA(12));  // RT_GROUP_CURSOR
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(Word(group, 2), 2);   // cursors
    EXPECT_EQ(Word(group, 4), 1);
    EXPECT_EQ(Word(group, 6), 32);  // width
    EXPECT_EQ(Word(group, 8), 64);  // height of colour and mask images
    EXPECT_EQ(Word(group, 12), 4);  // bits per pixel
    WORD imageId = Word(group, 18);
    std::vector<BYTE> image = Resource(MAKEINTRESOURCEA(imageId), MAKEINTRESOURCEA(1));  // RT_CURSOR
    ASSERT_GE(image.size(), 4u + 40u);
    EXPECT_EQ(Word(image, 0), 5);
    EXPECT_EQ(Word(image, 2), 15);
    EXPECT_EQ(Word(image, 4 + 14), 4) << "16 colours";

    // The system makes a cursor of it with that hot spot.
    HICON cursor = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), FALSE,
                                            0x00030000, 32, 32, 0);
    ASSERT_TRUE(cursor);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 15u);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyCursor(cursor);
}

// A 64-bit program that names x86 is handed the 32-bit common controls and
// fails to start, so each build names its own architecture, twice.
#ifdef _WIN64
const char OwnArchitecture[] = "processorArchitecture=\"amd64\"";
const char OtherArchitecture[] = "processorArchitecture=\"x86\"";
#else
const char OwnArchitecture[] = "processorArchitecture=\"x86\"";
const char OtherArchitecture[] = "processorArchitecture=\"amd64\"";
#endif

TEST_F(ProgramResources, ManifestAsksForCommonControls6OfItsOwnArchitecture)
{
    std::vector<BYTE> manifest = Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_FALSE(manifest.empty());
    std::string text(manifest.begin(), manifest.end());
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                             "publicKeyToken=\"6595b64144ccf1df\"", "language=\"*\"",
                             "type=\"win32\""})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    size_t first = text.find(OwnArchitecture);
    ASSERT_NE(first, std::string::npos) << OwnArchitecture;
    EXPECT_NE(text.find(OwnArchitecture, first + 1), std::string::npos)
        << "the common-controls dependency names another architecture";
    EXPECT_EQ(text.find(OtherArchitecture), std::string::npos);
    EXPECT_EQ(text.find('@'), std::string::npos) << "unexpanded template";
}

TEST_F(ProgramResources, VersionInformation)
{
    std::string path = ProgramPath();
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    auto text = [&](const char* name) {
        std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
        char* value = nullptr;
        UINT count = 0;
        if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &count))
            return std::string("<missing>");
        return std::string(value);
    };
    EXPECT_EQ(text("CompanyName"), "KESTRO ");
    EXPECT_EQ(text("FileVersion"), "1.00");
    EXPECT_EQ(text("ProductVersion"), "1.00");
    for (const char* name : {"FileDescription", "InternalName", "ProductName", "Comments"})
        EXPECT_NE(text(name).find("spectrum analyser"), std::string::npos) << name;

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x409);
    EXPECT_EQ(translation[1], 1252);
}

// The 32-bit build is a PE32 image for i386, the 64-bit build a PE32+ image
// for x64; both are GUI programs.
TEST(ProgramFile, IsAGuiProgramForItsOwnMachine)
{
    HANDLE file = CreateFileA(ProgramPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<BYTE> head(4096);
    DWORD read = 0;
    ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &read, nullptr);
    CloseHandle(file);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(head.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(head.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
#ifdef _WIN64
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
#else
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
#endif
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

}  // namespace
