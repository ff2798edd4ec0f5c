#include "patches/PatchScriptParser.h"

#include "midi/ShortMessage.h"
#include "patches/PatchScriptText.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>

namespace {

constexpr std::string_view NotAScript = "Script is not a Cubase Parse File.";

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) < 33; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsTrimmed(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsTrimmed(s.back())) s.remove_suffix(1);
    return s;
}

bool StartsWith(std::string_view text, std::string_view keyword) {
    if (text.size() < keyword.size()) return false;
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        char a = text[i], b = keyword[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

// Reads an integer from the front of rest: an optional "-", then decimal digits.
// The rest keeps what follows, trimmed.
std::int32_t ReadInteger(TPatchScriptParser& parser, std::string_view& rest) {
    std::size_t end = 0;
    if (end < rest.size() && rest[end] == '-') ++end;
    std::size_t digitsStart = end;
    while (end < rest.size() && rest[end] >= '0' && rest[end] <= '9') ++end;
    std::int32_t value = 0;
    if (end == digitsStart) parser.Error("Number expected.");
    auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + end, value);
    if (ec != std::errc() || ptr != rest.data() + end) parser.Error("Number expected.");
    rest = Trim(rest.substr(end));
    return value;
}

bool TakeComma(std::string_view& rest) {
    if (rest.empty() || rest.front() != ',') return false;
    rest = Trim(rest.substr(1));
    return true;
}

void WarnRemaining(TPatchScriptParser& parser, std::string_view rest) {
    if (!rest.empty()) parser.Warning("Ignoring remaining \"" + std::string(rest) + "\" in command.");
}

int LevelDigit(TPatchScriptParser& parser, std::string_view command) {
    if (command.size() < 2 || command[1] < '1' || command[1] > '9') parser.Error("Syntax error.");
    return command[1] - '0';
}

void ReadHeader(TPatchScriptParser& parser, TPatchSet& list) {
    if (!parser.Next()) parser.Error("Empty patch script file.");
    if (!StartsWith(parser.Command(), "cubase parse file")) parser.Error(std::string(NotAScript));
    if (!parser.Next()) parser.Error("Premature end of Cubase Parse File.");
    if (!StartsWith(parser.Command(), "parser version")) parser.Error("Version Number not found.");
    std::string_view version = Trim(parser.Command().substr(std::strlen("parser version")));
    // Read up to the first non-digit, so "1.00" is version 1.
    if (ReadInteger(parser, version) != 1) parser.Error("Wrong version number.");

    struct TextCommand {
        std::string_view keyword;
        std::string TPatchSet::*field;
    };
    static const TextCommand texts[] = {
        {"creators first name", &TPatchSet::CreatorFirstName},
        {"creators last name", &TPatchSet::CreatorLastName},
        {"device manufacturer", &TPatchSet::DeviceManufacturer},
        {"device name", &TPatchSet::DeviceName},
        {"script name", &TPatchSet::ScriptName},
        {"script version", &TPatchSet::ScriptVersion},
    };
    struct FlagCommand {
        std::string_view keyword;
        bool TPatchSet::*field;
        bool value;
        bool implemented;
    };
    static const FlagCommand flags[] = {
        {"bank: do swap value bytes", &TPatchSet::SwapValueBytes, true, true},
        {"bank: don't swap value bytes", &TPatchSet::SwapValueBytes, false, true},
        {"bank: do send msb first", &TPatchSet::SendMsbFirst, true, true},
        {"bank: don't send msb first", &TPatchSet::SendMsbFirst, false, true},
        {"bank: do send only one byte", &TPatchSet::SendOnlyOneByte, true, false},
        {"bank: don't send only one byte", &TPatchSet::SendOnlyOneByte, false, false},
        {"bank: do send as program change", &TPatchSet::SendAsProgramChange, true, false},
        {"bank: don't send as program change", &TPatchSet::SendAsProgramChange, false, false},
    };

    while (parser.Next()) {
        std::string_view command = parser.Command();
        bool known = false;
        for (const auto& t : texts) {
            if (!StartsWith(command, t.keyword)) continue;
            list.*t.field = std::string(parser.Argument());
            known = true;
            break;
        }
        for (const auto& f : flags) {
            if (known || !StartsWith(command, f.keyword)) continue;
            list.*f.field = f.value;
            if (!f.implemented)
                parser.Warning("Function [" + std::string(f.keyword) + "] is not implemented and ignored.");
            known = true;
        }
        if (known) continue;
        if (StartsWith(command, "define patchnames")) return;
        parser.Warning("Unknown command \"" + std::string(command) + "\" is ignored.");
    }
    throw std::runtime_error("No \"define patchnames\" section !");
}

class TPatchSectionReader {
public:
    TPatchSectionReader(TPatchScriptParser& parser, TPatchSet& list) : p_(parser), list_(list) {}

    void Read() {
        while (p_.Next()) {
            std::string_view command = p_.Command();
            if (p_.Argument().empty() && !StartsWith(command, "sorted")) p_.Error("Name is missing.");
            if (command.size() < 2) Unknown(command);
            else if (command[0] == 'p') Program(command);
            else if (command[0] == 'k' || command[0] == 'K') Key(command);
            else if (StartsWith(command, "mode")) Mode(command);
            else if (command[0] == 'g') Group(command);
            else if (StartsWith(command, "sorted")) Sorted(command);
            else Unknown(command);
        }
    }

private:
    void Unknown(std::string_view command) {
        p_.Warning("Unknown command \"" + std::string(command) + "\" is ignored.");
    }

    void Program(std::string_view command) {
        int level = LevelDigit(p_, command);
        TPatchModeGroup* group = levels_[level];
        if (!group) p_.Error("Sub group does not exist. Lower the level.");
        std::string_view rest = Trim(command.substr(2));
        if (!TakeComma(rest)) p_.Error("Syntax error.");
        std::int32_t program = ReadInteger(p_, rest);
        if (program < 0 || program > 127) p_.Error("Program number out of bounds (0..127)");
        if (!TakeComma(rest)) p_.Error("Syntax error.");
        std::int32_t first = ReadInteger(p_, rest);
        std::int32_t msb, lsb;
        if (TakeComma(rest)) {
            std::int32_t second = ReadInteger(p_, rest);
            bool swap = list_.SwapValueBytes;
            const char* firstIs = swap ? "LSB out of bounds (-1..127)" : "MSB out of bounds (-1..127)";
            const char* secondIs = swap ? "MSB out of bounds (-1..127)" : "LSB out of bounds (-1..127)";
            if (first < -1 || first > 127) p_.Error(firstIs);
            if (second < -1 || second > 127) p_.Error(secondIs);
            msb = swap ? second : first;
            lsb = swap ? first : second;
        } else {
            if (first < -1 || first > 16383) p_.Error("Bank number out of bounds (0..16383)");
            const TSplit14 bank = ShortMessage::SplitUnsigned14(first);
            msb = first == -1 ? -1 : bank.high;
            lsb = first == -1 ? -1 : bank.low;
        }
        WarnRemaining(p_, rest);
        currentProgram_ = group->AddProgram(std::string(p_.Argument()), msb, lsb, program);
    }

    void Key(std::string_view command) {
        std::string_view rest = Trim(command.substr(1));
        std::int32_t key = ReadInteger(p_, rest);
        if (key < 0 || key > 127) p_.Error("Key out of bounds (0..127)");
        if (!currentProgram_) p_.Error("No program defined for key.");
        WarnRemaining(p_, rest);
        currentProgram_->SetKeyName(key, std::string(p_.Argument()));
    }

    void Mode(std::string_view command) {
        std::string_view rest = Trim(command.substr(4));
        std::int32_t channel = -1;
        if (!rest.empty() && (rest.front() == '-' || (rest.front() >= '0' && rest.front() <= '9'))) {
            std::int32_t number = ReadInteger(p_, rest);
            if (number < 0 || number > 16) p_.Error("Midi channel out of bounds.");
            channel = number - 1;
        }
        WarnRemaining(p_, rest);
        for (auto& l : levels_) l = nullptr;
        currentProgram_ = nullptr;
        lastGroup_ = nullptr;
        levels_[1] = list_.AddMode(std::string(p_.Argument()), channel);
    }

    void Group(std::string_view command) {
        int level = LevelDigit(p_, command);
        if (!levels_[level]) {
            if (level != 1) p_.Error("Sub group does not exist. Lower the level.");
            levels_[1] = list_.AddMode(list_.DeviceName, -1);
        }
        WarnRemaining(p_, Trim(command.substr(2)));
        TPatchModeGroup* group = levels_[level]->AddGroup(std::string(p_.Argument()));
        levels_[level + 1] = group;
        lastGroup_ = group;
        currentProgram_ = nullptr;
    }

    void Sorted(std::string_view command) {
        if (!lastGroup_) {
            p_.Warning("No group defined for sorted property. Ignored.");
            return;
        }
        WarnRemaining(p_, Trim(command.substr(6)));
        lastGroup_->SetSorted(true);
    }

    TPatchScriptParser& p_;
    TPatchSet& list_;
    TPatchModeGroup* levels_[11] = {}; // index = level 1..10
    TPatchModeGroup* lastGroup_ = nullptr;
    TPatchProgram* currentProgram_ = nullptr;
};

std::ifstream OpenScriptFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
    return in;
}

