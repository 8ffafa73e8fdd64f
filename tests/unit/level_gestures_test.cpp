#include "brightness/level_gestures.hpp"
#include "brightness/opening_sequence.hpp"
#include "brightness/slider_position.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

std::uint16_t word(int value) {
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

TEST(LevelGestures, WheelOverWindowLabelAndSlider) {
    struct {
        int delta;
        std::int32_t distance, windowOrLabel, slider;
    } cases[] = {
        {120, 1, 51, 53},   {-120, -1, 49, 47}, {240, 2, 51, 55},
        {-240, -2, 49, 45}, {60, 0, 49, 49},    {-60, 0, 49, 49}, // partial notch counts as down
    };
    for (const auto& c : cases) {
        const std::int32_t d = bc::wheelDistance(word(c.delta));
        EXPECT_EQ(d, c.distance) << c.delta;
        EXPECT_EQ(bc::steppedPosition(50, d), c.windowOrLabel) << c.delta;
        EXPECT_EQ(bc::sliderWheelPosition(50, d), c.slider) << c.delta;
    }
}

// The gestures do not clamp: the slider's store and the pipeline do.
TEST(LevelGestures, EdgesAreLeftToTheStoreAndThePipeline) {
    EXPECT_EQ(bc::storedSliderPosition(bc::steppedPosition(0, -1)), 0);
    EXPECT_EQ(bc::storedSliderPosition(bc::sliderWheelPosition(99, 1)), 102);
    EXPECT_EQ(bc::thumbPosition(102), 100);
    EXPECT_EQ(bc::storedSliderPosition(bc::hotkeyPosition(3, -bc::kHotkeyStep)), 0);
    EXPECT_EQ(bc::hotkeyPosition(97, bc::kHotkeyStep), 102);
}

TEST(LevelGestures, RightClickJumpsToHalfTheXPixel) {
    struct {
        int x;
        std::int32_t position;
    } cases[] = {{0, 0}, {1, 0}, {57, 28}, {199, 99}, {240, 120}, {65535, 32767}};
    for (const auto& c : cases)
        EXPECT_EQ(bc::rightClickPosition(word(c.x)), c.position) << c.x;
}

TEST(LevelGestures, ModifierMask) {
    EXPECT_EQ(bc::modifierMask(false, false, false), 0);
    EXPECT_EQ(bc::modifierMask(true, true, true), 7);
    EXPECT_EQ(bc::modifierMask(false, false, true), 4);
}

TEST(OpeningSequence, WindowOriginIsCursorMinus300By60Unclamped) {
    EXPECT_EQ(bc::windowOriginForCursor({100, 30}).x, -200);
    EXPECT_EQ(bc::windowOriginForCursor({100, 30}).y, -30);
    EXPECT_EQ(bc::windowOriginForCursor({1000, 700}).x, 700);
    EXPECT_EQ(bc::windowOriginForCursor({1000, 700}).y, 640);
}

TEST(OpeningSequence, LevelFileContents) {
    struct {
        std::string bytes;
        std::int32_t level, shown;
    } cases[] = {
        {"57", 57, 57},
        {" 42abc", 42, 42},
        {"\xA3\xB6\xA3\xB0", 60, 60}, // full-width six and zero
        {"100\r\n", 100, 100},
        {"250", 250, 250}, // label shows 250, the thumb stands at 100
        {"99999", 99999, 32767},
        {"-5", -5, 0},
        {"", 0, 0},
        {std::string("4\0"
                     "2",
                     3),
         4, 4},
        {"3\x1A"
         "9",
         3, 3},
        {"\x7F\x45LF\x02\x01", 0, 0},
    };
    for (const auto& c : cases) {
        bc::LevelFileReader reader;
        reader.feed(c.bytes);
        const auto level = reader.level();
        EXPECT_EQ(level, c.level) << c.bytes;
        EXPECT_EQ(bc::storedSliderPosition(level), c.shown) << c.bytes;
    }
}

TEST(OpeningSequence, ReaderStopsAsSoonAsTheLevelIsKnown) {
    bc::LevelFileReader reader;
    EXPECT_TRUE(reader.feed("  1"));
    EXPECT_TRUE(reader.feed("2"));
    EXPECT_FALSE(reader.feed("3 and a great deal more"));
    EXPECT_FALSE(reader.feed("9999"));
    EXPECT_EQ(reader.level(), 123);

    bc::LevelFileReader zeroEnded;
    EXPECT_FALSE(zeroEnded.feed(std::string("7\0", 2)));
    EXPECT_EQ(zeroEnded.level(), 7);
}

} // namespace
