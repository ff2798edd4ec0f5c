#include "WindowsRegistryStore.h"

#include "store/RegistryStore.h"

#include "WindowsText.h"

#include <windows.h>

#include <memory>

namespace {

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

struct TKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using TKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TKeyCloser>;

TKey OpenKey(const std::string& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), 0, access, &key) != ERROR_SUCCESS) return nullptr;
    return TKey(key);
}

TKey CreateKey(const std::string& path) {
    HKEY key = nullptr;
    const LSTATUS result = RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) throw EStoreError("Cannot create the key \"" + path + "\": " + SystemMessage(result));
    return TKey(key);
}

// A value's type and raw bytes; false when it is missing.
bool QueryValue(HKEY key, const std::string& name, DWORD& type, std::wstring& text, DWORD& dword) {
    const std::wstring wname = Wide(name);
    DWORD size = 0;
    if (RegQueryValueExW(key, wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type == REG_DWORD) {
        size = sizeof dword;
        return RegQueryValueExW(key, wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&dword), &size) == ERROR_SUCCESS;
    }
    if (!IsText(type)) return true;
    text.assign(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return false;
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return true;
}

void SetValue(HKEY key, const std::string& path, const std::string& name, DWORD type, const void* data, DWORD size) {
    const LSTATUS result = RegSetValueExW(key, Wide(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
    if (result != ERROR_SUCCESS)
        throw EStoreError("Cannot write \"" + name + "\" in \"" + path + "\": " + SystemMessage(result));
}

void WriteText(const std::string& path, const std::string& name, const std::string& value) {
    const TKey key = CreateKey(path);
    const std::wstring text = Wide(value);
    SetValue(key.get(), path, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

const std::string HiveName = "HKEY_CURRENT_USER";

} // namespace

TWindowsRegistryStore::TWindowsRegistryStore(std::string rootKey) : root_(std::move(rootKey)) {
    if (!root_.empty() && root_[0] == '\\') root_.erase(0, 1);
}

std::string TWindowsRegistryStore::KeyPath(const std::string& section) const { return SectionKeyPath(root_, section); }

std::string TWindowsRegistryStore::ReadString(const std::string& section, const std::string& name, const std::string& def) {
    const TKey key = OpenKey(KeyPath(section), KEY_READ);
    DWORD type = 0, dword = 0;
    std::wstring text;
    // A value of another type reads as missing: a hand-edited value never stops the program.
    if (!key || !QueryValue(key.get(), name, type, text, dword) || !IsText(type)) return def;
    return Utf8(text.data(), text.size());
}

std::int32_t TWindowsRegistryStore::ReadInteger(const std::string& section, const std::string& name, std::int32_t def) {
    const TKey key = OpenKey(KeyPath(section), KEY_READ);
    DWORD type = 0, dword = 0;
    std::wstring text;
    if (!key || !QueryValue(key.get(), name, type, text, dword)) return def;
    if (type == REG_DWORD) return static_cast<std::int32_t>(dword);
    std::int32_t value = def;
    if (IsText(type) && ParseStoredInteger(Utf8(text.data(), text.size()), value)) return value;
    return def;
}

void TWindowsRegistryStore::WriteString(const std::string& section, const std::string& name, const std::string& value) {
    CheckChangeableSection(section);
    WriteText(KeyPath(section), name, value);
}

void TWindowsRegistryStore::WriteInteger(const std::string& section, const std::string& name, std::int32_t value) {
    CheckChangeableSection(section);
    const std::string path = KeyPath(section);
    const TKey key = CreateKey(path);
    DWORD type = 0, dword = 0;
    std::wstring text;
    // A string of the name stays a string.
    if (QueryValue(key.get(), name, type, text, dword) && IsText(type)) {
        WriteText(path, name, std::to_string(value));
        return;
    }
    dword = static_cast<DWORD>(value);
    SetValue(key.get(), path, name, REG_DWORD, &dword, sizeof dword);
}

bool TWindowsRegistryStore::SectionExists(const std::string& section) { return OpenKey(KeyPath(section), KEY_READ) != nullptr; }

bool TWindowsRegistryStore::ValueExists(const std::string& section, const std::string& name) {
    const TKey key = OpenKey(KeyPath(section), KEY_READ);
    return key && RegQueryValueExW(key.get(), Wide(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void TWindowsRegistryStore::EraseSection(const std::string& section) {
    CheckChangeableSection(section);
    const std::string path = KeyPath(section);
    const LSTATUS result = RegDeleteTreeW(HKEY_CURRENT_USER, Wide(path).c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        throw EStoreError("Cannot delete the key \"" + path + "\": " + SystemMessage(result));
}

void TWindowsRegistryStore::DeleteValue(const std::string& section, const std::string& name) {
    CheckChangeableSection(section);
    const TKey key = OpenKey(KeyPath(section), KEY_SET_VALUE);
    if (!key) return;
    const LSTATUS result = RegDeleteValueW(key.get(), Wide(name).c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        throw EStoreError("Cannot delete \"" + name + "\": " + SystemMessage(result));
}

std::vector<std::string> TWindowsRegistryStore::ReadValueNames(const std::string& section) {
    std::vector<std::string> names;
    const TKey key = OpenKey(KeyPath(section), KEY_READ);
    if (!key) return names;
    std::wstring name(16384, L'\0'); // the longest value name and its terminator
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueW(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(Utf8(name.data(), length));
    }
    return names;
}

std::vector<std::string> TWindowsRegistryStore::ReadSubsections(const std::string& section) {
    std::vector<std::string> names;
    const TKey key = OpenKey(KeyPath(section), KEY_READ);
    if (!key) return names;
    wchar_t name[256]; // the longest key name and its terminator
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(Utf8(name, length));
    }
    return names;
}

std::unique_ptr<TIniStore> OpenRegistryStore(const std::string& company, const std::string& program,
                                             const std::string& keyPath) {
    std::string copy, key;
    if (!SplitProgramKey(company, program, keyPath, copy, key)) return nullptr;
    return std::make_unique<TWindowsRegistryStore>(key);
}

bool RegKeyExists(const std::string&, const std::string&, const std::string& hive, const std::string& path) {
    if (hive != HiveName) return false;
    return TWindowsRegistryStore(path).SectionExists("");
}
