#include "applier/applier.hpp"
#include "applier/level_text.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using bc::ApplierExit;
using bc::BrightnessRange;

TEST(LevelText, SharesTheUtilitysIntegerRuleAndClamps) {
    const struct {
        std::string bytes;
        std::int32_t level;
    } cases[] = {
        {"55", 55},
        {"0", 0},
        {"100", 100},
        {" \t+7x", 7},
        {"", 0}, // no digits
        {"abc", 0},
        {"101", 100},
        {"-5", 0},
        {"4294967396", 100},             // 2^32 + 100 wraps to 100
        {"4294967295", 0},               // wraps to -1
        {"\xA3\xB4\xA3\xB2", 42},        // full-width digits
        {"\xA1\xA1\xA3\xAB\xA3\xB9", 9}, // ideographic space, full-width plus
        {std::string("12\0"
                     "34",
                     5),
         12}, // the text ends at a zero byte
        {"12\x1A"
         "34",
         12}, // and at Ctrl-Z
        {"\x1A"
         "99",
         0},
        {"\xA3\x1A"
         "5",
         0}, // a lead byte cut off by the end mark is no digit
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bc::levelFromText(c.bytes), c.level) << '"' << c.bytes << '"';
        // The shell feeds the file in chunks; any split must give the same level.
        for (std::size_t cut = 0; cut <= c.bytes.size(); ++cut) {
            bc::LevelTextReader reader;
            if (reader.feed(std::string_view(c.bytes).substr(0, cut)))
                reader.feed(std::string_view(c.bytes).substr(cut));
            EXPECT_EQ(reader.level(), c.level) << '"' << c.bytes << "\" cut at " << cut;
        }
    }
}

TEST(LevelText, StopsAskingForBytesOnceTheNumberHasEnded) {
    bc::LevelTextReader reader;
    EXPECT_TRUE(reader.feed("  4"));
    EXPECT_FALSE(reader.feed("2 and then a very long tail"));
    EXPECT_FALSE(reader.feed("9"));
    EXPECT_EQ(reader.level(), 42);
}

TEST(ScaleLevel, MapsZeroAndHundredToTheEndsAndRoundsHalvesUp) {
    const struct {
        std::int32_t level;
        std::uint32_t minimum, maximum, value;
    } cases[] = {
        {0, 0, 100, 0},    {100, 0, 100, 100}, {37, 0, 100, 37},
        {0, 20, 80, 20},   {100, 20, 80, 80},  {33, 20, 80, 40},  // 20 + 19.8
        {50, 0, 255, 128}, {1, 0, 255, 3},     {99, 0, 255, 252}, // 127.5, 2.55, 252.45
        {50, 0, 1, 1},     {49, 0, 1, 0},      {100, 0, 0xFFFFFFFF, 0xFFFFFFFF},
        {50, 7, 7, 7}, // nothing to adjust: stays at the minimum
    };
    for (const auto& c : cases)
        EXPECT_EQ(bc::scaleLevel(c.level, {c.minimum, 0, c.maximum}), c.value)
            << c.level << " in " << c.minimum << ".." << c.maximum;
}

// Where the range has at least 100 steps; narrower ones map several levels to one value.
TEST(ScaleLevel, CurrentValueReadsBackAsTheLevelThatProducedIt) {
    for (const BrightnessRange range : {BrightnessRange{0, 0, 100}, BrightnessRange{20, 0, 180},
                                        BrightnessRange{0, 0, 255}, BrightnessRange{5, 0, 1000}}) {
        for (std::int32_t level = 0; level <= 100; ++level) {
            BrightnessRange at = range;
            at.current = bc::scaleLevel(level, range);
            ASSERT_EQ(bc::levelOfCurrent(at), level) << range.minimum << ".." << range.maximum;
        }
    }
}

// --- One applier's turn, against fakes ------------------------------------------------------

struct Write {
    std::string key;
    std::uint32_t value;
    bool operator==(const Write&) const = default;
};

