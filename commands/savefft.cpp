// The spectrum text to a dated file and to the clipboard.
#include "commands/savefft.h"

#include <cstring>
#include <string>

#include "dsp/fft.h"
#include "commands/spectrumtext.h"
#include "facts/facts.h"
#include "win/platform.h"
#include "win/modal.h"

namespace commands {

namespace {

std::string CurrentSpectrumText()
{
    return BuildSpectrumText(dsp::Spectrum, facts::SampleRate, dsp::ReferenceLevel);
}

// Two reads of the clock, the date first, as the name is defined.
std::string DatedFileName()
{
    SYSTEMTIME now = {};
    winlayer::platform::Calls.LocalTime(&now);
    const std::string date = ClockDateText(now.wMonth, now.wDay, now.wYear);
    winlayer::platform::Calls.LocalTime(&now);
    const std::string time = ClockTimeText(now.wHour, now.wMinute, now.wSecond);
    return FftFileName(date, time);
}

bool WriteWhole(HANDLE file, const char* bytes, size_t count)
{
    DWORD written = 0;
    return WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) &&
           written == count;
}

// Created, or cut to zero length, for writing with no sharing.
HANDLE CreateSpectrumFile(const std::string& name)
{
    return CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The text in one write, then "\r\n", then the close; false when any of them
// fails. A part already written stays.
bool WriteAndClose(HANDLE file, const std::string& text)
{
    bool whole = WriteWhole(file, text.data(), text.size()) && WriteWhole(file, "\r\n", 2);
    // A full disk can refuse the cached bytes only when they are flushed.
    whole = CloseHandle(file) && whole;
    return whole;
}

void WarnNotWritten(const std::string& name)
{
    const std::string message = "File " + name + " couldn't be written!";
    winlayer::Warn(message.c_str());
}

// A movable, zero-filled block holding the text and its terminating 0, or 0.
HGLOBAL CopyToGlobalBlock(const std::string& text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    if (!block)
        return nullptr;
    if (void* bytes = GlobalLock(block)) {
        std::memcpy(bytes, text.data(), text.size());
        GlobalUnlock(block);
        return block;
    }
    GlobalFree(block);
    return nullptr;
}

// Clipboard history, remote-desktop clients and other programs open the
// clipboard for a moment after every change; a copy right after one finds it
// busy. It is asked again for about a quarter of a second.
bool OpenClipboardSoon()
{
    constexpr int Tries = 10;
    constexpr DWORD PauseMs = 25;
    for (int attempt = 1;; ++attempt) {
        if (OpenClipboard(facts::MainDialog))
            return true;
        if (attempt == Tries)
            return false;
        Sleep(PauseMs);
    }
}

// The clipboard owns the block only once SetClipboardData has taken it.
// Opened without an owner, EmptyClipboard would leave the clipboard with
// none, and Windows then refuses SetClipboardData; the main window owns it.
bool HandToClipboard(HGLOBAL block)
{
    if (!OpenClipboardSoon())
        return false;
    EmptyClipboard();
    const bool taken = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    return taken;
}

}  // namespace

INT_PTR SaveFftToFile(HWND, UINT, WPARAM, LPARAM)
{
    const std::string name = DatedFileName();
    HANDLE file = CreateSpectrumFile(name);
    if (file == INVALID_HANDLE_VALUE || !WriteAndClose(file, CurrentSpectrumText()))
        WarnNotWritten(name);
    return 0;
}

INT_PTR SaveFftToClipboard(HWND, UINT, WPARAM, LPARAM)
{
    HGLOBAL block = CopyToGlobalBlock(CurrentSpectrumText());
    if (block && HandToClipboard(block))
        return 0;
    if (block)
        GlobalFree(block);
    winlayer::Warn("Spectrum couldn't be copied to the clipboard!");
    return 0;
}

}  // namespace commands
