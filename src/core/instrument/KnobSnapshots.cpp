#include "instrument/KnobSnapshots.h"

#include "store/HexBytes.h"

#include <algorithm>

namespace {
std::string Numbered(const char* name, int n) { return name + std::to_string(n); }
} // namespace

std::string KnobSnapshot::Build(const std::vector<TControllerValue>& knobs) {
    std::string text;
    std::vector<int> seen;
    for (const auto& [controller, value] : knobs) {
        if (std::find(seen.begin(), seen.end(), controller) != seen.end()) continue;
        seen.push_back(controller);
        HexBytes::Append(text, controller);
        HexBytes::Append(text, value);
    }
    return text;
}

std::vector<TControllerValue> KnobSnapshot::Decode(const std::string& values) {
    std::vector<int> bytes;
    for (std::size_t i = 0;; i += 2) {
        const int byte = HexBytes::At(values, i);
        if (byte < 0) break;
        bytes.push_back(byte);
    }
    std::vector<TControllerValue> pairs;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) pairs.emplace_back(bytes[i], bytes[i + 1]);
    return pairs;
}

TKnobSnapshots::TKnobSnapshots() {
    for (int slot = 1; slot <= SlotCount; ++slot) slots_[Index(slot)].caption = DefaultCaption(slot);
}

std::string TKnobSnapshots::DefaultCaption(int slot) {
    return "&" + std::to_string(slot) + " Snapshot " + std::to_string(slot);
}

int TKnobSnapshots::UsedCount() const {
    return static_cast<int>(std::count_if(slots_.begin(), slots_.end(), [](const TSlot& s) { return !s.values.empty(); }));
}

std::string TKnobSnapshots::Name(int slot) const {
    const std::string& caption = Caption(slot);
    return caption.size() > 3 ? caption.substr(3) : std::string();
}

void TKnobSnapshots::Define(int slot, const std::string& name, const std::vector<TControllerValue>& knobs) {
    TSlot& s = slots_.at(Index(slot));
    s.caption = "&" + std::to_string(slot) + " " + name;
    s.values = KnobSnapshot::Build(knobs);
}

int TKnobSnapshots::Save(TIniStore& store, const std::string& section) const {
    int written = 0;
    for (int slot = 1; slot <= SlotCount; ++slot) {
        const TSlot& s = slots_[Index(slot)];
        if (s.values.empty()) {
            store.DeleteValue(section, Numbered("Name", slot));
            store.DeleteValue(section, Numbered("Values", slot));
        } else {
            store.WriteString(section, Numbered("Name", slot), s.caption);
            store.WriteString(section, Numbered("Values", slot), s.values);
            ++written;
        }
    }
    return written;
}

int TKnobSnapshots::Load(TIniStore& store, const std::string& section) {
    int read = 0;
    for (int slot = 1; slot <= SlotCount; ++slot) {
        TSlot& s = slots_[Index(slot)];
        std::string values = store.ReadString(section, Numbered("Values", slot), "");
        if (values.empty()) continue;
        s.caption = store.ReadString(section, Numbered("Name", slot), s.caption);
        s.values = std::move(values);
        ++read;
    }
    return read;
}
