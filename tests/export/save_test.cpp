// Save FFT to file and to clipboard through the main window's menu, with a
// scripted clock: the file's name and bytes, the warning when it cannot be
// written, and the clipboard as another process reads it.
#include <windows.h>
#include <sddl.h>

#include <string>
#include <thread>
#include <vector>

#include "dsp/fft.h"
#include "export/spectrumtext.h"
#include "tests/export/export_fixture.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"

namespace {

// Each clock read answers with the next of these.
SYSTEMTIME ClockReads[2];
int ClockReadCount = 0;

void ScriptedLocalTime(SYSTEMTIME* now) { *now = ClockReads[ClockReadCount++ % 2]; }

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time = {year, month, 0, day, hour, minute, second, 0};
    return time;
}

const char SavedName[] = "FFT06December2026011530.txt";

class SaveFft : public ExportTest {
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        ClockReads[0] = ClockReads[1] = At(2026, 12, 6, 1, 15, 30);
        ClockReadCount = 0;
        winlayer::platform::Calls.LocalTime = ScriptedLocalTime;
        facts::SampleRate = 44100;
        dsp::Spectrum[1] = 84300.0f;   // the reference: 0.00 dB
        dsp::Spectrum[2] = 8430.0f;    // a tenth: -20.00
        dsp::Spectrum[4] = 42150.0f;   // a half: -6.02
        dsp::Spectrum[512] = 843.0f;   // a hundredth: -40.00
    }
    static std::string Expected() { return exporting::BuildSpectrumText(dsp::Spectrum, 44100, 84300); }
    static std::vector<testsupport::SeenMessageBox> SaveWatchingWarnings()
    {
        testsupport::StartMessageBoxWatch("Warning");
        Menu(facts::IdMenuSaveToFile);
        return testsupport::StopMessageBoxWatch();
    }
};

// The date comes from the first clock read, the time from the second; an
// older, longer file of the name is replaced whole; success shows nothing.
TEST_F(SaveFft, TheDatedFileHoldsTheSpectrumAndOneEmptyLine)
{
    struct Case { SYSTEMTIME date, time; const char* name; };
    const Case cases[] = {
        {At(2026, 12, 6, 1, 15, 30), At(2026, 12, 6, 1, 15, 30), SavedName},
        {At(2011, 3, 20, 23, 59, 59), At(2011, 3, 21, 0, 0, 0), "FFT20March2011000000.txt"},
        {At(2024, 13, 31, 0, 0, 0), At(2024, 13, 31, 7, 8, 9), "FFT31Octember2024070809.txt"},
    };
    for (const Case& c : cases) {
        HANDLE older = CreateFileA(c.name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        const std::string junk(20000, 'x');
        DWORD written = 0;
        WriteFile(older, junk.data(), static_cast<DWORD>(junk.size()), &written, nullptr);
        CloseHandle(older);
        ClockReads[0] = c.date;
        ClockReads[1] = c.time;
        ClockReadCount = 0;
        EXPECT_TRUE(SaveWatchingWarnings().empty());
        EXPECT_EQ(ClockReadCount, 2);
        const std::string saved = ReadFile(c.name);
        EXPECT_EQ(saved, Expected() + "\r\n") << c.name;
        EXPECT_NE(saved.find("\r\n43.1\t0.00\r\n86.1\t-20.00\r\n129.2\t-inf\r\n172.3\t-6.02\r\n"),
                  std::string::npos);
        EXPECT_EQ(saved.substr(saved.size() - 20), "\r\n22050.0\t-40.00\r\n\r\n");
        EXPECT_TRUE(DeleteFileA(c.name));
    }
    EXPECT_TRUE(DirectoryIsEmpty());
}

void ExpectOneWarningNamingTheFile(const std::vector<testsupport::SeenMessageBox>& boxes)
{
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, std::string("File ") + SavedName + " couldn't be written!");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_NE(boxes[0].icon, nullptr);
    EXPECT_EQ(boxes[0].buttons, std::vector<std::string>{"OK"});
}

