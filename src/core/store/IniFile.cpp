#include "store/IniFile.h"

#include "store/Names.h"

#include "store/AtomicFile.h"

#include <algorithm>
#include <unordered_set>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string TrimSpaces(const std::string& s) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

bool HeaderName(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.empty() || t[0] != '[') return false;
    std::size_t close = t.find(']');
    name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

bool IsComment(const std::string& line) {
    std::string t = Trim(line);
    return !t.empty() && t[0] == ';';
}

// A key line: not a header or comment, with an '='.
bool KeyLine(const std::string& line, std::string& key, std::string& value) {
    std::string dummy;
    if (HeaderName(line, dummy) || IsComment(line)) return false;
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return true;
}

std::string Unquote(const std::string& v) {
    if (v.size() > 1 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

bool IsBelow(const std::string& name, const std::string& parent, std::string& child) {
    if (parent.empty()) {
        child = name.substr(0, name.find('\\'));
        return true;
    }
    if (name.size() <= parent.size() + 1 || name[parent.size()] != '\\' ||
        !SameName(name.substr(0, parent.size()), parent))
        return false;
    std::string rest = name.substr(parent.size() + 1);
    child = rest.substr(0, rest.find('\\'));
    return !child.empty();
}

} // namespace

TIniFileStore::TIniFileStore(std::string filePath) : filePath_(std::move(filePath)), appender_(filePath_) {
    std::string bytes;
    if (ReadWholeFile(filePath_, bytes)) lines_ = FromText(bytes).lines_;
}

TIniFileStore TIniFileStore::FromText(const std::string& text) {
    TIniFileStore store;
    Line line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            line.end = c;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') line.end = "\r\n", ++i;
            store.lines_.push_back(line);
            line = Line{};
        } else {
            line.text += c;
        }
    }
    if (!line.text.empty()) store.lines_.push_back(line);
    return store;
}

std::string TIniFileStore::Text() const {
    std::string out;
    for (const auto& l : lines_) out += l.text + l.end;
    return out;
}

std::string TIniFileStore::KeyOf(std::size_t header, const std::string& name) {
    return std::to_string(header) + '\n' + FoldedName(name);
}

const TIniFileStore::TIndex& TIniFileStore::Index() const {
    if (!index_) index_.emplace();
    TIndex& index = *index_;
    std::string name, key, value;
    for (; index.lines < lines_.size(); ++index.lines) {
        const std::string& text = lines_[index.lines].text;
        if (HeaderName(text, name)) {
            index.headers.push_back(index.lines);
            index.sections.emplace(FoldedName(name), index.lines);
        } else if (!index.headers.empty() && KeyLine(text, key, value)) {
            index.keys.emplace(KeyOf(index.headers.back(), key), index.lines);
        }
    }
    return index;
}

bool TIniFileStore::FindSection(const std::string& section, Range& range) const {
    const TIndex& index = Index();
    const auto found = index.sections.find(FoldedName(Trim(section))); // as header names are read
    if (found == index.sections.end()) return false;
    range.header = found->second;
    range.first = range.header + 1;
    const auto next = std::upper_bound(index.headers.begin(), index.headers.end(), range.header);
    range.last = next == index.headers.end() ? lines_.size() : *next;
    return true;
}

bool TIniFileStore::FindKey(const Range& range, const std::string& name, std::size_t& index) const {
    const TIndex& all = Index();
    const auto found = all.keys.find(KeyOf(range.header, Trim(name)));
    if (found == all.keys.end()) return false;
    index = found->second;
    return true;
}

void TIniFileStore::Save() {
    LinesMoved();
    if (filePath_.empty()) return;
    appender_.Release(); // the file is replaced: later appends go to the new one
    WriteFileAtomically(filePath_, Text(), TDurability::Visible);
    unsynced_ = true;
}

void TIniFileStore::Append(const std::string& bytes) {
    if (filePath_.empty()) return;
    appender_.Append(bytes);
    unsynced_ = true;
}

void TIniFileStore::Close() {
    appender_.Release();
    if (!unsynced_) return;
    unsynced_ = false;
    SyncFile(filePath_);
}

TIniFileStore::~TIniFileStore() {
    try {
        Close();
    } catch (const EStoreError&) {
        // The values are in the file already; only the sync to the disk failed.
    }
}

