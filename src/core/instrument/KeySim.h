#pragma once
// Computer-key strokes: single events, sequences with a readable text and a
// compact "KSQ1" string form, replayed to the program as synthetic keys.
#include "instrument/KeyData.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class EKeySequenceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TKeyEvent {
public:
    explicit TKeyEvent(const TKeyData& data);
    TKeyEvent(std::uint8_t virtualKey, bool keyUp, bool extended);
    static TKeyEvent FromScanCode(std::uint8_t scanCode, bool keyUp, bool extended);
    // Reads the 3-digit form at the front of the text; raises "Key wrong format".
    static TKeyEvent FromString(const std::string& text);

    std::uint8_t VirtualKey() const { return virtualKey_; }
    bool Extended() const { return extended_; }
    bool KeyUp() const { return keyUp_; }
    const std::string& Name() const { return name_; }
    std::string Encode() const;
    std::unique_ptr<TKeyEvent> Clone() const;

private:
    std::uint8_t virtualKey_;
    bool extended_;
    bool keyUp_;
    std::string name_;
};

// Owns its events.
using TKeyList = std::vector<std::unique_ptr<TKeyEvent>>;

// Where replayed key strokes go: the GUI layer's synthetic key events.
using TKeyStrokeSender = std::function<void(std::uint8_t virtualKey, bool keyUp, bool extended)>;

class TKeySequence {
public:
    TKeySequence() = default;
    virtual ~TKeySequence() = default;

    std::function<void(TKeySequence* sender)> OnChange;

    int Count() const { return static_cast<int>(events_.size()); }
    const TKeyEvent& Items(int index) const;
    void AddKeyData(const TKeyData& data);
    void AddEvent(std::unique_ptr<TKeyEvent> event);
    void DeleteLast();
    void Clear();
    bool OnlyOneChar() const { return onlyOneChar_; }
    void SetOnlyOneChar(bool value);

    virtual void Assign(const TKeySequence& source);
    virtual std::string GetAsString() const;
    virtual int SetFromString(const std::string& text); // raises EKeySequenceError
    virtual std::string GetText();
    virtual bool Play(const TKeyStrokeSender& send);
    virtual std::unique_ptr<TKeySequence> Clone() const;

private:
    void Changed();
    static TKeyList ParseEvents(const std::string& text);

    TKeyList events_;
    std::array<std::array<bool, 2>, 256> down_{};
    bool onlyOneChar_ = false;
};
