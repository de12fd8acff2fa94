// A storm of random messages against the real main window and every one of
// its controls (the messages that end the window or open modal ones run in
// endings_test.cpp). Nothing may crash or hang, each message must return
// within a second, and the objects and memory of the process must not grow
// once the storm is under way.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "app/mainwindow.h"
#include "capture/capture.h"
#include "capture/soundcard.h"
#include "display/surface.h"
#include "commands/about.h"
#include "commands/accessories.h"
#include "commands/savefft.h"
#include "tests/app/hardening.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/scripted_device.h"
#include "tests/support/win32_test_support.h"
#include "win/platform.h"

namespace {

using hardening::Control;
using hardening::LimitMs;
using hardening::SelfStopping;
using hardening::Step;

// Numbers the MinGW headers give only for later Windows versions.
constexpr UINT MessageCtlColor = 0x0019, MessageGesture = 0x0119, MessageGestureNotify = 0x011A,
               MessageTouch = 0x0240, MessageDpiChanged = 0x02E0, ButtonSetDontClick = 0x00F8;
// TITLEBARINFOEX: TITLEBARINFO and a rectangle per part.
constexpr DWORD TitleBarInfoExSize = sizeof(TITLEBARINFO) + (CCHILDREN_TITLEBAR + 1) * sizeof(RECT);
// ------------------------------------------------------------ the storm

// Which of a message's arguments must be something particular.
enum class Shape {
    Plain,        // random wParam and lParam
    Left,         // ends the window, opens a modal loop or takes over memory: never sent
    Text,         // lParam: a string
    Pattern,      // lParam: a file pattern that matches nothing (CB_DIR)
    Find,         // wParam: -1 or an item's index (Wine's list box reads past its
                  // items from a start beyond them), lParam: a string
    GetText,      // wParam: a size that fits, lParam: the buffer
    Buffer,       // lParam: a zeroed buffer big enough for any structure
    TwoDwords,    // wParam, lParam: DWORD pointers (EM_GETSEL, CB_GETEDITSEL)
    Dc,           // wParam: a device context
    DcAndWindow,  // wParam: a device context, lParam: a window
    Font,         // wParam: a font
    Icon,         // wParam: small, lParam: an icon (WM_SETICON)
    StaticIcon,   // wParam: an icon (STM_SETICON)
    Image,        // wParam: an image type, lParam: an image of it
    Menu,         // wParam or lParam: a menu
    Region,       // wParam: a region or 1 (WM_NCPAINT)
    Zero,         // lParam 0: a handle or procedure the system would use
    ZeroBoth,     // wParam and lParam 0
    WindowPos,    // lParam: WINDOWPOS of the window as it is
    CalcSize,     // lParam: NCCALCSIZE_PARAMS or a RECT, as wParam says
    WindowRect,   // lParam: a RECT, the window's
    ClientRect,   // lParam: a RECT, the window's client area
    Style,        // lParam: STYLESTRUCT with the window's styles
    Notify,       // lParam: NMHDR from one of the windows
    Help,         // lParam: HELPINFO
    DrawItem,     // lParam: DRAWITEMSTRUCT with a device context
    DlgCode,      // lParam: 0 or a key MSG
    SizedInfo,    // lParam: a structure whose first DWORD is its size
    TabStops,     // wParam: up to 8, lParam: as many tab stops
    GetLine,      // lParam: a buffer whose first WORD is its size
    Small,        // wParam, lParam below 16 (CB_INITSTORAGE would reserve gigabytes)
    Items,        // wParam: a count of integers that fits, lParam: the buffer
};

struct Rule {
    UINT first, last;
    Shape shape;
};

// Messages below WM_USER, for every window.
const Rule Rules[] = {
    {WM_CREATE, WM_DESTROY, Shape::Left},
    {WM_SETTEXT, WM_SETTEXT, Shape::Text},
    {WM_GETTEXT, WM_GETTEXT, Shape::GetText},
    {WM_PAINT, WM_PAINT, Shape::Dc},
    {WM_CLOSE, WM_QUIT, Shape::Left},  // and WM_QUERYENDSESSION
    {WM_ERASEBKGND, WM_ERASEBKGND, Shape::Dc},
    {WM_ENDSESSION, WM_ENDSESSION, Shape::Left},
    {MessageCtlColor, MessageCtlColor, Shape::DcAndWindow},
    {WM_SETTINGCHANGE, WM_DEVMODECHANGE, Shape::Text},
    {WM_GETMINMAXINFO, WM_GETMINMAXINFO, Shape::Buffer},
    {WM_ICONERASEBKGND, WM_ICONERASEBKGND, Shape::Dc},
    {WM_DRAWITEM, WM_DRAWITEM, Shape::DrawItem},
    {WM_MEASUREITEM, WM_DELETEITEM, Shape::Buffer},
    {WM_SETFONT, WM_SETFONT, Shape::Font},
    {WM_COMPAREITEM, WM_COMPAREITEM, Shape::Buffer},
    {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, Shape::WindowPos},
    {WM_COPYDATA, WM_COPYDATA, Shape::Buffer},
    {WM_NOTIFY, WM_NOTIFY, Shape::Notify},
    {WM_HELP, WM_HELP, Shape::Help},
    {WM_CONTEXTMENU, WM_CONTEXTMENU, Shape::Left},  // the edit field's menu is modal
    {WM_STYLECHANGING, WM_STYLECHANGED, Shape::Style},
    {WM_SETICON, WM_SETICON, Shape::Icon},
    {WM_NCCREATE, WM_NCDESTROY, Shape::Left},
    {WM_NCCALCSIZE, WM_NCCALCSIZE, Shape::CalcSize},
    {WM_NCPAINT, WM_NCPAINT, Shape::Region},
    {WM_GETDLGCODE, WM_GETDLGCODE, Shape::DlgCode},
    // Presses on the frame start the modal move, size, menu and button loops.
    {WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, Shape::Left},
    {WM_NCLBUTTONDBLCLK, WM_NCRBUTTONDBLCLK, Shape::Left},
    {WM_NCMBUTTONDOWN, WM_NCMBUTTONDOWN, Shape::Left},
    {WM_NCMBUTTONDBLCLK, WM_NCMBUTTONDBLCLK, Shape::Left},
    {WM_NCXBUTTONDOWN, WM_NCXBUTTONDOWN, Shape::Left},
    {WM_NCXBUTTONDBLCLK, WM_NCXBUTTONDBLCLK, Shape::Left},
    {WM_INPUT, WM_INPUT, Shape::Zero},
    // Alt+F4 closes, F10 and Alt+key enter the menu loop.
    {WM_SYSKEYDOWN, WM_SYSDEADCHAR, Shape::Left},
    {WM_IME_STARTCOMPOSITION, WM_IME_KEYLAST, Shape::Buffer},
    {WM_SYSCOMMAND, WM_SYSCOMMAND, Shape::Left},
    {WM_TIMER, WM_TIMER, Shape::Zero},  // a non-zero lParam is a procedure to call
    {WM_INITMENU, WM_INITMENUPOPUP, Shape::Menu},
    {0x0118, 0x0118, Shape::Zero},      // the system timer, the same
    {MessageGesture, MessageGesture, Shape::Zero},
    {MessageGestureNotify, MessageGestureNotify, Shape::Buffer},
    {WM_MENUSELECT, WM_MENUSELECT, Shape::Menu},
    {WM_MENURBUTTONUP, WM_MENUDRAG, Shape::Menu},
    {WM_MENUGETOBJECT, WM_MENUGETOBJECT, Shape::Buffer},
    {WM_UNINITMENUPOPUP, WM_MENUCOMMAND, Shape::Menu},
    {WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, Shape::DcAndWindow},
    {WM_RBUTTONUP, WM_RBUTTONUP, Shape::Left},  // becomes WM_CONTEXTMENU
    {WM_NEXTMENU, WM_NEXTMENU, Shape::Buffer},
    {WM_SIZING, WM_SIZING, Shape::WindowRect},
    {WM_MOVING, WM_MOVING, Shape::WindowRect},
    {WM_DEVICECHANGE, WM_DEVICECHANGE, Shape::Buffer},
    {WM_MDICREATE, 0x022F, Shape::Buffer},
    {WM_MDISETMENU, WM_MDISETMENU, Shape::ZeroBoth},
    {WM_DROPFILES, WM_DROPFILES, Shape::ZeroBoth},
    {WM_MDIREFRESHMENU, WM_MDIREFRESHMENU, Shape::ZeroBoth},
    {MessageTouch, MessageTouch, Shape::Zero},
    {WM_IME_SETCONTEXT, WM_IME_KEYUP, Shape::Buffer},
    {MessageDpiChanged, MessageDpiChanged, Shape::WindowRect},
    {0x02E4, 0x02E4, Shape::Buffer},    // WM_GETDPISCALEDSIZE
    {WM_PAINTCLIPBOARD, WM_PAINTCLIPBOARD, Shape::ZeroBoth},
    {WM_SIZECLIPBOARD, WM_SIZECLIPBOARD, Shape::ZeroBoth},
    {WM_ASKCBFORMATNAME, WM_ASKCBFORMATNAME, Shape::GetText},
    {0x0313, 0x0313, Shape::Left},      // WM_POPUPSYSTEMMENU: the system menu's modal loop
    {WM_PRINT, WM_PRINTCLIENT, Shape::Dc},
    {0x033F, 0x033F, Shape::SizedInfo}, // WM_GETTITLEBARINFOEX
    // The controls' own: the A/W translation of SendMessageA converts their
    // strings by message number, whatever the window's class.
    // Wine's buttons keep a copy of every image they are given, and even
    // of none, and never free it.
    {BM_SETIMAGE, BM_SETIMAGE, Shape::Left},
    {STM_SETICON, STM_SETICON, Shape::StaticIcon},
    {STM_SETIMAGE, STM_SETIMAGE, Shape::Image},
    {EM_GETSEL, EM_GETSEL, Shape::TwoDwords},
    // Wine's single-line edit field writes past its text when a character
    // comes while the text has no room at all: its rectangle and margins
    // stay inside the field.
    {EM_GETRECT, EM_SETRECTNP, Shape::ClientRect},
    {EM_SETMARGINS, EM_SETMARGINS, Shape::Small},
    {EM_SETHANDLE, EM_SETHANDLE, Shape::Left},  // the edit field would own our memory
    {EM_REPLACESEL, EM_REPLACESEL, Shape::Text},
    {EM_GETLINE, EM_GETLINE, Shape::GetLine},
    {EM_SETTABSTOPS, EM_SETTABSTOPS, Shape::TabStops},
    {EM_SETWORDBREAKPROC, EM_SETWORDBREAKPROC, Shape::Zero},
    {CB_GETEDITSEL, CB_GETEDITSEL, Shape::TwoDwords},
    {CB_ADDSTRING, CB_ADDSTRING, Shape::Text},
    {CB_DIR, CB_DIR, Shape::Pattern},
    {CB_GETLBTEXT, CB_GETLBTEXT, Shape::GetText},
    {CB_INSERTSTRING, CB_INSERTSTRING, Shape::Text},
    {CB_FINDSTRING, CB_SELECTSTRING, Shape::Find},
    {CB_GETDROPPEDCONTROLRECT, CB_GETDROPPEDCONTROLRECT, Shape::Buffer},
    {CB_FINDSTRINGEXACT, CB_FINDSTRINGEXACT, Shape::Find},
    {CB_INITSTORAGE, CB_INITSTORAGE, Shape::Small},
    {0x0163, 0x0163, Shape::Buffer},    // CB_MULTIPLEADDSTRING
    {CB_GETCOMBOBOXINFO, CB_GETCOMBOBOXINFO, Shape::SizedInfo},
    {LB_ADDSTRING, LB_INSERTSTRING, Shape::Text},
    {LB_GETTEXT, LB_GETTEXT, Shape::GetText},
    {LB_SELECTSTRING, LB_SELECTSTRING, Shape::Find},
    {LB_DIR, LB_DIR, Shape::Pattern},
    {LB_FINDSTRING, LB_FINDSTRING, Shape::Find},
    {LB_GETSELITEMS, LB_GETSELITEMS, Shape::Items},
    {LB_SETTABSTOPS, LB_SETTABSTOPS, Shape::TabStops},
    {LB_ADDFILE, LB_ADDFILE, Shape::Pattern},
    {LB_GETITEMRECT, LB_GETITEMRECT, Shape::Buffer},
    {LB_FINDSTRINGEXACT, LB_FINDSTRINGEXACT, Shape::Find},
    {LB_INITSTORAGE, LB_INITSTORAGE, Shape::Small},
    {0x01B1, 0x01B1, Shape::Buffer},    // LB_MULTIPLEADDSTRING
};

// The trackbar's messages from WM_USER on.
const Rule TrackbarRules[] = {
    {TBM_GETTHUMBRECT, TBM_GETCHANNELRECT, Shape::Buffer},
    {TBM_SETTOOLTIPS, TBM_SETTOOLTIPS, Shape::ZeroBoth},  // a window it would then drive
    {TBM_SETBUDDY, TBM_SETBUDDY, Shape::ZeroBoth},        // a window it would move
};

// The message ranges of one class of control, drawn from as often as the
// messages below WM_USER.
struct Kind {
    const char* className;
    std::vector<std::pair<UINT, UINT>> ranges;
};

const std::vector<Kind>& Kinds()
{
    static const std::vector<Kind> kinds = {
        {"Button", {{BM_GETCHECK, ButtonSetDontClick}}},
        {"Static", {{STM_SETICON, STM_GETIMAGE}}},
        {"Edit", {}},  // not a target, see MainWindowAndControls
        {"ComboBox", {{CB_GETEDITSEL, CB_MSGMAX}, {WM_USER, WM_USER + 0x100}}},
        {"msctls_trackbar32", {{WM_USER, WM_USER + 0x100}}},
        {"#32770", {{WM_USER, WM_USER + 0x100}}},  // DM_ messages
    };
    return kinds;
}

Shape ShapeOf(const Rule* rules, size_t count, UINT message, Shape otherwise)
{
    for (size_t i = 0; i < count; ++i) {
        if (message >= rules[i].first && message <= rules[i].last)
            return rules[i].shape;
    }
    return otherwise;
}

// The windows, handles and buffers the arguments are drawn from. Everything
// here is made before the first count and lives until the process ends.
struct Pool {
    std::vector<HWND> windows;
    std::vector<const Kind*> kinds;
    HDC dc = nullptr;
    HFONT font = nullptr;
    HICON icon = nullptr;
    HBITMAP bitmap = nullptr;
    HRGN region = nullptr;
    HMENU menu = nullptr;
};

const Pool& ThePool()
{
    static Pool pool = [] {
        Pool made;
        made.dc = CreateCompatibleDC(nullptr);
        SelectObject(made.dc, CreateCompatibleBitmap(made.dc, 64, 64));
        LOGFONTA font = {};
        font.lfHeight = -11;
        lstrcpyA(font.lfFaceName, "Arial");
        made.font = CreateFontIndirectA(&font);
        const BYTE andMask[32 * 4] = {}, xorMask[32 * 4] = {};
        made.icon = CreateIcon(GetModuleHandleA(nullptr), 32, 32, 1, 1, andMask, xorMask);
        made.bitmap = CreateBitmap(16, 16, 1, 1, nullptr);
        made.region = CreateRectRgn(0, 0, 40, 40);
        // The system loads its shared cursors and icons once, the first time
        // a hit test or a window asks for each; here they are all loaded
        // before the first count.
        for (int id = 32512; id <= 32651; ++id) {
            LoadCursorA(nullptr, MAKEINTRESOURCEA(id));
            LoadIconA(nullptr, MAKEINTRESOURCEA(id));
        }
        return made;
    }();
    return pool;
}

alignas(16) unsigned char Arena[8192];
const char* const Texts[] = {"", "&Start", "&Stop", "Rectangular", "Blackmann",
                             "x", "0123456789"};

class Storm {
public:
    Storm(uint32_t seed, const Pool& pool) : random_(seed), pool_(pool), fillings_(Fillings()) {}

