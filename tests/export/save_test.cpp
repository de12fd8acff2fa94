// Save FFT to file and to clipboard through the real main window's menu, with
// a substituted clock: the file's name and bytes in the current directory,
// the warning when the file cannot be written, and the clipboard as another
// process reads it.
#include <windows.h>
#include <psapi.h>
#include <sddl.h>

#include <string>
#include <thread>
#include <vector>

#include "dsp/fft.h"
#include "export/spectrumtext.h"
#include "facts/facts.h"
#include "tests/export/export_fixture.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"

namespace {

// The clock answers each read with the next of these, the last one again
// when they run out, and counts the reads.
std::vector<SYSTEMTIME> ClockReads;
size_t ClockReadCount = 0;

void ScriptedLocalTime(SYSTEMTIME* now)
{
    *now = ClockReads[ClockReadCount < ClockReads.size() ? ClockReadCount : ClockReads.size() - 1];
    ++ClockReadCount;
}

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

void SetClock(std::vector<SYSTEMTIME> reads)
{
    ClockReads = std::move(reads);
    ClockReadCount = 0;
    platform::Calls.LocalTime = ScriptedLocalTime;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start) + "<unterminated>");
    return lines;
}

class SaveFft : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        SetClock({At(2026, 12, 6, 1, 15, 30)});
        // Levels that are easy to say by hand, at 44100 Hz.
        facts::SampleRate = 44100;
        dsp::Spectrum[1] = 84300.0f;   // the reference: 0.00
        dsp::Spectrum[2] = 8430.0f;    // a tenth: -20.00
        dsp::Spectrum[3] = 843000.0f;  // ten times: 20.00
        dsp::Spectrum[4] = 42150.0f;   // a half: -6.02
        dsp::Spectrum[512] = 843.0f;   // a hundredth: -40.00
    }

    static std::string Expected()
    {
        return exporting::BuildSpectrumText(dsp::Spectrum, 44100, 84300);
    }
};

const char SavedName[] = "FFT06December2026011530.txt";

TEST_F(SaveFft, TheFileHoldsTheSpectrumAndOneEmptyLineAndNothingIsShown)
{
    testsupport::StartMessageBoxWatch("Warning");
    EXPECT_EQ(Menu(facts::IdMenuSaveToFile), 0);
    const std::vector<testsupport::SeenMessageBox> boxes = testsupport::StopMessageBoxWatch();

    const std::string saved = ReadFile(SavedName);
    EXPECT_EQ(saved, Expected() + "\r\n");
    const std::vector<std::string> lines = Lines(saved);
    ASSERT_EQ(lines.size(), 514u);
    EXPECT_EQ(lines[0], "0.0\t0.00");
    EXPECT_EQ(lines[1], "43.1\t0.00");
    EXPECT_EQ(lines[2], "86.1\t-20.00");
    EXPECT_EQ(lines[3], "129.2\t20.00");
    EXPECT_EQ(lines[4], "172.3\t-6.02");
    EXPECT_EQ(lines[5], "215.3\t0.00");
    EXPECT_EQ(lines[512], "22050.0\t-40.00");
    EXPECT_EQ(lines[513], "");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(ClockReadCount, 2u);
}

// The date comes from the first read and the time from the second.
TEST_F(SaveFft, TheNameTakesTheDateFromTheFirstClockReadAndTheTimeFromTheSecond)
{
    struct Case {
        SYSTEMTIME first, second;
        const char* name;
    };
    const Case cases[] = {
        {At(2026, 12, 6, 1, 15, 30), At(2026, 12, 6, 1, 15, 30), "FFT06December2026011530.txt"},
        {At(2011, 3, 20, 23, 59, 59), At(2011, 3, 21, 0, 0, 0), "FFT20March2011000000.txt"},
        {At(1999, 1, 1, 9, 5, 7), At(2000, 2, 2, 12, 34, 56), "FFT01January1999123456.txt"},
        {At(2024, 13, 31, 0, 0, 0), At(2024, 13, 31, 7, 8, 9), "FFT31Octember2024070809.txt"},
    };
    for (const Case& c : cases) {
        SetClock({c.first, c.second});
        Menu(facts::IdMenuSaveToFile);
        EXPECT_EQ(ReadFile(c.name), Expected() + "\r\n") << c.name;
        EXPECT_TRUE(DeleteFileA(c.name)) << c.name;
    }
    EXPECT_TRUE(DirectoryIsEmpty());
}

// Before the first Start the rate is 0 and every bin reads 0.
TEST_F(SaveFft, BeforeAnyCaptureEveryLineReadsZero)
{
    facts::SampleRate = 0;
    for (float& amplitude : dsp::Spectrum)
        amplitude = 0.0f;
    Menu(facts::IdMenuSaveToFile);
    const std::vector<std::string> lines = Lines(ReadFile(SavedName));
    ASSERT_EQ(lines.size(), 514u);
    for (size_t i = 0; i < 513; ++i)
        ASSERT_EQ(lines[i], "0.0\t0.00") << i;
}

// A save within the same second replaces the file, however long it was.
TEST_F(SaveFft, ASecondSaveReplacesTheFirstWhole)
{
    const std::string longer(20000, 'x');
    HANDLE file = CreateFileA(SavedName, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, longer.data(), static_cast<DWORD>(longer.size()), &written, nullptr);
    CloseHandle(file);

    Menu(facts::IdMenuSaveToFile);
    dsp::Spectrum[5] = 84300.0f;
    Menu(facts::IdMenuSaveToFile);
    EXPECT_EQ(ReadFile(SavedName), Expected() + "\r\n");
    EXPECT_EQ(Lines(ReadFile(SavedName))[5], "215.3\t0.00");
}

