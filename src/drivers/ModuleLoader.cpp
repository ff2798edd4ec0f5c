#include "ModuleLoader.h"

#include <filesystem>
#include <map>
#include <mutex>

#include <dlfcn.h>

namespace {

std::mutex modulesLock;
std::map<std::string, void*> modules; // by name; never unloaded: their threads may outlive a caller

std::filesystem::path ProgramFolder() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec) : self.parent_path();
}

void* Open(const std::string& module, std::string& error) {
    const std::string file = module + ".so";
    const std::filesystem::path folder = ProgramFolder();
    // Installed, then the build's own folder for the program, its tests and benchmarks.
    for (const char* place : {TONECAST_MODULES_FROM_PROGRAM, "lib/tonecast", "../lib/tonecast"}) {
        const std::filesystem::path path = folder / place / file;
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) continue;
        if (void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
        const char* why = ::dlerror();
        error = "The module \"" + path.string() + "\" cannot be loaded: " + (why ? why : "unknown error") + ".";
        return nullptr;
    }
    error = "The module \"" + file + "\" is not installed beside the program.";
    return nullptr;
}

} // namespace

void* LoadModuleSymbol(const std::string& module, const char* name, std::string& error) {
    std::lock_guard guard(modulesLock);
    void*& handle = modules[module];
    if (!handle) handle = Open(module, error);
    if (!handle) return nullptr;
    void* symbol = ::dlsym(handle, name);
    if (!symbol) error = "The module \"" + module + "\" has no " + name + ".";
    return symbol;
}

bool ModuleLoaded(const std::string& module) {
    std::lock_guard guard(modulesLock);
    const auto it = modules.find(module);
    return it != modules.end() && it->second;
}
