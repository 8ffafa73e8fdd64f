#include "brightness/applier_command_line.hpp"
#include "brightness/change_stamp.hpp"
#include "brightness/level_pipeline.hpp"
#include "brightness/slider_position.hpp"
#include "shared/integer_from_text.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct StampCase {
    int millis;
    bc::LocalDateTime now;
    const char* expected;
};

TEST(TimestampText, SecondsSinceEightOClockEpochThenPaddedMillis) {
    const StampCase cases[] = {
        {0, {1970, 1, 1, 8, 0, 0}, "0000000000000"},    // the epoch itself, padded to 13
        {7, {1970, 1, 1, 8, 0, 1}, "1007000000000"},    // "1" + "007", then zeros
        {42, {2001, 9, 9, 9, 46, 40}, "1000000000042"}, // Unix 1e9 on a UTC+8 clock
        {999, {2026, 12, 11, 23, 59, 59}, "1797004799999"},
        {5, {2024, 2, 29, 8, 0, 0}, "1709164800005"}, // leap day
    };
    for (const auto& c : cases)
        EXPECT_EQ(bc::timestampText(c.millis, c.now), c.expected);
}

// Truncation toward zero after the small constant: one second before the epoch reads 0.
TEST(TimestampText, BeforeTheEpochTruncatesTowardZeroAndStillPads) {
    EXPECT_EQ(bc::timestampText(250, {1970, 1, 1, 7, 59, 59}), "0250000000000");
    EXPECT_EQ(bc::timestampText(250, {1970, 1, 1, 7, 59, 58}), "-125000000000");
}

TEST(LaunchDecision, SkipsOnlyOneToNinetyNineMilliseconds) {
    struct {
        std::int32_t current, previous;
        bool launch;
    } cases[] = {
        {1000, 1000, true},
        {1001, 1000, false},
        {1099, 1000, false},
        {1100, 1000, true},
        {900, 1000, true},                      // clock stepped back across a second boundary
        {INT32_MIN + 10, INT32_MAX - 9, false}, // wraps: 20 ms later
        {INT32_MIN + 200, INT32_MAX, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bc::shouldLaunchApplier(bc::stampDifference(c.current, c.previous)), c.launch)
            << c.current << " after " << c.previous;
}

TEST(SliderPosition, StoreClampsTo32767AndThumbToTheRange) {
    struct {
        std::int32_t written, stored, thumb;
    } cases[] = {{-3, 0, 0},          {0, 0, 0},           {57, 57, 57},     {103, 103, 100},
                 {32767, 32767, 100}, {99999, 32767, 100}, {INT32_MIN, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(bc::storedSliderPosition(c.written), c.stored);
        EXPECT_EQ(bc::thumbPosition(bc::storedSliderPosition(c.written)), c.thumb);
    }
}

TEST(ApplierCommandLine, QuotesTheApplierBelowTheRunDirectory) {
    EXPECT_EQ(bc::applierCommandLine(L"D:\\Tools"),
              L"CMD /C @ \"D:\\Tools\\scripts\\brightness.exe\"");
    EXPECT_EQ(bc::applierCommandLine(L"C:\\My Apps\\\u4eae\u5ea6"),
              L"CMD /C @ \"C:\\My Apps\\\u4eae\u5ea6\\scripts\\brightness.exe\"");
    EXPECT_EQ(bc::runDirectoryOf(L"C:\\a b\\tool.exe"), L"C:\\a b");
}

// Records every effect in order, with a slider that follows the store rules.
class RecordingEffects : public bc::LevelPipelineEffects {
  public:
    std::int32_t stored = 0;
    std::string nextStamp = "0000000000000";
    std::vector<std::string> log;

    std::int32_t readSliderPosition() override { return stored; }
    void writeSliderPosition(std::int32_t p) override {
        stored = bc::storedSliderPosition(p);
        log.push_back("slider " + std::to_string(p));
    }
    void writeLevelFile(const std::wstring&, const std::string& bytes) override {
        log.push_back("file " + bytes);
    }
    std::string takeTimestampText() override {
        log.push_back("stamp");
        return nextStamp;
    }
    void launchApplier() override { log.push_back("launch"); }
    void setLabelText(const std::wstring& text) override {
        log.push_back("label " + std::string(text.begin() + 3, text.end()));
        EXPECT_EQ(text.substr(0, 3), L"\u4eae\u5ea6\uff1a");
    }
};

class LevelPipeline : public testing::Test {
  protected:
    bc::AppState state;
    RecordingEffects effects;
    void SetUp() override { state.levelFileName = L"brightness.txt"; }
    void changeAt(std::int32_t position, const std::string& stamp) {
        effects.stored = bc::storedSliderPosition(position);
        effects.nextStamp = stamp;
        effects.log.clear();
        bc::runLevelPipeline(state, effects);
    }
};

TEST_F(LevelPipeline, ClampsThenWritesStampsLaunchesAndLabelsInThatOrder) {
    changeAt(250, "1765432100000");
    EXPECT_EQ(effects.log,
              (std::vector<std::string>{"slider 100", "file 100", "stamp", "launch", "label 100"}));
    EXPECT_EQ(state.currentLevel, 100);
    EXPECT_EQ(state.levelText, "100");
    EXPECT_EQ(state.lastChangeStamp, bc::integerFromText("1765432100000"));
}

TEST_F(LevelPipeline, SkipWindowAndStampMovingOn) {
    changeAt(10, "1765432100000");
    changeAt(15, "1765432100050"); // 50 ms later: no launch
    EXPECT_EQ(effects.log, (std::vector<std::string>{"file 15", "stamp", "label 15"}));
    changeAt(20, "1765432100149"); // 99 ms after the previous change, not the last launch
    EXPECT_EQ(effects.log, (std::vector<std::string>{"file 20", "stamp", "label 20"}));
    changeAt(25, "1765432100249"); // 100 ms
    EXPECT_EQ(effects.log, (std::vector<std::string>{"file 25", "stamp", "launch", "label 25"}));
    changeAt(30, "1765432100249"); // same millisecond: d = 0 launches
    EXPECT_EQ(effects.log.at(2), "launch");
}

TEST_F(LevelPipeline, WithoutAFileNameNothingIsWrittenButTheRestRuns) {
    state.levelFileName.clear();
    changeAt(0, "1765432100000");
    EXPECT_EQ(effects.log, (std::vector<std::string>{"stamp", "launch", "label 0"}));
}

} // namespace
