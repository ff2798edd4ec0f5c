// Opening a registry file, reading 1,000 values and closing it; writing an
// export file of 20 sections of 80 values through the INI store.
#include "store/IniFile.h"
#include "store/RegistryFile.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

const std::string Root = "HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\bench";

std::string PrepareFile() {
    std::string file = (std::filesystem::temp_directory_path() / "tonecast-bench.reg").string();
    std::filesystem::remove(file);
    TRegistryFileStore store(file, Root);
    for (int s = 0; s < 10; ++s)
        for (int v = 0; v < 100; ++v) {
            std::string section = "Section" + std::to_string(s), name = "Value" + std::to_string(v);
            if (v % 2) store.WriteInteger(section, name, v);
            else store.WriteString(section, name, "text " + std::to_string(v));
        }
    store.Close();
    return file;
}

void BM_OpenRead1000Close(benchmark::State& state) {
    static const std::string file = PrepareFile();
    for (auto _ : state) {
        TRegistryFileStore store(file, Root);
        std::int64_t sum = 0;
        for (int s = 0; s < 10; ++s)
            for (int v = 0; v < 100; ++v)
                sum += store.ReadInteger("Section" + std::to_string(s), "Value" + std::to_string(v), 0);
        benchmark::DoNotOptimize(sum);
        store.Close();
    }
}
BENCHMARK(BM_OpenRead1000Close)->Unit(benchmark::kMicrosecond);

// As an export of twenty knob presets: every value reaches the file as it is written.
void BM_IniWrite20x80Close(benchmark::State& state) {
    const std::string file = (std::filesystem::temp_directory_path() / "tonecast-bench.ini").string();
    for (auto _ : state) {
        std::filesystem::remove(file);
        TIniFileStore store(file);
        for (int s = 0; s < 20; ++s)
            for (int v = 0; v < 80; ++v)
                store.WriteString("Preset" + std::to_string(s), "Value" + std::to_string(v), "text " + std::to_string(v));
        store.Close();
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_IniWrite20x80Close)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
