#include "app/focus_rules.hpp"
#include "app/window_layout.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<bc::FocusCandidate> storedMembers() {
    std::vector<bc::FocusCandidate> members;
    for (const auto& m : bc::kMembers)
        members.push_back({m.visible, m.enabled, m.takesFocus, m.tabOrder});
    return members;
}

std::size_t indexOf(int controlId) {
    for (std::size_t i = 0; i < bc::kMembers.size(); ++i)
        if (bc::kMembers[i].controlId == controlId)
            return i;
    return bc::kMembers.size();
}

TEST(FocusRules, SliderWinsAmongEqualTabOrdersAndHiddenCheckBoxNeverTakesFocus) {
    const auto members = storedMembers();
    EXPECT_EQ(bc::defaultFocusMember(members), indexOf(bc::kSliderId));

    // Tab and Shift+Tab alternate between the slider and the button only.
    const auto slider = indexOf(bc::kSliderId);
    const auto button = indexOf(bc::kButtonId);
    EXPECT_EQ(bc::nextTabMember(members, slider, false), button);
    EXPECT_EQ(bc::nextTabMember(members, button, false), slider);
    EXPECT_EQ(bc::nextTabMember(members, slider, true), button);
    EXPECT_EQ(bc::nextTabMember(members, button, true), slider);
}

TEST(FocusRules, LowestTabOrderWinsAndNothingFocusableGivesNothing) {
    std::vector<bc::FocusCandidate> members{{true, true, true, 2},
                                            {true, true, true, 1},
                                            {true, false, true, 0},
                                            {false, true, true, 0}};
    EXPECT_EQ(bc::defaultFocusMember(members), 1u);
    std::vector<bc::FocusCandidate> none{{true, true, false, 0}, {false, true, true, 0}};
    EXPECT_EQ(bc::defaultFocusMember(none), std::nullopt);
    EXPECT_EQ(bc::nextTabMember(none, std::nullopt, false), std::nullopt);
}

TEST(WindowLayout, CentredPlacementAndEdgeLimits) {
    EXPECT_EQ(bc::centredEdge(1920, 390), 765);
    EXPECT_EQ(bc::centredEdge(1080, 110), 485);
    EXPECT_EQ(bc::centredEdge(100, 390), -145); // truncates toward zero
    EXPECT_EQ(bc::limitWindowEdge(-200), -200);
    EXPECT_EQ(bc::limitWindowEdge(-40000), -32627);
    EXPECT_EQ(bc::limitWindowEdge(40000), 32627);
}

} // namespace
