// The main dialog under a saturated bus, offscreen, on the bench in real time.
//  1. The bench's ceiling: PDOs per second to a consumer that only fetches.
//  2. The dialog's ceiling: the same flood into the real dialog, until every change is shown.
//  3. The bench's own flood into the dialog for 10 s, quiet, at 18,000 PDOs per second and unpaced:
//     processed rate, drops, and how late a 10 ms timer of the GUI thread fires (p50, p99, max).
//  4. The status log: the cost of one more line at 10,000 lines against a QListWidget, and at
//     100,000 lines.
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "app/CHListBox.h"
#include "app/CTolvikDlg.h"
#include "bench/Bench.h"
#include "canlink/RemoteProtocol.h"
#include "tests/support/BenchBinding.h"

using canlink::kBaseKeyCobId;
using canlink::kBatteryCobId;
using canlink::kSignalCobId;
using canlink::kWirelessKeyCobId;
using qtui::CHListBox;
using qtui::CTolvikDlg;

namespace {

using Clock = std::chrono::steady_clock;

bench::Scenario QuietScenario() {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.tpdo3CobId = 0x3C8;  // valid and mapped: no start-up pauses
    scenario.tpdo3Mapped = 1;
    scenario.insertBatteriesWhenWindowOpens = false;
    return scenario;
}

// The mix a busy remote produces: key presses and releases, signal and battery reports.
CAN_PDO MixedPdo(uint64_t i) {
    CAN_PDO pdo{};
    pdo.length = 1;
    switch (i % 4) {
        case 0:
            pdo.cobId = 0x1C9;
            pdo.data[0] = static_cast<uint8_t>(1 + (i / 4) % 9);
            break;
        case 1:
            pdo.cobId = 0x1C9;
            pdo.data[0] = 0;
            break;
        case 2:
            pdo.cobId = 0x3C8;
            pdo.data[0] = static_cast<uint8_t>(i);
            break;
        default:
            pdo.cobId = 0x2C9;
            pdo.data[0] = (i / 4) % 2 ? 0x02 : 0x00;
            break;
    }
    return pdo;
}

// Injects `count` PDOs as fast as the buffer takes them (never letting it overflow).
void Burst(uint64_t count) {
    for (uint64_t i = 0; i < count; ++i) {
        while (i - bench::DeliveredCount() >= 4000) {
            std::this_thread::yield();
        }
        bench::InjectPdo(MixedPdo(i));
    }
}

void NoSecondary(int, int) {}

void NullConsumer(int count) {
    CAN_PDO pdo;
    for (int i = 0; i < count; ++i) {
        bench::CAN_GetPDO(&pdo);
    }
}

double BenchCeiling(uint64_t count) {
    bench::Load(QuietScenario());
    CAN_BRIDGE_INFO info[4];
    bench::CAN_EnumerateBridges(info, 4);
    uint32_t address;
    std::memcpy(&address, info[0].ipAddress, 4);
    bench::CAN_Connect(address);
    bench::CAN_SetPDOBufferSize(5000);
    bench::CAN_RegisterEvents(NullConsumer, NoSecondary);
    for (uint32_t cob : {kBaseKeyCobId, kWirelessKeyCobId, kSignalCobId, kBatteryCobId}) {
        CAN_PDO pdo{};
        pdo.cobId = cob;
        bench::CAN_RegisterPDO(pdo);
    }
    const auto start = Clock::now();
    Burst(count);
    bench::WaitIdle(60000);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    bench::CAN_Disconnect();
    return count / seconds;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * values.size()))];
}

double DialogCeiling(uint64_t count) {
    bench::Load(QuietScenario());
    CTolvikDlg dlg;
    dlg.OnInitDialog();
    dlg.show();
    const auto start = Clock::now();
    std::thread injector([count] { Burst(count); });
    while (bench::DeliveredCount() < count) {
        QCoreApplication::processEvents();
    }
    injector.join();
    bench::WaitIdle(60000);
    QCoreApplication::processEvents();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    dlg.close();
    return count / seconds;
}

