/* Keeps Wine's services and explorer running between test programs, so that
   each test does not pay for starting them. It owns one hidden window and
   waits for messages until wineserver -k ends it. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous; (void)commandLine; (void)show;
    HWND window = CreateWindowExA(0, "STATIC", "wine-keepalive", WS_POPUP,
                                  0, 0, 1, 1, NULL, NULL, instance, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    DestroyWindow(window);
    return 0;
}
