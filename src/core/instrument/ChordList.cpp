#include "instrument/ChordList.h"

#include "store/HexBytes.h"
#include "store/Names.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>


int TChordEntry::IntervalCount() const {
    const auto end = std::find(Intervals.begin(), Intervals.end(), 0);
    return static_cast<int>(end - Intervals.begin());
}

int TChordEntry::IndexOfInterval(int interval) const {
    const int count = IntervalCount();
    for (int i = 0; i < count; ++i)
        if (Intervals[static_cast<std::size_t>(i)] == interval) return i;
    return -1;
}

std::vector<int> TChordEntry::IntervalList() const {
    return std::vector<int>(Intervals.begin(), Intervals.begin() + IntervalCount());
}

void TChordEntry::ClearNotes() {
    Root = -1;
    Intervals.fill(0);
}

void TChordEntry::ToggleNote(int note) {
    if (note < 0 || note > 127) return;
    const int count = IntervalCount();
    if (count == 0 && Root < 0) {
        Root = note;
        return;
    }
    if (count == 0 && note == Root) {
        Root = -1;
        return;
    }
    const int d = note - Root;
    if (d == 0 || d < -64 || d > 63) return;
    const int index = IndexOfInterval(d);
    if (index >= 0) {
        std::copy(Intervals.begin() + index + 1, Intervals.end(), Intervals.begin() + index);
        Intervals.back() = 0;
    } else if (count < MaxIntervals) {
        Intervals[static_cast<std::size_t>(count)] = static_cast<std::int8_t>(d);
    }
}

std::string TChordEntry::ChordString() const {
    const int count = IntervalCount();
    if (Root < 0 && count == 0) return {};
    std::string s;
    HexBytes::Append(s, Root & 0xFF);
    for (int i = 0; i < count; ++i) HexBytes::Append(s, static_cast<std::uint8_t>(Intervals[static_cast<std::size_t>(i)]));
    return s;
}

bool TChordEntry::ParseChordString(const std::string& name, const std::string& chord) {
    ClearNotes();
    Name = name;
    const int root = HexBytes::At(chord, 0);
    if (root < 0) return false;
    Root = root;
    int read = 0;
    for (std::size_t at = 2; read < MaxIntervals; at += 2) {
        const int byte = HexBytes::At(chord, at);
        if (byte < 0) break;
        Intervals[static_cast<std::size_t>(read++)] = static_cast<std::int8_t>(byte);
        if (byte == 0) break; // a 0 ends the list
    }
    return read > 0;
}

int TChordList::IndexOfName(const std::string& name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameName(Items(i).Name, name)) return i;
    return -1;
}

TChordEntry& TChordList::AddNew() {
    std::unordered_set<std::string> taken;
    for (const auto& entry : entries_) taken.insert(FoldedName(entry->Name));
    std::string name = "New chord";
    for (int n = 2; taken.count(FoldedName(name)); ++n) name = "New chord " + std::to_string(n);
    entries_.push_back(std::make_unique<TChordEntry>(name));
    return *entries_.back();
}

bool TChordList::Remove(const TChordEntry* entry) {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [entry](const auto& e) { return e.get() == entry; });
    if (it == entries_.end()) return false;
    entries_.erase(it);
    return true;
}

int TChordList::LoadFrom(TIniStore& store, bool keepExisting) {
    if (!keepExisting) Clear();
    // Each loaded chord removes the first one of its name before it; the
    // removed ones are only marked here and dropped at the end, in one pass.
    std::unordered_map<std::string, std::vector<std::size_t>> byName; // folded name: positions still kept, in order
    for (std::size_t i = 0; i < entries_.size(); ++i) byName[FoldedName(entries_[i]->Name)].push_back(i);
    int added = 0;
    for (int i = 1;; ++i) {
        std::string name = store.ReadString(Section, "Name" + std::to_string(i), "");
        const std::string chord = store.ReadString(Section, "Chord" + std::to_string(i), "");
        if (name.empty() || chord.empty()) break;
        auto& positions = byName[FoldedName(name)];
        if (!positions.empty()) {
            entries_[positions.front()].reset();
            positions.erase(positions.begin()); // a name is rarely taken more than once
        }
        auto entry = std::make_unique<TChordEntry>(std::move(name), chord);
        if (entry->IntervalCount() > 0) {
            positions.push_back(entries_.size());
            entries_.push_back(std::move(entry));
            ++added;
        }
    }
    std::erase(entries_, nullptr);
    return added;
}

int TChordList::SaveTo(TIniStore& store) const {
    store.EraseSection(Section);
    for (int i = 0; i < Count(); ++i) {
        store.WriteString(Section, "Name" + std::to_string(i + 1), Items(i).Name);
        store.WriteString(Section, "Chord" + std::to_string(i + 1), Items(i).ChordString());
    }
    return Count();
}

int TChordList::LoadFromRegistry(const TRegistryOpener& open, const std::string& rootPath, bool keepExisting) {
    auto store = open(rootPath);
    if (!store) return 0;
    const int added = LoadFrom(*store, keepExisting);
    store->Close();
    return added;
}

int TChordList::SaveToRegistry(const TRegistryOpener& open, const std::string& rootPath) const {
    auto store = open(rootPath);
    if (!store) return 0;
    const int written = SaveTo(*store);
    store->Close();
    return written;
}

std::string ChordNotesText(const TChordEntry& entry, TLanguage language) {
    const int count = entry.IntervalCount();
    if (entry.Root < 0 && count == 0) return {};
    std::string text = KeyGeometry::NoteName(entry.Root, language) + " ";
    for (int i = 0; i < count; ++i)
        text += KeyGeometry::NoteName(entry.Root + entry.Intervals[static_cast<std::size_t>(i)], language) + " ";
    return text;
}
