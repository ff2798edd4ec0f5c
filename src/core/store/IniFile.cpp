#include "store/IniFile.h"

#include "store/Names.h"

#include "store/AtomicFile.h"

#include <algorithm>
#include <cstdio>
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

TIniFileStore::TIniFileStore() { sections_.push_back(std::make_unique<Section>()); }

TIniFileStore::TIniFileStore(std::string filePath) : TIniFileStore() {
    filePath_ = std::move(filePath);
    std::string bytes;
    if (ReadWholeFile(filePath_, bytes)) {
        TIniFileStore read = FromText(bytes);
        sections_ = std::move(read.sections_);
        byName_ = std::move(read.byName_);
    }
}

TIniFileStore::TIniFileStore(TIniFileStore&& other) noexcept
    : filePath_(std::move(other.filePath_)), sections_(std::move(other.sections_)), byName_(std::move(other.byName_)),
      pending_(other.pending_) {
    other.filePath_.clear();
    other.pending_ = false;
}

TIniFileStore TIniFileStore::FromText(const std::string& text) {
    TIniFileStore store;
    Line line;
    std::string name;
    const auto take = [&] {
        if (HeaderName(line.text, name)) {
            auto section = std::make_unique<Section>();
            section->header = std::move(line);
            store.sections_.push_back(std::move(section));
        } else {
            store.sections_.back()->lines.push_back(std::move(line));
        }
        line = Line{};
    };
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t stop = text.find_first_of("\r\n", at);
        if (stop == std::string::npos) { // a last line without its end
            line.text.assign(text, at);
            take();
            break;
        }
        line.text.assign(text, at, stop - at);
        const bool crlf = text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n';
        line.end = crlf ? "\r\n" : text[stop] == '\r' ? "\r" : "\n";
        at = stop + (crlf ? 2 : 1);
        take();
    }
    for (std::size_t i = 1; i < store.sections_.size(); ++i) {
        store.sections_[i]->IndexKeys();
        store.IndexName(*store.sections_[i]);
    }
    return store;
}

void TIniFileStore::Section::IndexKeys() {
    keys.clear();
    keyEnd = 0;
    std::string key, value;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (KeyLine(lines[i].text, key, value)) {
            keys.emplace(FoldedName(key), i);
            keyEnd = i + 1;
        }
}

void TIniFileStore::IndexName(Section& section) {
    std::string name;
    HeaderName(section.header.text, name);
    section.name = FoldedName(name);
    byName_[section.name].push_back(&section);
}

std::string TIniFileStore::Text() const {
    std::string out;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const Section& section = *sections_[i];
        if (i > 0) {
            out += section.header.text;
            out += section.header.end;
        }
        for (const Line& l : section.lines) {
            out += l.text;
            out += l.end;
        }
    }
    return out;
}

TIniFileStore::Section* TIniFileStore::Find(const std::string& section) const {
    const auto found = byName_.find(FoldedName(Trim(section))); // as header names are read
    return found == byName_.end() || found->second.empty() ? nullptr : found->second.front();
}

TIniFileStore::Line* TIniFileStore::LastLine() {
    for (std::size_t i = sections_.size(); i-- > 0;) {
        Section& section = *sections_[i];
        if (!section.lines.empty()) return &section.lines.back();
        if (i > 0) return &section.header;
    }
    return nullptr;
}

void TIniFileStore::Close() {
    if (!pending_ || filePath_.empty()) return;
    WriteFileAtomically(filePath_, Text());
    pending_ = false;
}

