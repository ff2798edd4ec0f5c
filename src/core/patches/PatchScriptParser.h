#pragma once
// Patch scripts in the "cubase parse file" text format: the tokenizer and the
// loaders that build a TPatchSet from one.
#include "patches/PatchSet.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

using TWarnings = std::vector<std::string>;

class TPatchScriptParser {
public:
    // The text is the whole file; lines end with CR LF, LF or CR.
    TPatchScriptParser(std::string_view text, TWarnings* warnings);

    // Steps to the next command; false at an "end" command or the end of the file.
    bool Next();
    std::string_view Command() const { return command_; }
    std::string_view Argument() const { return argument_; }
    int LineNumber() const { return lineIndex_ + 1; }

    void Warning(const std::string& text);
    [[noreturn]] void Error(const std::string& text);

private:
    std::vector<std::string_view> lines_;
    int lineIndex_ = -1;
    bool ended_ = false;
    std::string_view command_, argument_;
    TWarnings* warnings_;
};

// True when the first 512 bytes look like a patch script: blanks, "[", spaces
// or tabs, then a lower-case "c".
bool LooksLikePatchScript(std::string_view head);

// Builds a list from the bytes of a script, decoded as UTF-8 or Windows-1252
// (PatchScriptText.h): the header only, or everything (then sorted).
// Parse errors raise TPatchScriptParseException; a text that is no patch script
// or has no patch section raises std::runtime_error.
std::unique_ptr<TPatchSet> LoadPatchScriptHeader(std::string_view text);
std::unique_ptr<TPatchSet> LoadPatchScript(std::string_view text, TWarnings* warnings);

// The same from a file; a file that cannot be read raises std::runtime_error
// with the system's reason. The header load reads no further than the header.
std::unique_ptr<TPatchSet> LoadPatchListHeader(const std::string& fileName);
std::unique_ptr<TPatchSet> LoadPatchList(const std::string& fileName, TWarnings* warnings);
