#include "BuiltInSynth.h"

#include "ModuleLoader.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

std::string FindSoundFont(const std::string& folder) {
    std::error_code ec;
    std::string best;
    std::uintmax_t bestSize = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::filesystem::path& path = entry.path();
        std::string ext = path.extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext != ".sf2" || !entry.is_regular_file(ec)) continue; // follows links
        const std::uintmax_t size = entry.file_size(ec);
        if (ec || size <= bestSize) continue;
        best = std::filesystem::canonical(path, ec).string();
        bestSize = size;
    }
    return best;
}

std::string SoundFontProblem(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "The sound font \"" + path + "\" cannot be read: " + std::strerror(errno) + ".";
    unsigned char header[12] = {};
    const bool read = std::fread(header, 1, sizeof header, file) == sizeof header;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    if (!read || std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "sfbk", 4) != 0)
        return "\"" + path + "\" is no SoundFont 2 file.";
    const unsigned long declared = header[4] | header[5] << 8 | header[6] << 16 | static_cast<unsigned long>(header[7]) << 24;
    if (size < 0 || static_cast<unsigned long>(size) < declared + 8)
        return "The sound font \"" + path + "\" is damaged: it ends before its last part.";
    return {};
}

std::unique_ptr<TBuiltInSynth> TBuiltInSynth::Create(const std::string& soundFont, TOutput output, std::string& error,
                                                     std::function<void()> loadFailed, double sampleRate) {
    std::error_code ec;
    if (soundFont.empty() || !std::filesystem::is_regular_file(soundFont, ec)) {
        error = "The built-in synthesizer has no General MIDI sound font.";
        return nullptr;
    }
    if (std::string problem = SoundFontProblem(soundFont); !problem.empty()) {
        error = std::move(problem);
        return nullptr;
    }
    const auto create = LoadModuleFunction<TSynthFactory>("tonecast-synth", "TonecastCreateSynth", error);
    if (!create) {
        error = "The built-in synthesizer cannot start. " + error;
        return nullptr;
    }
    return std::unique_ptr<TBuiltInSynth>(create(soundFont, output, error, std::move(loadFailed), sampleRate));
}
