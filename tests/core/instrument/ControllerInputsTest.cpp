#include "instrument/ControllerInputs.h"

#include "instrument/JoystickScale.h"
#include "store/MemoryStore.h"

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<TShortMessage>;

struct WheelCase {
    const char* name;
    int code, delta;
    bool shift;
    int sensitivity, pitch, value;
    std::optional<TShortMessage> sent;
};

class MouseWheelTest : public ::testing::TestWithParam<WheelCase> {};

TEST_P(MouseWheelTest, OneStep) {
    const WheelCase& c = GetParam();
    EXPECT_EQ(MouseWheel::Step(c.code, c.delta, c.shift, c.sensitivity, c.pitch, c.value, 2), c.sent);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, MouseWheelTest,
    ::testing::Values(WheelCase{"nothing", 129, 120, false, 4, 0, 0, std::nullopt},
                      WheelCase{"notch", 1, 120, false, 4, 0, 0, ShortMessage::ControlChange(2, 1, 8)},
                      WheelCase{"shift", 1, 120, true, 4, 0, 0, ShortMessage::ControlChange(2, 1, 2)},
                      WheelCase{"limited", 7, 120, false, 4, 0, 125, ShortMessage::ControlChange(2, 7, 127)},
                      WheelCase{"down", 7, -120, false, 4, 0, 3, ShortMessage::ControlChange(2, 7, 0)},
                      WheelCase{"still", 7, 120, false, 0, 0, 50, ShortMessage::ControlChange(2, 7, 50)},
                      WheelCase{"half to even", 7, 15, false, 10, 0, 0, ShortMessage::ControlChange(2, 7, 2)},
                      WheelCase{"pitch", 128, 120, false, 4, 0, 0, ShortMessage::PitchBend(2, 480)},
                      WheelCase{"pitch shift", 128, 120, true, 4, 0, 0, ShortMessage::PitchBend(2, 144)},
                      WheelCase{"pitch limit", 128, 120, false, 4, 8000, 0, ShortMessage::PitchBend(2, 8191)},
                      WheelCase{"pitch floor", 128, -120, false, 4, -8000, 0, ShortMessage::PitchBend(2, -8192)}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (ch == ' ') ch = '_';
        return n;
    });

TEST(JoystickTableTest, NamesLoopsAndTheStoredForm) {
    EXPECT_EQ(TJoystickTable::ValueName(0, TJoystickAxis::X, 0), "X00");
    EXPECT_EQ(TJoystickTable::ValueName(1, TJoystickAxis::Z, 4), "Z14");
    TJoystickTable table;
    EXPECT_FALSE(table.Maps(0));
    table.SetCode(1, TJoystickAxis::Y, 3, 7);
    table.SetCode(0, TJoystickAxis::X, 0, 128);
    EXPECT_TRUE(table.Maps(0));
    EXPECT_TRUE(table.Maps(1));

    TMemoryStore store;
    store.WriteInteger("Joystick", "Z02", 11); // a stale entry, now 129
    table.Save(store);
    EXPECT_EQ(store.ReadValueNames("Joystick"), (std::vector<std::string>{"X00", "Y13"}));
    TJoystickTable back;
    back.Load(store);
    EXPECT_EQ(back, table);
    EXPECT_EQ(back.Code(0, TJoystickAxis::Z, 2), 129);

    // The write loop: joystick, slot, then axis.
    TMemoryStore order;
    TJoystickTable all;
    for (int j = 0; j < 2; ++j)
        for (int s = 0; s < 5; ++s)
            for (TJoystickAxis a : {TJoystickAxis::X, TJoystickAxis::Y, TJoystickAxis::Z}) all.SetCode(j, a, s, 1);
    all.Save(order);
    const auto names = order.ReadValueNames("Joystick");
    ASSERT_EQ(names.size(), 30u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4), (std::vector<std::string>{"X00", "Y00", "Z00", "X01"}));

    const auto bytes = table.Bytes();
    // Joystick 1, axis Y, slot 3: ((1 * 3 + 1) * 5 + 3) * 4.
    EXPECT_EQ(bytes[92], 7);
    EXPECT_EQ(bytes[0], 128);
    EXPECT_EQ(bytes[4], 129);
    TJoystickTable copied;
    copied.SetBytes(bytes);
    EXPECT_EQ(copied, table);
}

