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


namespace {

const std::string LargeScript = std::string(TONECAST_TEST_DATA) + "/patchscripts/yamaha-modx-large.txt";

void BM_LargeScriptUpToItsMenu(benchmark::State& state) {
    FakeMidiOutDriver driver;
    FakeMidiInDriver inDriver;
    TMainWindow window(TProgramNames{}, driver, inDriver);
    for (auto _ : state) {
        if (window.ProgramPanel().ApplyPatchSet(LargeScript)) {
            state.SkipWithError("the script did not load");
            break;
        }
        // The first group's submenu, as a user opens it.
        QMenu* first = window.ProgramPanel().PatchesItem->actions().front()->menu();
        emit first->aboutToShow();
        benchmark::DoNotOptimize(first->actions().size());
    }
}
BENCHMARK(BM_LargeScriptUpToItsMenu)->Unit(benchmark::kMillisecond);

void BM_SendProgramAndBank(benchmark::State& state) {
    FakeMidiOutDriver driver;
    FakeMidiInDriver inDriver;
    TMainWindow window(TProgramNames{}, driver, inDriver);
    window.Instrument().Output().SetDeviceID(MIDI_MAPPER);
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
