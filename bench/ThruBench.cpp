// Midi Thru: messages per second from the driver's callback to the output
// send, and the latency of one message along that path (fake drivers).
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"
#include "widgets/QtMailbox.h"

#include <QAction>
#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

struct TThruRig {
    FakeMidiOutDriver out;
    FakeMidiInDriver in;
    std::unique_ptr<TMainWindow> window;
    TThruRig() {
        out.devices = {"Synth"};
        in.devices = {"Keys"};
        window = std::make_unique<TMainWindow>(TProgramNames{}, out, in);
        window->show();
        QApplication::processEvents();
        window->midiThruItem->setChecked(true);
    }
    ~TThruRig() {
        window->close();
        window.reset();
    }
};

void BM_ThruThroughput(benchmark::State& state) {
    TThruRig rig;
    constexpr std::uint32_t batch = 1000;
    for (auto _ : state) {
        rig.out.sent.clear();
        rig.out.calls.clear();
        std::thread producer([&] {
            for (std::uint32_t i = 0; i < batch; ++i) rig.in.InjectShort(0xB0 | (7u << 8) | ((i & 0x7F) << 16), i);
        });
        while (rig.out.sent.size() + rig.window->Instrument().Input().DroppedCount() < batch)
            QApplication::processEvents();
        producer.join();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * batch));
    state.counters["dropped"] = static_cast<double>(rig.window->Instrument().Input().DroppedCount());
}
BENCHMARK(BM_ThruThroughput)->Unit(benchmark::kMillisecond);

void BM_ThruLatency(benchmark::State& state) {
    TThruRig rig;
    std::vector<double> micros;
    for (auto _ : state) {
        rig.out.sent.clear();
        const auto start = std::chrono::steady_clock::now();
        std::thread producer([&] { rig.in.InjectShort(0x90 | (60u << 8) | (100u << 16), 0); });
        while (rig.out.sent.empty()) QApplication::processEvents();
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        producer.join();
    }
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) { return micros[static_cast<std::size_t>(q * static_cast<double>(micros.size() - 1))]; };
    state.counters["p50_us"] = at(0.5);
    state.counters["p90_us"] = at(0.9);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = micros.back();
}
BENCHMARK(BM_ThruLatency)->Iterations(2000);

} // namespace
