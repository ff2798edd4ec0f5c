#pragma once
// A patch set: the names of a synthesizer's sounds in modes and nested
// groups, each with program number, bank bytes and optional key names.
#include "store/Names.h"
#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TPatchSet;
class TPatchModeGroup;

// A parse error, "Line %d: Error: ..." with the line it stands on.
class TPatchScriptParseException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TKeyNames = std::array<std::string, 128>;

class TPatchProgram {
public:
    TPatchProgram(TPatchModeGroup* parent, std::string name, std::int32_t msb, std::int32_t lsb,
                  std::int32_t program)
        : parent_(parent), name_(std::move(name)), msb_(msb), lsb_(lsb), program_(program) {}

    TPatchModeGroup* Parent() const { return parent_; }
    const std::string& Name() const { return name_; }
    std::int32_t MSB() const { return msb_; } // -1: do not send
    std::int32_t LSB() const { return lsb_; } // -1: do not send
    std::int32_t Program() const { return program_; }
    const TKeyNames* KeyNames() const { return keyNames_.get(); }
    void SetKeyName(int key, std::string name);

    TPatchModeGroup* Mode() const;
    std::string Path() const; // mode\group\...\program

private:
    TPatchModeGroup* parent_;
    std::unique_ptr<TKeyNames> keyNames_;
    std::string name_;
    std::int32_t msb_, lsb_, program_;
};

// A mode when it has no parent, otherwise a group.
class TPatchModeGroup {
public:
    TPatchModeGroup(TPatchSet* owner, TPatchModeGroup* parent, std::string name,
                    std::int32_t midiChannel = -1)
        : parent_(parent), owner_(owner), name_(std::move(name)), midiChannel_(midiChannel) {}

    TPatchModeGroup* Parent() const { return parent_; }
    TPatchSet* Owner() const { return owner_; }
    bool IsMode() const { return parent_ == nullptr; }
    const std::string& Name() const { return name_; }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted) { sorted_ = sorted; }
    std::int32_t MidiChannel() const { return midiChannel_; } // -1 none, else 0..15

    std::size_t ProgramCount() const { return programs_.size(); }
    TPatchProgram* Program(std::size_t index) const;
    std::size_t GroupCount() const { return groups_.size(); }
    TPatchModeGroup* Group(std::size_t index) const;

    TPatchProgram* AddProgram(std::string name, std::int32_t msb, std::int32_t lsb,
                              std::int32_t program);
    TPatchModeGroup* AddGroup(std::string name);

    // Sorts the marked groups below this one by name, recursively.
    void SortMarked();

private:
    TPatchModeGroup* parent_;
    TPatchSet* owner_;
    std::vector<std::unique_ptr<TPatchProgram>> programs_;
    std::vector<std::unique_ptr<TPatchModeGroup>> groups_;
    std::string name_;
    bool sorted_ = false;
    std::int32_t midiChannel_;
};

class TPatchSet {
public:
    std::string FileName;
    std::string CreatorFirstName, CreatorLastName, DeviceManufacturer, DeviceName, ScriptName,
        ScriptVersion;
    bool SwapValueBytes = false;
    bool SendMsbFirst = false;
    bool SendOnlyOneByte = false;     // stored, no effect
    bool SendAsProgramChange = false; // stored, no effect

    std::size_t ModeCount() const { return modes_.size(); }
    TPatchModeGroup* Mode(std::size_t index) const;
    TPatchModeGroup* AddMode(std::string name, std::int32_t midiChannel);

    // The program at mode\group\...\program, names compared case-insensitively,
    // first match taken; none for a path of one segment or with an empty one.
    TPatchProgram* FindProgram(const std::string& path) const;

    void SortMarked();

private:
    std::vector<std::unique_ptr<TPatchModeGroup>> modes_;
};

// Totals over a whole tree, as the check tool reports them.
struct TPatchSetCounts {
    std::size_t modes = 0, groups = 0, programs = 0, keyNames = 0;
    bool operator==(const TPatchSetCounts&) const = default;
};
TPatchSetCounts CountPatchList(const TPatchSet& list);
