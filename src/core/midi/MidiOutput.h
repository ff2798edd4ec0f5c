#pragma once
// One MIDI output port: selects a device by number, opens it and sends
// three-byte channel messages.
#include "midi/MidiOutDriver.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

inline constexpr std::int32_t NoMidiDevice = 30000;

class EMidiOutputError : public std::runtime_error {
public:
    EMidiOutputError(const std::string& message, MMRESULT code = 0)
        : std::runtime_error(message), ErrorCode(code) {}
    MMRESULT ErrorCode;
};

// Names of the devices open in this program, per kind, shared by its input
// and output ports so that a loopback device is never opened both ways.
// Names compare without regard to case.
enum class TMidiDeviceKind { Input = 0, Output = 1 };

class TOpenMidiDevices {
public:
    void Add(TMidiDeviceKind kind, const std::string& name);
    void Remove(TMidiDeviceKind kind, const std::string& name);
    bool Contains(TMidiDeviceKind kind, const std::string& name) const;
    const std::vector<std::string>& Names(TMidiDeviceKind kind) const;

private:
    std::array<std::vector<std::string>, 2> lists_;
};

// True when the name starts with the name of a loopback driver, whose input
// and output are wired together.
bool IsLoopbackName(const std::string& deviceName);

class TMidiOutput {
public:
    TMidiOutput(MidiOutDriver& driver, TOpenMidiDevices& openDevices);
    ~TMidiOutput();
    TMidiOutput(const TMidiOutput&) = delete;
    TMidiOutput& operator=(const TMidiOutput&) = delete;

    std::int32_t DeviceID() const { return deviceId_; }
    void SetDeviceID(std::int32_t id);
    const std::string& DeviceName() const { return deviceName_; }

    bool Open();
    bool Close();
    bool IsClosed() const { return closed_; }
    bool Holds(MidiHandle handle) const { return !closed_ && handle == handle_; }
    void SendShortMsg(const TShortMessage& message);
    // Ports taking what this one sends, where the system can tell; -1 when closed.
    int Listeners() const { return closed_ ? -1 : driver_.Listeners(handle_); }


private:
    EMidiOutputError ErrorFrom(MMRESULT code) const;

    MidiOutDriver& driver_;
    TOpenMidiDevices& openDevices_;
    std::int32_t deviceId_ = NoMidiDevice;
    MidiHandle handle_ = 0;
    bool closed_ = true;
    std::string deviceName_;
    const bool feedbackCheck_ = true;
};
