// Object counts for leak checks. Wine's GetGuiResources is a stub that
// returns 0, so under Wine the counts come from the process's own handle
// tables instead.
#include "tests/support/win32_test_support.h"

#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

namespace testsupport {

namespace {

bool UnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// ---------------------------------------------------------------- GDI table
// Wine keeps the GDI handle table in the process, reachable from the PEB as
// on Windows: at PEB offset 0x94 in a 32-bit process and 0xF8 in a 64-bit
// one, entries of 24 bytes on both (64-bit object and user pointers). Bytes
// 12 and 13 hold the handle's upper word, with the stock flag in the top bit
// of byte 12; byte 14 holds the object type (0 for a free entry). The layout
// is checked against a pen of our own before any count is trusted.
#ifdef _WIN64
constexpr size_t GdiTableOffsetInPeb = 0xF8;
#else
constexpr size_t GdiTableOffsetInPeb = 0x94;
#endif
constexpr size_t GdiEntrySize = 24;
constexpr size_t GdiEntryCount = 0x10000;

// The first two members of PROCESS_BASIC_INFORMATION.
struct BasicInformation {
    LONG exitStatus;
    const uint8_t* peb;
    ULONG_PTR reserved[4];
};
typedef LONG (WINAPI* QueryProcessProc)(HANDLE, int, void*, ULONG, ULONG*);

const uint8_t* ProcessEnvironmentBlock()
{
    auto query = reinterpret_cast<QueryProcessProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    BasicInformation information = {};
    if (!query || query(GetCurrentProcess(), 0, &information, sizeof information, nullptr) != 0)
        return nullptr;
    return information.peb;
}

const uint8_t* GdiTable()
{
    const uint8_t* peb = ProcessEnvironmentBlock();
    if (!peb)
        return nullptr;
    const uint8_t* table;
    std::memcpy(&table, peb + GdiTableOffsetInPeb, sizeof table);
    return table;
}

const uint8_t* GdiEntry(const uint8_t* table, HGDIOBJ object)
{
    return table + (reinterpret_cast<UINT_PTR>(object) & 0xFFFF) * GdiEntrySize;
}

// True when a new pen's entry carries its handle's upper word and a type,
// the stock black pen's the stock flag, and the pen's entry is free again
// once the pen is deleted.
bool GdiTableLayoutHolds(const uint8_t* table)
{
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    if (!pen)
        return false;
    const uint8_t* entry = GdiEntry(table, pen);
    uint16_t upper;
    std::memcpy(&upper, entry + 12, sizeof upper);
    bool live = entry[14] != 0 && (entry[12] & 0x80) == 0 &&
                upper == ((reinterpret_cast<UINT_PTR>(pen) >> 16) & 0xFFFF);
    DeleteObject(pen);
    bool freed = entry[14] == 0;
    bool stock = (GdiEntry(table, GetStockObject(BLACK_PEN))[12] & 0x80) != 0;
    return live && freed && stock;
}

int CountGdiTableEntries()
{
    static const uint8_t* const table = GdiTable();
    static const bool layoutHolds = table && GdiTableLayoutHolds(table);
    if (!layoutHolds)
        return -1;
    int count = 0;
    for (size_t i = 0; i < GdiEntryCount; ++i) {
        const uint8_t* entry = table + i * GdiEntrySize;
        bool stock = (entry[12] & 0x80) != 0;
        if (entry[14] != 0 && !stock)
            ++count;
    }
    return count;
}

// -------------------------------------------------------------- USER handles
// Wine numbers user handles (index << 1) + 0x20 and accepts them without
// their generation word. Menus and icons are looked up in the process's own
// table, so probing every index costs no server call; windows are counted by
// enumeration because IsWindow asks the server for every free index.
constexpr UINT FirstUserHandle = 0x0020;
constexpr UINT LastUserHandle = 0xFFEF;

typedef HCURSOR (WINAPI* CursorFrameInfoProc)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);

BOOL CALLBACK CountChildWindow(HWND, LPARAM counter)
{
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

BOOL CALLBACK CountProcessWindow(HWND window, LPARAM counter)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(counter);
        EnumChildWindows(window, CountChildWindow, counter);
    }
    return TRUE;
}

int CountProcessWindows()
{
    int count = 0;
    EnumWindows(CountProcessWindow, reinterpret_cast<LPARAM>(&count));
    // Message-only windows are not top-level windows for EnumWindows.
    HWND messageWindow = nullptr;
    while ((messageWindow = FindWindowExA(HWND_MESSAGE, messageWindow, nullptr, nullptr)))
        CountProcessWindow(messageWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

int CountUserHandles()
{
    auto frameInfo = reinterpret_cast<CursorFrameInfoProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
    int count = 0;
    for (UINT value = FirstUserHandle; value <= LastUserHandle; value += 2) {
        HANDLE handle = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(value));
        DWORD rate = 0, steps = 0;
        if (IsMenu(static_cast<HMENU>(handle)))
            ++count;
        else if (frameInfo && frameInfo(static_cast<HCURSOR>(handle), 0, 0, &rate, &steps))
            ++count;
    }
    return count + CountProcessWindows();
}

}  // namespace

int CountGdiObjects()
{
    if (!UnderWine())
        return static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    return CountGdiTableEntries();
}

int CountUserObjects()
{
    if (!UnderWine())
        return static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    return CountUserHandles();
}

bool operator==(const ObjectCounts& a, const ObjectCounts& b)
{
    return a.gdi == b.gdi && a.user == b.user;
}

ObjectCounts SettledObjectCounts()
{
    // Wine finishes some objects of a new window on its own time (seen: 6
    // to 21 GDI objects made up to a second after a window first painted),
    // so a count taken at once may catch them half made.
    ObjectCounts last = {-1, -1};
    for (int held = 0, reads = 0; held < 4 && reads < 60; ++reads) {
        PumpMessages(50);
        const ObjectCounts now = {CountGdiObjects(), CountUserObjects()};
        held = now == last ? held + 1 : 0;
        last = now;
    }
    return last;
}

void ExpectCountsAre(const ObjectCounts& expected, const std::string& after)
{
    const ObjectCounts now = SettledObjectCounts();
    EXPECT_EQ(now.gdi, expected.gdi) << "GDI objects after " << after;
    EXPECT_EQ(now.user, expected.user) << "USER objects after " << after;
}

}  // namespace testsupport
