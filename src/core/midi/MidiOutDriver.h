#pragma once
// The MIDI system as the ports see it: device numbers, result codes and
// packed short messages, the same shapes on every backend.
#include "midi/ShortMessage.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using MMRESULT = std::uint32_t;
using MidiHandle = std::uintptr_t; // 0 = no handle

inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
inline constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
inline constexpr MMRESULT MMSYSERR_BADERRNUM = 9;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MIDIERR_UNPREPARED = 64;
inline constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
inline constexpr MMRESULT MIDIERR_NOMAP = 66;
inline constexpr MMRESULT MIDIERR_NOTREADY = 67;
inline constexpr MMRESULT MIDIERR_NODEVICE = 68;
inline constexpr MMRESULT MIDIERR_INVALIDSETUP = 69;
inline constexpr MMRESULT MIDIERR_BADOPENMODE = 70;
inline constexpr MMRESULT MIDIERR_DONT_CONTINUE = 71;

inline constexpr std::int32_t MIDI_MAPPER = -1;

// The text of a result code; false (and "text" untouched) when the code has none.
bool MidiErrorText(MMRESULT code, std::string& text);

// The message of a driver's result code: its text (the system's buffer holds
// 128 characters), or "Unspecified error" when it has none.
template <typename Driver>
std::string MidiResultText(Driver& driver, MMRESULT code) {
    std::string text;
    if (driver.GetErrorText(code, text) != MMSYSERR_NOERROR) return "Unspecified error";
    if (text.size() > 127) text.resize(127);
    return text;
}

// The name of a device from a list of the system's names.
inline MMRESULT DeviceNameFrom(const std::vector<std::string>& names, std::int32_t deviceId, std::string& name) {
    if (deviceId < 0 || deviceId >= static_cast<std::int32_t>(names.size())) return MMSYSERR_BADDEVICEID;
    name = names[static_cast<std::size_t>(deviceId)];
    return MMSYSERR_NOERROR;
}

// Output side of the MIDI system. Device numbers run 0..GetNumDevs()-1; -1 is the mapper.
class MidiOutDriver {
public:
    virtual ~MidiOutDriver() = default;
    virtual std::uint32_t GetNumDevs() = 0;
    virtual MMRESULT GetDevCaps(std::int32_t deviceId, std::string& productName) = 0;
    virtual MMRESULT Open(MidiHandle& handle, std::int32_t deviceId) = 0;
    // The message as sent; the driver alone turns it into bytes.
    virtual MMRESULT ShortMsg(MidiHandle handle, const TShortMessage& message) = 0;
    virtual MMRESULT Reset(MidiHandle handle) = 0;
    virtual MMRESULT Close(MidiHandle handle) = 0;
    virtual MMRESULT GetErrorText(MMRESULT code, std::string& text) {
        return MidiErrorText(code, text) ? MMSYSERR_NOERROR : MMSYSERR_BADERRNUM;
    }
    // Whether the mapper (device -1) can be opened. The system's mapper exists
    // when devices do; a backend that makes its own port has one regardless.
    virtual bool HasMapper() { return GetNumDevs() > 0; }
    // How many other ports take what the handle's port sends, on a backend
    // that makes a port of its own for it; -1 where that cannot be told.
    virtual int Listeners(MidiHandle) { return -1; }

    // Whether the system has answered since it was first used: a system
    // asked on a thread of its own lists no devices until then, and tells
    // OnPortsChanged once it answers.
    virtual bool DevicesKnown() { return true; }

    // GUI thread: ports appeared or disappeared, or the system went away.
    // Drivers that cannot tell leave it uncalled; their lists are read afresh
    // whenever a device menu opens.
    std::function<void()> OnPortsChanged;
    // GUI thread: a device opened earlier failed by itself; its port is to be
    // closed, and the code's text says why.
    std::function<void(MidiHandle handle, MMRESULT code)> OnDeviceFailed;
};