// The bench's own flood (rate 0: none) into the dialog for `seconds`, while a 10 ms timer of the
// GUI thread notes how late it fires. Prints the processed rate, drops and the lateness.
void Flood(uint32_t rate, int seconds, const char* name) {
    bench::Scenario scenario = QuietScenario();
    if (rate > 0) {
        scenario.flood = {rate, static_cast<uint32_t>(seconds) * 1000u, bench::Flood::Mix::Mixed};
    }
    bench::Load(scenario);
    CTolvikDlg dlg;
    dlg.OnInitDialog();
    dlg.show();
    const uint64_t before = bench::DeliveredCount();

    std::vector<double> lateness;
    QElapsedTimer since;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (since.isValid()) {
            lateness.push_back(std::max(0.0, since.nsecsElapsed() / 1e6 - 10.0));
        }
        since.restart();
    });
    probe.start();

    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const uint64_t processed = bench::DeliveredCount() - before;
    std::printf(
        "%s for %d s: processed %.0f PDOs/s, dropped by the bench %llu, GUI timer lateness p50 %.2f ms, "
        "p99 %.2f ms, max %.2f ms, status lines %d\n",
        name, seconds, processed / elapsed, static_cast<unsigned long long>(bench::DroppedCount()),
        Percentile(lateness, 0.5), Percentile(lateness, 0.99), Percentile(lateness, 1.0),
        dlg.m_statusList->GetCount());
    dlg.close();
}

// Microseconds per line for the last 20 of `lines` lines, each appended, selected and shown;
// the lines before them are appended without selecting.
template <typename Append, typename Select>
double AppendCost(Append append, Select select, int lines) {
    for (int i = 0; i < lines - 20; ++i) {
        append(i);
    }
    QCoreApplication::processEvents();
    const auto start = Clock::now();
    for (int i = lines - 20; i < lines; ++i) {
        append(i);
        select();
        QCoreApplication::processEvents();
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / 20;
}

// One more line appended, selected and shown, at `lines` lines in the log.
double StatusLogCost(int lines) {
    CHListBox log;
    log.resize(140, 200);
    log.show();
    return AppendCost([&](int i) { log.AddString(("Key (Zoom +) down " + std::to_string(i)).c_str()); },
                      [&] { log.SetCurSel(log.GetCount() - 1); }, lines);
}

// The same with a plain QListWidget, which lays out every row's own size on each change.
double ListWidgetCost(int lines) {
    QListWidget peer;
    peer.resize(140, 200);
    peer.show();
    return AppendCost([&](int i) { peer.addItem(QString("Key (Zoom +) down %1").arg(i)); },
                      [&] { peer.setCurrentRow(peer.count() - 1); }, lines);
}

void StatusLogCosts() {
    const double ours = StatusLogCost(10000);
    const double theirs = ListWidgetCost(10000);
    std::printf(
        "status log at 10,000 lines: %.1f us per line appended and shown; QListWidget %.1f us (ratio %.3f)\n",
        ours, theirs, ours / theirs);
    std::printf("status log at 100,000 lines: %.1f us per line appended and shown\n", StatusLogCost(100000));
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BindBench();
    const uint64_t burst = 200000;
    const double ceiling = BenchCeiling(burst);
    const double dialog = DialogCeiling(burst);
    std::printf(
        "bench ceiling %.0f PDOs/s; dialog %.0f PDOs/s; dialog overhead %.2fx the bench's cost per PDO; "
        "dialog ceiling %.1fx a saturated bus (18,000/s)\n",
        ceiling, dialog, ceiling / dialog, dialog / 18000.0);
    Flood(0, 10, "quiet bench");
    Flood(18000, 10, "flood 18,000/s");
    Flood(1000000, 10, "unpaced flood (1,000,000/s)");
    StatusLogCosts();
    return 0;
}
