#pragma once
// One MIDI output port: selects a device by its place in the system's list
// (or the program's own port), opens it and sends short messages.
#include "midi/MidiDriver.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

inline constexpr std::int32_t NoMidiDevice = 30000;
inline constexpr std::int32_t OwnPortDevice = -1; // the program's own port, or the system's mapper

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

// Refuses to open a loopback device whose other direction is open here.
void RefuseFeedback(const TOpenMidiDevices& open, TMidiDeviceKind other, const std::string& name);

class TMidiOutput {
public:
    TMidiOutput(TMidiOutDriver& driver, TOpenMidiDevices& openDevices);
    ~TMidiOutput();
    TMidiOutput(const TMidiOutput&) = delete;
    TMidiOutput& operator=(const TMidiOutput&) = delete;

    std::int32_t DeviceID() const { return deviceId_; }
    // A place past the end selects nothing.
    void SetDeviceID(std::int32_t id);
    const std::string& DeviceName() const { return device_.name; }

    bool Open();
    // Ends what the port left sounding, then closes it; closed afterwards
    // even when the system complains, and the complaint is raised.
    bool Close();
    bool IsClosed() const { return !port_; }
    void SendShortMsg(const TShortMessage& message);
    // Ports taking what this one sends, where the system can tell; -1 when closed.
    int Listeners() const { return port_ ? port_->Listeners() : -1; }

    // GUI thread: the open port failed by itself; the text says why.
    std::function<void(const std::string& why)> OnFailed;

private:
    TMidiOutDriver& driver_;
    TOpenMidiDevices& openDevices_;
    std::int32_t deviceId_ = NoMidiDevice;
    TMidiPortInfo device_;
    std::unique_ptr<TMidiOutPort> port_;
};
