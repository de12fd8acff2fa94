/* window-text TITLE: prints the texts of the child windows of the top-level
   window with that title, one per line, for the end-to-end scripts that
   cannot read a window's contents from outside Wine. Exits 1 when there is
   no such window. */
#include <windows.h>
#include <stdio.h>

static BOOL CALLBACK PrintChild(HWND child, LPARAM unused)
{
    char text[256] = "";
    DWORD_PTR length = 0;
    (void)unused;
    /* GetWindowText reads only the caption of another process's window; an
       edit control keeps its text elsewhere, so ask the window itself. */
    if (SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG,
                            2000, &length) && length > 0)
        printf("%s\n", text);
    return TRUE;
}

int main(int argc, char** argv)
{
    HWND window;
    if (argc != 2) {
        fprintf(stderr, "usage: window-text TITLE\n");
        return 2;
    }
    window = FindWindowA(NULL, argv[1]);
    if (!window)
        return 1;
    EnumChildWindows(window, PrintChild, 0);
    return 0;
}
