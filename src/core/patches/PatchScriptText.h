#pragma once
// The character set of patch script files: written on many systems, they come
// as UTF-8 (with or without a byte-order mark) or in the Windows code page of
// their author. The program holds every name as UTF-8.
#include <string>
#include <string_view>

// The text without a leading UTF-8 byte-order mark.
std::string_view WithoutByteOrderMark(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

// UTF-8 when the bytes are valid UTF-8, else Windows-1252 turned into UTF-8;
// a byte-order mark is dropped.
std::string DecodeScriptText(std::string_view bytes);
