// Message pumping for tests, and the message-box watcher. A message box runs
// its own modal loop on the test's thread, so only another thread can find
// and close it; the watcher posts its OK command and never blocks on it.
#include "tests/support/win32_test_support.h"

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

namespace testsupport {

void PumpMessages(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < milliseconds) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            Sleep(1);
        }
    }
}

bool PumpUntil(bool (*done)(), DWORD milliseconds)
{
    DWORD start = GetTickCount();
    MSG message;
    while (!done()) {
        if (GetTickCount() - start >= milliseconds)
            return done();
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            Sleep(1);
        }
    }
    return true;
}

std::string WindowText(HWND window)
{
    char buffer[1024] = {};
    // Another thread's window: WM_GETTEXT with a timeout instead of
    // GetWindowText, which does not ask another thread's controls.
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 1000, &length);
    return buffer;
}

std::string ClassName(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

namespace {

struct Watch {
    std::string caption;
    bool anyCaption = false;  // StartModalWatch: every window but `keep`
    HWND keep = nullptr;
    DWORD guiThread = 0;
    std::atomic<bool> stop{false};
    std::thread thread;
    std::mutex lock;
    std::vector<SeenMessageBox> seen;
    std::set<HWND> handled;
};

Watch* CurrentWatch = nullptr;

SeenMessageBox Describe(HWND box)
{
    SeenMessageBox result;
    result.caption = WindowText(box);
    result.owner = GetWindow(box, GW_OWNER);
    result.icon = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        std::string className = ClassName(child);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (className == "Button") {
            result.buttons.push_back(WindowText(child));
        } else if (className == "Static") {
            if ((style & SS_TYPEMASK) == SS_ICON) {
                DWORD_PTR icon = 0;
                SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 1000, &icon);
                result.icon = reinterpret_cast<HICON>(icon);
            } else if (result.text.empty()) {
                result.text = WindowText(child);
            }
        }
    }
    return result;
}

BOOL CALLBACK InspectWindow(HWND window, LPARAM parameter)
{
    Watch* watch = reinterpret_cast<Watch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || ClassName(window) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    std::lock_guard<std::mutex> guard(watch->lock);
    if (watch->handled.count(window) || window == watch->keep)
        return TRUE;
    if (!watch->anyCaption && WindowText(window) != watch->caption)
        return TRUE;
    watch->seen.push_back(Describe(window));
    watch->handled.insert(window);
    // The program's own dialogs have no OK of that number; their close box
    // ends them.
    if (HWND ok = GetDlgItem(window, IDOK); ok || !watch->anyCaption)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    else
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return TRUE;
}

// A menu or a move-or-size loop reads every key of its thread's queue, and
// Escape ends it one level at a time; the loop that follows a press on a
// caption button ends only when the button is let go.
void EndMenuOrMoveLoop(const Watch* watch)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!watch->guiThread || !GetGUIThreadInfo(watch->guiThread, &info))
        return;
    if (info.flags & (GUI_INMENUMODE | GUI_INMOVESIZE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) {
        HWND target = info.hwndMenuOwner ? info.hwndMenuOwner
                      : info.hwndMoveSize ? info.hwndMoveSize : info.hwndCapture;
        if (target)
            PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0);
    } else if (info.hwndCapture) {
        PostMessageA(info.hwndCapture, WM_LBUTTONUP, 0, 0);
    }
}

void WatchLoop(Watch* watch)
{
    while (!watch->stop) {
        EnumWindows(InspectWindow, reinterpret_cast<LPARAM>(watch));
        if (watch->anyCaption)
            EndMenuOrMoveLoop(watch);
        {
            std::lock_guard<std::mutex> guard(watch->lock);
            for (auto it = watch->handled.begin(); it != watch->handled.end();)
                it = IsWindow(*it) ? std::next(it) : watch->handled.erase(it);
        }
        Sleep(2);
    }
}

}  // namespace

void StartMessageBoxWatch(const char* caption)
{
    StopMessageBoxWatch();
    CurrentWatch = new Watch;
    CurrentWatch->caption = caption;
    CurrentWatch->thread = std::thread(WatchLoop, CurrentWatch);
}

void StartModalWatch(HWND keep, DWORD thread)
{
    StopMessageBoxWatch();
    CurrentWatch = new Watch;
    CurrentWatch->anyCaption = true;
    CurrentWatch->keep = keep;
    CurrentWatch->guiThread = thread;
    CurrentWatch->thread = std::thread(WatchLoop, CurrentWatch);
}

std::vector<SeenMessageBox> StopMessageBoxWatch()
{
    if (!CurrentWatch)
        return {};
    CurrentWatch->stop = true;
    CurrentWatch->thread.join();
    std::vector<SeenMessageBox> seen = std::move(CurrentWatch->seen);
    delete CurrentWatch;
    CurrentWatch = nullptr;
    return seen;
}

std::vector<std::string> WarningsDuring(void (*action)())
{
    StartMessageBoxWatch("Warning");
    action();
    std::vector<std::string> texts;
    for (const SeenMessageBox& box : StopMessageBoxWatch())
        texts.push_back(box.text);
    return texts;
}

}  // namespace testsupport
