#pragma once
// Input side of the MIDI system: devices by number, long-message buffers the
// port lends the driver, and a callback on the driver's own thread carrying
// the system's message numbers.
#include "midi/MidiOutDriver.h"

#include <cstdint>
#include <string>

inline constexpr std::uint32_t MIM_OPEN = 0x3C1;
inline constexpr std::uint32_t MIM_CLOSE = 0x3C2;
inline constexpr std::uint32_t MIM_DATA = 0x3C3;
inline constexpr std::uint32_t MIM_LONGDATA = 0x3C4;
inline constexpr std::uint32_t MIM_ERROR = 0x3C5;
inline constexpr std::uint32_t MIM_LONGERROR = 0x3C6;
inline constexpr std::uint32_t MIM_MOREDATA = 0x3CC;

inline constexpr std::uint32_t MHDR_DONE = 1;
inline constexpr std::uint32_t MHDR_PREPARED = 2;
inline constexpr std::uint32_t MHDR_INQUEUE = 4;

struct MIDIHDR {
    char* lpData = nullptr;
    std::uint32_t dwBufferLength = 0;
    std::uint32_t dwBytesRecorded = 0;
    std::uintptr_t dwUser = 0;
    std::uint32_t dwFlags = 0;
    MIDIHDR* lpNext = nullptr;
    std::uintptr_t reserved = 0;
    std::uint32_t dwOffset = 0;
};

// Called on the driver's thread: (handle, message, instance, parameter 1, parameter 2).
// For MIM_DATA parameter 1 is the packed message and parameter 2 the time in
// milliseconds since Start; for MIM_LONGDATA parameter 1 is the MIDIHDR*.
using MidiInCallback = void (*)(MidiHandle, std::uint32_t, std::uintptr_t, std::uintptr_t, std::uintptr_t);

class MidiInDriver {
public:
    virtual ~MidiInDriver() = default;
    virtual std::uint32_t GetNumDevs() = 0;
    virtual MMRESULT GetDevCaps(std::int32_t deviceId, std::string& productName) = 0;
    virtual MMRESULT Open(MidiHandle& handle, std::int32_t deviceId, MidiInCallback callback,
                          std::uintptr_t instance) = 0;
    virtual MMRESULT GetID(MidiHandle handle, std::int32_t& deviceId) = 0;
    virtual MMRESULT PrepareHeader(MidiHandle handle, MIDIHDR* header) = 0;
    virtual MMRESULT UnprepareHeader(MidiHandle handle, MIDIHDR* header) = 0;
    virtual MMRESULT AddBuffer(MidiHandle handle, MIDIHDR* header) = 0;
    virtual MMRESULT Start(MidiHandle handle) = 0;
    virtual MMRESULT Stop(MidiHandle handle) = 0;
    virtual MMRESULT Reset(MidiHandle handle) = 0; // returns every lent buffer
    virtual MMRESULT Close(MidiHandle handle) = 0;
    virtual MMRESULT GetErrorText(MMRESULT code, std::string& text) {
        return MidiErrorText(code, text) ? MMSYSERR_NOERROR : MMSYSERR_BADERRNUM;
    }

    // As for the output: false until a system asked on a thread of its own has answered.
    virtual bool DevicesKnown() { return true; }

    // GUI thread: ports appeared or disappeared, or the system went away.
    std::function<void()> OnPortsChanged;
};

