#pragma once
// Names compared without regard to case, the same way everywhere (devices,
// store keys, patches) and the same in every process locale: ASCII letters
// and the Latin-1 letters of UTF-8 fold to lower case.
#include <string>
#include <string_view>

int CompareNames(std::string_view a, std::string_view b);
inline bool SameName(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareNames(a, b) == 0; }
// The name folded as CompareNames folds it: two names are the same name
// exactly when their folded forms are equal, so it can key an index.
std::string FoldedName(std::string_view name);
// Whether the name starts with the prefix, without regard to case.
inline bool StartsWithName(std::string_view name, std::string_view prefix) {
    return name.size() >= prefix.size() && CompareNames(name.substr(0, prefix.size()), prefix) == 0;
}

// The text without the blanks and tabs around it; as a view into the text, or a copy.
std::string_view TrimmedBlanks(std::string_view s);
inline std::string TrimBlanks(std::string_view s) { return std::string(TrimmedBlanks(s)); }
