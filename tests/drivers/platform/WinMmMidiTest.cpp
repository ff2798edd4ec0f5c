// The WinMM MIDI system under Wine: device numbers, a failed open with the
// system's own text, and the mapper as device -1.
#include "WinMmMidi.h"

#include <gtest/gtest.h>

namespace {

template <typename Driver>
void ExpectDevicesAndTheirErrors(Driver& driver) {
    const std::uint32_t count = driver.GetNumDevs();
    std::string name;
    for (std::uint32_t i = 0; i < count; ++i) {
        EXPECT_EQ(driver.GetDevCaps(static_cast<std::int32_t>(i), name), MMSYSERR_NOERROR);
        EXPECT_FALSE(name.empty());
    }
    EXPECT_EQ(driver.GetDevCaps(static_cast<std::int32_t>(count), name), MMSYSERR_BADDEVICEID);
    std::string text, ours;
    ASSERT_EQ(driver.GetErrorText(MMSYSERR_BADDEVICEID, text), MMSYSERR_NOERROR);
    ASSERT_TRUE(MidiErrorText(MMSYSERR_BADDEVICEID, ours));
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text, ours) << "the system's text, not the program's own";
    EXPECT_EQ(MidiResultText(driver, MMSYSERR_BADDEVICEID), text);
    EXPECT_EQ(driver.GetErrorText(12345, text), MMSYSERR_BADERRNUM);
}

TEST(WinMmTest, OutputDevicesTheMapperAndAFailedOpen) {
    TWinMmMidiOut out;
    ExpectDevicesAndTheirErrors(out);
    MidiHandle handle = 0;
    EXPECT_EQ(out.Open(handle, static_cast<std::int32_t>(out.GetNumDevs()) + 3), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(handle, 0u);
    EXPECT_TRUE(out.HasMapper());
    // The mapper opens where the system has a set-up, else it says why.
    const MMRESULT mapper = out.Open(handle, MIDI_MAPPER);
    if (mapper == MMSYSERR_NOERROR) {
        EXPECT_EQ(out.ShortMsg(handle, {0x90, 60, 0}), MMSYSERR_NOERROR);
        EXPECT_EQ(out.Reset(handle), MMSYSERR_NOERROR);
        EXPECT_EQ(out.Close(handle), MMSYSERR_NOERROR);
    } else {
        std::string text;
        EXPECT_EQ(out.GetErrorText(mapper, text), MMSYSERR_NOERROR);
        EXPECT_FALSE(text.empty()) << mapper;
    }
}

TEST(WinMmTest, InputDevicesAndAFailedOpen) {
    TWinMmMidiIn in;
    ExpectDevicesAndTheirErrors(in);
    MidiHandle handle = 0;
    const auto callback = [](MidiHandle, std::uint32_t, std::uintptr_t, std::uintptr_t, std::uintptr_t) {};
    EXPECT_EQ(in.Open(handle, static_cast<std::int32_t>(in.GetNumDevs()) + 3, callback, 0), MMSYSERR_BADDEVICEID);
    MIDIHDR header;
    EXPECT_EQ(in.PrepareHeader(handle, &header), MMSYSERR_INVALHANDLE);
}

} // namespace
