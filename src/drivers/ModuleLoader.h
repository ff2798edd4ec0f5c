#pragma once
// Modules of ours (the built-in synthesizer, joysticks) are loaded when first
// needed, so that a start that uses neither maps none of the libraries they
// bring. A module is looked for where the build puts it and where the
// install does, both found from the program's own place.
#include <string>

// The named function of the module, or nullptr with the reason in "error".
// A module once loaded stays loaded.
void* LoadModuleSymbol(const std::string& module, const char* name, std::string& error);

template <typename Function>
Function LoadModuleFunction(const std::string& module, const char* name, std::string& error) {
    return reinterpret_cast<Function>(LoadModuleSymbol(module, name, error));
}

// Whether the module is loaded already (nothing is loaded by asking).
bool ModuleLoaded(const std::string& module);
