// The knob row: laying out 20 knobs, and recalling a snapshot of 20 pairs
// through the main window to the fake driver.
#include "widgets/KnobRow.h"
#include "widgets/RotaryKnob.h"
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"
#include "store/RegistryFile.h"

#include <QApplication>

#include <benchmark/benchmark.h>


namespace {

void BM_Arrange20Knobs(benchmark::State& state) {
    QWidget parent;
    parent.resize(800, 100);
    auto* caption = new TKnobLabel(&parent);
    caption->setGeometry(0, 1, 60, 12);
    auto* knob = new TRotaryKnob(&parent);
    knob->SetBounds(0, 13, 23, 23);
    auto* value = new TKnobLabel(&parent);
    value->setGeometry(0, 24, 24, 12);
    TKnobRow list(caption, knob, value);
    for (int i = 0; i < 20; ++i) list.Add("Knob " + std::to_string(i), i, 0, 64);
    int width = 400;
    for (auto _ : state) {
        list.SetArea(100, width); // a new width each time: every knob moves
        width = width == 400 ? 500 : 400;
    }
    state.SetItemsProcessed(state.iterations() * 20);
}
BENCHMARK(BM_Arrange20Knobs);

void BM_RecallSnapshotOf20Pairs(benchmark::State& state) {
    const TProgramNames names;
    std::string values;
    for (int c = 0; c < 20; ++c) values += (c < 16 ? "0" : "1") + std::string(1, "0123456789ABCDEF"[c % 16]) + "40";
    {
        TRegistryFileStore store(names.RegistryFilePath(), "HKEY_CURRENT_USER" + names.RegistryRoot());
        store.WriteString("Snapshots", "Name1", "&1 Bench");
        store.WriteString("Snapshots", "Values1", values);
        store.Close();
    }
    FakeMidiOutDriver driver;
    FakeMidiInDriver inDriver;
    TMainWindow window(names, driver, inDriver);
    window.show();
    QApplication::processEvents();
    window.Instrument().Output().SetDeviceID(OwnPortDevice);
    window.Instrument().Output().Open();
    driver.sent.clear();
    window.KnobPanel().RecallSnapshot(1);
    if (driver.sent.size() != 20) state.SkipWithError("the snapshot did not reach the port");
    for (auto _ : state) {
        window.KnobPanel().RecallSnapshot(1);
        if (driver.sent.size() > 100000) driver.sent.clear(), driver.calls.clear();
    }
    state.SetItemsProcessed(state.iterations() * 20);
    window.close();
}
BENCHMARK(BM_RecallSnapshotOf20Pairs);

} // namespace
