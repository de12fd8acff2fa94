/* A stand-in for the volume mixer of Vista and later, installed as
   SndVol.exe in the Wine prefix's system folder by windows_versions.sh:
   leaves its command line in "SndVol-started.txt" in its current folder (the
   program starts it in the system folder) and ends. The text is written under another name first, so that a reader never
   sees half of it. */
#include <windows.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show)
{
    const char* commandLine = GetCommandLineA();
    DWORD written = 0;
    HANDLE file = CreateFileA("SndVol-started.tmp", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    (void)instance;
    (void)previous;
    (void)arguments;
    (void)show;
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    WriteFile(file, commandLine, (DWORD)strlen(commandLine), &written, NULL);
    CloseHandle(file);
    return MoveFileA("SndVol-started.tmp", "SndVol-started.txt") ? 0 : 1;
}
