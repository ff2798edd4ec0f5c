// The piano keyboard: a full repaint in each style, a four-note chord through
// OnNote, and a scroll step.
#include "widgets/PianoKeyboard.h"

#include <QApplication>
#include <QPixmap>

#include <benchmark/benchmark.h>


namespace {

void BM_FullRepaint(benchmark::State& state) {
    TKeyTable kbKeys;
    TPianoKeyboard kb{kbKeys};
    kb.SetKeyWidth(15);
    if (state.range(0)) {
        kb.SetImageSize(TImageSize::Small);
        kb.SetPaintStyle(TPaintStyle::Image);
    }
    kb.resize(1125, 76);
    kb.SetBaseNote(0);
    QPixmap canvas(kb.size());
    for (auto _ : state) kb.render(&canvas);
    state.SetLabel(state.range(0) ? "psImage" : "psDraw");
}
BENCHMARK(BM_FullRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_PlayFourNoteChord(benchmark::State& state) {
    TKeyTable kbKeys;
    TPianoKeyboard kb{kbKeys};
    int count = 0;
    kb.OnNote = [&](TPianoKeyboard*, const TShortMessage&) { ++count; };
    kb.State().StoreChord(TChord::Major7);
    for (auto _ : state) {
        kb.State().PlayNote(0, 60, 100, true);
        kb.State().PlayNote(0, 60, 0, true);
    }
    benchmark::DoNotOptimize(count);
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_PlayFourNoteChord);

void BM_ScrollStep(benchmark::State& state) {
    TKeyTable kbKeys;
    TPianoKeyboard kb{kbKeys};
    kb.SetImageSize(TImageSize::Small);
    kb.SetPaintStyle(TPaintStyle::Image);
    kb.resize(1000, 76);
    kb.show();
    QApplication::processEvents();
    bool up = true;
    for (auto _ : state) {
        kb.SetBaseNoteWhiteIndex(kb.BaseNoteWhiteIndex() + (up ? 1 : -1));
        up = !up;
        QApplication::processEvents(); // the repaint of the exposed strip
    }
}
BENCHMARK(BM_ScrollStep)->Unit(benchmark::kMicrosecond);

} // namespace
