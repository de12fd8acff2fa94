// Save FFT to file and to clipboard through the main window's menu, with a
// scripted clock: the file's name and bytes, the warning when it cannot be
// written, and the clipboard as another process reads it.
#include <windows.h>
#include <sddl.h>

#include <string>
#include <thread>
#include <vector>

#include "dsp/fft.h"
#include "commands/spectrumtext.h"
#include "tests/commands/commands_fixture.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"

namespace {

// A second program holding the clipboard or a file until LetGo.
struct Held {
    HANDLE process = nullptr;
    HANDLE ready = nullptr;
    HANDLE release = nullptr;
    bool holding = false;
};

// Starts the holder with "clipboard" or "file PATH" and waits until it holds.
Held HoldElsewhere(const std::string& what)
{
    static int serial = 0;
    const std::string tag =
        "analyser_faults_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
    Held held;
    held.ready = CreateEventA(nullptr, TRUE, FALSE, (tag + "_ready").c_str());
    held.release = CreateEventA(nullptr, TRUE, FALSE, (tag + "_release").c_str());
    std::string command = "\"Z:" HOLDER "\" " + tag + "_ready " + tag + "_release " + what;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return held;
    CloseHandle(started.hThread);
    held.process = started.hProcess;
    HANDLE ends[] = {held.ready, held.process};
    held.holding = WaitForMultipleObjects(2, ends, FALSE, 20000) == WAIT_OBJECT_0;
    return held;
}

// Tells the holder to let go; its exit status once it has ended.
DWORD LetGo(Held& held)
{
    DWORD status = 99;
    SetEvent(held.release);
    if (held.process && WaitForSingleObject(held.process, 20000) == WAIT_OBJECT_0)
        GetExitCodeProcess(held.process, &status);
    for (HANDLE handle : {held.process, held.ready, held.release})
        if (handle)
            CloseHandle(handle);
    held = Held();
    return status;
}

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
        dsp::Spectrum[dsp::HalfLength] = 843.0f;  // a hundredth: -40.00
    }
    static std::string Expected()
    {
        return commands::BuildSpectrumText(dsp::Spectrum, 44100, dsp::StartingReferenceLevel);
    }
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

// A file of that name held open without sharing, by this process or by
// another program, and a folder of that name: one warning each, and what was
// there stays; once the file is closed the save works.
TEST_F(SaveFft, AFileThatCannotBeCreatedIsReported)
{
    HANDLE held = CreateFileA(SavedName, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    WriteFile(held, "kept", 4, &written, nullptr);
    ExpectOneWarningNamingTheFile(SaveWatchingWarnings());
    CloseHandle(held);
    EXPECT_EQ(ReadFile(SavedName), "kept");
    ASSERT_TRUE(DeleteFileA(SavedName));

    Held elsewhere = HoldElsewhere("file \"" + directory + "\\" + SavedName + "\"");
    ASSERT_TRUE(elsewhere.holding);
    ExpectOneWarningNamingTheFile(SaveWatchingWarnings());
    EXPECT_EQ(LetGo(elsewhere), 0u);
    EXPECT_EQ(ReadFile(SavedName), "kept");
    EXPECT_TRUE(SaveWatchingWarnings().empty()) << "the other program closed the file";
    EXPECT_EQ(ReadFile(SavedName), Expected() + "\r\n") << "the other program closed the file";

    ASSERT_TRUE(DeleteFileA(SavedName));
    ASSERT_TRUE(CreateDirectoryA(SavedName, nullptr));
    ExpectOneWarningNamingTheFile(SaveWatchingWarnings());
    EXPECT_NE(GetFileAttributesA(SavedName) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// A folder whose access list denies adding files, and a folder nothing can
// be written to, however privileged: a read-only mount. One warning, nothing
// created, and the spectrum still copies. Where the system does not enforce
// the access list (Wine run by root) that folder takes files and its case
// cannot be made.
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

    EnterFaultDisk("readonly");
    if (!Entered())
        return;
    ASSERT_TRUE(DirectoryIsEmpty());
    ExpectOneWarningNamingTheFile(SaveWatchingWarnings());
    EXPECT_TRUE(DirectoryIsEmpty());
    SetCurrentDirectoryA(directory.c_str());
    Menu(facts::IdMenuSaveToClipboard);
    EXPECT_EQ(ClipboardSeenByAnotherProcess(), Expected());
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

// Another window holds the clipboard open, on a thread of this process or in
// another program: for a moment, as clipboard history does after each change,
// the copy waits and goes through; for good, each copy warns, its block is
// freed, the clipboard's contents stay and saving to a file works meanwhile;
// once it lets go, Copy works again. The text is about 8 KB: forty blocks
// that nobody took and nobody freed would be 320 KB more.
TEST_F(SaveFft, AClipboardHeldElsewhereIsWaitedForOrReported)
{
    struct Case { const char* holder; bool otherProgram; DWORD holdMs; int copies; };
    for (const Case c : {Case{"a moment", false, 100, 1}, Case{"for good", false, INFINITE, 40},
                         Case{"another program", true, INFINITE, 41}}) {
        PutOnClipboard("before");
        DeleteFileA(SavedName);
        HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        bool held = false;
        Held elsewhere;
        std::thread holder;
        if (c.otherProgram) {
            elsewhere = HoldElsewhere("clipboard");
            held = elsewhere.holding;
        } else {
            holder = std::thread([&] {
                HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
                held = OpenClipboard(window) != FALSE;
                SetEvent(opened);
                WaitForSingleObject(release, c.holdMs);
                CloseClipboard();
                DestroyWindow(window);
            });
            WaitForSingleObject(opened, 10000);
        }
        EXPECT_TRUE(held) << c.holder;
        testsupport::StartMessageBoxWatch("Warning");
        Menu(facts::IdMenuSaveToClipboard);
        const SIZE_T before = PagefileBytes();
        for (int i = 1; i < c.copies; ++i)
            Menu(facts::IdMenuSaveToClipboard);
        const SIZE_T after = PagefileBytes();
        Menu(facts::IdMenuSaveToFile);
        const std::vector<testsupport::SeenMessageBox> boxes = testsupport::StopMessageBoxWatch();
        EXPECT_EQ(ReadFile(SavedName), Expected() + "\r\n") << c.holder;
        if (c.otherProgram) {
            EXPECT_EQ(LetGo(elsewhere), 0u) << c.holder;
        } else {
            SetEvent(release);
            holder.join();
        }
        CloseHandle(opened);
        CloseHandle(release);
        const bool copied = c.holdMs != INFINITE;
        if (!copied) {
            EXPECT_EQ(ClipboardSeenByAnotherProcess(), "before") << c.holder;
        }
        EXPECT_LT(after, before + 160 * 1024) << c.holder << ": " << before << " -> " << after;
        ASSERT_EQ(boxes.size(), copied ? 0u : static_cast<size_t>(c.copies)) << c.holder;
        for (const testsupport::SeenMessageBox& box : boxes) {
            EXPECT_EQ(box.text, "Spectrum couldn't be copied to the clipboard!") << c.holder;
            EXPECT_EQ(box.owner, nullptr) << c.holder;
        }
        if (!copied) {
            EXPECT_TRUE(testsupport::WarningsDuring([] { Menu(facts::IdMenuSaveToClipboard); }).empty())
                << c.holder << " let go";
        }
        EXPECT_EQ(ClipboardSeenByAnotherProcess(), Expected()) << c.holder;
    }
}

}  // namespace