class FakeDisplay : public bc::Display {
  public:
    struct Options {
        BrightnessRange range{0, 50, 100};
        bool answers = true;        // readRange reports the range
        bool refusesWrites = false; // write returns false
        int dropsWrites = 0;        // writes that report success but change nothing
        std::uint32_t step = 1;     // the display takes only multiples of this
    };
    FakeDisplay(std::string key, Options options, std::vector<Write>& log)
        : key_(std::move(key)), options_(options), log_(log) {}

    std::string key() const override { return key_; }
    std::string backEnd() const override { return "fake"; }
    std::string description() const override { return "Fake " + key_; }
    std::optional<BrightnessRange> readRange() override {
        if (!options_.answers)
            return std::nullopt;
        return options_.range;
    }
    std::uint32_t settableValue(std::uint32_t value) const override {
        return (value + options_.step / 2) / options_.step * options_.step;
    }
    bool write(std::uint32_t value) override {
        log_.push_back({key_, value});
        if (options_.refusesWrites)
            return false;
        if (options_.dropsWrites > 0)
            --options_.dropsWrites;
        else
            options_.range.current = value;
        return true;
    }

  private:
    std::string key_;
    Options options_;
    std::vector<Write>& log_;
};

// The monitors themselves outlive any one applier, as real ones do.
class FakeDisplays : public bc::DisplaySource {
  public:
    void add(std::string key, FakeDisplay::Options options = {}) {
        stored_.push_back({std::move(key), options});
    }
    std::vector<std::unique_ptr<bc::Display>> openDisplays() override {
        ++opens;
        std::vector<std::unique_ptr<bc::Display>> displays;
        for (auto& stored : stored_)
            displays.push_back(std::make_unique<Proxy>(stored, log));
        return displays;
    }
    std::vector<Write> log;
    int opens = 0;

  private:
    struct Stored {
        std::string key;
        FakeDisplay::Options options;
    };
    // Writes land on the stored monitor, so the next applier finds it as this one left it.
    class Proxy : public FakeDisplay {
      public:
        Proxy(Stored& stored, std::vector<Write>& log)
            : FakeDisplay(stored.key, stored.options, log), monitor_(stored) {}
        ~Proxy() override {
            if (const auto range = readRange())
                monitor_.options.range = *range;
        }

      private:
        Stored& monitor_;
    };
    std::vector<Stored> stored_;
};

// The level file: its content now, then the contents it takes, one per change the applier
// waits for. Time moves 10 ms per change, or by the whole wait when nothing changes.
class ScriptedLevels : public bc::LevelSource {
  public:
    explicit ScriptedLevels(std::optional<std::int32_t> now,
                            std::vector<std::optional<std::int32_t>> changes = {})
        : now_(now), changes_(std::move(changes)) {}
    std::optional<std::int32_t> readLevel() override {
        ++reads;
        return now_;
    }
    bool waitForChange(std::int32_t timeoutMs) override {
        if (next_ < changes_.size()) {
            now_ = changes_[next_++];
            clock_ += 10;
            return true;
        }
        clock_ += timeoutMs;
        return false;
    }
    std::int64_t nowMs() override { return clock_; }
    int reads = 0;

  private:
    std::optional<std::int32_t> now_;
    std::vector<std::optional<std::int32_t>> changes_;
    std::size_t next_ = 0;
    std::int64_t clock_ = 1000;
};

class ApplierTurn : public ::testing::Test {
  protected:
    ApplierExit run(std::optional<std::int32_t> level,
                    std::vector<std::optional<std::int32_t>> changes = {}) {
        ScriptedLevels levels(level, std::move(changes));
        return bc::applyLatestLevel(levels, displays, record);
    }
    FakeDisplays displays;
    bc::AppliedRecord record{};
};

