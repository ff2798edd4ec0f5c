#pragma once
// Text at the boundary with Windows: UTF-8 inside the program, UTF-16 in the
// system's calls, and the system's message for an error code.
#include <string>

std::wstring Wide(const std::string& utf8);
std::string Utf8(const wchar_t* text, std::size_t length);
std::string SystemMessage(unsigned long code);
