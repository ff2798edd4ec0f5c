#include "instrument/KeySim.h"

#include "instrument/KeyMap.h"

#include <cctype>
#include <cstdio>

namespace {

std::string NameOf(std::uint8_t scanCode, bool extended) {
    std::string name = KeyMap::KeyNameText(scanCode, extended);
    if (name.size() > 39) name.resize(39);
    return name;
}

bool ParseHex(const std::string& text, int& value) {
    value = 0;
    if (text.empty()) return false;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        value = value * 16 + (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10);
    }
    return true;
}

} // namespace

TKeyEvent::TKeyEvent(const TKeyData& data)
    : virtualKey_(data.virtualKey), extended_(data.extended), keyUp_(data.wasDown && data.keyUp),
      name_(NameOf(data.scanCode, data.extended)) {}

TKeyEvent::TKeyEvent(std::uint8_t virtualKey, bool keyUp, bool extended)
    : virtualKey_(virtualKey), extended_(extended), keyUp_(keyUp),
      name_(NameOf(KeyMap::VirtualKeyToScanCode(virtualKey), extended)) {}

TKeyEvent TKeyEvent::FromScanCode(std::uint8_t scanCode, bool keyUp, bool extended) {
    TKeyEvent e(KeyMap::ScanCodeToVirtualKey(scanCode, extended), keyUp, extended);
    e.name_ = NameOf(scanCode, extended);
    return e;
}

TKeyEvent TKeyEvent::FromString(const std::string& text) {
    int v;
    if (text.size() < 3 || !ParseHex(text.substr(0, 3), v)) throw EKeySequenceError("Key wrong format");
    return TKeyEvent(static_cast<std::uint8_t>(v & 0xFF), v & 0x200, v & 0x100);
}

std::string TKeyEvent::Encode() const {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03X", virtualKey_ + (extended_ ? 0x100 : 0) + (keyUp_ ? 0x200 : 0));
    return buf;
}

std::unique_ptr<TKeyEvent> TKeyEvent::Clone() const { return std::make_unique<TKeyEvent>(*this); }

const TKeyEvent& TKeySequence::Items(int index) const {
    if (index < 0 || index >= Count()) throw std::logic_error("Index out of bounds");
    return *events_[static_cast<std::size_t>(index)];
}

void TKeySequence::Changed() {
    if (OnChange) OnChange(this);
}

void TKeySequence::AddKeyData(const TKeyData& data) {
    if (data.wasDown && !data.keyUp) return; // auto-repeat
    AddEvent(std::make_unique<TKeyEvent>(data));
}

void TKeySequence::AddEvent(std::unique_ptr<TKeyEvent> event) {
    if (onlyOneChar_) {
        if (event->KeyUp()) return;
        events_.clear();
    }
    events_.push_back(std::move(event));
    Changed();
}

void TKeySequence::DeleteLast() {
    for (int i = Count() - 1; i >= 0; --i) {
        const TKeyEvent& press = *events_[static_cast<std::size_t>(i)];
        if (press.KeyUp()) continue;
        for (int j = Count() - 1; j > i; --j) {
            const TKeyEvent& e = *events_[static_cast<std::size_t>(j)];
            if (e.KeyUp() && e.VirtualKey() == press.VirtualKey()) {
                events_.erase(events_.begin() + j);
                break;
            }
        }
        events_.erase(events_.begin() + i);
        break;
    }
    Changed();
}

void TKeySequence::Clear() {
    events_.clear();
    Changed();
}

void TKeySequence::SetOnlyOneChar(bool value) {
    onlyOneChar_ = value;
    if (value && Count() > 1) {
        const TKeyEvent& first = *events_.front();
        auto press = std::make_unique<TKeyEvent>(first.VirtualKey(), false, first.Extended());
        events_.clear();
        events_.push_back(std::move(press));
        Changed();
    }
}

void TKeySequence::Assign(const TKeySequence& source) {
    onlyOneChar_ = source.onlyOneChar_;
    events_.clear();
    for (const auto& e : source.events_) events_.push_back(e->Clone());
    Changed();
}

std::unique_ptr<TKeySequence> TKeySequence::Clone() const {
    auto copy = std::make_unique<TKeySequence>();
    copy->Assign(*this);
    return copy;
}

std::string TKeySequence::GetAsString() const {
    char count[8];
    std::snprintf(count, sizeof count, "%04X", static_cast<unsigned>(events_.size() & 0xFFFF));
    std::string s = std::string("KSQ1") + count;
    for (const auto& e : events_) s += e->Encode();
    return s;
}

TKeyList TKeySequence::ParseEvents(const std::string& text) {
    TKeyList list;
    for (std::size_t i = 0; i + 3 <= text.size(); i += 3)
        list.push_back(std::make_unique<TKeyEvent>(TKeyEvent::FromString(text.substr(i, 3))));
    return list;
}

int TKeySequence::SetFromString(const std::string& text) {
    const std::size_t length = text.size();
    if (text.compare(0, 4, "Key ") == 0) {
        events_ = ParseEvents(text.substr(4));
        Changed();
        return static_cast<int>(length);
    }
    if (length < 8 || text.compare(0, 4, "KSQ1") != 0) throw EKeySequenceError("The String is not a Key Sequence!");
    int count;
    if (!ParseHex(text.substr(4, 4), count) || 8 + static_cast<std::size_t>(count) * 3 > length)
        throw EKeySequenceError("The String is not a Key Sequence!");
    const std::size_t n = static_cast<std::size_t>(count) * 3;
    if (n == 0) events_.clear();
    else events_ = ParseEvents(text.substr(8, n));
    Changed();
    return static_cast<int>(8 + n);
}

std::string TKeySequence::GetText() {
    std::string text;
    const TKeyEvent* previous = nullptr;
    bool previousWasRelease = true;
    for (auto& row : down_) row = {false, false};
    for (const auto& e : events_) {
        auto& isDown = down_[e->VirtualKey()][e->Extended() ? 1 : 0];
        if (!e->KeyUp()) {
            if (!previousWasRelease) text += "(";
            text += e->Name();
        } else if (previous && previous->VirtualKey() == e->VirtualKey() && previous->Extended() == e->Extended()) {
            text += " ";
        } else if (isDown) {
            text += ")";
        }
        previous = e.get();
        previousWasRelease = e->KeyUp();
        isDown = !e->KeyUp();
    }
    for (int vk = 0; vk < 256; ++vk)
        for (int ext = 0; ext < 2; ++ext) {
            if (!down_[static_cast<std::size_t>(vk)][static_cast<std::size_t>(ext)]) continue;
            if (previous && previous->VirtualKey() == vk && previous->Extended() == (ext == 1)) continue;
            text += ")";
        }
    return text;
}

bool TKeySequence::Play(const TKeyStrokeSender& send) {
    for (auto& row : down_) row = {false, false};
    for (const auto& e : events_) {
        if (send) send(e->VirtualKey(), e->KeyUp(), e->Extended());
        down_[e->VirtualKey()][e->Extended() ? 1 : 0] = !e->KeyUp();
    }
    for (int vk = 0; vk < 256; ++vk)
        for (int ext = 0; ext < 2; ++ext)
            if (down_[static_cast<std::size_t>(vk)][static_cast<std::size_t>(ext)] && send)
                send(static_cast<std::uint8_t>(vk), true, ext == 1);
    return true;
}