TEST_F(ApplierTurn, ScalesTheLevelIntoEachDisplaysOwnRange) {
    displays.add("panel", {.range = {0, 10, 100}});
    displays.add("monitor", {.range = {20, 30, 80}});
    displays.add("wide", {.range = {0, 0, 255}});
    EXPECT_EQ(run(50), ApplierExit::Done);
    EXPECT_EQ(displays.log, (std::vector<Write>{{"panel", 50}, {"monitor", 50}, {"wide", 128}}));
    displays.log.clear();
    EXPECT_EQ(run(100), ApplierExit::Done);
    EXPECT_EQ(run(0), ApplierExit::Done);
    EXPECT_EQ(displays.log, (std::vector<Write>{{"panel", 100},
                                                {"monitor", 80},
                                                {"wide", 255},
                                                {"panel", 0},
                                                {"monitor", 20},
                                                {"wide", 0}}));
}

TEST_F(ApplierTurn, NeverWritesTheLevelADisplayAlreadyHas) {
    displays.add("panel", {.range = {0, 40, 100}});
    displays.add("monitor", {.range = {0, 10, 100}});
    EXPECT_EQ(run(40), ApplierExit::Done); // the panel reports 40 already
    EXPECT_EQ(displays.log, (std::vector<Write>{{"monitor", 40}}));

    // The next applier with the same level does not even open the displays.
    const int opens = displays.opens;
    EXPECT_EQ(run(40), ApplierExit::Done);
    EXPECT_EQ(displays.opens, opens);

    // Without the whole-run shortcut the per-display record still holds each one back.
    record.setWholeLevel(std::nullopt);
    EXPECT_EQ(run(40), ApplierExit::Done);
    EXPECT_EQ(displays.log.size(), 1u);
}

TEST_F(ApplierTurn, LevelsThatScaleToTheSameValueWriteOnce) {
    displays.add("coarse", {.range = {0, 0, 10}});
    EXPECT_EQ(run(50), ApplierExit::Done);
    EXPECT_EQ(run(52), ApplierExit::Done); // 5.2 rounds to 5 as well
    EXPECT_EQ(displays.log, (std::vector<Write>{{"coarse", 5}}));
}

// A panel with fixed steps: the nearest step is written, and read back as a success.
TEST_F(ApplierTurn, APanelWithFixedStepsGetsTheNearestStepOnce) {
    displays.add("stepped", {.range = {0, 0, 100}, .step = 10});
    EXPECT_EQ(run(56), ApplierExit::Done);
    EXPECT_EQ(run(61), ApplierExit::Done); // the same step
    EXPECT_EQ(run(64), ApplierExit::Done);
    EXPECT_EQ(displays.log, (std::vector<Write>{{"stepped", 60}}));
}

TEST_F(ApplierTurn, FollowsTheFileSoTheLastLevelReadIsTheLastApplied) {
    displays.add("panel");
    displays.add("monitor", {.range = {0, 0, 200}});
    EXPECT_EQ(run(30, {50, 50, std::nullopt, 70}), ApplierExit::Done);
    EXPECT_EQ(displays.log, (std::vector<Write>{{"panel", 30},
                                                {"monitor", 60},
                                                {"panel", 50},
                                                {"monitor", 100},
                                                {"panel", 70},
                                                {"monitor", 140}}));
    EXPECT_EQ(record.wholeLevel(), 70);
}

TEST_F(ApplierTurn, QueuedAppliersTakingTurnsApplyOnlyWhatIsNewAndEndOnTheLatest) {
    displays.add("panel");
    // Five appliers started while the user dragged; each reads the file when its turn comes.
    // The second and third find it unchanged since the first turn.
    for (const std::int32_t fileAtTurn : {20, 35, 35, 35, 80})
        EXPECT_EQ(run(fileAtTurn), ApplierExit::Done);
    EXPECT_EQ(displays.log, (std::vector<Write>{{"panel", 20}, {"panel", 35}, {"panel", 80}}));
}

