#pragma once
// The registry in a text file: REGEDIT4 format, so values keep their registry
// types and the file moves to and from a Windows registry unchanged.
#include "store/IniStore.h"

#include <cstdint>
#include <string>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

struct TRegValue {
    // Unreadable: lines the reader did not understand, kept in their place
    // and written back as they were (raw), as regedit keeps what it does not know.
    enum class Kind { String, Dword, Other, Unreadable };
    std::string name; // "" is the key's default value (@)
    Kind kind = Kind::String;
    std::string text;        // String
    std::uint32_t dword = 0; // Dword
    std::string raw;         // Other: the text after '=', kept as read; Unreadable: the lines
};

// A file's text and its lines, shared by the keys whose values are not read yet.
struct TRegText {
    std::string text;
    std::vector<std::string_view> lines; // views into text
};

class TRegKey {
public:
    TRegKey(std::string path, std::uint64_t order) : path(std::move(path)), order(order) {}

    std::string path;    // full path, e.g. HKEY_CURRENT_USER\Software\...
    std::uint64_t order; // keys are written in the order they were made

    const std::vector<TRegValue>& Values() const;
    TRegValue* Find(const std::string& name); // never an unreadable line
    TRegValue& Add(TRegValue value);          // at the end; a readable one must be new
    void Set(TRegValue value);                // a readable one: replaces the value of its name, or is added
    bool Erase(const std::string& name);      // the readable value of the name

    // The file's lines [begin, end) hold values of this key, read when first asked for:
    // a start reads only the keys it uses of a file with thousands.
    void Defer(std::shared_ptr<const TRegText> text, std::size_t begin, std::size_t end);

private:
    void ReadDeferred() const;
    void Reindex();
    mutable std::vector<TRegValue> values_;
    mutable std::unordered_map<std::string, std::size_t> index_; // folded name: its readable value
    mutable std::shared_ptr<const TRegText> text_;
    mutable std::vector<std::pair<std::size_t, std::size_t>> unread_;
};

// The keys of one file in file order. Paths and names compare
// case-insensitively and keep the spelling they were created with.
class TRegistryData {
public:
    // False when the text is not a REGEDIT4 file at all; the data is then empty.
    // Lines that cannot be read are skipped and kept for writing back.
    bool Parse(std::string text);
    std::string Serialize() const;

    TRegKey* FindKey(const std::string& path);
    TRegKey& CreateKey(const std::string& path);
    bool KeyExists(const std::string& path) const; // the key or anything below it
    void EraseKey(const std::string& path);        // with its subkeys
    std::vector<std::string> Subkeys(const std::string& path) const;

private:
    // The keys whose folded paths lie in [from, past), or all of them, in the order they were made.
    std::vector<const TRegKey*> InOrder(const std::string& from = {}, const std::string& past = {}) const;
    std::map<std::string, TRegKey> keys_; // by folded path, so a key's subkeys follow it
    std::uint64_t made_ = 0;
    std::vector<std::string> preamble_; // unreadable lines before the first key
};

// The registry's rules on keys held in memory below one root key: sections
// are subkeys, integers are DWORDs unless a string of the name exists,
// Booleans are strings, names compare without regard to case.
class TRegistryStore : public TIniStore {
public:
    explicit TRegistryStore(std::string rootKey);

    const TRegistryData& Data() const { return data_; }
    bool IsRegistry() const override { return true; }

    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& def) override;
    std::int32_t ReadInteger(const std::string& section, const std::string& name,
                             std::int32_t def) override;
    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override;
    void WriteInteger(const std::string& section, const std::string& name,
                      std::int32_t value) override;
    bool SectionExists(const std::string& section) override;
    bool ValueExists(const std::string& section, const std::string& name) override;
    void EraseSection(const std::string& section) override;
    void DeleteValue(const std::string& section, const std::string& name) override;
    std::vector<std::string> ReadValueNames(const std::string& section) override;
    std::vector<std::string> ReadSubsections(const std::string& section) override;

protected:
    struct Change {
        enum class Op { WriteString, WriteInteger, DeleteValue, EraseSection } op;
        std::string path, name, text;
        std::int32_t number = 0;
    };
    // Every write passes here.
    virtual void Record(Change change);
    // True when the data changed.
    static bool Apply(TRegistryData& data, const Change& change);

    TRegistryData data_;

private:
    std::string KeyPath(const std::string& section) const;
    // The key of a section; the last one found is kept, as a list is read from one section.
    TRegKey* KeyOf(const std::string& section);
    void Write(Change change);
    std::string root_;
    std::string lastSection_;
    TRegKey* lastKey_ = nullptr;
    bool lastKnown_ = false;
};

// A store on one registry file below one root key. Opening reads the file;
// Close writes it only when something changed: atomically, under an advisory
// lock, applying only this store's own changes to what is on disk then, so
// two running copies do not undo each other. A file that is not a registry
// file at all is kept aside as "<file>.bad" and the store starts empty.
class TRegistryFileStore : public TRegistryStore {
public:
    TRegistryFileStore(std::string filePath, std::string rootKey);
    ~TRegistryFileStore() override; // closes; errors go to stderr

    void Close() override;
    bool Changed() const { return !journal_.empty(); }
    bool WasDamaged() const { return damaged_; }
    const std::string& FilePath() const { return filePath_; }

private:
    void Record(Change change) override;

    std::string filePath_;
    std::vector<Change> journal_;
    bool damaged_ = false;
    bool closed_ = false;
};

// Keeps a damaged file aside as "<path>.bad", or "<path>.bad.2", ... when
// earlier copies are there.
void KeepAsideDamaged(const std::string& path);
