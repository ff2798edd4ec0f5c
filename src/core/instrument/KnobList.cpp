#include "instrument/KnobList.h"

#include <cassert>

namespace {
std::string Numbered(const char* name, int n) { return name + std::to_string(n); }
} // namespace

void TKnobList::Add(const std::string& caption, int controller, int displayMode, int defaultValue) {
    if (Count() >= MaxCount) return;
    auto entry = std::make_unique<TKnobEntry>(controller, displayMode, defaultValue);
    entry->SetCaption(caption);
    Append(std::move(entry));
}

void TKnobList::AddKnob(const std::string& caption, int controller, int displayMode, int defaultValue) {
    Add(caption, controller, displayMode, defaultValue);
}

void TKnobList::Assign(const TKnobList& source) {
    Clear();
    for (int i = 0; i < source.Count(); ++i) {
        const std::string caption = source.Caption(i);
        if (!caption.empty()) Add(caption, source.Controller(i), source.DisplayMode(i), source.DefaultValue(i));
    }
}

void TKnobList::Delete(int index) {
    assert(index >= 0 && index < Count());
    entries_.erase(entries_.begin() + index);
}

void TKnobList::Clear() {
    while (Count() > 0) Delete(Count() - 1);
}

TKnobEntry& TKnobList::Entry(int index) const {
    assert(index >= 0 && index < Count());
    return *entries_[static_cast<std::size_t>(index)];
}

void TKnobList::Load(TIniStore& store, const std::string& section) {
    Clear();
    while (Count() < MaxCount) {
        const int n = Count() + 1;
        const std::string caption = store.ReadString(section, Numbered("Caption", n), "");
        const int controller = store.ReadInteger(section, Numbered("IUser", n), 0);
        const int displayMode = store.ReadInteger(section, Numbered("DisplayMode", n), -1);
        const int defaultValue = store.ReadInteger(section, Numbered("DefaultValue", n), 0);
        if (caption.empty() || displayMode < 0 || displayMode > 127) break;
        const int before = Count();
        Add(caption, controller, displayMode, defaultValue);
        if (Count() == before) break; // a list that takes no more knobs
    }
}

void TKnobList::Save(TIniStore& store, const std::string& section) const {
    store.EraseSection(section);
    for (int i = 0; i < Count(); ++i) {
        const int n = i + 1;
        store.WriteString(section, Numbered("Caption", n), Caption(i));
        store.WriteInteger(section, Numbered("DisplayMode", n), DisplayMode(i));
        store.WriteInteger(section, Numbered("DefaultValue", n), DefaultValue(i));
        store.WriteInteger(section, Numbered("IUser", n), Controller(i));
    }
}

void TKnobList::LoadFromRegistry(const TRegistryOpener& open, const std::string& path, const std::string& section) {
    std::unique_ptr<TIniStore> store = open(path);
    if (!store) return;
    Load(*store, section);
    store->Close();
}

void TKnobList::SaveToRegistry(const TRegistryOpener& open, const std::string& path,
                               const std::string& section) const {
    std::unique_ptr<TIniStore> store = open(path);
    if (!store) return;
    Save(*store, section);
    store->Close();
}

std::optional<std::string> KnobValueText(int displayMode, int value) {
    switch (displayMode) {
    case 0: return std::to_string(value);
    case 1: return (value >= 64 ? "+" : "") + std::to_string(value - 64);
    default: return std::nullopt;
    }
}

std::string KnobTrackHint(const std::string& caption, int displayMode, int value) {
    return caption + ": " + KnobValueText(displayMode, value).value_or(std::to_string(value));
}
