#include "brightness/balloon_markup_layout.hpp"
#include "brightness/help_balloon_text.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Fixed metrics that tell the weights apart: 10 px a character and 10 + 2 at normal weight,
// 12 px and 11 + 3 in bold, 13 px and 12 + 4 at the 900 limit.
class FakeMeasurer : public bc::BalloonTextMeasurer {
  public:
    int runWidth(const bc::BalloonTextStyle& style, std::wstring_view run) override {
        measured.emplace_back(run);
        return static_cast<int>(run.size()) * (style.weight == 400   ? 10
                                               : style.weight == 800 ? 12
                                                                     : 13);
    }
    bc::BalloonFontMetrics fontMetrics(const bc::BalloonTextStyle& style) override {
        if (style.weight == 400)
            return {10, 2};
        if (style.weight == 800)
            return {11, 3};
        return {12, 4};
    }
    std::vector<std::wstring> measured;
};

// Each line as its runs' text, a run per "[weight:text]".
std::vector<std::wstring> describe(const bc::BalloonTextBlock& block) {
    std::vector<std::wstring> lines;
    for (const auto& line : block.lines) {
        std::wstring text;
        for (const auto& run : line.runs)
            text += L"[" + std::to_wstring(run.style.weight) + L":" + run.text + L"]";
        lines.push_back(text);
    }
    return lines;
}

TEST(BalloonLayout, HelpTextIsFiveLinesWithABoldFirstLine) {
    FakeMeasurer measurer;
    const bc::BalloonTextBlock block = bc::layoutBalloonMarkup(bc::helpBalloonText, measurer);

    const std::wstring first =
        L"\u9f20\u6807\u6eda\u8f6e\u4e5f\u53ef\u4ee5\u63a7\u5236\u4eae\u5ea6";
    const std::wstring third = L"\u9f20\u6807\u53f3\u952e\u5feb\u6377\u5b9a\u4f4d";
    const std::wstring fifth = L"\u5feb\u6377\u952e: Alt + \u52a0\u51cf\u53f7";
    EXPECT_EQ(describe(block),
              (std::vector<std::wstring>{L"[800:" + first + L"]", L"", L"[400:" + third + L"]", L"",
                                         L"[400:" + fifth + L"]"}));

    struct {
        int top, ascent, height, width;
    } expected[] = {
        {0, 11, 14, 11 * 12}, // bold
        {14, 10, 12, 0},      // empty, after "</b>": as high as the normal font
        {26, 10, 12, 8 * 10}, {38, 10, 12, 0}, {50, 10, 12, 14 * 10},
    };
    ASSERT_EQ(block.lines.size(), std::size(expected));
    for (std::size_t i = 0; i < block.lines.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(block.lines[i].top, expected[i].top);
        EXPECT_EQ(block.lines[i].ascent, expected[i].ascent);
        EXPECT_EQ(block.lines[i].height, expected[i].height);
        EXPECT_EQ(block.lines[i].width, expected[i].width);
    }
    EXPECT_EQ(block.width, 140);
    EXPECT_EQ(block.height, 14 + 4 * 12);
}

TEST(BalloonLayout, BoldDoublesUpToNineHundredAndCloseRestoresTheOuterStyle) {
    struct {
        const wchar_t* markup;
        std::vector<std::wstring> lines;
    } cases[] = {
        {L"a<b>b</b>c", {L"[400:a][800:b][400:c]"}},
        {L"<b><b>x</b>y</b>z", {L"[900:x][800:y][400:z]"}},  // 1600 is held at 900
        {L"<b><b><b>x</b>y", {L"[900:xy]"}},                 // 900 doubled is still 900: one run
        {L"</b>x<b>y</b></b>z", {L"[400:x][800:y][400:z]"}}, // a close without an open is skipped
        {L"<B>x</B>y", {L"[800:x][400:y]"}},
        {L"<b class=\"k\">x</b>", {L"[800:x]"}},
        {L"<b>x\ny", {L"[800:x]", L"[800:y]"}}, // the style goes on past the line's end
    };
    for (const auto& c : cases) {
        FakeMeasurer measurer;
        EXPECT_EQ(describe(bc::layoutBalloonMarkup(c.markup, measurer)), c.lines) << c.markup;
    }
}

