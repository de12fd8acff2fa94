// The fixture of the export and accessory window tests: a real main window as
// start-up leaves it, a fresh empty current directory of the test's own, and
// the platform calls restored after each test.
#pragma once
#include <windows.h>

#include <string>

#include "tests/app/main_window_fixture.h"

class ExportTest : public apptest::MainWindow {
protected:
    void SetUp() override;
    void TearDown() override;

public:
    // Sends the main window the command of a menu item, as a click does.
    static LRESULT Menu(int id);
    // The bytes of a file of the current directory; empty when it is missing.
    static std::string ReadFile(const std::string& name);
    // Whether the current directory holds nothing at all.
    static bool DirectoryIsEmpty();
    // Replaces the clipboard's contents with `text` as CF_TEXT.
    static void PutOnClipboard(const char* text);
    // The clipboard's text as another process reads it, or "<status n>" with
    // the reader's exit status when it found none.
    std::string ClipboardSeenByAnotherProcess() const;
    // The bytes this process has committed, where blocks nobody freed show.
    static SIZE_T PagefileBytes();
    // Makes the current directory the folder `name` of the small file systems
    // that the test command mounts (tests/commands/fault_disks.sh), as Wine's
    // drive Z: shows it; skips the test when it is an ordinary folder. Entered
    // tells whether the test goes on.
    static void EnterFaultDisk(const char* name);
    static bool Entered();

    std::string directory;  // the current directory during the test

private:
    char previous[MAX_PATH] = {};
};