// Appends up to count bytes; false at the end of the file.
bool ReadMore(std::ifstream& in, const std::string& fileName, std::string& text, std::size_t count) {
    const std::size_t had = text.size();
    text.resize(had + count);
    in.read(text.data() + had, static_cast<std::streamsize>(count));
    text.resize(had + static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw std::runtime_error("Cannot read file \"" + fileName + "\". " + std::strerror(errno));
    return !in.eof();
}

std::string ReadScriptFile(const std::string& fileName) {
    std::ifstream in = OpenScriptFile(fileName);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw std::runtime_error("Cannot read file \"" + fileName + "\". " + std::strerror(errno));
    return text;
}

void CheckFileType(std::string_view text) {
    if (!LooksLikePatchScript(WithoutByteOrderMark(text).substr(0, 512))) throw std::runtime_error(std::string(NotAScript));
}

// Whether the text holds the whole header: its "define patchnames" command.
bool HoldsHeader(std::string_view text) {
    TPatchScriptParser parser(text, nullptr);
    while (parser.Next())
        if (StartsWith(parser.Command(), "define patchnames")) return true;
    return false;
}

// The file up to the end of its header: the type test's 512 bytes, then only
// as far as the header goes, so a large file that is no script is not read.
std::string ReadScriptHeader(const std::string& fileName) {
    std::ifstream in = OpenScriptFile(fileName);
    std::string text;
    bool more = ReadMore(in, fileName, text, 512 + 3);
    CheckFileType(text);
    for (std::size_t chunk = 4096; more && !HoldsHeader(text); chunk *= 2) more = ReadMore(in, fileName, text, chunk);
    return text;
}

} // namespace

