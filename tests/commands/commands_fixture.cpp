#include "tests/commands/commands_fixture.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include "win/platform.h"

namespace {

// Deletes every file and empty folder inside `folder`, then the folder. The
// tests make read-only files; their attribute is cleared first.
void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

void ExportTest::SetUp()
{
    GetCurrentDirectoryA(sizeof previous, previous);
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    static int serial = 0;
    directory = std::string(temp) + "export_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(++serial);
    RemoveTree(directory);
    ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(directory.c_str()));
    apptest::MainWindow::SetUp();
}

void ExportTest::TearDown()
{
    apptest::MainWindow::TearDown();
    winlayer::platform::Calls = winlayer::platform::System();
    SetCurrentDirectoryA(previous);
    RemoveTree(directory);
}

LRESULT ExportTest::Menu(int id)
{
    return SendMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::string ExportTest::ReadFile(const std::string& name)
{
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

bool ExportTest::DirectoryIsEmpty()
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*", &found);
    bool empty = true;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..")
                empty = false;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return empty;
}

void ExportTest::PutOnClipboard(const char* text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, lstrlenA(text) + 1);
    lstrcpyA(static_cast<char*>(GlobalLock(block)), text);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

std::string ExportTest::ClipboardSeenByAnotherProcess() const
{
    const std::string output = directory + "\\clipboard.txt";
    std::string command = "\"Z:" + std::string(CLIPBOARD_READER) + "\" \"" + output + "\"";
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
    const std::string text = status ? "<status " + std::to_string(status) + ">" : ReadFile(output);
    DeleteFileA(output.c_str());
    return text;
}

SIZE_T ExportTest::PagefileBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

void ExportTest::EnterFaultDisk(const char* name)
{
    std::string path = std::string("Z:") + FAULT_DISKS + "/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    ULARGE_INTEGER total = {};
    if (!GetDiskFreeSpaceExA(path.c_str(), nullptr, &total, nullptr))
        GTEST_SKIP() << path << " does not exist";
    if (total.QuadPart > 16u * 1024 * 1024)
        GTEST_SKIP() << path << " is no small file system of its own: mounting one needs root";
    ASSERT_TRUE(SetCurrentDirectoryA(path.c_str()));
}

bool ExportTest::Entered()
{
    return !testing::Test::IsSkipped() && !testing::Test::HasFatalFailure();
}
