// The real program read as a screen reader reads it: over AT-SPI, on an
// accessibility bus of the test's own session bus.
#include "ProgramE2E.h"

#include <fstream>
#include <sstream>

namespace e2e {
namespace {

class AccessibilityE2ETest : public ProgramE2ETest {
protected:
    void SetUp() override {
        const std::string addressFile = dir.File("bus-address");
        bus = Spawn({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, addressFile);
        std::string address;
        for (int i = 0; i < 100 && address.empty(); ++i) {
            Sleep(50);
            std::getline(std::istringstream(ReadFile(addressFile)), address);
        }
        ASSERT_FALSE(address.empty()) << "the session bus did not start";
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        ::setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1);
        ProgramE2ETest::SetUp();
    }
    void TearDown() override {
        ProgramE2ETest::TearDown();
        ::unsetenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON");
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        Stop(bus);
    }
    // "role|name|description|value" lines of every object of the window.
    std::string Tree() { return Output(std::string("/usr/bin/python3 ") + TONECAST_E2E_DIR "/atspi-tree.py 2>&1"); }
    // Whether a line of the tree starts with these fields.
    static bool Has(const std::string& tree, const std::string& start) {
        std::istringstream lines(tree);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(start, 0) == 0) return true;
        return false;
    }
    pid_t bus = -1;
};

TEST_F(AccessibilityE2ETest, AScreenReaderFindsNamedControlsAndAKnobsValue) {
    std::string tree;
    // The bridge registers the window once the bus has answered.
    for (int i = 0; i < 20 && !Has(tree, "slider|Piano keyboard|"); ++i) {
        Sleep(250);
        tree = Tree();
    }
    for (const char* start : {"slider|Piano keyboard|", "slider|Pitch wheel|", "slider|Modulation wheel|",
                              "push button|Scroll visible keys down|", "text|Channel|", "push button|Channel up|",
                              "text|Program|", "push button|Program down|", "text|MSB|", "text|LSB|",
                              "push button|Panic!|", "dial|Volume||100"})
        EXPECT_TRUE(Has(tree, start)) << start << " not in\n" << tree;

    // The focus comes a moment after it is asked for: a Down before it moves the
    // piano's cursor, which sends nothing, and the knob is tried again.
    for (int attempt = 0; attempt < 5 && !Has(tree, "dial|Volume||99"); ++attempt) {
        ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + TONECAST_E2E_DIR "/atspi-tree.py --focus dial Volume"), 0);
        Sleep(200);
        Keys("key Down");
        for (int i = 0; i < 10 && !Has(tree, "dial|Volume||99"); ++i) {
            Sleep(100);
            tree = Tree();
        }
    }
    EXPECT_TRUE(Has(tree, "dial|Volume||99")) << tree;
    const auto got = sink->Collect(1, 3000);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], (Message{0xB0, 7, 99})); // the knob sent what it shows
}

} // namespace
} // namespace e2e
