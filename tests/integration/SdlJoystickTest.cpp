// The main window driven through the real SDL joystick path by SDL's own
// virtual joysticks: what a test moves reaches the output port.
#include "input/Joystick.h"
#include "platform/SdlJoystickDriver.h"

#include "../widget/WindowFixture.h"

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
    SdlJoystickDriver driver;
    auto window = Start(&driver);
    ASSERT_TRUE(window->Joystick1->Enabled()) << "the virtual stick was not found";
    EXPECT_EQ(window->Joystick1->ProductName(), "Test Stick");
    EXPECT_FALSE(window->Joystick2->Enabled());
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

} // namespace