TPatchScriptParser::TPatchScriptParser(std::string_view text, TWarnings* warnings)
    : warnings_(warnings) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines_.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines_.push_back(text.substr(start));
}

bool TPatchScriptParser::Next() {
    command_ = argument_ = {};
    while (!ended_ && lineIndex_ + 1 < static_cast<int>(lines_.size())) {
        ++lineIndex_;
        std::string_view line = Trim(lines_[static_cast<std::size_t>(lineIndex_)]);
        if (line.empty()) continue;
        std::size_t close = line.find(']');
        if (line.front() != '[' || close == std::string_view::npos || close < 2) {
            Warning("Syntax error.");
            continue;
        }
        std::string_view command = Trim(line.substr(1, close - 1));
        if (command.empty() || StartsWith(command, "comment")) continue;
        if (StartsWith(command, "end")) {
            ended_ = true;
            return false;
        }
        command_ = command;
        argument_ = Trim(line.substr(close + 1));
        return true;
    }
    if (!ended_) {
        ended_ = true;
        Warning("[end] command not found.");
    }
    return false;
}

void TPatchScriptParser::Warning(const std::string& text) {
    if (warnings_) warnings_->push_back("Line " + std::to_string(LineNumber()) + ": Warning: " + text);
}

void TPatchScriptParser::Error(const std::string& text) {
    std::string message = "Line " + std::to_string(LineNumber()) + ": Error: " + text;
    if (warnings_) warnings_->push_back(message);
    throw TPatchScriptParseException(message);
}

bool LooksLikePatchScript(std::string_view head) {
    std::size_t i = 0;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n'))
        ++i;
    if (i >= head.size() || head[i] != '[') return false;
    for (++i; i < head.size() && (head[i] == ' ' || head[i] == '\t');) ++i;
    return i < head.size() && head[i] == 'c';
}

std::unique_ptr<TPatchSet> LoadPatchScriptHeader(std::string_view bytes) {
    CheckFileType(bytes);
    const std::string text = DecodeScriptText(bytes);
    auto list = std::make_unique<TPatchSet>();
    TPatchScriptParser parser(text, nullptr);
    ReadHeader(parser, *list);
    return list;
}

std::unique_ptr<TPatchSet> LoadPatchScript(std::string_view bytes, TWarnings* warnings) {
    CheckFileType(bytes);
    const std::string text = DecodeScriptText(bytes);
    auto list = std::make_unique<TPatchSet>();
    TPatchScriptParser parser(text, warnings);
    ReadHeader(parser, *list);
    TPatchSectionReader(parser, *list).Read();
    list->SortMarked();
    return list;
}

std::unique_ptr<TPatchSet> LoadPatchListHeader(const std::string& fileName) {
    auto list = LoadPatchScriptHeader(ReadScriptHeader(fileName));
    list->FileName = fileName;
    return list;
}

std::unique_ptr<TPatchSet> LoadPatchList(const std::string& fileName, TWarnings* warnings) {
    auto list = LoadPatchScript(ReadScriptFile(fileName), warnings);
    list->FileName = fileName;
    return list;
}
