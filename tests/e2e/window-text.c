/* window-text TITLE [TEXT]: prints the texts of the child windows of the
   top-level window with that title, one per line, for the end-to-end scripts
   that cannot read a window's contents from outside Wine; with TEXT, only the
   screen point "x y" at the centre of the first child that reads TEXT, where
   a script clicks as a user would. Exits 1 when there is no such window. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static BOOL CALLBACK PrintChild(HWND child, LPARAM wanted)
{
    char text[256] = "";
    DWORD_PTR length = 0;
    RECT box;
    /* GetWindowText reads only the caption of another process's window; an
       edit control keeps its text elsewhere, so ask the window itself. */
    if (!SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG,
                             2000, &length) || length == 0)
        return TRUE;
    if (!wanted) {
        printf("%s\n", text);
        return TRUE;
    }
    if (strcmp(text, (const char*)wanted) != 0 || !GetWindowRect(child, &box))
        return TRUE;
    printf("%ld %ld\n", (box.left + box.right) / 2, (box.top + box.bottom) / 2);
    return FALSE;
}

int main(int argc, char** argv)
{
    HWND window;
    if (argc != 2 && argc != 3) {
        fprintf(stderr, "usage: window-text TITLE [TEXT]\n");
        return 2;
    }
    window = FindWindowA(NULL, argv[1]);
    if (!window)
        return 1;
    EnumChildWindows(window, PrintChild, argc == 3 ? (LPARAM)argv[2] : 0);
    return 0;
}
