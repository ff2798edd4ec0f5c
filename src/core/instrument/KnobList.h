#pragma once
// The knob row's data: up to 20 knobs, each a caption, a controller, a display
// mode and a default value, kept in one section of a settings store, and the
// value each knob stands at (its default when it is made).
#include "store/IniStore.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TKnobEntry {
public:
    TKnobEntry(int controller, int displayMode, int defaultValue)
        : Controller(controller), DisplayMode(displayMode), DefaultValue(defaultValue), Value(defaultValue) {}
    virtual ~TKnobEntry() = default;

    virtual std::string GetCaption() const { return caption_; }
    virtual void SetCaption(const std::string& caption) { caption_ = caption; }

    int Controller;
    int DisplayMode; // 0: 0..127, 1: -64..+63
    int DefaultValue;
    int Value;

private:
    std::string caption_;
};

class TKnobList {
public:
    static constexpr int MaxCount = 20;

    TKnobList() = default;
    TKnobList(TKnobList&&) = default;
    TKnobList& operator=(TKnobList&&) = default;
    virtual ~TKnobList() = default;

    // Ignored once the list holds MaxCount knobs.
    virtual void Add(const std::string& caption, int controller, int displayMode, int defaultValue);
    virtual void AddKnob(const std::string& caption, int controller, int displayMode, int defaultValue);
    // A copy of the source's knobs; those without a caption are dropped.
    virtual void Assign(const TKnobList& source);
    virtual void Delete(int index);
    virtual void Clear();
    // The knobs of a section, up to the first gap (no caption, or a display
    // mode outside 0..127) and at most MaxCount.
    virtual void Load(TIniStore& store, const std::string& section);
    // Erases the section, then writes each knob's four values.
    virtual void Save(TIniStore& store, const std::string& section) const;

    int Count() const { return static_cast<int>(entries_.size()); }
    TKnobEntry& Entry(int index) const;
    std::string Caption(int index) const { return Entry(index).GetCaption(); }
    int Controller(int index) const { return Entry(index).Controller; }
    int DisplayMode(int index) const { return Entry(index).DisplayMode; }
    int DefaultValue(int index) const { return Entry(index).DefaultValue; }
    int Value(int index) const { return Entry(index).Value; }
    // Where a knob stands; nothing is sent.
    virtual void SetValue(int index, int value) { Entry(index).Value = value; }

    // Load or Save on the store of a registry key, closed again afterwards.
    void LoadFromRegistry(const TRegistryOpener& open, const std::string& path, const std::string& section);
    void SaveToRegistry(const TRegistryOpener& open, const std::string& path, const std::string& section) const;

protected:
    void Append(std::unique_ptr<TKnobEntry> entry) { entries_.push_back(std::move(entry)); }
    std::vector<std::unique_ptr<TKnobEntry>> entries_;
};

// A knob's value as its label shows it: "100" in display mode 0, "-64" .. "+63"
// in mode 1; none for other modes.
std::optional<std::string> KnobValueText(int displayMode, int value);
// The hint while turning: "Volume: 100", "Pan: +0".
std::string KnobTrackHint(const std::string& caption, int displayMode, int value);
