// Clipboard capture on Windows: the clipboard's text, through the Win32 API,
// into rech.txt in code page 1251 and text mode.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <windows.h>

#include "driver/driver_internal.h"
#include "harness.h"

namespace {

// Puts text on the clipboard, or empties it when text is null.
bool put_on_clipboard(const wchar_t* text)
{
    if (!OpenClipboard(nullptr))
        return false;
    bool ok = EmptyClipboard() != 0;
    if (ok && text != nullptr) {
        const std::size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
        const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        ok = memory != nullptr;
        if (ok) {
            std::memcpy(GlobalLock(memory), text, bytes);
            GlobalUnlock(memory);
            ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
            if (!ok)
                GlobalFree(memory);
        }
    }
    CloseClipboard();
    return ok;
}

TEST(WindowsClipboard, TextArrivesInCodePage1251AndTextMode)
{
    struct Case {
        const wchar_t* text;
        std::string capture;  // rech.txt afterwards, as UTF-8
    } cases[] = {
        {L"abc", "abc "},
        // The clipboard's CR LF is kept, and its LF stored as CR LF.
        {L"Мама мыла\r\nраму.", "Мама мыла\r\r\nраму. "},
        {L"Ёлка — 5 €", "Ёлка — 5 € "},
        // A character code page 1251 lacks, and one beyond the first plane.
        {L"а\u4e2dб\U0001F600в", "а?б?в "},
    };
    for (const Case& c : cases) {
        harness::TempDir dir;
        harness::ScopedChdir in(dir.path());
        ASSERT_TRUE(put_on_clipboard(c.text));
        EXPECT_EQ(Readclipboard(), 1);
        EXPECT_EQ(dir.read("rech.txt"), harness::cp1251(c.capture));
        EXPECT_FALSE(dir.exists("rech.tmp"));
    }
}

TEST(WindowsClipboard, NoTextLeavesTheOldCapture)
{
    harness::TempDir dir;
    harness::ScopedChdir in(dir.path());
    dir.write("rech.txt", "old");
    ASSERT_TRUE(put_on_clipboard(nullptr));
    EXPECT_EQ(Readclipboard(), 0);
    EXPECT_EQ(dir.read("rech.txt"), "old");
    EXPECT_FALSE(dir.exists("rech.tmp"));
}

}  // namespace
