// press_button TITLE ID: clicks the button with that control id in the
// top-level window with that title, as its owner sees a click (a posted
// WM_COMMAND with BN_CLICKED). tools/measure.sh starts capture with it:
// keys typed from outside reach a Wine window only while Wine has it active.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    HWND window = FindWindowA(nullptr, argv[1]);
    const int id = std::atoi(argv[2]);
    HWND button = window ? GetDlgItem(window, id) : nullptr;
    if (!button)
        return 1;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return 0;
}
