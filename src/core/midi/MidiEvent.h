#pragma once
// One received message, and the long-message buffers an input port lends
// its driver.
#include "midi/MidiInDriver.h"

#include <cstdint>
#include <memory>
#include <vector>

struct TMidiEvent {
    std::uint8_t status = 0; // 0xF0 or 0xF7 for long data
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    std::uint32_t time = 0;
    std::uint32_t dataLength = 0;
    std::vector<std::uint8_t> data; // long data only
    bool IsLong() const { return !data.empty() || status == 0xF0 || status == 0xF7; }
};

class TMidiHdrBase {
public:
    explicit TMidiHdrBase(std::uint32_t size, std::uintptr_t user);
    virtual ~TMidiHdrBase() = default;
    TMidiHdrBase(const TMidiHdrBase&) = delete;
    TMidiHdrBase& operator=(const TMidiHdrBase&) = delete;

    virtual void Add(MidiInDriver& driver, MidiHandle handle) = 0;
    virtual MMRESULT Release(MidiInDriver& driver, MidiHandle handle) = 0;

    MIDIHDR Header;

protected:
    std::unique_ptr<char[]> data_;
    bool prepared_ = false;
};

class TMidiInHdr : public TMidiHdrBase {
public:
    using TMidiHdrBase::TMidiHdrBase;
    void Add(MidiInDriver& driver, MidiHandle handle) override; // raises EMidiInputError
    MMRESULT Release(MidiInDriver& driver, MidiHandle handle) override;
};
