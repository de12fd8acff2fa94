/* A winmm.dll such as anyone could leave beside a downloaded program: when a
   process loads it, it leaves "winmm-planted-ran.txt" beside itself. It
   exports the wave-input functions a program may import, each failing, so
   that a program that imports them still starts with it. */
#define WIN32_LEAN_AND_MEAN /* no mmsystem.h: these are its functions */
#include <windows.h>
#include <string.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    char path[MAX_PATH];
    DWORD length;
    char* slash;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    length = GetModuleFileNameA(instance, path, MAX_PATH);
    slash = length && length < MAX_PATH ? strrchr(path, '\\') : NULL;
    if (slash && (size_t)(slash + 1 - path) + sizeof "winmm-planted-ran.txt" <= MAX_PATH) {
        strcpy(slash + 1, "winmm-planted-ran.txt");
        CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    return TRUE;
}

#define NO_DRIVER 6 /* MMSYSERR_NODRIVER */
__declspec(dllexport) UINT WINAPI waveInGetNumDevs(void) { return 0; }
__declspec(dllexport) UINT WINAPI waveInGetDevCapsA(UINT_PTR d, void* c, UINT s) { (void)d; (void)c; (void)s; return NO_DRIVER; }
__declspec(dllexport) UINT WINAPI waveInOpen(void* h, UINT d, const void* f, DWORD_PTR c, DWORD_PTR i, DWORD o)
{ (void)h; (void)d; (void)f; (void)c; (void)i; (void)o; return NO_DRIVER; }
__declspec(dllexport) UINT WINAPI waveInStart(void* h) { (void)h; return NO_DRIVER; }
__declspec(dllexport) UINT WINAPI waveInReset(void* h) { (void)h; return NO_DRIVER; }
__declspec(dllexport) UINT WINAPI waveInClose(void* h) { (void)h; return NO_DRIVER; }
__declspec(dllexport) UINT WINAPI waveInPrepareHeader(void* h, void* w, UINT s) { (void)h; (void)w; (void)s; return NO_DRIVER; }
__declspec(dllexport) UINT WINAPI waveInUnprepareHeader(void* h, void* w, UINT s) { (void)h; (void)w; (void)s; return NO_DRIVER; }
__declspec(dllexport) UINT WINAPI waveInAddBuffer(void* h, void* w, UINT s) { (void)h; (void)w; (void)s; return NO_DRIVER; }