// ------------------------------------------------ files that cannot be written

std::vector<testsupport::SeenMessageBox> SaveWatchingWarnings()
{
    testsupport::StartMessageBoxWatch("Warning");
    SendMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdMenuSaveToFile, 0), 0);
    return testsupport::StopMessageBoxWatch();
}

void ExpectOneWarningNaming(const std::vector<testsupport::SeenMessageBox>& boxes)
{
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, std::string("File ") + SavedName + " couldn't be written!");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_NE(boxes[0].icon, nullptr);
    EXPECT_EQ(boxes[0].buttons, std::vector<std::string>{"OK"});
}

TEST_F(SaveFft, AFileHeldOpenWithoutSharingIsReportedAndKept)
{
    HANDLE held = CreateFileA(SavedName, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(held, "kept", 4, &written, nullptr);

    ExpectOneWarningNaming(SaveWatchingWarnings());

    CloseHandle(held);
    EXPECT_EQ(ReadFile(SavedName), "kept");
}

TEST_F(SaveFft, AFolderOfTheFilesNameIsReported)
{
    ASSERT_TRUE(CreateDirectoryA(SavedName, nullptr));
    ExpectOneWarningNaming(SaveWatchingWarnings());
    EXPECT_EQ(GetFileAttributesA(SavedName) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

// A folder whose access list denies adding files, the way a folder is made
// read-only for a user. Where the system does not enforce the list (Wine run
// by root, for example) the folder takes files and the test cannot apply.
TEST_F(SaveFft, AReadOnlyFolderIsReportedAndTakesNoFile)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(D;;0x0002;;;WD)(A;;FA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    const BOOL made = CreateDirectoryA("readonly", &attributes);
    LocalFree(descriptor);
    ASSERT_TRUE(made);
    ASSERT_TRUE(SetCurrentDirectoryA("readonly"));
    HANDLE probe = CreateFileA("probe", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        DeleteFileA("probe");
        SetCurrentDirectoryA(directory.c_str());
        GTEST_SKIP() << "this system lets files into a folder whose access list denies them";
    }

    ExpectOneWarningNaming(SaveWatchingWarnings());
    EXPECT_TRUE(DirectoryIsEmpty());
    SetCurrentDirectoryA(directory.c_str());
}

// ------------------------------------------------------------- clipboard

// The Unix path the build passes, as Wine's drive Z: shows it.
std::string WindowsPath(const char* unixPath)
{
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// The clipboard's text as another process reads it; "<status n>" when the
// reader found none.
std::string ClipboardSeenByAnotherProcess(const std::string& directory)
{
    const std::string output = directory + "\\clipboard.txt";
    DeleteFileA(output.c_str());
    std::string command = "\"" + WindowsPath(CLIPBOARD_READER) + "\" \"" + output + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return "<not started>";
    WaitForSingleObject(started.hProcess, 30000);
    DWORD status = 99;
    GetExitCodeProcess(started.hProcess, &status);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    if (status != 0)
        return "<status " + std::to_string(status) + ">";
    const std::string text = ExportTest::ReadFile(output);
    DeleteFileA(output.c_str());
    return text;
}


// Puts `text` on the clipboard as another program would.
void PutOnClipboard(const char* text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, lstrlenA(text) + 1);
    lstrcpyA(static_cast<char*>(GlobalLock(block)), text);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

TEST_F(SaveFft, TheClipboardHoldsTheSameTextWithoutTheEmptyLine)
{
    PutOnClipboard("before");
    EXPECT_EQ(Menu(facts::IdMenuSaveToClipboard), 0);
    const std::string text = ClipboardSeenByAnotherProcess(directory);
    EXPECT_EQ(text, Expected());
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 513u);
    EXPECT_EQ(lines[2], "86.1\t-20.00");
    EXPECT_EQ(lines[512], "22050.0\t-40.00");
    EXPECT_TRUE(DirectoryIsEmpty()) << "the clipboard command writes no file";
}

// Another program's window holds the clipboard open on its own thread until
// it is told to let go.
class ClipboardHolder {
public:
    ClipboardHolder()
        : opened(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          release(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          thread([this] { Hold(); })
    {
        WaitForSingleObject(opened, 10000);
    }
    ~ClipboardHolder()
    {
        SetEvent(release);
        thread.join();
        CloseHandle(opened);
        CloseHandle(release);
    }
    bool held = false;

private:
    void Hold()
    {
        HWND window = CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        held = OpenClipboard(window) != FALSE;
        SetEvent(opened);
        WaitForSingleObject(release, INFINITE);
        if (held)
            CloseClipboard();
        DestroyWindow(window);
    }
    HANDLE opened, release;
    std::thread thread;
};

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// The text is about 8 KB; a thousand blocks that nobody took and nobody freed
// would be 8 MB more.
TEST_F(SaveFft, AClipboardHeldByAnotherWindowIsLeftAloneAndTheBlockFreed)
{
    PutOnClipboard("before");
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.held);
        Menu(facts::IdMenuSaveToClipboard);
        const SIZE_T before = PrivateBytes();
        for (int i = 0; i < 1000; ++i)
            Menu(facts::IdMenuSaveToClipboard);
        const SIZE_T after = PrivateBytes();
        EXPECT_LT(after, before + 2 * 1024 * 1024) << before << " -> " << after;
    }
    EXPECT_EQ(ClipboardSeenByAnotherProcess(directory), "before");
}

}  // namespace
