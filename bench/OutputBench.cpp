// One message played through the instrument of the main window to the fake driver.
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"

#include <QApplication>

#include <benchmark/benchmark.h>


namespace {

void BM_PlayMessage(benchmark::State& state) {
    FakeMidiOutDriver driver;
    FakeMidiInDriver inDriver;
    TMainWindow window(TProgramNames{}, driver, inDriver);
    window.Instrument().Output().SetDeviceID(OwnPortDevice);
    window.Instrument().Output().Open();
    std::uint8_t note = 0;
    for (auto _ : state) {
        window.Instrument().Play({0x90, note, 100});
        note = (note + 1) & 0x7F;
        if (driver.sent.size() > 100000) driver.sent.clear(), driver.calls.clear();
    }
    state.SetItemsProcessed(state.iterations());
    window.Instrument().Output().Close();
}
BENCHMARK(BM_PlayMessage);

} // namespace
