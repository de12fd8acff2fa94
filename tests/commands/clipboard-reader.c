/* clipboard-reader OUTPUT: writes the clipboard's CF_TEXT, without its
   terminating 0, to the file OUTPUT. Exit code 0 when there was text, 1 when
   there was none, 3 when the clipboard did not open. A separate process, so
   that the tests read the clipboard as another program does. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv)
{
    int status = 1;
    HANDLE data;
    if (argc < 2)
        return 2;
    if (!OpenClipboard(NULL))
        return 3;
    data = GetClipboardData(CF_TEXT);
    if (data) {
        const char* text = (const char*)GlobalLock(data);
        if (text) {
            FILE* output = fopen(argv[1], "wb");
            if (output) {
                fwrite(text, 1, strlen(text), output);
                fclose(output);
                status = 0;
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return status;
}
