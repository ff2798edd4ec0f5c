#include "store/RegistryFile.h"

#include "store/HexBytes.h"
#include "store/Names.h"
#include "store/RegistryStore.h"
#include "store/Utf8.h"

#include "store/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <unordered_set>

namespace {

// The folded paths below a key's, in the order of keys_: from "<path>\" up to "<path>]".
std::string FirstBelow(const std::string& folded) { return folded + '\\'; }
std::string PastBelow(const std::string& folded) { return folded + static_cast<char>('\\' + 1); }

// The lines as views into the text, which must outlive them.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        lines.emplace_back(text.data() + start, end - start);
        if (end == text.size()) break; // a last line without its break
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

// Reads a quoted string at s[pos] == '"'; pos ends after the closing quote.
bool ReadQuoted(std::string_view s, std::size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    ++pos;
    // Most strings hold no escape: taken whole.
    const std::size_t special = s.find_first_of("\\\"", pos);
    if (special != std::string_view::npos && s[special] == '"') {
        out.assign(s.substr(pos, special - pos));
        pos = special + 1;
        return true;
    }
    out.clear();
    for (; pos < s.size(); ++pos) {
        char c = s[pos];
        if (c == '\\') {
            if (++pos >= s.size()) return false;
            out += s[pos];
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

bool HasControlCharacters(const std::string& s) {
    return std::any_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// A string with line breaks cannot stand in quotes; REGEDIT4 spells it as hex(1) bytes.
std::string HexString(const std::string& s) {
    std::string out = "hex(1):";
    char buf[4];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02x,", c);
        out += buf;
    }
    return out + "00";
}

// One pass: the digits pair up across the separators and line breaks.
bool DecodeHexString(const std::string& raw, std::string& out) {
    const std::string prefix = "hex(1):";
    if (!SameName(raw.substr(0, prefix.size()), prefix)) return false;
    out.clear();
    out.reserve(raw.size() / 3);
    int high = -1;
    for (std::size_t i = prefix.size(); i < raw.size(); ++i) {
        const char c = raw[i];
        if (const int digit = HexBytes::DigitValue(c); digit >= 0) {
            if (high < 0) {
                high = digit;
            } else {
                out += static_cast<char>(high << 4 | digit);
                high = -1;
            }
        } else if (c != ',' && c != '\\' && c != '\r' && c != '\n' && c != ' ' && c != '\t') {
            return false;
        }
    }
    if (high >= 0) return false;
    if (!out.empty() && out.back() == '\0') out.pop_back(); // the terminator
    return true;
}

bool ParseValue(std::string_view line, const std::vector<std::string_view>& lines, std::size_t& index,
                TRegValue& value, bool& isDeletion) {
    std::size_t pos = 0;
    isDeletion = false;
    if (line[0] == '@') {
        value.name.clear();
        pos = 1;
    } else if (!ReadQuoted(line, pos, value.name)) {
        return false;
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size() || line[pos] != '=') return false;
    const std::string_view rest = TrimmedBlanks(line.substr(pos + 1));
    if (rest == "-") {
        isDeletion = true;
        return true;
    }
    if (!rest.empty() && rest[0] == '"') {
        std::size_t p = 0;
        if (!ReadQuoted(rest, p, value.text) || p != rest.size()) return false;
        value.kind = TRegValue::Kind::String;
        return true;
    }
    if (StartsWithName(rest, "dword:")) {
        const std::string_view hex = rest.substr(6);
        if (hex.empty() || hex.size() > 8 ||
            hex.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
            return false;
        value.kind = TRegValue::Kind::Dword;
        value.dword = static_cast<std::uint32_t>(std::stoul(std::string(hex), nullptr, 16));
        return true;
    }
    if (StartsWithName(rest, "hex")) {
        std::string raw(rest);
        const std::size_t first = index;
        while (!raw.empty() && raw.back() == '\\') {
            // Cut off inside the value, at the end or where a blank line follows:
            // only its first line is unreadable, the others are read on their own.
            if (index + 1 >= lines.size() || TrimmedBlanks(lines[index + 1]).empty()) {
                index = first;
                return false;
            }
            ++index;
            raw += "\r\n";
            raw += lines[index];
            while (raw.back() == ' ' || raw.back() == '\t') raw.pop_back(); // its start is trimmed already
        }
        std::string text;
        if (DecodeHexString(raw, text)) {
            value.kind = TRegValue::Kind::String;
            value.text = text;
        } else {
            value.kind = TRegValue::Kind::Other;
            value.raw = raw;
        }
        return true;
    }
    return false;
}

bool IsKeyLine(std::string_view line) { return line.size() >= 3 && line[0] == '[' && line.back() == ']'; }

// Moves i past the lines that continue the value starting at line i, as reading it would.
void SkipContinuation(const std::vector<std::string_view>& lines, std::size_t& i) {
    TRegValue value;
    bool deletion = false;
    ParseValue(TrimmedBlanks(lines[i]), lines, i, value, deletion);
}

// Reads the value lines [begin, end) of one key into it, as they stand in the file.
void ReadValueLines(TRegKey& key, const std::vector<std::string_view>& lines, std::size_t begin, std::size_t end) {
    bool orphaned = false; // after a key line that could not be read
    for (std::size_t i = begin; i < end; ++i) {
        const std::size_t first = i;
        const std::string_view line = TrimmedBlanks(lines[i]);
        if (line.empty() || line[0] == ';') continue;
        TRegValue value;
        bool deletion = false;
        if (line[0] == '[' || orphaned || !ParseValue(line, lines, i, value, deletion)) {
            // Kept as it stands, as regedit keeps what it does not know.
            if (line[0] == '[') orphaned = true;
            std::string raw;
            for (std::size_t k = first; k <= i && k < lines.size(); ++k) {
                if (k != first) raw += "\r\n";
                raw += lines[k];
            }
            key.Add(TRegValue{{}, TRegValue::Kind::Unreadable, {}, 0, raw});
        } else if (deletion) {
            key.Erase(value.name);
        } else {
            key.Set(std::move(value));
        }
    }
}

} // namespace

const std::vector<TRegValue>& TRegKey::Values() const {
    ReadDeferred();
    return values_;
}

void TRegKey::Defer(std::shared_ptr<const TRegText> text, std::size_t begin, std::size_t end) {
    if (begin >= end) return;
    if (text_ && text_ != text) ReadDeferred(); // lines of another text go first
    text_ = std::move(text);
    unread_.emplace_back(begin, end);
}

void TRegKey::ReadDeferred() const {
    if (unread_.empty()) return;
    const auto ranges = std::move(unread_);
    unread_.clear();
    const std::shared_ptr<const TRegText> text = std::move(text_);
    text_.reset();
    auto& self = const_cast<TRegKey&>(*this); // reading what is there already is no change
    std::size_t lines = values_.size();
    for (const auto& [begin, end] : ranges) lines += end - begin;
    values_.reserve(lines);
    index_.reserve(lines);
    for (const auto& [begin, end] : ranges) ReadValueLines(self, text->lines, begin, end);
}

TRegValue* TRegKey::Find(const std::string& name) {
    ReadDeferred();
    const auto found = index_.find(FoldedName(name));
    return found == index_.end() ? nullptr : &values_[found->second];
}

TRegValue& TRegKey::Add(TRegValue value) {
    ReadDeferred();
    if (value.kind != TRegValue::Kind::Unreadable) index_.emplace(FoldedName(value.name), values_.size());
    values_.push_back(std::move(value));
    return values_.back();
}

void TRegKey::Set(TRegValue value) {
    ReadDeferred();
    const auto [at, added] = index_.try_emplace(FoldedName(value.name), values_.size());
    if (added) {
        values_.push_back(std::move(value));
        return;
    }
    TRegValue& existing = values_[at->second];
    value.name = std::move(existing.name); // the first spelling stays
    existing = std::move(value);
}

bool TRegKey::Erase(const std::string& name) {
    ReadDeferred();
    const auto found = index_.find(FoldedName(name));
    if (found == index_.end()) return false;
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(found->second));
    Reindex();
    return true;
}

void TRegKey::Reindex() {
    index_.clear();
    for (std::size_t i = 0; i < values_.size(); ++i)
        if (values_[i].kind != TRegValue::Kind::Unreadable) index_.emplace(FoldedName(values_[i].name), i);
}

namespace {

// What Windows' registry editor exports: UTF-16, little-endian, after its byte order mark.
std::string Utf8FromUtf16Le(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD; // half a pair
        }
        AppendUtf8(out, static_cast<char32_t>(c));
    }
    return out;
}

} // namespace

bool TRegistryData::Parse(std::string input) {
    keys_.clear();
    preamble_.clear();
    auto source = std::make_shared<TRegText>();
    source->text = input.starts_with("\xFF\xFE") ? Utf8FromUtf16Le(std::string_view(input).substr(2)) : std::move(input);
    std::string_view text = source->text;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    source->lines = SplitLines(text);
    const std::vector<std::string_view>& lines = source->lines;
    std::size_t i = 0;
    while (i < lines.size() && TrimmedBlanks(lines[i]).empty()) ++i;
    if (i >= lines.size()) return true; // an empty file holds nothing
    const std::string_view header = TrimmedBlanks(lines[i]);
    if (header != "REGEDIT4" && header != "Windows Registry Editor Version 5.00") return false;
    // Only the key lines are read here; each key's value lines are read when it is first used.
    TRegKey* current = nullptr;
    std::size_t valuesFrom = 0;
    bool skipping = false; // inside a [-key] block
    bool orphaned = false; // after a key line that could not be read
    auto endValues = [&](std::size_t end) {
        if (current) current->Defer(source, valuesFrom, end);
    };
    for (++i; i < lines.size(); ++i) {
        const std::string_view line = TrimmedBlanks(lines[i]);
        if (line.empty() || line[0] == ';') continue;
        if (IsKeyLine(line)) {
            endValues(i);
            const std::string path(line.substr(1, line.size() - 2));
            orphaned = false;
            if (path[0] == '-') {
                EraseKey(path.substr(1));
                current = nullptr;
                skipping = true;
            } else {
                current = &CreateKey(path);
                valuesFrom = i + 1;
                skipping = false;
            }
            continue;
        }
        if (!current && !skipping) { // before the first key: kept as it stands
            if (line[0] == '[') orphaned = true;
            preamble_.emplace_back(lines[i]);
            continue;
        }
        if (line[0] == '[') orphaned = true;
        else if (!orphaned && line.back() == '\\') SkipContinuation(lines, i); // its lines are no key lines
    }
    endValues(lines.size());
    return true;
}

std::string TRegistryData::Serialize() const {
    std::string out = "REGEDIT4\r\n\r\n";
    for (const auto& line : preamble_) out += line + "\r\n";
    if (!preamble_.empty()) out += "\r\n";
    for (const TRegKey* k : InOrder()) {
        const TRegKey& key = *k;
        out += "[" + key.path + "]\r\n";
        // What is written must read as it was read: lines after a broken key
        // line belong to no key until the key is opened again, and a blank
        // line keeps a trailing "\" from running on into the next value.
        bool orphaned = false;
        for (const TRegValue& v : key.Values()) {
            if (v.kind == TRegValue::Kind::Unreadable) {
                out += v.raw + "\r\n";
                const std::string line = TrimBlanks(v.raw);
                if (line.starts_with('[')) orphaned = true;
                else if (line.ends_with('\\')) out += "\r\n";
                continue;
            }
            if (orphaned) {
                out += "\r\n[" + key.path + "]\r\n";
                orphaned = false;
            }
            out += v.name.empty() ? std::string("@") : Quote(v.name);
            out += "=";
            switch (v.kind) {
            case TRegValue::Kind::String:
                out += HasControlCharacters(v.text) ? HexString(v.text) : Quote(v.text);
                break;
            case TRegValue::Kind::Dword: {
                char buf[16];
                std::snprintf(buf, sizeof buf, "dword:%08x", v.dword);
                out += buf;
                break;
            }
            case TRegValue::Kind::Other:
            case TRegValue::Kind::Unreadable: out += v.raw; break;
            }
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

TRegKey* TRegistryData::FindKey(const std::string& path) {
    const auto found = keys_.find(FoldedName(path));
    return found == keys_.end() ? nullptr : &found->second;
}

TRegKey& TRegistryData::CreateKey(const std::string& path) {
    return keys_.try_emplace(FoldedName(path), path, made_++).first->second;
}

bool TRegistryData::KeyExists(const std::string& path) const {
    const std::string folded = FoldedName(path);
    if (keys_.count(folded)) return true;
    const auto below = keys_.lower_bound(FirstBelow(folded));
    return below != keys_.end() && below->first < PastBelow(folded);
}

void TRegistryData::EraseKey(const std::string& path) {
    const std::string folded = FoldedName(path);
    keys_.erase(folded);
    keys_.erase(keys_.lower_bound(FirstBelow(folded)), keys_.lower_bound(PastBelow(folded)));
}

std::vector<const TRegKey*> TRegistryData::InOrder(const std::string& from, const std::string& past) const {
    std::vector<const TRegKey*> keys;
    const auto end = past.empty() ? keys_.end() : keys_.lower_bound(past);
    for (auto it = keys_.lower_bound(from); it != end; ++it) keys.push_back(&it->second);
    std::sort(keys.begin(), keys.end(), [](const TRegKey* a, const TRegKey* b) { return a->order < b->order; });
    return keys;
}

std::vector<std::string> TRegistryData::Subkeys(const std::string& path) const {
    const std::string folded = FoldedName(path);
    std::vector<std::string> names;
    std::unordered_set<std::string> known;
    for (const TRegKey* k : InOrder(FirstBelow(folded), PastBelow(folded))) {
        std::string rest = k->path.substr(path.size() + 1);
        std::string child = rest.substr(0, rest.find('\\'));
        if (!child.empty() && known.insert(FoldedName(child)).second) names.push_back(child);
    }
    return names;
}

void KeepAsideDamaged(const std::string& path) {
    std::error_code ec;
    // Beside the file a link names; the link stays, and the new file is written through it.
    const std::string target = FinalTarget(path);
    std::string aside = target + ".bad";
    for (int n = 2; std::filesystem::exists(aside, ec) && n < 1000; ++n) aside = target + ".bad." + std::to_string(n);
    std::filesystem::rename(target, aside, ec);
    if (ec) std::cerr << "Cannot keep the damaged file " << target << " aside: " << ec.message() << "\n";
}

TRegistryStore::TRegistryStore(std::string rootKey) : root_(std::move(rootKey)) {
    while (!root_.empty() && root_.back() == '\\') root_.pop_back();
}

TRegistryFileStore::TRegistryFileStore(std::string filePath, std::string rootKey)
    : TRegistryStore(std::move(rootKey)), filePath_(std::move(filePath)) {
    std::string text;
    bool exists = false;
    try {
        exists = ReadWholeFile(filePath_, text);
    } catch (const EStoreError& e) {
        std::cerr << e.what() << "\n";
    }
    if (exists && !data_.Parse(std::move(text))) {
        damaged_ = true;
        KeepAsideDamaged(filePath_);
    }
}

TRegistryFileStore::~TRegistryFileStore() {
    try {
        Close();
    } catch (const EStoreError& e) {
        std::cerr << e.what() << "\n";
    }
}

TRegKey* TRegistryStore::KeyOf(const std::string& section) {
    if (!lastKnown_ || section != lastSection_) {
        lastSection_ = section;
        lastKey_ = data_.FindKey(KeyPath(section));
        lastKnown_ = true;
    }
    return lastKey_;
}

void TRegistryStore::Write(Change change) {
    lastKnown_ = false; // keys may come or go
    Record(std::move(change));
}

std::string TRegistryStore::KeyPath(const std::string& section) const { return SectionKeyPath(root_, section); }

bool TRegistryStore::Apply(TRegistryData& data, const Change& c) {
    switch (c.op) {
    case Change::Op::WriteString: {
        TRegKey& key = data.CreateKey(c.path);
        TRegValue* v = key.Find(c.name);
        if (v && v->kind == TRegValue::Kind::String && v->text == c.text) return false;
        if (!v) v = &key.Add(TRegValue{c.name, TRegValue::Kind::String, {}, 0, {}});
        v->kind = TRegValue::Kind::String;
        v->text = c.text;
        return true;
    }
    case Change::Op::WriteInteger: {
        TRegKey& key = data.CreateKey(c.path);
        TRegValue* v = key.Find(c.name);
        if (v && v->kind == TRegValue::Kind::String) {
            const std::string text = std::to_string(c.number); // a value kept as text stays text
            if (v->text == text) return false;
            v->text = text;
            return true;
        }
        const auto number = static_cast<std::uint32_t>(c.number);
        if (v && v->kind == TRegValue::Kind::Dword && v->dword == number) return false;
        if (!v) v = &key.Add(TRegValue{c.name, TRegValue::Kind::Dword, {}, 0, {}});
        v->kind = TRegValue::Kind::Dword;
        v->dword = number;
        v->raw.clear();
        return true;
    }
    case Change::Op::DeleteValue:
        if (TRegKey* key = data.FindKey(c.path)) return key->Erase(c.name);
        return false;
    case Change::Op::EraseSection: {
        const bool existed = data.KeyExists(c.path);
        data.EraseKey(c.path);
        return existed;
    }
    }
    return false;
}

void TRegistryStore::Record(Change change) { Apply(data_, change); }

void TRegistryFileStore::Record(Change change) {
    if (closed_) throw EStoreError("The settings store is already closed");
    // Writing what is already there changes nothing of ours: it must not undo
    // what another copy of the program wrote meanwhile.
    if (Apply(data_, change)) journal_.push_back(std::move(change));
}

void TRegistryFileStore::Close() {
    if (closed_) return;
    closed_ = true;
    if (journal_.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(filePath_).parent_path(), ec);
    TFileLock lock(filePath_);
    TRegistryData onDisk;
    std::string text;
    if (ReadWholeFile(filePath_, text)) {
        if (!onDisk.Parse(std::move(text))) {
            // Damaged since we read it: keep it aside and write what we hold.
            KeepAsideDamaged(filePath_);
            onDisk = data_;
        } else {
            for (const auto& change : journal_) Apply(onDisk, change);
        }
    } else {
        for (const auto& change : journal_) Apply(onDisk, change);
    }
    WriteFileAtomically(filePath_, onDisk.Serialize());
    journal_.clear();
}

std::string TRegistryStore::ReadString(const std::string& section, const std::string& name,
                                           const std::string& def) {
    TRegKey* key = KeyOf(section);
    TRegValue* v = key ? key->Find(name) : nullptr;
    if (!v || v->kind != TRegValue::Kind::String) return def;
    return v->text;
}

std::int32_t TRegistryStore::ReadInteger(const std::string& section, const std::string& name,
                                             std::int32_t def) {
    TRegKey* key = KeyOf(section);
    TRegValue* v = key ? key->Find(name) : nullptr;
    if (!v) return def;
    switch (v->kind) {
    case TRegValue::Kind::Dword: return static_cast<std::int32_t>(v->dword);
    case TRegValue::Kind::String: {
        std::int32_t value;
        return ParseStoredInteger(v->text, value) ? value : def;
    }
    case TRegValue::Kind::Other:
    case TRegValue::Kind::Unreadable: break;
    }
    return def;
}

void TRegistryStore::WriteString(const std::string& section, const std::string& name,
                                     const std::string& value) {
    CheckChangeableSection(section);
    Write({Change::Op::WriteString, KeyPath(section), name, value, 0});
}

void TRegistryStore::WriteInteger(const std::string& section, const std::string& name,
                                      std::int32_t value) {
    CheckChangeableSection(section);
    Write({Change::Op::WriteInteger, KeyPath(section), name, {}, value});
}

bool TRegistryStore::SectionExists(const std::string& section) {
    return data_.KeyExists(KeyPath(section));
}

bool TRegistryStore::ValueExists(const std::string& section, const std::string& name) {
    TRegKey* key = KeyOf(section);
    return key && key->Find(name);
}

void TRegistryStore::EraseSection(const std::string& section) {
    CheckChangeableSection(section);
    Write({Change::Op::EraseSection, KeyPath(section), {}, {}, 0});
}

void TRegistryStore::DeleteValue(const std::string& section, const std::string& name) {
    CheckChangeableSection(section);
    Write({Change::Op::DeleteValue, KeyPath(section), name, {}, 0});
}

std::vector<std::string> TRegistryStore::ReadValueNames(const std::string& section) {
    std::vector<std::string> names;
    if (TRegKey* key = KeyOf(section))
        for (const auto& v : key->Values())
            if (v.kind != TRegValue::Kind::Unreadable) names.push_back(v.name);
    return names;
}

std::vector<std::string> TRegistryStore::ReadSubsections(const std::string& section) {
    return data_.Subkeys(KeyPath(section));
}
