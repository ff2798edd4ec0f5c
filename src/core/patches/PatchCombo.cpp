#include "patches/PatchCombo.h"

#include "patches/PatchSet.h"

namespace {
void Collect(const TPatchModeGroup& group, std::vector<TPatchProgram*>& entries) {
    for (std::size_t i = 0; i < group.ProgramCount(); ++i) entries.push_back(group.Program(i));
    for (std::size_t i = 0; i < group.GroupCount(); ++i) Collect(*group.Group(i), entries);
}
} // namespace

std::vector<TPatchProgram*> PatchCombo::Entries(const TPatchModeGroup& group) {
    std::vector<TPatchProgram*> entries;
    Collect(group, entries);
    return entries;
}

TPatchProgram* PatchCombo::FirstInMenuOrder(const TPatchModeGroup& group) {
    for (std::size_t i = 0; i < group.GroupCount(); ++i)
        if (TPatchProgram* first = FirstInMenuOrder(*group.Group(i))) return first;
    return group.ProgramCount() > 0 ? group.Program(0) : nullptr;
}

int PatchCombo::Wrap(int index, int delta, int count) {
    if (count <= 0) return 0;
    const int next = index + delta;
    if (next < 0) return count - 1;
    if (next >= count) return 0;
    return next;
}
