// Full load of a generated patch script of 100,000 programs in nested groups.
#include "patches/PatchScriptParser.h"

#include <benchmark/benchmark.h>

namespace {

std::string GenerateScript() {
    std::string s = "[cubase parse file]\n[parser version 1]\n[device name] Bench\n[define patchnames]\n";
    int programs = 0;
    for (int mode = 0; programs < 100000; ++mode) {
        s += "[mode " + std::to_string(mode % 16 + 1) + "] Mode " + std::to_string(mode) + "\n";
        for (int g = 0; g < 20 && programs < 100000; ++g) {
            s += "[g1] Group " + std::to_string(g) + "\n[sorted]\n";
            for (int h = 0; h < 10 && programs < 100000; ++h) {
                s += "[g2] Sub " + std::to_string(h) + "\n";
                for (int p = 0; p < 25 && programs < 100000; ++p, ++programs)
                    s += "[p3, " + std::to_string(p) + ", " + std::to_string(g) + ", " + std::to_string(h) +
                         "] Program name " + std::to_string(programs) + "\n";
            }
        }
    }
    return s + "[end]\n";
}

void BM_FullLoad100000Programs(benchmark::State& state) {
    static const std::string script = GenerateScript();
    for (auto _ : state) {
        auto list = LoadPatchScript(script, nullptr);
        benchmark::DoNotOptimize(list);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * script.size()));
}
BENCHMARK(BM_FullLoad100000Programs)->Unit(benchmark::kMillisecond);

} // namespace
