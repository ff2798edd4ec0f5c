#pragma once
// An INI file with the semantics of the Windows private-profile functions:
// first section and first key of a name win, names compare case-insensitively,
// and untouched lines stay byte for byte. Writes change the text in memory;
// the file is replaced once, atomically, when a command ends (Close, or the
// destructor for a store that never ends one), so a crash leaves the old file
// or the new one, never half of one, and a large file costs one write, not one
// per value. Each section keeps its own lines and the places of its keys, so
// a change costs about the line it changes.
#include "store/AtomicFile.h"
#include "store/IniStore.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TIniFileStore : public TIniStore {
public:
    // Reads the file when it exists; throws EStoreError when it exists but cannot be read.
    explicit TIniFileStore(std::string filePath);
    // A store on text in memory that never writes (for readers of given bytes).
    static TIniFileStore FromText(const std::string& text);
    // Writes what is pending; an error goes to standard error.
    ~TIniFileStore() override;
    TIniFileStore(TIniFileStore&& other) noexcept;
    TIniFileStore& operator=(TIniFileStore&&) = delete;
    // Replaces the file with the store's text when anything changed; throws
    // EStoreError with the reason, the old file then untouched.
    void Close() override;

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

    std::string Text() const; // the file's bytes as they are written
    // Called every so many reads and writes, for work that shows its progress.
    void SetProgress(std::function<void()> tick) { tick_ = std::move(tick); }

    static constexpr std::size_t ValueBufferSize = 2048;

private:
    struct Line {
        std::string text;
        const char* end = ""; // "\r\n", "\n", "\r" or "" for a last line without one
        bool Ended() const { return *end != '\0'; }
    };
    // A header and the lines up to the next one; the first section of the
    // file has no header (what stands before the first one).
    struct Section {
        Line header;
        std::string name;                                // folded
        std::vector<Line> lines;
        std::unordered_map<std::string, std::size_t> keys; // folded key name: its first line
        std::size_t keyEnd = 0;                           // one past the last key line; 0 for none
        void IndexKeys();
    };
    TIniFileStore();
    Section* Find(const std::string& section) const; // the first of the name, or null
    Line* LastLine();                                // of the file, or null when empty
    void IndexName(Section& section); // its folded name, and its place under that name

    std::string filePath_; // empty: memory only
    std::vector<std::unique_ptr<Section>> sections_; // [0]: the lines before the first header
    std::unordered_map<std::string, std::vector<Section*>> byName_; // folded name: sections in file order
    bool pending_ = false; // changes not yet in the file
    std::function<void()> tick_;
    unsigned calls_ = 0;
    void Tick() {
        if (tick_ && ++calls_ % 1024 == 0) tick_();
    }
};
