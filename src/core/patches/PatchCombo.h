#pragma once
// What the patch combo and the Patches menu show of a patch set.
#include <vector>

class TPatchModeGroup;
class TPatchProgram;

namespace PatchCombo {
// The patches of a group and of its subgroups, depth first: a group's own
// patches before those of its subgroups.
std::vector<TPatchProgram*> Entries(const TPatchModeGroup& group);
// The first patch the Patches menu meets: a group's subgroups come before
// its own patches there.
TPatchProgram* FirstInMenuOrder(const TPatchModeGroup& group);
// One step through count entries, from the last to the first and back.
int Wrap(int index, int delta, int count);
} // namespace PatchCombo
