#include "fake/FakeMidiDriver.h"

class FakeMidiOutDriver::TPort final : public TMidiOutPort {
public:
    TPort(FakeMidiOutDriver& driver, int number) : driver_(driver), number_(number) { driver_.live_[number] = this; }
    ~TPort() override {
        driver_.calls.push_back("close");
        if (driver_.onClose) driver_.onClose(number_);
        driver_.openPorts.erase(number_);
        driver_.live_.erase(number_);
    }
    void Send(const TShortMessage& m) override {
        driver_.calls.push_back("send");
        if (!driver_.sendError.empty()) throw EMidiError(driver_.sendError);
        driver_.sent.push_back({number_, ShortMessage::Pack(m)});
    }
    void Silence() override {
        driver_.calls.push_back("silence");
        if (!driver_.silenceError.empty()) throw EMidiError(driver_.silenceError);
    }
    int Listeners() const override { return driver_.listeners; }

private:
    FakeMidiOutDriver& driver_;
    int number_;
};

std::vector<TMidiPortInfo> FakeMidiOutDriver::Ports() {
    ++listings;
    std::vector<TMidiPortInfo> ports;
    for (std::size_t i = 0; i < devices.size(); ++i) ports.push_back({devices[i], std::to_string(i)});
    return ports;
}

std::optional<TMidiPortInfo> FakeMidiOutDriver::OwnPort() {
    ++listings;
    if (!mapperWithoutDevices && devices.empty()) return std::nullopt;
    return TMidiPortInfo{mapperName, OwnPortId};
}

std::unique_ptr<TMidiOutPort> FakeMidiOutDriver::Open(const TMidiPortInfo& port) {
    const std::int32_t device = port.id == OwnPortId ? -1 : std::stoi(port.id);
    calls.push_back("open " + std::to_string(device));
    if (!openError.empty()) throw EMidiError(openError);
    const int number = nextPort_++;
    openPorts[number] = device;
    return std::make_unique<TPort>(*this, number);
}

void FakeMidiOutDriver::Fail(int port, const std::string& why) {
    const auto it = live_.find(port);
    if (it != live_.end() && it->second->OnFailed) it->second->OnFailed(why);
}
