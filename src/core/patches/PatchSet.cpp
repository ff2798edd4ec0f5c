#include "patches/PatchSet.h"

#include <algorithm>
#include <cctype>

namespace {

template <typename T>
T* At(const std::vector<std::unique_ptr<T>>& items, std::size_t index) {
    if (index >= items.size()) throw std::logic_error("Index out of bounds");
    return items[index].get();
}

template <typename T>
T* FirstNamed(const std::vector<std::unique_ptr<T>>& items, const std::string& name) {
    for (const auto& item : items)
        if (CompareNames(item->Name(), name) == 0) return item.get();
    return nullptr;
}

template <typename T>
void SortByName(std::vector<std::unique_ptr<T>>& items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const auto& a, const auto& b) { return CompareNames(a->Name(), b->Name()) < 0; });
}

void Count(const TPatchModeGroup& group, TPatchSetCounts& counts) {
    counts.programs += group.ProgramCount();
    for (std::size_t i = 0; i < group.ProgramCount(); ++i)
        if (const TKeyNames* keys = group.Program(i)->KeyNames())
            counts.keyNames += static_cast<std::size_t>(
                std::count_if(keys->begin(), keys->end(), [](const std::string& k) { return !k.empty(); }));
    counts.groups += group.GroupCount();
    for (std::size_t i = 0; i < group.GroupCount(); ++i) Count(*group.Group(i), counts);
}

} // namespace


void TPatchProgram::SetKeyName(int key, std::string name) {
    if (!keyNames_) keyNames_ = std::make_unique<TKeyNames>();
    (*keyNames_)[static_cast<std::size_t>(key)] = std::move(name);
}

TPatchModeGroup* TPatchProgram::Mode() const {
    TPatchModeGroup* g = parent_;
    while (g->Parent()) g = g->Parent();
    return g;
}

std::string TPatchProgram::Path() const {
    std::string path = name_;
    for (const TPatchModeGroup* g = parent_; g; g = g->Parent()) path = g->Name() + "\\" + path;
    return path;
}

TPatchProgram* TPatchModeGroup::Program(std::size_t index) const { return At(programs_, index); }
TPatchModeGroup* TPatchModeGroup::Group(std::size_t index) const { return At(groups_, index); }

TPatchProgram* TPatchModeGroup::AddProgram(std::string name, std::int32_t msb, std::int32_t lsb,
                                           std::int32_t program) {
    programs_.push_back(std::make_unique<TPatchProgram>(this, std::move(name), msb, lsb, program));
    return programs_.back().get();
}

TPatchModeGroup* TPatchModeGroup::AddGroup(std::string name) {
    groups_.push_back(std::make_unique<TPatchModeGroup>(owner_, this, std::move(name)));
    return groups_.back().get();
}

void TPatchModeGroup::SortMarked() {
    if (sorted_) {
        SortByName(groups_);
        SortByName(programs_);
    }
    for (auto& g : groups_) g->SortMarked();
}

TPatchModeGroup* TPatchSet::Mode(std::size_t index) const { return At(modes_, index); }

TPatchModeGroup* TPatchSet::AddMode(std::string name, std::int32_t midiChannel) {
    modes_.push_back(std::make_unique<TPatchModeGroup>(this, nullptr, std::move(name), midiChannel));
    return modes_.back().get();
}

void TPatchSet::SortMarked() {
    for (auto& mode : modes_) mode->SortMarked(); // modes keep file order
}

TPatchProgram* TPatchSet::FindProgram(const std::string& path) const {
    std::vector<std::string> segments;
    std::size_t start = 0;
    for (;;) {
        std::size_t sep = path.find('\\', start);
        segments.push_back(path.substr(start, sep == std::string::npos ? std::string::npos : sep - start));
        if (sep == std::string::npos) break;
        start = sep + 1;
    }
    if (segments.size() < 2) return nullptr;
    for (const auto& s : segments)
        if (s.empty()) return nullptr;
    TPatchModeGroup* group = FirstNamed(modes_, segments[0]);
    for (std::size_t i = 1; group && i + 1 < segments.size(); ++i) {
        TPatchModeGroup* next = nullptr;
        for (std::size_t g = 0; g < group->GroupCount() && !next; ++g)
            if (CompareNames(group->Group(g)->Name(), segments[i]) == 0) next = group->Group(g);
        group = next;
    }
    if (!group) return nullptr;
    for (std::size_t p = 0; p < group->ProgramCount(); ++p)
        if (CompareNames(group->Program(p)->Name(), segments.back()) == 0) return group->Program(p);
    return nullptr;
}

TPatchSetCounts CountPatchList(const TPatchSet& list) {
    TPatchSetCounts counts;
    counts.modes = list.ModeCount();
    for (std::size_t i = 0; i < list.ModeCount(); ++i) Count(*list.Mode(i), counts);
    return counts;
}