std::string TIniFileStore::ReadString(const std::string& section, const std::string& name,
                                      const std::string& def) {
    Range range;
    std::size_t index;
    std::string key, value;
    if (!FindSection(section, range) || !FindKey(range, name, index)) return def;
    KeyLine(lines_[index].text, key, value);
    value = Unquote(value);
    if (value.size() > ValueBufferSize - 1) value.resize(ValueBufferSize - 1);
    return value;
}

std::int32_t TIniFileStore::ReadInteger(const std::string& section, const std::string& name,
                                        std::int32_t def) {
    std::int32_t value;
    return ParseStoredInteger(ReadString(section, name, ""), value) ? value : def;
}

void TIniFileStore::WriteString(const std::string& section, const std::string& name,
                                const std::string& value) {
    // A line break inside a value would turn its rest into lines of their own.
    std::string safe = value.substr(0, value.find_first_of("\r\n"));
    std::string sectionName = TrimSpaces(section), keyName = TrimSpaces(name);
    Range range;
    if (!FindSection(sectionName, range)) {
        // A new section goes at the end: only its lines reach the file.
        std::string added;
        if (!lines_.empty() && lines_.back().end.empty()) added = lines_.back().end = "\r\n";
        lines_.push_back({"[" + sectionName + "]", "\r\n"});
        lines_.push_back({keyName + "=" + safe, "\r\n"});
        Append(added + lines_[lines_.size() - 2].text + "\r\n" + lines_.back().text + "\r\n");
        return;
    }
    std::size_t index;
    std::string key, old;
    if (FindKey(range, keyName, index)) {
        KeyLine(lines_[index].text, key, old);
        lines_[index].text = key + "=" + safe;
        if (lines_[index].end.empty()) lines_[index].end = "\r\n";
    } else {
        std::size_t after = range.header;
        for (std::size_t i = range.first; i < range.last; ++i)
            if (KeyLine(lines_[i].text, key, old)) after = i;
        std::string added;
        if (lines_[after].end.empty()) added = lines_[after].end = "\r\n";
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after + 1),
                      Line{keyName + "=" + safe, "\r\n"});
        if (after + 2 == lines_.size()) { // the new last line of the file
            Append(added + lines_.back().text + "\r\n");
            return;
        }
    }
    Save();
}

void TIniFileStore::WriteInteger(const std::string& section, const std::string& name,
                                 std::int32_t value) {
    WriteString(section, name, std::to_string(value));
}

bool TIniFileStore::SectionExists(const std::string& section) {
    Range range;
    return FindSection(section, range);
}

bool TIniFileStore::ValueExists(const std::string& section, const std::string& name) {
    Range range;
    std::size_t index;
    return FindSection(section, range) && FindKey(range, name, index);
}

void TIniFileStore::EraseSection(const std::string& section) {
    Range range;
    if (!FindSection(section, range)) return;
    std::string key, value;
    std::vector<Line> kept(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(range.header));
    for (std::size_t i = range.first; i < range.last; ++i)
        if (!KeyLine(lines_[i].text, key, value)) kept.push_back(lines_[i]);
    kept.insert(kept.end(), lines_.begin() + static_cast<std::ptrdiff_t>(range.last), lines_.end());
    lines_ = std::move(kept);
    Save();
}

void TIniFileStore::DeleteValue(const std::string& section, const std::string& name) {
    Range range;
    std::size_t index;
    if (!FindSection(section, range) || !FindKey(range, name, index)) return;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
    Save();
}

std::vector<std::string> TIniFileStore::ReadValueNames(const std::string& section) {
    std::vector<std::string> names;
    Range range;
    std::string key, value;
    if (!FindSection(section, range)) return names;
    for (std::size_t i = range.first; i < range.last; ++i)
        if (KeyLine(lines_[i].text, key, value)) names.push_back(key);
    return names;
}

std::vector<std::string> TIniFileStore::ReadSubsections(const std::string& section) {
    std::vector<std::string> names;
    std::unordered_set<std::string> known;
    std::string parent = TrimSpaces(section), name, child;
    for (const std::size_t header : Index().headers) {
        HeaderName(lines_[header].text, name);
        if (IsBelow(name, parent, child) && known.insert(FoldedName(child)).second) names.push_back(child);
    }
    return names;
}
