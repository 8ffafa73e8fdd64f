#include "app/win32/main_window.hpp"
#include "app/win32/program.hpp"
#include "brightness/win32/level_routines.hpp"
#include "win32/unique_handle.hpp"
#include "window_test_support.hpp"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using bc::test::pumpFor;
using bc::win32::mainWindow;

void writeFixture(const std::string& bytes) {
    bc::win32::UniqueHandle file(
        CreateFileW(L"brightness.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

RECT g_rectWhenShown{};

// Opens the real window with the real opening sequence, remembering where it first showed.
void openWindow() {
    bc::win32::MainWindowEvents events;
    events.created = bc::win32::onWindowCreated;
    events.levelChanged = bc::win32::onLevelChanged;
    ASSERT_TRUE(bc::win32::createMainWindow(GetModuleHandleW(nullptr), events));
    GetWindowRect(mainWindow().window, &g_rectWhenShown);
    pumpFor(30);
}

void closeWindow() {
    DestroyWindow(mainWindow().window);
    pumpFor(20);
    bc::win32::appState() = bc::AppState{};
}

TEST(OpeningSequence, RestoresTheLevelFromTheFileWithoutWritingIt) {
    struct {
        const char* name;
        std::string bytes;
        std::int32_t thumb;
        const wchar_t* shown;
    } cases[] = {
        {"57", "57", 57, L"57"},
        {"blank 42 letters", " 42abc", 42, L"42"},
        {"full-width 60", "\xA3\xB6\xA3\xB0", 60, L"60"},
        {"100 CR LF", "100\r\n", 100, L"100"},
        {"250", "250", 100, L"250"},
        {"99999", "99999", 100, L"32767"},
        {"-5", "-5", 0, L"0"},
        {"binary", std::string("\x89PNG\r\n\x1A\n\0\0", 10), 0, L"0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bc::test::ScratchDirectory scratch;
        writeFixture(c.bytes);
        openWindow();
        EXPECT_EQ(SendMessageW(mainWindow().slider, TBM_GETPOS, 0, 0), c.thumb);
        EXPECT_EQ(bc::test::windowText(mainWindow().label),
                  std::wstring(L"\u4eae\u5ea6\uff1a") + c.shown);
        EXPECT_EQ(bc::win32::appState().levelFileName, L"brightness.txt");
        EXPECT_EQ(bc::win32::appState().lastChangeStamp, 0);
        closeWindow();
        // Opening and closing leave the file as it was.
        bc::win32::UniqueHandle file(CreateFileW(L"brightness.txt", GENERIC_READ, FILE_SHARE_READ,
                                                 nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER size{};
        GetFileSizeEx(file.get(), &size);
        EXPECT_EQ(size.QuadPart, static_cast<LONGLONG>(c.bytes.size()));
    }
}

TEST(OpeningSequence, NoFileShowsZeroAndCreatesNone) {
    bc::test::ScratchDirectory scratch;
    openWindow();
    EXPECT_EQ(bc::test::windowText(mainWindow().label), L"\u4eae\u5ea6\uff1a0");
    closeWindow();
    EXPECT_EQ(GetFileAttributesW(L"brightness.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST(OpeningSequence, FirstShownAtTheCursorMinus300By60EvenOffScreen) {
    const POINT cursors[] = {{700, 500}, {100, 30}};
    for (const POINT cursor : cursors) {
        bc::test::ScratchDirectory scratch;
        SetCursorPos(cursor.x, cursor.y);
        POINT actual;
        GetCursorPos(&actual);
        openWindow();
        EXPECT_EQ(g_rectWhenShown.left, actual.x - 300);
        EXPECT_EQ(g_rectWhenShown.top, actual.y - 60);
        EXPECT_EQ(g_rectWhenShown.right - g_rectWhenShown.left, 390);
        EXPECT_EQ(bc::win32::appState().cursorAtCapture.x, actual.x);
        closeWindow();
    }
}

} // namespace
