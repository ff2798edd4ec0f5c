// The main window driven through the real SDL joystick path by SDL's own
// virtual joysticks: what a test moves reaches the output port.
#include "widgets/Joystick.h"
#include "JoystickModule.h"

#include "WindowFixture.h"

#include <QApplication>
#include <QElapsedTimer>

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using M = std::tuple<int, int, int>;

class SdlJoystickTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        // The test's own hold on SDL's joysticks, to attach a virtual one before the window starts.
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = 3;
        desc.nbuttons = 4;
        desc.name = "Test Stick";
        deviceIndex = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(deviceIndex, 0) << SDL_GetError();
        stick = SDL_JoystickOpen(deviceIndex);
        ASSERT_NE(stick, nullptr) << SDL_GetError();
    }
    void TearDown() override {
        if (stick) SDL_JoystickClose(stick);
        if (deviceIndex >= 0) SDL_JoystickDetachVirtual(deviceIndex);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        WindowFixture::TearDown();
    }
    std::vector<M> Sent() const { return SentMessages(out); }
    // Runs the event loop, so the joystick's timer polls, until count messages arrived.
    std::vector<M> Await(std::size_t count) {
        QElapsedTimer t;
        t.start();
        while (Sent().size() < count && t.elapsed() < 2000) QApplication::processEvents(QEventLoop::AllEvents, 10);
        return Sent();
    }

    int deviceIndex = -1;
    SDL_Joystick* stick = nullptr;
};

TEST_F(SdlJoystickTest, AVirtualStickMovesTheMappedControllersAndAButtonSwitchesTheSlot) {
    StoreSettings([](TIniStore& store) {
        store.WriteInteger("Joystick", "X00", 7);  // X, no button: volume
        store.WriteInteger("Joystick", "X01", 10); // X with the first button: pan
    });
    TJoystickModule driver;
    auto window = Start(&driver);
    ASSERT_TRUE(window->Joysticks().firstJoystick->Enabled()) << "the virtual stick was not found";
    EXPECT_EQ(window->Joysticks().firstJoystick->ProductName(), "Test Stick");
    EXPECT_FALSE(window->Joysticks().secondJoystick->Enabled());
    QElapsedTimer settle; // a few polls at rest: nothing is sent
    settle.start();
    while (settle.elapsed() < 150) QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(Sent().empty());

    ASSERT_EQ(SDL_JoystickSetVirtualAxis(stick, 0, 32767), 0) << SDL_GetError();
    EXPECT_EQ(Await(1), (std::vector<M>{{0xB0, 7, 127}}));

    out.sent.clear();
    ASSERT_EQ(SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED), 0);
    ASSERT_EQ(SDL_JoystickSetVirtualAxis(stick, 0, -32768), 0);
    EXPECT_EQ(Await(1), (std::vector<M>{{0xB0, 10, 0}}));
    window->close();
}

// A stick pulled out while deflected: what it moved goes back to rest.
TEST_F(SdlJoystickTest, UnpluggingADeflectedStickReturnsThePitchBendToCentre) {
    StoreSettings([](TIniStore& store) { store.WriteInteger("Joystick", "X00", 128); }); // X: pitch bend
    TJoystickModule driver;
    auto window = Start(&driver);
    ASSERT_TRUE(window->Joysticks().firstJoystick->Enabled());
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 100) QApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(SDL_JoystickSetVirtualAxis(stick, 0, 32767), 0) << SDL_GetError();
    const auto bent = Await(1);
    ASSERT_EQ(bent.size(), 1u);
    EXPECT_EQ(std::get<0>(bent[0]), 0xE0);
    EXPECT_NE(bent[0], (M{0xE0, 0x00, 0x40}));
    out.sent.clear();
    ASSERT_EQ(SDL_JoystickDetachVirtual(deviceIndex), 0) << SDL_GetError();
    deviceIndex = -1;
    EXPECT_EQ(Await(1), (std::vector<M>{{0xE0, 0x00, 0x40}})) << "the bend stayed where the stick left it";
    window->close();
}

SDL_VirtualJoystickDesc Stick(const char* name) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = 3;
    desc.nbuttons = 4;
    desc.name = name;
    return desc;
}

// Index of the attached stick with this instance id.
int IndexOf(SDL_JoystickID id) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == id) return i;
    return -1;
}

// Two sticks; the first is pulled out and plugged in again: each device keeps
// reading its own stick, and the one plugged back is read again.
TEST(SdlJoystickPlugTest, DevicesKeepTheirSticksAcrossAnUnplugAndAReplug) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    const SDL_VirtualJoystickDesc first = Stick("First"), second = Stick("Second");
    SDL_Joystick* a = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&first));
    SDL_Joystick* b = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&second));
    ASSERT_TRUE(a && b) << SDL_GetError();
    TJoystickModule driver;
    ASSERT_TRUE(driver.Start());
    const auto name = [&](int device) {
        TJoystickCaps caps;
        return driver.Caps(device, caps) ? caps.productName : std::string("(none)");
    };
    const auto x = [&](int device) {
        TJoystickPosition p;
        return driver.Position(device, p) ? p.x : -1;
    };
    EXPECT_EQ(name(0), "First");
    EXPECT_EQ(name(1), "Second");

    SDL_JoystickSetVirtualAxis(b, 0, 16000);
    const SDL_JoystickID firstId = SDL_JoystickInstanceID(a);
    SDL_JoystickClose(a);
    ASSERT_EQ(SDL_JoystickDetachVirtual(IndexOf(firstId)), 0) << SDL_GetError();
    EXPECT_EQ(x(0), -1) << "device 0 reads the second stick";
    EXPECT_EQ(x(1), 16000 + 32768);
    EXPECT_EQ(name(1), "Second");

    a = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&first));
    ASSERT_NE(a, nullptr) << SDL_GetError();
    SDL_JoystickSetVirtualAxis(a, 0, -16000);
    EXPECT_EQ(name(0), "First") << "the stick plugged back is not read";
    EXPECT_EQ(x(0), -16000 + 32768);
    EXPECT_EQ(x(1), 16000 + 32768);

    for (SDL_Joystick* j : {a, b}) {
        const SDL_JoystickID id = SDL_JoystickInstanceID(j);
        SDL_JoystickClose(j);
        SDL_JoystickDetachVirtual(IndexOf(id));
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

} // namespace
