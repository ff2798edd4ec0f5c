#pragma once
// Writes a patch list back as a patch script that loads to the same tree.
#include "patches/PatchSet.h"

#include <string>

std::string WritePatchScript(const TPatchSet& list);

// True when both lists hold the same header values and the same tree.
bool SamePatchTree(const TPatchSet& a, const TPatchSet& b);