TEST(JoystickMapperTest, ChangedAxesGoThroughTheSlotsOfTheHeldButtons) {
    TJoystickTable table;
    table.SetCode(0, TJoystickAxis::X, 0, 1);
    table.SetCode(0, TJoystickAxis::Y, 0, 2);
    table.SetCode(0, TJoystickAxis::X, 1, 10);
    table.SetCode(0, TJoystickAxis::X, 3, 11);
    table.SetCode(0, TJoystickAxis::Z, 0, 128);
    const TAxisRanges r{0, 65535, 0, 65535, 0, 65535};
    TJoystickMapper mapper;
    // The last positions start at 0: X is a change, Y at 0 is none. Y is inverted.
    EXPECT_EQ(mapper.XYMove(table, 0, r, 65535, 0, 0, 0), (Messages{ShortMessage::ControlChange(0, 1, 127)}));
    EXPECT_EQ(mapper.XYMove(table, 0, r, 65535, 65535, 0, 0), (Messages{ShortMessage::ControlChange(0, 2, 0)}));
    EXPECT_EQ(mapper.XYMove(table, 0, r, 0, 1, 0, 0),
              (Messages{ShortMessage::ControlChange(0, 1, 0), ShortMessage::ControlChange(0, 2, 127)}));
    EXPECT_EQ(mapper.XYMove(table, 0, r, 0, 65535, 0, 0), (Messages{ShortMessage::ControlChange(0, 2, 0)}));
    EXPECT_TRUE(mapper.XYMove(table, 0, r, 0, 65535, 0, 0).empty()); // nothing changed
    // Buttons 1 and 3 held, only X moving: slot 1, then slot 3, never slot 0.
    EXPECT_EQ(mapper.XYMove(table, 0, r, 65535, 65535, 0b101, 5),
              (Messages{ShortMessage::ControlChange(5, 10, 127), ShortMessage::ControlChange(5, 11, 127)}));
    // Button 2 held maps nothing.
    EXPECT_TRUE(mapper.XYMove(table, 0, r, 100, 65535, 0b10, 0).empty());
    // Z: pitch bend over 0..16383; an unchanged Z sends nothing.
    EXPECT_EQ(mapper.ZMove(table, 0, r, 65535, 0, 0), (Messages{ShortMessage::PitchBend(0, 8191)}));
    EXPECT_TRUE(mapper.ZMove(table, 0, r, 65535, 0, 0).empty());
    // The other joystick keeps its own last positions and table half.
    EXPECT_TRUE(mapper.XYMove(table, 1, r, 65535, 0, 0, 0).empty());
    EXPECT_TRUE(mapper.XYMove(table, 2, r, 1, 1, 0, 0).empty());
}

TEST(JoystickScaleTest, RangesRoundingAndEmptyAxes) {
    EXPECT_EQ(JoystickScale(0, 0, 65535, 0, 127), 0);
    EXPECT_EQ(JoystickScale(65535, 0, 65535, 0, 127), 127);
    EXPECT_EQ(JoystickScale(100, 100, 300, 0, 127), 0); // the axis minimum
    EXPECT_EQ(JoystickScale(300, 100, 300, 0, 127), 127);
    EXPECT_EQ(JoystickScale(500, 100, 300, 0, 127), 127); // clamped
    EXPECT_EQ(JoystickScale(0, 100, 300, 0, 127), 0);
    EXPECT_EQ(JoystickScale(1, 0, 4, 0, 2), 0);  // 0.5: to even
    EXPECT_EQ(JoystickScale(3, 0, 4, 0, 2), 2);  // 1.5: to even
    EXPECT_EQ(JoystickScale(5, 7, 7, 0, 127), 0); // an empty axis
    EXPECT_EQ(JoystickScale(5, 0, 10, 3, 3), 0);
}

} // namespace