    // A random message for target `t` with arguments fit for it; false for
    // one that must not be sent in the storm.
    bool Make(size_t t, Step& step)
    {
        HWND window = targets_[t];
        const Kind* kind = kinds_[t];
        UINT message;
        if (kind && !kind->ranges.empty() && Uniform(2) == 0) {
            const auto& range = kind->ranges[Uniform(kind->ranges.size())];
            message = range.first + static_cast<UINT>(Uniform(range.second - range.first + 1));
        } else {
            message = static_cast<UINT>(Uniform(WM_USER));
        }
        Shape shape = ShapeOf(Rules, std::size(Rules), message, Shape::Plain);
        if (message >= WM_USER)
            shape = IsTrackbar(kind) ? ShapeOf(TrackbarRules, std::size(TrackbarRules), message, Shape::Plain)
                                     : Shape::Plain;
        step = {"message", window, message, RandomArgument(), static_cast<LPARAM>(RandomArgument()), 0};
        if (IsEdit(kind) && message >= EM_GETSEL && message <= EM_GETIMESTATUS)
            return false;
        if (shape == Shape::Left)
            return false;
        Fill(shape, step);
        return !StartsOrEnds(step);
    }

    void SetTargets(std::vector<HWND> targets)
    {
        targets_ = std::move(targets);
        kinds_.clear();
        for (HWND window : targets_) {
            const std::string name = testsupport::ClassName(window);
            const Kind* found = nullptr;
            for (const Kind& kind : Kinds()) {
                if (lstrcmpiA(kind.className, name.c_str()) == 0)
                    found = &kind;
            }
            kinds_.push_back(found);
        }
    }

