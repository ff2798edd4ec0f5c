// Costs that must grow in step with the work: each at a count users reach and
// at ten times it, so that the second figure shows about tenfold, not a
// hundredfold. Real files on disk, as the program reads and writes them.
#include "instrument/ChordList.h"
#include "instrument/ExportImport.h"
#include "store/IniFile.h"
#include "store/RegistryFile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

const std::string Root = "HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\bench";

std::string TempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("tonecast-growth-" + name)).string();
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// An export file of n chords, every tenth named like an earlier one.
std::string ChordFile(int n) {
    std::string text = "[Chords]\r\n";
    for (int i = 1; i <= n; ++i) {
        const int named = i % 10 == 0 ? i / 2 : i;
        text += "Name" + std::to_string(i) + "=Chord " + std::to_string(named) + "\r\n";
        text += "Chord" + std::to_string(i) + "=3C0407\r\n";
    }
    const std::string path = TempFile("chords-" + std::to_string(n) + ".ini");
    Write(path, text);
    return path;
}

// File > Import > Chords: read the file into the list, keep the list in the registry file.
void BM_ImportChords(benchmark::State& state) {
    const std::string file = ChordFile(static_cast<int>(state.range(0)));
    const std::string registry = TempFile("chords.reg");
    for (auto _ : state) {
        std::filesystem::remove(registry);
        TChordList list;
        TIniFileStore ini(file);
        benchmark::DoNotOptimize(list.LoadFrom(ini, true));
        TRegistryFileStore root(registry, Root);
        list.SaveTo(root);
        root.Close();
    }
    std::filesystem::remove(registry);
    std::filesystem::remove(file);
}
BENCHMARK(BM_ImportChords)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A registry file holding one hex value of the given size in the file, in
// lines as regedit writes them, read through the store.
void BM_ReadRegistryHexValue(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    std::string value = "\"Big\"=hex(1):";
    while (value.size() < bytes) {
        for (int i = 0; i < 25 && value.size() < bytes; ++i) value += "41,";
        value += "\\\r\n  ";
    }
    value += "00\r\n";
    const std::string file = TempFile("hex.reg");
    Write(file, "REGEDIT4\r\n\r\n[" + Root + "\\Values]\r\n" + value + "\"After\"=\"1\"\r\n\r\n");
    for (auto _ : state) {
        TRegistryFileStore store(file, Root);
        const std::string read = store.ReadString("Values", "Big", "");
        if (read.size() < bytes / 4) state.SkipWithError("the value was not read");
        benchmark::DoNotOptimize(read.size());
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_ReadRegistryHexValue)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

// A registry file of n knob presets of four knobs each.
std::string PresetRegistry(int n) {
    const std::string file = TempFile("presets-" + std::to_string(n) + ".reg");
    std::filesystem::remove(file);
    TRegistryFileStore store(file, Root);
    for (int p = 0; p < n; ++p) {
        const std::string section = "KnobPresets\\Preset " + std::to_string(p);
        for (int k = 1; k <= 4; ++k) {
            store.WriteString(section, "Caption" + std::to_string(k), "Knob " + std::to_string(k));
            store.WriteInteger(section, "DisplayMode" + std::to_string(k), 0);
            store.WriteInteger(section, "DefaultValue" + std::to_string(k), 64);
            store.WriteInteger(section, "IUser" + std::to_string(k), k);
        }
    }
    store.Close();
    return file;
}

// File > Export > Knob presets: from the registry file into a new export file.
void BM_ExportKnobPresets(benchmark::State& state) {
    const std::string registry = PresetRegistry(static_cast<int>(state.range(0)));
    const std::string file = TempFile("presets.ini");
    for (auto _ : state) {
        std::filesystem::remove(file);
        TRegistryFileStore root(registry, Root);
        TIniFileStore ini(file);
        if (ExportImport::ExportKnobPresets(root, ini) != state.range(0)) state.SkipWithError("presets lost");
        ini.Close();
    }
    std::filesystem::remove(registry);
    std::filesystem::remove(file);
}
BENCHMARK(BM_ExportKnobPresets)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

// The same into the file of an earlier export, as a user refreshing a backup:
// each round starts from that earlier file.
void BM_ExportKnobPresetsIntoExisting(benchmark::State& state) {
    const std::string registry = PresetRegistry(static_cast<int>(state.range(0)));
    const std::string earlier = TempFile("presets-earlier.ini"), file = TempFile("presets.ini");
    {
        std::filesystem::remove(earlier);
        TRegistryFileStore root(registry, Root);
        TIniFileStore ini(earlier);
        ExportImport::ExportKnobPresets(root, ini);
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(earlier, file, std::filesystem::copy_options::overwrite_existing);
        state.ResumeTiming();
        TRegistryFileStore root(registry, Root);
        TIniFileStore ini(file);
        if (ExportImport::ExportKnobPresets(root, ini) != state.range(0)) state.SkipWithError("presets lost");
        ini.Close();
    }
    for (const auto& f : {registry, earlier, file}) std::filesystem::remove(f);
}
BENCHMARK(BM_ExportKnobPresetsIntoExisting)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

// A list of n chords, every one its own.
TChordList Chords(int n) {
    TChordList list;
    TIniFileStore source = TIniFileStore::FromText([n] {
        std::string text = "[Chords]\r\n";
        for (int i = 1; i <= n; ++i)
            text += "Name" + std::to_string(i) + "=Chord " + std::to_string(i) + "\r\nChord" + std::to_string(i) + "=3C0407\r\n";
        return text;
    }());
    list.LoadFrom(source, false);
    return list;
}

// File > Export > Chords, into a new file and into the file of an earlier export.
void ExportChords(benchmark::State& state, bool intoExisting) {
    const TChordList list = Chords(static_cast<int>(state.range(0)));
    const std::string earlier = TempFile("chords-earlier.ini"), file = TempFile("chords-export.ini");
    {
        std::filesystem::remove(earlier);
        TIniFileStore ini(earlier);
        list.SaveTo(ini);
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (intoExisting) std::filesystem::copy_file(earlier, file, std::filesystem::copy_options::overwrite_existing);
        else std::filesystem::remove(file);
        state.ResumeTiming();
        TIniFileStore ini(file);
        if (list.SaveTo(ini) != state.range(0)) state.SkipWithError("chords lost");
        ini.Close();
    }
    for (const auto& f : {earlier, file}) std::filesystem::remove(f);
}
void BM_ExportChords(benchmark::State& state) { ExportChords(state, false); }
void BM_ExportChordsIntoExisting(benchmark::State& state) { ExportChords(state, true); }
BENCHMARK(BM_ExportChords)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportChordsIntoExisting)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// File > Import > Knob presets: an export file into a registry file that has none.
void BM_ImportKnobPresets(benchmark::State& state) {
    const std::string file = TempFile("presets.ini");
    {
        const std::string registry = PresetRegistry(static_cast<int>(state.range(0)));
        std::filesystem::remove(file);
        TRegistryFileStore root(registry, Root);
        TIniFileStore ini(file);
        ExportImport::ExportKnobPresets(root, ini);
        std::filesystem::remove(registry);
    }
    const std::string registry = TempFile("imported.reg");
    for (auto _ : state) {
        std::filesystem::remove(registry);
        TIniFileStore ini(file);
        TRegistryFileStore root(registry, Root);
        if (ExportImport::ImportKnobPresets(ini, root, false).loaded != state.range(0))
            state.SkipWithError("presets lost");
        root.Close();
    }
    std::filesystem::remove(registry);
    std::filesystem::remove(file);
}
BENCHMARK(BM_ImportKnobPresets)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

// Opening the settings of a user with 10,000 custom chords and 3,000 knob
// presets (and ten times that), as the program does at its start.
void BM_OpenLargeSettings(benchmark::State& state) {
    const int chords = static_cast<int>(state.range(0)), presets = chords * 3 / 10;
    const std::string file = PresetRegistry(presets);
    {
        TRegistryFileStore store(file, Root);
        for (int i = 1; i <= chords; ++i) {
            store.WriteString("Chords", "Name" + std::to_string(i), "Chord " + std::to_string(i));
            store.WriteString("Chords", "Chord" + std::to_string(i), "3C0407");
        }
    }
    for (auto _ : state) {
        TRegistryFileStore store(file, Root);
        if (store.ReadString("Chords", "Name" + std::to_string(chords), "").empty()) state.SkipWithError("not read");
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_OpenLargeSettings)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
