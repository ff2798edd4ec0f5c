#pragma once
// An INI file with the semantics of the Windows private-profile functions:
// first section and first key of a name win, names compare case-insensitively,
// untouched lines stay byte for byte, and every write reaches the file at once:
// a value that ends the file (as every value of an export does) is appended in
// one write, any other change replaces the whole file by a rename, so a reader
// never sees half a line or half a file. The disk itself is brought up to date
// once, by Close (or the destructor): writing many values costs one sync, not
// one per value, and no rewrite of the file per value.
#include "store/AtomicFile.h"
#include "store/IniStore.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class TIniFileStore : public TIniStore {
public:
    // Reads the file when it exists; throws EStoreError when it exists but cannot be read.
    explicit TIniFileStore(std::string filePath);
    // A store on text in memory that never writes (for readers of given bytes).
    static TIniFileStore FromText(const std::string& text);
    ~TIniFileStore() override;
    TIniFileStore(TIniFileStore&&) = default;
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

    static constexpr std::size_t ValueBufferSize = 2048;

private:
    struct Line {
        std::string text;
        std::string end; // "\r\n", "\n", "\r" or "" for a last line without one
    };
    struct Range {
        std::size_t header, first, last; // key lines are in [first, last)
    };
    TIniFileStore() = default;
    bool FindSection(const std::string& section, Range& range) const;
    bool FindKey(const Range& range, const std::string& name, std::size_t& index) const;
    void Save();                             // the whole file anew
    void Append(const std::string& bytes);   // bytes added at the end of the file
    void LinesMoved() { index_.reset(); } // line numbers before the end changed

    // Where the sections and keys are, by folded name: the first of each
    // name counts. Built when first asked; lines added at the end are added
    // to it, any other change of lines drops it.
    struct TIndex {
        std::vector<std::size_t> headers;                       // every header line, in order
        std::unordered_map<std::string, std::size_t> sections;  // name: header line
        std::unordered_map<std::string, std::size_t> keys;      // header line, '\n', key name: key line
        std::size_t lines;                                      // lines taken in so far (0 when made)
    };
    const TIndex& Index() const; // up to date with every line
    static std::string KeyOf(std::size_t header, const std::string& name);

    std::string filePath_; // empty: memory only
    TAppendingFile appender_{filePath_};
    std::vector<Line> lines_;
    bool unsynced_ = false;
    mutable std::optional<TIndex> index_;
};
