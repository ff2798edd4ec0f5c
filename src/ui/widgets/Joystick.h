#pragma once
// One game controller watched at a polling period: its capabilities, and
// events when its buttons or axes change. Asks nothing of the system until
// it is enabled.
#include "instrument/JoystickScale.h"
#include "instrument/JoystickDriver.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

class TJoystick : public QObject {
    Q_OBJECT
public:
    TJoystick(JoystickDriver& driver, QObject* parent = nullptr);
    ~TJoystick() override;

    using TButtonEvent = std::function<void(TJoystick* sender, int button)>; // 0..3
    using TXYMoveEvent = std::function<void(TJoystick* sender, int x, int y, unsigned buttons)>;
    using TZMoveEvent = std::function<void(TJoystick* sender, int z, unsigned buttons)>;
    TButtonEvent OnButtonDown, OnButtonUp;
    TXYMoveEvent OnXYMove;
    TZMoveEvent OnZMove;

    int Count() const { return driver_.Started() ? driver_.Count() : 0; }
    int Device() const { return device_; }
    // 0 or 1; other values are ignored.
    void SetDevice(int device);
    bool Attached() const;
    int XMin() const { return caps_.xMin; }
    int XMax() const { return caps_.xMax; }
    int YMin() const { return caps_.yMin; }
    int YMax() const { return caps_.yMax; }
    int ZMin() const { return caps_.zMin; }
    int ZMax() const { return caps_.zMax; }
    const std::string& ProductName() const { return caps_.productName; }
    const std::string& OEMName() const { return caps_.oemName; }
    int ButtonCount() const { return caps_.buttonCount; }
    bool HasZLayer() const { return caps_.hasZ; }
    int MinPollFreq() const { return caps_.periodMin; }
    int MaxPollFreq() const { return caps_.periodMax; }
    bool Enabled() const { return enabled_; }
    // True afterwards only when a joystick is there to watch.
    void SetEnabled(bool enabled);
    int PollFreq() const { return pollFreq_; }
    void SetPollFreq(int ms) {
        if (ms > 0) pollFreq_ = ms;
    }
    // The period polling runs at while enabled.
    int PollInterval() const { return timer_.interval(); }

    int ScaleX(int value, int low, int high) const { return JoystickScale(value, caps_.xMin, caps_.xMax, low, high); }
    int ScaleY(int value, int low, int high) const { return JoystickScale(value, caps_.yMin, caps_.yMax, low, high); }
    int ScaleZ(int value, int low, int high) const { return JoystickScale(value, caps_.zMin, caps_.zMax, low, high); }

    // One poll, as the timer does it.
    void Poll();

private:
    bool ReadCaps();
    void ReturnToRest(); // as if the stick had been let go
    void Start();
    void Stop();

    JoystickDriver& driver_;
    QTimer timer_;
    TJoystickCaps caps_;
    TJoystickPosition last_;
    bool havePosition_ = false;
    int device_ = 0;
    int pollFreq_ = 100;
    bool enabled_ = false;
};
