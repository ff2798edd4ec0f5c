#include "midi/ListenerHint.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct HintCase {
    const char* what;
    std::vector<int> listeners; // of the output, one reading after another
    std::vector<bool> said;
};

class ListenerHintTest : public ::testing::TestWithParam<HintCase> {};

TEST_P(ListenerHintTest, IsSaidOnceAndAgainOnlyAfterAListenerCameAndWent) {
    TListenerHint hint;
    std::vector<bool> said;
    for (int listeners : GetParam().listeners) said.push_back(hint.ShouldSay(listeners));
    EXPECT_EQ(said, GetParam().said) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Readings, ListenerHintTest,
    ::testing::Values(HintCase{"nobody listens, read again and again", {0, 0, 0}, {true, false, false}},
                      HintCase{"a listener from the start", {1, 2, 1}, {false, false, false}},
                      HintCase{"a listener came and went", {0, 1, 0, 0}, {true, false, true, false}},
                      HintCase{"another output and back: not said again", {0, -1, 0}, {true, false, false}},
                      HintCase{"another output first", {-1, -1, 0}, {false, false, true}}));

} // namespace
