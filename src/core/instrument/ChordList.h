#pragma once
// Custom chords: a root note and up to 16 intervals above it, named, kept in
// the section "Chords" as "Name"i / "Chord"i pairs of a hex chord string.
#include "instrument/KeyGeometry.h"
#include "store/IniStore.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TChordEntry {
public:
    static constexpr int MaxIntervals = 16;

    explicit TChordEntry(std::string name) : Name(std::move(name)) {}
    TChordEntry(const std::string& name, const std::string& chord) { ParseChordString(name, chord); }

    int Root = -1; // none yet
    std::string Name;
    // Semitones above the root, in the order added; the list ends at the first 0.
    std::array<std::int8_t, MaxIntervals> Intervals{};

    int IntervalCount() const;
    int IndexOfInterval(int interval) const;
    std::vector<int> IntervalList() const;
    void ClearNotes();
    // A first note becomes the root; the root again clears it; another note
    // within -64..63 of the root is added as an interval, or removed when there.
    void ToggleNote(int note);
    // Two capital hex digits of the root, then of each interval as a signed byte.
    std::string ChordString() const;
    // True when at least one interval was read; either letter case.
    bool ParseChordString(const std::string& name, const std::string& chord);
};

class TChordList {
public:
    static constexpr const char* Section = "Chords";

    int Count() const { return static_cast<int>(entries_.size()); }
    TChordEntry& Items(int index) const { return *entries_.at(static_cast<std::size_t>(index)); }
    // Without regard to case; -1 when there is none.
    int IndexOfName(const std::string& name) const;
    // "New chord", or "New chord 2", "New chord 3", ... when taken.
    TChordEntry& AddNew();
    bool Remove(const TChordEntry* entry);
    void Clear() { entries_.clear(); }

    // Chords up to the first missing name or chord; one without intervals is
    // not taken, and a loaded chord replaces (or, empty, deletes) one of its name.
    int LoadFrom(TIniStore& store, bool keepExisting);
    // Erases the section, then writes every chord in order.
    int SaveTo(TIniStore& store) const;
    int LoadFromRegistry(const TRegistryOpener& open, const std::string& rootPath, bool keepExisting);
    int SaveToRegistry(const TRegistryOpener& open, const std::string& rootPath) const;

private:
    std::vector<std::unique_ptr<TChordEntry>> entries_;
};

// "C4 E4 G4 " as the chord editor lists a chord's notes; empty for an empty entry.
std::string ChordNotesText(const TChordEntry& entry, TLanguage language);
