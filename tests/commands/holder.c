/* holder READY RELEASE clipboard
   holder READY RELEASE file PATH
   Takes hold of something another program needs and keeps it until told to
   let go, as a second program would: the clipboard, opened for a window of
   its own and kept open (Wine lets a second OpenClipboard without a window
   through while the first had none either), or
   the file PATH, created with the text "kept" if missing and kept open for
   writing with no sharing. Once it holds, it sets the named event READY; it
   then waits (at most 60 s) for the named event RELEASE, lets go and exits
   with 0. It exits with 1 when it could not take hold, 2 on bad arguments. */
#include <windows.h>
#include <string.h>

static int HoldUntilReleased(const char* ready, const char* release)
{
    HANDLE readyEvent = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
    HANDLE releaseEvent = OpenEventA(SYNCHRONIZE, FALSE, release);
    if (!readyEvent || !releaseEvent)
        return 2;
    SetEvent(readyEvent);
    WaitForSingleObject(releaseEvent, 60000);
    CloseHandle(readyEvent);
    CloseHandle(releaseEvent);
    return 0;
}

int main(int argc, char** argv)
{
    int status;
    if (argc == 4 && strcmp(argv[3], "clipboard") == 0) {
        HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
        if (!window || !OpenClipboard(window))
            return 1;
        status = HoldUntilReleased(argv[1], argv[2]);
        CloseClipboard();
        DestroyWindow(window);
        return status;
    }
    if (argc == 5 && strcmp(argv[3], "file") == 0) {
        DWORD written = 0;
        HANDLE file = CreateFileA(argv[4], GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return 1;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            WriteFile(file, "kept", 4, &written, NULL);
        status = HoldUntilReleased(argv[1], argv[2]);
        CloseHandle(file);
        return status;
    }
    return 2;
}