TEST_F(ApplierTurn, FollowingEndsAtTheLimitEvenWhileTheFileKeepsChanging) {
    displays.add("panel");
    std::vector<std::optional<std::int32_t>> endless;
    for (int i = 0; i < 5000; ++i)
        endless.push_back(i % 2 == 0 ? 20 : 10);
    ScriptedLevels levels(10, endless);
    const bc::ApplierTimings timings{.quietMs = 300, .followLimitMs = 1000};
    EXPECT_EQ(bc::applyLatestLevel(levels, displays, record, timings), ApplierExit::Done);
    EXPECT_EQ(levels.nowMs() - 1000, 1000); // 10 ms per change, 100 changes
    EXPECT_EQ(displays.log.size(), 101u);
}

TEST_F(ApplierTurn, ResendsOnceWhenADisplayReportsSuccessButKeepsItsValue) {
    displays.add("liar", {.range = {0, 50, 100}, .dropsWrites = 1});
    displays.add("stubborn", {.range = {0, 50, 100}, .dropsWrites = 5});
    EXPECT_EQ(run(70), ApplierExit::Done);
    EXPECT_EQ(displays.log,
              (std::vector<Write>{{"liar", 70}, {"liar", 70}, {"stubborn", 70}, {"stubborn", 70}}));
}

TEST_F(ApplierTurn, ReportsWhatCouldNotBeDone) {
    EXPECT_EQ(run(50), ApplierExit::NoSupportedDisplay); // no displays at all

    displays.add("dark", {.answers = false});       // DDC/CI switched off
    displays.add("fixed", {.range = {50, 50, 50}}); // nothing to adjust
    EXPECT_EQ(run(50), ApplierExit::NoSupportedDisplay);
    EXPECT_TRUE(displays.log.empty());

    const int opens = displays.opens;
    EXPECT_EQ(run(std::nullopt), ApplierExit::LevelFileUnreadable);
    EXPECT_EQ(displays.opens, opens); // nothing touched without a level
}

TEST_F(ApplierTurn, ARefusedWriteIsReportedAndRetriedByTheNextApplier) {
    displays.add("refuses", {.refusesWrites = true});
    displays.add("panel");
    EXPECT_EQ(run(60), ApplierExit::DisplayFailed);
    EXPECT_EQ(record.wholeLevel(), std::nullopt);
    EXPECT_EQ(run(60), ApplierExit::DisplayFailed);
    EXPECT_EQ(displays.log, (std::vector<Write>{{"refuses", 60}, {"panel", 60}, {"refuses", 60}}));
}

TEST(ApplierCommandLine, KnowsItsFewArguments) {
    using bc::ApplierCommand;
    const struct {
        std::vector<std::string> arguments;
        ApplierCommand command;
    } cases[] = {
        {{}, ApplierCommand::Apply},           {{"--list"}, ApplierCommand::List},
        {{"--help"}, ApplierCommand::Help},    {{"/?"}, ApplierCommand::Help},
        {{"50"}, ApplierCommand::Invalid},     {{"--list", "x"}, ApplierCommand::Invalid},
        {{"--LIST"}, ApplierCommand::Invalid},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bc::parseApplierArguments(c.arguments), c.command);
}

TEST(ListDisplays, ShowsLevelAndRangeOrWhyNot) {
    FakeDisplays displays;
    displays.add("A", {.range = {0, 191, 255}});
    displays.add("B", {.answers = false});
    std::string out;
    EXPECT_EQ(bc::listDisplays(displays, out), ApplierExit::Done);
    EXPECT_EQ(out, "fake  Fake A  level 75 (191 in 0..255)\n"
                   "fake  Fake B  no brightness control\n");
    EXPECT_TRUE(displays.log.empty());

    FakeDisplays none;
    out.clear();
    EXPECT_EQ(bc::listDisplays(none, out), ApplierExit::NoSupportedDisplay);
    EXPECT_EQ(out, "no display with adjustable brightness found\n");
}

} // namespace
