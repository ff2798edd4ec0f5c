#include "fake/FakeMidiInDriver.h"

#include <algorithm>

class FakeMidiInDriver::TPort final : public TMidiInPort {
public:
    TPort(FakeMidiInDriver& driver, TMidiReceiver& receiver) : driver_(driver), receiver(receiver) {
        std::lock_guard guard(driver_.mutex_);
        driver_.ports_.push_back(this);
    }
    ~TPort() override {
        driver_.calls.push_back("close");
        std::lock_guard guard(driver_.mutex_);
        std::erase(driver_.ports_, this);
    }
    FakeMidiInDriver& driver_;
    TMidiReceiver& receiver;
};

std::vector<TMidiPortInfo> FakeMidiInDriver::Ports() {
    std::vector<TMidiPortInfo> ports;
    for (std::size_t i = 0; i < devices.size(); ++i) ports.push_back({devices[i], std::to_string(i)});
    return ports;
}

std::unique_ptr<TMidiInPort> FakeMidiInDriver::Open(const TMidiPortInfo& port, TMidiReceiver& receiver) {
    calls.push_back("open " + port.id);
    if (!openError.empty()) throw EMidiError(openError);
    return std::make_unique<TPort>(*this, receiver);
}

bool FakeMidiInDriver::Inject(const std::uint8_t* bytes, std::size_t size, std::uint32_t time) {
    std::lock_guard guard(mutex_);
    if (ports_.empty()) return false;
    ports_.front()->receiver.Receive(bytes, size, clockZero + std::chrono::milliseconds(time));
    return true;
}

bool FakeMidiInDriver::InjectShort(std::uint32_t packed, std::uint32_t time) {
    const TShortMessage m = ShortMessage::Unpack(packed);
    const std::uint8_t bytes[3] = {m.status, m.data1, m.data2};
    return Inject(bytes, static_cast<std::size_t>(std::max(1, ShortMessage::Length(m.status))), time);
}

bool FakeMidiInDriver::InjectLong(const std::vector<std::uint8_t>& bytes, std::uint32_t time) {
    return Inject(bytes.data(), bytes.size(), time);
}

bool FakeMidiInDriver::IsOpen() {
    std::lock_guard guard(mutex_);
    return !ports_.empty();
}