TEST(BalloonLayout, RunsSitSideBySideAndMixedLinesTakeHighestAscentAndDeepestDescent) {
    FakeMeasurer measurer;
    const auto block = bc::layoutBalloonMarkup(L"ab<b>cd</b>e\nxyz", measurer);
    ASSERT_EQ(block.lines.size(), 2u);
    const auto& runs = block.lines[0].runs;
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].x, 0);
    EXPECT_EQ(runs[1].x, 20);
    EXPECT_EQ(runs[2].x, 44);
    EXPECT_EQ(runs[2].width, 10);
    EXPECT_EQ(block.lines[0].width, 54);
    EXPECT_EQ(block.lines[0].ascent, 11);
    EXPECT_EQ(block.lines[0].height, 14);
    EXPECT_EQ(block.lines[1].top, 14);
    EXPECT_EQ(block.lines[1].height, 12);
    EXPECT_EQ(block.width, 54);
    EXPECT_EQ(block.height, 26);
}

TEST(BalloonLayout, LineFeedsEndLinesAndCarriageReturnsVanish) {
    struct {
        const wchar_t* markup;
        std::vector<std::wstring> lines;
        int height;
    } cases[] = {
        {L"a\r\nb", {L"[400:a]", L"[400:b]"}, 24},
        {L"a\r\n\r\nb", {L"[400:a]", L"", L"[400:b]"}, 36},
        {L"a\n", {L"[400:a]", L""}, 24},
        {L"\r\r\n", {L"", L""}, 24},
        {L"a\rb", {L"[400:ab]"}, 12},
        {L"", {L""}, 12},
        {L"<b>a\n\nb</b>", {L"[800:a]", L"", L"[800:b]"}, 42}, // the empty line in bold height
        {L"<b></b>\n", {L"", L""}, 24}, // only tags: empty, at the font in force at its end
    };
    for (const auto& c : cases) {
        FakeMeasurer measurer;
        const auto block = bc::layoutBalloonMarkup(c.markup, measurer);
        EXPECT_EQ(describe(block), c.lines) << c.markup;
        EXPECT_EQ(block.height, c.height) << c.markup;
    }
}

TEST(BalloonLayout, StrayBracketsAndUnknownTagsNeitherBreakNorHang) {
    struct {
        const wchar_t* markup;
        std::vector<std::wstring> lines;
    } cases[] = {
        {L"<", {L"[400:<]"}},
        {L">", {L"[400:>]"}},
        {L"a < b", {L"[400:a < b]"}},
        {L"a<b", {L"[400:a<b]"}},                  // never closed: text
        {L"a<<b>c", {L"[400:a<][800:c]"}},         // the first "<" opens nothing
        {L"a<\nb>c", {L"[400:a<]", L"[400:b>c]"}}, // a tag does not span lines
        {L"x<unknown>y<p>z", {L"[400:xyz]"}},      // skipped, and the text stays one run
        {L"<>x< b>y</>", {L"[400:xy]"}},
        {L"<table><tr><td>t</td></tr></table>", {L"[400:t]"}},
        {L"<<<<", {L"[400:<<<<]"}},
    };
    for (const auto& c : cases) {
        FakeMeasurer measurer;
        const auto block = bc::layoutBalloonMarkup(c.markup, measurer);
        EXPECT_EQ(describe(block), c.lines) << c.markup;
        // Whatever the markup, the runs are measured as they are kept.
        std::vector<std::wstring> runs;
        for (const auto& line : block.lines)
            for (const auto& run : line.runs)
                runs.push_back(run.text);
        EXPECT_EQ(measurer.measured, runs) << c.markup;
    }
}

TEST(BalloonFont, NinePointCellHeightIsTruncated) {
    EXPECT_EQ(bc::balloonFontCellHeight(96), 12);
    EXPECT_EQ(bc::balloonFontCellHeight(120), 15);
    EXPECT_EQ(bc::balloonFontCellHeight(144), 18);
    EXPECT_EQ(bc::balloonFontCellHeight(100), 12); // 12.5
}

TEST(BalloonIconText, OnlyAnIndexWithAPictureAddsTheIconTable) {
    const std::uintptr_t pictures[] = {0x1A2B, 0x0, 0x12345678ABCDull};
    struct {
        std::int32_t index;
        std::span<const std::uintptr_t> list;
        const wchar_t* expected;
    } cases[] = {
        {-1, pictures, L"hi"},
        {3, pictures, L"hi"},
        {0, {}, L"hi"}, // the help balloon's own list is empty
        {0, pictures, L"<table><tr><td><icon handle=0x1A2B></td><td>hi</td></tr></table>"},
        {1, pictures, L"<table><tr><td><icon handle=0x0></td><td>hi</td></tr></table>"},
        {2, pictures, L"<table><tr><td><icon handle=0x5678ABCD></td><td>hi</td></tr></table>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bc::balloonTextWithIcon(L"hi", c.index, c.list), c.expected) << c.index;
}

} // namespace
