#pragma once
// Writes a patch list back as a patch script that loads to the same tree.
#include "patches/UPatchList.h"

#include <string>

std::string WritePatchScript(const TPatchList& list);

// True when both lists hold the same header values and the same tree.
bool SamePatchTree(const TPatchList& a, const TPatchList& b);