TIniFileStore::~TIniFileStore() {
    try {
        Close();
    } catch (const EStoreError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
}

std::string TIniFileStore::ReadString(const std::string& section, const std::string& name,
                                      const std::string& def) {
    Tick();
    const Section* found = Find(section);
    if (!found) return def;
    const auto key = found->keys.find(FoldedName(Trim(name)));
    if (key == found->keys.end()) return def;
    std::string keyName, value;
    KeyLine(found->lines[key->second].text, keyName, value);
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
    Tick();
    // A line break inside a value would turn its rest into lines of their own.
    const std::string safe = value.substr(0, value.find_first_of("\r\n"));
    const std::string sectionName = TrimSpaces(section), keyName = TrimSpaces(name);
    pending_ = true;
    Section* found = Find(sectionName);
    if (!found) {
        // A new section goes at the end of the file.
        if (Line* last = LastLine(); last && !last->Ended()) last->end = "\r\n";
        auto added = std::make_unique<Section>();
        added->header = {"[" + sectionName + "]", "\r\n"};
        added->lines.push_back({keyName + "=" + safe, "\r\n"});
        added->IndexKeys();
        IndexName(*added);
        sections_.push_back(std::move(added));
        return;
    }
    const std::string folded = FoldedName(Trim(keyName));
    if (const auto key = found->keys.find(folded); key != found->keys.end()) {
        Line& line = found->lines[key->second];
        std::string spelled, old;
        KeyLine(line.text, spelled, old);
        line.text = spelled + "=" + safe;
        if (!line.Ended()) line.end = "\r\n";
        return;
    }
    // A new key goes right after the last key line of its section, or its header.
    Line& before = found->keyEnd == 0 ? found->header : found->lines[found->keyEnd - 1];
    if (!before.Ended()) before.end = "\r\n";
    const std::size_t at = found->keyEnd;
    found->lines.insert(found->lines.begin() + static_cast<std::ptrdiff_t>(at), Line{keyName + "=" + safe, "\r\n"});
    found->keys.emplace(folded, at);
    found->keyEnd = at + 1;
}

void TIniFileStore::WriteInteger(const std::string& section, const std::string& name,
                                 std::int32_t value) {
    WriteString(section, name, std::to_string(value));
}

bool TIniFileStore::SectionExists(const std::string& section) {
    Tick();
    return Find(section) != nullptr;
}

bool TIniFileStore::ValueExists(const std::string& section, const std::string& name) {
    const Section* found = Find(section);
    return found && found->keys.count(FoldedName(Trim(name))) > 0;
}

void TIniFileStore::EraseSection(const std::string& section) {
    Tick();
    Section* found = Find(section);
    if (!found) return;
    pending_ = true;
    const auto at = std::find_if(sections_.begin(), sections_.end(), [found](const auto& s) { return s.get() == found; });
    // Its header and keys go; its other lines stay where they are, after the section before it.
    std::vector<Line>& before = (*(at - 1))->lines;
    std::string key, value;
    for (Line& line : found->lines)
        if (!KeyLine(line.text, key, value)) before.push_back(std::move(line));
    auto& named = byName_[found->name];
    named.erase(named.begin());
    sections_.erase(at);
}

void TIniFileStore::DeleteValue(const std::string& section, const std::string& name) {
    Section* found = Find(section);
    if (!found) return;
    const auto key = found->keys.find(FoldedName(Trim(name)));
    if (key == found->keys.end()) return;
    pending_ = true;
    found->lines.erase(found->lines.begin() + static_cast<std::ptrdiff_t>(key->second));
    found->IndexKeys(); // a later key of the same name comes forward
}

std::vector<std::string> TIniFileStore::ReadValueNames(const std::string& section) {
    std::vector<std::string> names;
    const Section* found = Find(section);
    if (!found) return names;
    std::string key, value;
    for (const Line& line : found->lines)
        if (KeyLine(line.text, key, value)) names.push_back(key);
    return names;
}

std::vector<std::string> TIniFileStore::ReadSubsections(const std::string& section) {
    std::vector<std::string> names;
    std::unordered_set<std::string> known;
    std::string parent = TrimSpaces(section), name, child;
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        HeaderName(sections_[i]->header.text, name);
        if (IsBelow(name, parent, child) && known.insert(FoldedName(child)).second) names.push_back(child);
    }
    return names;
}
