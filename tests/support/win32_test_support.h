// What the in-process window tests share: object counts for leak checks,
// pumping this thread's messages, and a watcher that records and closes
// message boxes so that a test never hangs on one.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace testsupport {

// GDI objects of this process. GetGuiResources where it answers (Windows);
// under Wine, whose GetGuiResources returns 0, the non-stock entries of the
// process's GDI handle table.
int CountGdiObjects();

// USER objects of this process. GetGuiResources where it answers; under Wine
// the windows of this process plus the menus, icons and cursors among its
// user handles.
int CountUserObjects();

// Both counts at once.
struct ObjectCounts {
    int gdi;
    int user;
};
bool operator==(const ObjectCounts& a, const ObjectCounts& b);

// The counts once this thread's messages have been handled and the counts
// have held for 200 ms (3 s at most).
ObjectCounts SettledObjectCounts();

// Gtest expectations that the settled counts are `expected` again.
void ExpectCountsAre(const ObjectCounts& expected, const std::string& after);

// A window's text, asked with WM_GETTEXT so that edit fields and other
// threads' windows answer too.
std::string WindowText(HWND window);

// A window's class name as the system reports it.
std::string ClassName(HWND window);

// Handles this thread's messages for about `milliseconds`.
void PumpMessages(DWORD milliseconds);

// Handles this thread's messages until `done` returns true or `milliseconds`
// pass; returns what `done` returned last.
bool PumpUntil(bool (*done)(), DWORD milliseconds);

// A message box as the watcher found it, before it pressed OK.
struct SeenMessageBox {
    std::string caption;
    std::string text;
    HWND owner;                         // 0 for a box without owner window
    HICON icon;                         // the icon shown, 0 for none
    std::vector<std::string> buttons;   // button captions in Z order
};

// Starts a thread that watches for message boxes of this process with this
// caption and closes each with OK (IDOK) once it has recorded it.
void StartMessageBoxWatch(const char* caption);

// Starts the same watcher for every modal state of this process but `keep`
// itself: a box or dialog of any caption is ended with its OK button when it
// has one and with its close box otherwise (each recorded as above), and a
// menu or move-or-size loop of `thread` gets Escape keys until it ends.
void StartModalWatch(HWND keep, DWORD thread);

// Stops the watcher and returns the boxes it saw, in order.
std::vector<SeenMessageBox> StopMessageBoxWatch();

// The texts of the "Warning" boxes that came up during `action`; the watcher
// closes each with OK.
std::vector<std::string> WarningsDuring(void (*action)());

}  // namespace testsupport