// A file of that name held open without sharing by another program, and a
// folder of that name: one warning each, and what was there stays.
TEST_F(SaveFft, AFileThatCannotBeCreatedIsReported)
{
    HANDLE held = CreateFileA(SavedName, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    WriteFile(held, "kept", 4, &written, nullptr);
    ExpectOneWarningNamingTheFile(SaveWatchingWarnings());
    CloseHandle(held);
    EXPECT_EQ(ReadFile(SavedName), "kept");

    ASSERT_TRUE(DeleteFileA(SavedName));
    ASSERT_TRUE(CreateDirectoryA(SavedName, nullptr));
    ExpectOneWarningNamingTheFile(SaveWatchingWarnings());
    EXPECT_NE(GetFileAttributesA(SavedName) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// A folder whose access list denies adding files. Where the system does not
// enforce it (Wine run by root) the folder takes files and the case cannot
// be made.
TEST_F(SaveFft, AReadOnlyFolderIsReported)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(D;;0x0002;;;WD)(A;;FA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    ASSERT_TRUE(CreateDirectoryA("readonly", &attributes));
    LocalFree(descriptor);
    ASSERT_TRUE(SetCurrentDirectoryA("readonly"));
    HANDLE probe = CreateFileA("probe", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    const bool enforced = probe == INVALID_HANDLE_VALUE;
    if (enforced)
        ExpectOneWarningNamingTheFile(SaveWatchingWarnings());
    CloseHandle(probe);
    DeleteFileA("probe");
    SetCurrentDirectoryA(directory.c_str());
    if (!enforced)
        GTEST_SKIP() << "this system lets files into a folder whose access list denies them";
}

// The main window owns the clipboard: without an owner Windows refuses the
// data after EmptyClipboard.
TEST_F(SaveFft, TheClipboardHoldsTheSameTextWithoutTheEmptyLine)
{
    PutOnClipboard("before");
    EXPECT_NE(GetClipboardOwner(), facts::MainDialog);
    Menu(facts::IdMenuSaveToClipboard);
    EXPECT_EQ(GetClipboardOwner(), facts::MainDialog);
    EXPECT_EQ(ClipboardSeenByAnotherProcess(), Expected());
    EXPECT_TRUE(DirectoryIsEmpty());
}

// Another window holds the clipboard open on its own thread: for a moment, as
// clipboard history does after each change, the copy waits and goes through;
// for good, each copy warns and its block is freed. The text is about 8 KB:
// forty blocks that nobody took and nobody freed would be 320 KB more.
TEST_F(SaveFft, AClipboardHeldElsewhereIsWaitedForOrReported)
{
    struct Case { const char* holder; DWORD holdMs; int copies; };
    for (const Case c : {Case{"a moment", 100, 1}, Case{"for good", INFINITE, 40}}) {
        PutOnClipboard("before");
        HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        bool held = false;
        std::thread holder([&] {
            HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
            held = OpenClipboard(window) != FALSE;
            SetEvent(opened);
            WaitForSingleObject(release, c.holdMs);
            CloseClipboard();
            DestroyWindow(window);
        });
        WaitForSingleObject(opened, 10000);
        EXPECT_TRUE(held) << c.holder;
        testsupport::StartMessageBoxWatch("Warning");
        Menu(facts::IdMenuSaveToClipboard);
        const SIZE_T before = PagefileBytes();
        for (int i = 1; i < c.copies; ++i)
            Menu(facts::IdMenuSaveToClipboard);
        const SIZE_T after = PagefileBytes();
        const std::vector<testsupport::SeenMessageBox> boxes = testsupport::StopMessageBoxWatch();
        SetEvent(release);
        holder.join();
        CloseHandle(opened);
        CloseHandle(release);
        EXPECT_LT(after, before + 160 * 1024) << c.holder << ": " << before << " -> " << after;
        const bool copied = c.holdMs != INFINITE;
        ASSERT_EQ(boxes.size(), copied ? 0u : static_cast<size_t>(c.copies)) << c.holder;
        if (!copied) {
            EXPECT_EQ(boxes[0].text, "Spectrum couldn't be copied to the clipboard!");
            EXPECT_EQ(boxes[0].owner, nullptr);
        }
        EXPECT_EQ(ClipboardSeenByAnotherProcess(), copied ? Expected() : "before") << c.holder;
    }
}

}  // namespace
