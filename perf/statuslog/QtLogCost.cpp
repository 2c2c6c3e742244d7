// The Qt status log: the cost of one more line, appended, selected and shown, at 1,000, 10,000,
// 100,000 and 200,000 lines (offscreen), and each against the cost at 1,000 lines.
#include <QApplication>
#include <QStringList>
#include <chrono>
#include <cstdio>

#include "app/CHListBox.h"
#include "perf/statuslog/LogSizes.h"

using qtui::CHListBox;

namespace {

// Microseconds per line for kMeasured lines appended one at a time on top of `lines` minus them.
double CostAt(int lines) {
    CHListBox log;
    log.resize(140, 200);
    log.show();
    QStringList fill;
    for (int i = 0; i < lines - kMeasured; ++i) {
        fill << QStringLiteral("Key (Zoom +) down %1").arg(i);
    }
    log.AddStrings(fill);
    log.SetCurSel(log.GetCount() - 1);
    QCoreApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kMeasured; ++i) {
        log.AddString(("Key (Zoom +) down " + std::to_string(i)).c_str());
        log.SetCurSel(log.GetCount() - 1);
        QCoreApplication::processEvents();
    }
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() /
           kMeasured;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PrintCosts("Qt", "appended, selected and shown", CostAt);
    return 0;
}