    size_t Targets() const { return targets_.size(); }
    static bool IsEdit(const Kind* kind) { return kind && kind == &Kinds()[2]; }
    static bool IsTrackbar(const Kind* kind) { return kind && kind == &Kinds()[4]; }
    size_t Uniform(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

private:
    // Small numbers, pairs of words and whole random values in equal parts.
    WPARAM RandomArgument()
    {
        switch (Uniform(3)) {
        case 0: return static_cast<WPARAM>(Uniform(18)) - 1;
        case 1: return MAKELONG(Uniform(0x10000), Uniform(0x10000));
        default: return static_cast<WPARAM>(std::uniform_int_distribution<uint64_t>()(random_));
        }
    }

    HWND AnyWindow() { return Uniform(4) == 0 ? nullptr : targets_[Uniform(targets_.size())]; }

    // Where one argument comes from: left as Make drew it, one of `values`
    // (drawn only among several), values[0] plus a number drawn below
    // values[1], or a target window or none.
    struct Source {
        enum { Keep, Pick, Range, Window } kind;
        std::vector<uintptr_t> values;
    };

    // How the arguments of one shape are drawn: `build` first, where one
    // needs a structure in the arena or depends on the other, then wParam
    // and lParam from their sources.
    struct Filling {
        Shape shape;
        Source wParam, lParam;
        void (*build)(Storm&, Step&, const RECT& window) = nullptr;
    };

    template <typename T>
    static uintptr_t Word(T value)
    {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<uintptr_t>(value);
        else
            return static_cast<uintptr_t>(value);
    }
    template <typename... T>
    static Source Pick(T... values) { return {Source::Pick, {Word(values)...}}; }
    static Source Range(uintptr_t first, uintptr_t count) { return {Source::Range, {first, count}}; }
    static Source Keep() { return {Source::Keep, {}}; }

    template <typename T>
    static T* InArena() { return reinterpret_cast<T*>(Arena); }

    std::vector<Filling> Fillings() const
    {
        Source texts = {Source::Pick, {}};
        for (const char* text : Texts)
            texts.values.push_back(Word(text));
        const Pool& pool = pool_;
        return {
            {Shape::Text, Keep(), texts},
            {Shape::Find, Range(static_cast<uintptr_t>(-1), 8), texts},
            {Shape::Pattern, Keep(), Pick("*.none-here")},
            {Shape::GetText, Range(0, sizeof Arena), Pick(Arena)},
            {Shape::Buffer, Keep(), Pick(Arena)},
            {Shape::TwoDwords, Pick(0, Arena), Pick(0, Arena + sizeof(DWORD))},
            {Shape::Dc, Pick(0, pool.dc, pool.dc), Keep()},
            {Shape::DcAndWindow, Pick(0, pool.dc, pool.dc), {Source::Window, {}}},
            {Shape::Font, Pick(0, GetStockObject(DEFAULT_GUI_FONT), pool.font), Keep()},
            // A big icon, or no small one, makes the system derive a small
            // icon of its own for the window, there until the next: the
            // object count would then tell which windows got which last, not
            // a leak.
            {Shape::Icon, Pick(ICON_SMALL), Pick(pool.icon)},
            {Shape::StaticIcon, Pick(0, pool.icon), Keep()},
            {Shape::Region, Pick(pool.region, 1), Keep()},
            {Shape::Zero, Keep(), Pick(0)},
            {Shape::ZeroBoth, Pick(0), Pick(0)},
            {Shape::Small, Range(0, 16), Range(0, 16)},
            {Shape::Items, Range(0, sizeof Arena / sizeof(int)), Pick(Arena)},
            {Shape::Image, Keep(), Keep(), [](Storm& s, Step& step, const RECT&) {
                 step.wParam = s.Uniform(2) ? IMAGE_BITMAP : IMAGE_ICON;
                 const HANDLE image = step.wParam == IMAGE_BITMAP ? HANDLE(s.pool_.bitmap) : HANDLE(s.pool_.icon);
                 step.lParam = s.Uniform(3) == 0 ? 0 : reinterpret_cast<LPARAM>(image);
             }},
            {Shape::Menu, Keep(), Keep(), [](Storm& s, Step& step, const RECT&) {
                 const HMENU bar = GetMenu(facts::MainDialog);
                 const HMENU menus[] = {nullptr, bar, GetSubMenu(bar, 0), GetSubMenu(bar, 2)};
                 const HMENU menu = menus[s.Uniform(std::size(menus))];
                 if (s.Uniform(2))
                     step.wParam = Word(menu);
                 else
                     step.lParam = static_cast<LPARAM>(Word(menu));
             }},
            {Shape::WindowPos, Keep(), Pick(Arena), [](Storm&, Step& step, const RECT& r) {
                 *InArena<WINDOWPOS>() = {step.window, nullptr, r.left, r.top, r.right - r.left,
                                          r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE};
             }},
            {Shape::CalcSize, Range(0, 2), Pick(Arena), [](Storm&, Step& step, const RECT& r) {
                 NCCALCSIZE_PARAMS* params = InArena<NCCALCSIZE_PARAMS>();
                 WINDOWPOS* position = reinterpret_cast<WINDOWPOS*>(params + 1);
                 *position = {step.window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                              SWP_NOZORDER};
                 params->rgrc[0] = params->rgrc[1] = params->rgrc[2] = r;
                 params->lppos = position;
             }},
            {Shape::ClientRect, Keep(), Pick(Arena), [](Storm&, Step& step, const RECT&) {
                 GetClientRect(step.window, InArena<RECT>());
             }},
            {Shape::WindowRect, Keep(), Pick(Arena), [](Storm&, Step&, const RECT& r) {
                 *InArena<RECT>() = r;
             }},
            {Shape::Style, Keep(), Pick(Arena), [](Storm& s, Step& step, const RECT&) {
                 step.wParam = s.Uniform(2) ? static_cast<WPARAM>(GWL_STYLE) : static_cast<WPARAM>(GWL_EXSTYLE);
                 STYLESTRUCT* style = InArena<STYLESTRUCT>();
                 style->styleOld = style->styleNew =
                     static_cast<DWORD>(GetWindowLongA(step.window, static_cast<int>(step.wParam)));
             }},
            {Shape::Notify, Keep(), Pick(Arena), [](Storm& s, Step&, const RECT&) {
                 NMHDR* header = InArena<NMHDR>();
                 header->hwndFrom = s.AnyWindow();
                 header->idFrom = static_cast<UINT_PTR>(s.RandomArgument());
                 header->code = static_cast<UINT>(s.RandomArgument());
             }},
            {Shape::Help, Keep(), Pick(Arena), [](Storm&, Step& step, const RECT&) {
                 HELPINFO* help = InArena<HELPINFO>();
                 help->cbSize = sizeof *help;
                 help->iContextType = HELPINFO_WINDOW;
                 help->hItemHandle = step.window;
             }},
            {Shape::DrawItem, Keep(), Pick(Arena), [](Storm& s, Step&, const RECT&) {
                 DRAWITEMSTRUCT* item = InArena<DRAWITEMSTRUCT>();
                 item->CtlType = static_cast<UINT>(s.Uniform(6));
                 item->hwndItem = s.AnyWindow();
                 item->hDC = s.pool_.dc;
                 item->rcItem = {0, 0, 32, 16};
             }},
            {Shape::DlgCode, Keep(), Keep(), [](Storm& s, Step& step, const RECT&) {
                 *InArena<MSG>() = {step.window, WM_KEYDOWN, s.Uniform(256), 0, 0, {0, 0}};
                 step.lParam = s.Uniform(2) ? reinterpret_cast<LPARAM>(Arena) : 0;
             }},
            {Shape::SizedInfo, Keep(), Pick(Arena), [](Storm& s, Step&, const RECT&) {
                 *InArena<DWORD>() = static_cast<DWORD>(s.Uniform(2) ? sizeof(COMBOBOXINFO) : TitleBarInfoExSize);
             }},
            {Shape::TabStops, Range(0, 9), Pick(Arena), [](Storm& s, Step&, const RECT&) {
                 for (int i = 0; i < 8; ++i)
                     InArena<int>()[i] = static_cast<int>(s.Uniform(200)) - 20;
             }},
            {Shape::GetLine, Keep(), Pick(Arena), [](Storm&, Step&, const RECT&) {
                 *InArena<WORD>() = static_cast<WORD>(sizeof Arena / 2);
             }},
        };
    }

    uintptr_t Draw(const Source& source, uintptr_t kept)
    {
        switch (source.kind) {
        case Source::Pick:
            return source.values.size() == 1 ? source.values[0] : source.values[Uniform(source.values.size())];
        case Source::Range: return source.values[0] + Uniform(source.values[1]);
        case Source::Window: return Word(AnyWindow());
        default: return kept;
        }
    }

    // Fills the arguments of `step` as its shape's row says, in a zeroed arena.
    void Fill(Shape shape, Step& step)
    {
        std::memset(Arena, 0, sizeof Arena);
        RECT rect;
        GetWindowRect(step.window, &rect);
        for (const Filling& row : fillings_) {
            if (row.shape != shape)
                continue;
            if (row.build)
                row.build(*this, step, rect);
            step.wParam = Draw(row.wParam, step.wParam);
            step.lParam = static_cast<LPARAM>(Draw(row.lParam, static_cast<uintptr_t>(step.lParam)));
        }
    }

    // The Start button's click and the menu commands are the scripted
    // sequence's; a command of another identifier is any child's.
    static bool StartsOrEnds(const Step& step)
    {
        if (step.window == Control(facts::IdStartStop) && step.message == BM_CLICK)
            return true;
        if (step.message != WM_COMMAND)
            return false;
        const int id = LOWORD(step.wParam);
        if (id == facts::IdStartStop)
            return HIWORD(step.wParam) <= 1;
        const std::vector<UINT> commands = hardening::MenuCommands();
        return std::find(commands.begin(), commands.end(), static_cast<UINT>(id)) != commands.end();
    }

    std::mt19937_64 random_;
    const Pool& pool_;
    std::vector<HWND> targets_;
    std::vector<const Kind*> kinds_;
    std::vector<Filling> fillings_;
};

BOOL CALLBACK AddChild(HWND child, LPARAM targets)
{
    reinterpret_cast<std::vector<HWND>*>(targets)->push_back(child);
    return TRUE;
}

// Wine's single-line edit field (the selector's) faults on a character, a
// paste or a middle click once arbitrary messages have bent its text and
// undo buffers; it is the system's, the program sends it nothing, and it is
// left out.
std::vector<HWND> MainWindowAndControls()
{
    std::vector<HWND> children, targets = {facts::MainDialog};
    EnumChildWindows(facts::MainDialog, AddChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        if (testsupport::ClassName(child) != "Edit")
            targets.push_back(child);
    }
    return targets;
}

// The state a count is taken in: no list dropped, no capture, and the focus
// on the Start button, so that the edit field holds no caret.
void Settle()
{
    SendMessageA(Control(facts::IdWindowSelector), CB_SHOWDROPDOWN, FALSE, 0);
    ReleaseCapture();
    SetFocus(Control(facts::IdStartStop));
}

// Lets through what the storm's messages posted, each timed too.
void PumpTimed(uint64_t index)
{
    MSG message;
    for (int i = 0; i < 200 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        hardening::Begin({"posted", message.hwnd, message.message, message.wParam, message.lParam, index});
        TranslateMessage(&message);
        DispatchMessageA(&message);
        hardening::Finish();
    }
}

class MessageStorm : public hardening::WatchedWindow {
protected:
    void SetUp() override
    {
        scripted::Install(SelfStopping(1));
        hardening::WatchedWindow::SetUp();
    }
};

TEST_F(MessageStorm, RandomMessagesToTheWindowAndEveryControlLeaveNothingBehind)
{
    const uint64_t count = hardening::EnvironmentCount("STORM_MESSAGES", 100000);
    const uint32_t seed = static_cast<uint32_t>(hardening::EnvironmentCount("STORM_SEED", 20110320));
    const uint64_t warmUp = std::min<uint64_t>(10000, count / 2);
    const bool trace = hardening::EnvironmentCount("STORM_TRACE", 0) != 0;
    const Pool& pool = ThePool();
    Storm storm(seed, pool);
    storm.SetTargets(MainWindowAndControls());
    std::printf("storm: seed %u (STORM_SEED), %llu messages (STORM_MESSAGES) to %zu windows\n",
                seed, static_cast<unsigned long long>(count), storm.Targets());

    hardening::Figures first = {};
    double slowest = 0;
    Step slowestStep = {};
    uint64_t starts = 0, skipped = 0;
    const DWORD began = GetTickCount();
    for (uint64_t i = 1; i <= count; ++i) {
        Step step;
        while (!storm.Make(storm.Uniform(storm.Targets()), step))
            ++skipped;
        step.index = i;
        // STORM_TRACE=1: every message after the warm-up that changed the
        // GDI count is named (slow: two counts per message).
        int gdi = 0;
        if (trace && i > warmUp)
            gdi = testsupport::CountGdiObjects();
        const double took = hardening::TimedSend(step);
        if (trace && i > warmUp && testsupport::CountGdiObjects() != gdi)
            std::printf("storm: GDI %+d after %s\n", testsupport::CountGdiObjects() - gdi,
                        hardening::Describe(step).c_str());
        if (took > slowest) {
            slowest = took;
            slowestStep = step;
        }
        ASSERT_LT(took, LimitMs) << hardening::Describe(step) << " took " << took << " ms (seed " << seed << ")";
        ASSERT_TRUE(IsWindow(facts::MainDialog)) << "gone after " << hardening::Describe(step);
        if (i % 64 == 0) {
            PumpTimed(i);
            // An unwanted Start stopped itself; its record would only grow.
            starts += scripted::CountCalls("open");
            scripted::Seen() = scripted::Record();
        }
        if (i == warmUp) {
            Settle();
            first = hardening::Measure();
            std::printf("storm: after %llu messages: %s\n", static_cast<unsigned long long>(i),
                        hardening::Format(first).c_str());
        }
    }
    Settle();
    const hardening::Figures last = hardening::MeasureAgainst(first);
    std::printf("storm: after %llu messages: %s\n", static_cast<unsigned long long>(count),
                hardening::Format(last).c_str());
    std::printf("storm: %.1f s, slowest %.1f ms (%s), %llu drawn and left out, %llu Starts by "
                "clicks and keys\n",
                (GetTickCount() - began) / 1000.0, slowest, hardening::Describe(slowestStep).c_str(),
                static_cast<unsigned long long>(skipped), static_cast<unsigned long long>(starts));
    hardening::ExpectFlat(first, last, "storm");
}

}  // namespace
