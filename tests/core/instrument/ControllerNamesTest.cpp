#include "instrument/ControllerNames.h"

#include <gtest/gtest.h>

namespace {

using namespace ControllerNames;

TEST(ControllerNamesTest, CodesAndListIndicesBothWays) {
    const std::vector<std::string> items = CodeItems();
    ASSERT_EQ(items.size(), 130u);
    struct Case {
        int code, index;
        const char* text;
    };
    for (const Case& c : {Case{129, 0, "(none)"}, Case{128, 1, "Pitch Wheel"}, Case{7, 9, "007 Channel Volume"},
                          Case{3, 5, "003 Undefined"}, Case{0, 2, "000 Bank Select MSB"}, Case{127, 129, "127 Poly Mode On"}}) {
        EXPECT_EQ(IndexFromCode(c.code), c.index) << c.code;
        EXPECT_EQ(CodeFromIndex(c.index), c.code) << c.index;
        EXPECT_EQ(items[static_cast<std::size_t>(c.index)], c.text) << c.code;
    }
    // Codes beyond the list land on its last item.
    EXPECT_EQ(IndexFromCode(130), 129);
    EXPECT_EQ(IndexFromCode(255), 129);
}

TEST(ControllerNamesTest, TheTableNamesOnlyDefinedControllers) {
    const auto& table = Table();
    int defined = 0;
    for (const char* name : table) defined += name != nullptr;
    EXPECT_EQ(defined, 72);
    EXPECT_STREQ(table[64], "Sustain Switch");
    EXPECT_STREQ(table[121], "Reset Controllers");
    EXPECT_EQ(table[3], nullptr);
    EXPECT_EQ(table[102], nullptr);
    EXPECT_EQ(ControllerItems().size(), 128u);
    EXPECT_EQ(ItemText(102), "102 Undefined");
}

TEST(ControllerNamesTest, JoystickActionsAndTheirSlots) {
    const std::vector<std::string> actions = JoystickActions();
    ASSERT_EQ(actions.size(), 30u);
    EXPECT_EQ(actions[0], "Joystick 0 left/right");
    EXPECT_EQ(actions[1], "Joystick 0 up/down");
    EXPECT_EQ(actions[2], "Joystick 0 Z-layer");
    EXPECT_EQ(actions[3], "Joystick 1 left/right");
    EXPECT_EQ(actions[6], "Joystick 0 left/right button 1 pressed");
    EXPECT_EQ(actions[29], "Joystick 1 Z-layer button 4 pressed");
    struct Case {
        int action, joystick, axis, slot;
    };
    for (const Case& c : {Case{0, 0, 0, 0}, Case{4, 1, 1, 0}, Case{6, 0, 0, 1}, Case{17, 1, 2, 2}, Case{29, 1, 2, 4}}) {
        const TJoystickSlot s = ActionSlot(c.action);
        EXPECT_EQ(s.joystick, c.joystick) << c.action;
        EXPECT_EQ(s.axis, c.axis) << c.action;
        EXPECT_EQ(s.slot, c.slot) << c.action;
    }
}

TEST(ShiftVelocityTest, FactorsShownAndApplied) {
    struct Case {
        float factor;
        bool louder;
        int percent;
    };
    for (const Case& c : {Case{0.0f, false, 99}, Case{0.5f, false, 50}, Case{1.0f, false, 0}, Case{1.5f, true, 50},
                          Case{2.0f, true, 100}, Case{1.125f, true, 12}, Case{1.375f, true, 38}, Case{0.875f, false, 12}}) {
        const TShiftVelocity v = TShiftVelocity::FromFactor(c.factor);
        EXPECT_EQ(v.louder, c.louder) << c.factor;
        EXPECT_EQ(v.percent, c.percent) << c.factor;
    }
    EXPECT_FLOAT_EQ((TShiftVelocity{false, 100}.Factor()), 0.0f);
    EXPECT_FLOAT_EQ((TShiftVelocity{true, 100}.Factor()), 2.0f);
    EXPECT_FLOAT_EQ((TShiftVelocity{false, 25}.Factor()), 0.75f);
}

} // namespace
