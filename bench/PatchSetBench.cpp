// A patch set of 10,000 programs loaded into the main window up to a usable
// Patches menu, and SendProgramAndBank to the fake driver.
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "patches/PatchSet.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>


namespace {

const std::string LargeScript = std::string(TONECAST_TEST_DATA) + "/patchscripts/yamaha-modx-large.txt";

// Loads the script into a main window until its Patches menu is usable.
void LoadUpToItsMenu(benchmark::State& state, const std::string& script) {
    FakeMidiOutDriver driver;
    FakeMidiInDriver inDriver;
    TMainWindow window(TProgramNames{}, driver, inDriver);
    for (auto _ : state) {
        if (window.ProgramPanel().ApplyPatchSet(script)) {
            state.SkipWithError("the script did not load");
            break;
        }
        // The first group's submenu, as a user opens it.
        QMenu* first = window.ProgramPanel().patchesItem->actions().front()->menu();
        emit first->aboutToShow();
        benchmark::DoNotOptimize(first->actions().size());
    }
}

void BM_LargeScriptUpToItsMenu(benchmark::State& state) { LoadUpToItsMenu(state, LargeScript); }
BENCHMARK(BM_LargeScriptUpToItsMenu)->Unit(benchmark::kMillisecond);

// A script of n programs in groups of 128, each group a bank of its own.
std::string GeneratedScript(int n) {
    std::string text = "[cubase parse file]\n[parser version 0001]\n[define patchnames]\n[mode] Generated\n";
    for (int i = 0; i < n; ++i) {
        const int bank = i / 128;
        if (i % 128 == 0) text += "[g1] Bank " + std::to_string(bank) + "\n";
        text += "[p2, " + std::to_string(i % 128) + ", " + std::to_string(bank / 128) + ", " + std::to_string(bank % 128) +
                "] Sound " + std::to_string(i) + "\n";
    }
    const std::string path = (std::filesystem::temp_directory_path() / ("tonecast-bench-" + std::to_string(n) + ".txt")).string();
    std::ofstream(path, std::ios::binary) << text << "[end]\n";
    return path;
}

// The same with 10,000 and 100,000 programs: the time should grow about tenfold.
void BM_GeneratedScriptUpToItsMenu(benchmark::State& state) {
    const std::string script = GeneratedScript(static_cast<int>(state.range(0)));
    LoadUpToItsMenu(state, script);
    std::filesystem::remove(script);
}
BENCHMARK(BM_GeneratedScriptUpToItsMenu)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SendProgramAndBank(benchmark::State& state) {
    FakeMidiOutDriver driver;
    FakeMidiInDriver inDriver;
    TMainWindow window(TProgramNames{}, driver, inDriver);
    window.Instrument().Output().SetDeviceID(OwnPortDevice);
    window.Instrument().Output().Open();
    window.Instrument().Show({0xB0, 0, 5});
    window.Instrument().Show({0xB0, 32, 6});
    window.Instrument().Show({0xC0, 10, 0});
    for (auto _ : state) {
        window.ProgramPanel().SendProgramAndBank();
        if (driver.sent.size() > 100000) driver.sent.clear(), driver.calls.clear();
    }
    if (driver.sent.empty()) state.SkipWithError("nothing reached the port");
    window.Instrument().Output().Close();
}
BENCHMARK(BM_SendProgramAndBank);

} // namespace
