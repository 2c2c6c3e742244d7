// The Qt status log: CPU time for one more line, appended, selected and painted, on a shown
// log of 1,000, 10,000, 100,000 and 200,000 lines. The 200,000 figure should stay within 1.5
// times the 1,000 one: a new row must not lay out the whole list.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStringList>
#include <string>

#include "app/CHListBox.h"

using qtui::CHListBox;

namespace {

constexpr int kAppended = 200;

void AppendOneLine(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    CHListBox log;
    log.resize(300, 200);
    log.show();
    QStringList fill;
    for (int i = 0; i < lines - kAppended; ++i) {
        fill << QStringLiteral("Key (Zoom +) down %1").arg(i);
    }
    log.AddStrings(fill);
    log.SetCurSel(log.GetCount() - 1);
    QCoreApplication::processEvents();
    int i = 0;
    for (auto _ : state) {
        log.AddString(("Key (Zoom +) down " + std::to_string(i++)).c_str());
        log.SetCurSel(log.GetCount() - 1);
        QCoreApplication::processEvents();
        log.repaint();
    }
    state.counters["lines"] = log.GetCount();
}
// Each size appends exactly kAppended lines, so the log ends at its size and never overflows.
BENCHMARK(AppendOneLine)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(200000)
    ->Iterations(kAppended)
    ->Repetitions(3)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
