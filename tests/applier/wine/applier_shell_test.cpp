// The applier's Win32 pieces under Wine: the level file reader and watcher, the time-bounded
// calls, the turn and the shared record.
#include "applier/win32/ddc_displays.hpp"
#include "applier/win32/level_file_source.hpp"
#include "applier/win32/session.hpp"
#include "applier/win32/timed_call.hpp"
#include "applier/win32/wmi_displays.hpp"
#include "applier/win32/com.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using bc::win32::KernelHandle;

// A fresh folder as the current directory, for tests of the relative level file.
class InTempFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        folder_ = std::wstring(base) + L"bc-applier-" + std::to_wstring(GetCurrentProcessId()) +
                  L"-" + std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        GetCurrentDirectoryW(MAX_PATH, previous_);
        ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryW(previous_);
        DeleteFileW((folder_ + L"\\brightness.txt").c_str());
        DeleteFileW((folder_ + L"\\other.txt").c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    static void write(const wchar_t* name, const std::string& bytes) {
        const HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }

    std::wstring folder_;
    wchar_t previous_[MAX_PATH] = {};
};

struct DelayedWrite {
    const wchar_t* name;
    std::string bytes;
    DWORD delayMs;
};

DWORD WINAPI writeLater(void* parameter) {
    auto* job = static_cast<DelayedWrite*>(parameter);
    Sleep(job->delayMs);
    const HANDLE file = CreateFileW(job->name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, job->bytes.data(), static_cast<DWORD>(job->bytes.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}

TEST_F(InTempFolder, ReadsTheLevelFileOrSaysItCannot) {
    bc::win32::LevelFileSource levels(L"brightness.txt");
    EXPECT_EQ(levels.readLevel(), std::nullopt); // no file yet
    write(L"brightness.txt", std::string("250\0"
                                         "7",
                                         5));
    EXPECT_EQ(levels.readLevel(), 100);
    write(L"brightness.txt", "");
    EXPECT_EQ(levels.readLevel(), 0);
}

// The utility opens the file unshared while it writes; the reader waits for it briefly.
TEST_F(InTempFolder, WaitsOutAWriterThatHoldsTheFile) {
    write(L"brightness.txt", "33");
    bc::win32::LevelFileSource levels(L"brightness.txt");
    {
        bc::win32::FileHandle held(CreateFileW(L"brightness.txt", GENERIC_WRITE, 0, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(levels.readLevel(), std::nullopt); // held throughout: gives up
        const ULONGLONG took = GetTickCount64() - start;
        EXPECT_GE(took, 300u);
        EXPECT_LT(took, 2000u);
    }
    // Released while the reader retries.
    bc::win32::FileHandle held(CreateFileW(L"brightness.txt", GENERIC_WRITE, 0, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    struct Release {
        HANDLE h;
    } release{held.release()};
    KernelHandle closer(CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            Sleep(100);
            CloseHandle(static_cast<Release*>(p)->h);
            return 0;
        },
        &release, 0, nullptr));
    EXPECT_EQ(levels.readLevel(), 33);
    WaitForSingleObject(closer.get(), INFINITE);
}

TEST_F(InTempFolder, NoticesARewriteButNotOtherFilesOrSilence) {
    write(L"brightness.txt", "10");
    bc::win32::LevelFileSource levels(L"brightness.txt");
    ASSERT_EQ(levels.readLevel(), 10);

    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(levels.waitForChange(200));
    EXPECT_GE(GetTickCount64() - start, 190u);

    DelayedWrite other{L"other.txt", "x", 50};
    KernelHandle t1(CreateThread(nullptr, 0, writeLater, &other, 0, nullptr));
    EXPECT_FALSE(levels.waitForChange(400));
    WaitForSingleObject(t1.get(), INFINITE);

    DelayedWrite rewrite{L"brightness.txt", "20", 50};
    start = GetTickCount64();
    KernelHandle t2(CreateThread(nullptr, 0, writeLater, &rewrite, 0, nullptr));
    EXPECT_TRUE(levels.waitForChange(3000));
    EXPECT_LT(GetTickCount64() - start, 1500u);
    WaitForSingleObject(t2.get(), INFINITE);
    EXPECT_EQ(levels.readLevel(), 20);
}

TEST(DisplayTurn, OneHolderAtATimeAndAnAbandonedTurnPassesOn) {
    struct Holder {
        HANDLE acquired;
        HANDLE release;
    };
    KernelHandle acquired(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Holder holder{acquired.get(), release.get()};
    // The holder thread ends without letting go: as if its process had been killed.
    KernelHandle thread(CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* h = static_cast<Holder*>(p);
            auto* turn = new bc::win32::DisplayTurn;
            turn->acquire(1000);
            SetEvent(h->acquired);
            WaitForSingleObject(h->release, INFINITE);
            return 0; // the turn object is leaked on purpose
        },
        &holder, 0, nullptr));
    ASSERT_EQ(WaitForSingleObject(acquired.get(), 5000), WAIT_OBJECT_0);

    bc::win32::DisplayTurn waiting;
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(waiting.acquire(300));
    EXPECT_GE(GetTickCount64() - start, 290u);

    SetEvent(release.get());
    WaitForSingleObject(thread.get(), INFINITE);
    EXPECT_TRUE(waiting.acquire(1000));
}

TEST(SharedAppliedRecord, SeenByEveryOpenerAndGoneWithTheLast) {
    {
        bc::win32::SharedAppliedRecord first;
        bc::win32::SharedAppliedRecord second;
        bc::AppliedRecord record = first.load();
        EXPECT_EQ(record.levelOf("ddc:x"), std::nullopt);
        record.remember("ddc:x", 42);
        record.setWholeLevel(42);
        first.store(record);
        EXPECT_EQ(second.load().levelOf("ddc:x"), 42);
        EXPECT_EQ(second.load().wholeLevel(), 42);
    }
    bc::win32::SharedAppliedRecord later;
    EXPECT_EQ(later.load().wholeLevel(), std::nullopt);
}

// Windows and Wine agree here; on a machine with displays the back ends may find some, so the
// test asks only for a prompt and well-formed answer. (Wine 8 has no WmiMonitorBrightness
// classes, its query returns nothing, and GetNumberOfPhysicalMonitorsFromHMONITOR is a failing
// stub, so under Wine both lists are empty.)
TEST(BackEnds, AnswerPromptlyWithWellFormedDisplays) {
    bc::win32::ComApartment apartment;
    const ULONGLONG start = GetTickCount64();
    auto displays = bc::win32::openWmiDisplays();
    for (auto& d : bc::win32::openDdcDisplays())
        displays.push_back(std::move(d));
    EXPECT_LT(GetTickCount64() - start, 5000u);
    for (const auto& d : displays) {
        EXPECT_TRUE(d->backEnd() == "wmi" || d->backEnd() == "ddc");
        EXPECT_EQ(d->key().rfind(d->backEnd() + ":", 0), 0u) << d->key();
    }
}

// Last: a call given up on stays abandoned for the rest of the process.
TEST(TimedCall, ReturnsTheResultOrGivesUpInTime) {
    EXPECT_EQ(bc::win32::callWithin(1000, [] { return 7; }), 7);
    EXPECT_FALSE(bc::win32::anyCallAbandoned());

    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(bc::win32::callWithin(200,
                                    [] {
                                        Sleep(INFINITE);
                                        return 1;
                                    }),
              std::nullopt);
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_GE(took, 190u);
    EXPECT_LT(took, 1000u);
    EXPECT_TRUE(bc::win32::anyCallAbandoned());
}

} // namespace
