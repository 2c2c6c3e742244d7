// The real Qt dialog, offscreen, on the adapter library and the peer: what the user sees for each
// outcome of the start-up, the firmware verdict, the signal-strength set-up, remote events, the
// virtual remote and the association with its four endings.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <thread>

#include "app/CAdapterChooser.h"
#include "app/CHListBox.h"
#include "app/CTolvikDlg.h"
#include "art/Artwork.h"
#include "chooser/StartUp.h"
#include "controls/CSysColStatic.h"
#include "controls/CWaitDialog.h"
#include "controls/MainWindow.h"
#include "platform/Clock.h"
#include "res/Resource.h"
#include "tests/peer/PeerLink.h"
#include "tests/support/LookupFiles.h"

using qtui::CAdapterChooser;
using qtui::CSysColStatic;
using qtui::CTolvikDlg;
using qtui::CWaitDialog;
using qtui::SetMainWindow;

namespace {

using namespace std::chrono_literals;

// Pauses fifty times shorter than asked, so the 20-second association takes under half a second
// of real time while the peer and the library still run in real time. A hook sees each pause.
class FastClock : public platform::Clock {
public:
    FastClock() : m_previous(platform::SetClock(this)) {}
    ~FastClock() override { platform::SetClock(m_previous); }
    void Sleep(unsigned milliseconds) override {
        if (onPause) {
            onPause(milliseconds);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds / 50));
    }
    std::function<void(unsigned)> onPause;

private:
    platform::Clock* m_previous;
};

class PeerDialog : public PeerLink {
protected:
    void SetUp() override {
        PeerLink::SetUp();
        m_answerer.setInterval(5);
        QObject::connect(&m_answerer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_boxes.push_back(box->text().toStdString());
                box->done(QMessageBox::Ok);
            }
        });
        m_answerer.start();
    }
    void TearDown() override {
        if (m_dlg) {
            m_dlg->close();
            m_dlg.reset();
        }
        SetMainWindow(nullptr);
        PeerLink::TearDown();
    }
    void Open() {
        m_dlg = std::make_unique<CTolvikDlg>();
        m_dlg->OnInitDialog();
        m_dlg->show();
        SetMainWindow(m_dlg.get());
        QCoreApplication::processEvents();
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (int i = 0; i < m_dlg->m_statusList->GetCount(); ++i) {
            lines.push_back(m_dlg->m_statusList->GetText(i).toStdString());
        }
        return lines;
    }
    // The lines from the adapter's choice on: the lookup of the bridge's MAC (no host application
    // installed here) writes its own lines first.
    std::vector<std::string> LinkLines() const {
        const std::vector<std::string> lines = Lines();
        const auto first = std::find(lines.begin(), lines.end(), Using());
        return {first == lines.end() ? lines.begin() : first, lines.end()};
    }
    std::string Using() const { return "Using adapter " + m_peer->AdapterName(); }
    // Pumps the dialog's events until `done` or the timeout.
    static bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = 3s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }
    QString Text(int id) const { return static_cast<QLineEdit*>(m_dlg->GetDlgItem(id))->text(); }
    int Bar() const { return static_cast<QProgressBar*>(m_dlg->GetDlgItem(res::IDC_SIGNAL_BAR))->value(); }
    bool LastLineIs(const std::string& line) const {
        const std::vector<std::string> lines = Lines();
        return !lines.empty() && lines.back() == line;
    }
    // The values the host wrote to the association control byte, in order, once `count` came
    // (the peer's record may trail the library's answer).
    std::vector<std::string> AssociationWrites(size_t count = 2) const {
        std::vector<std::string> writes;
        for (const std::string& line : m_peer->WaitForCount("e sdo-write 72 2010 5 ", count)) {
            writes.push_back(line.substr(line.rfind(' ') + 1));
        }
        return writes;
    }
    // Clicks Associate; `atStep` runs on the given 200 ms step of the association window.
    void Associate(int atStep, const std::function<void()>& action) {
        int steps = 0;
        m_clock.onPause = [&](unsigned milliseconds) {
            if (milliseconds == 200 && ++steps == atStep && action) {
                action();
            }
        };
        static_cast<QPushButton*>(m_dlg->GetDlgItem(res::IDC_ASSOCIATE))->click();
        m_clock.onPause = nullptr;
    }

    FastClock m_clock;
    QTimer m_answerer;
    std::vector<std::string> m_boxes;
    std::unique_ptr<CTolvikDlg> m_dlg;
};

// --- the outcomes of the start-up that frames can produce, each with its reason in the log

// Each expected line is the start of a line of the log's tail; "{a}" stands for the peer's adapter.
struct Failure {
    const char* name;
    const char* named;  // the adapters named; null: the peer's pty
    const char* nodes;  // the peer's nodes
    const char* fault;  // a command to the peer first; "hold": another program locks the port
    const char* box;
    std::vector<std::string> tail;
};

class StartUpFailure : public PeerDialog, public testing::WithParamInterface<Failure> {};

TEST_P(StartUpFailure, ReasonComesRightBeforeTheBox) {
    const Failure& row = GetParam();
    int held = -1;
    std::string adapter;
    if (row.named) {
        NameAdapters(row.named);
    } else {
        StartPeer({.nodes = row.nodes});
        adapter = m_peer->AdapterName();
        if (row.fault && std::string(row.fault) == "hold") {
            held = open(m_peer->Pty().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
        } else if (row.fault) {
            ASSERT_EQ(m_peer->Command(row.fault), "ok");
        }
    }
    Open();
    if (held >= 0) {
        close(held);
    }
    EXPECT_EQ(m_boxes, std::vector<std::string>{row.box});
    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), row.tail.size());
    for (size_t i = 0; i < row.tail.size(); ++i) {
        std::string start = row.tail[i];
        if (const size_t at = start.find("{a}"); at != std::string::npos) {
            start.replace(at, 3, adapter);
        }
        const std::string& line = lines[lines.size() - row.tail.size() + i];
        EXPECT_EQ(line.rfind(start, 0), 0u) << line;
    }
}

const char kNoBridges[] = "No bridges found on the local network";
const char kCannotConnect[] = "Error connecting. Maximum connections exceeded.";
const char kFailed[] = "Bridge connect failed";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Reasons, StartUpFailure, testing::Values(
    Failure{"NoAdapterNamed", "", nullptr, nullptr, kNoBridges, {"No CAN adapter named", kFailed}},
    Failure{"AbsentAdapter", "slcan:/dev/tolvik-none", nullptr, nullptr, kNoBridges,
            {"slcan:/dev/tolvik-none: no serial port of that name; check that the adapter is plugged in", kFailed}},
    Failure{"MalformedName", "slcan", nullptr, nullptr, "Error scanning for bridges",
            {"Adapter name not understood: adapter 'slcan': expected KIND:DEVICE", kFailed}},
    Failure{"PortInUse", nullptr, "72,73", "hold", kCannotConnect,
            {"Using adapter {a}", "{a}: the port is in use by another program", kFailed}},
    Failure{"BitRateRefused", nullptr, "72,73", "fault refuse-bitrate on", kCannotConnect,
            {"Using adapter {a}", "{a}: the adapter refused the bit rate of 125 kbit/s", kFailed}},
    Failure{"OpenRefused", nullptr, "72,73", "fault refuse-open on", kCannotConnect,
            {"Using adapter {a}", "{a}: the adapter refused to open the CAN channel", kFailed}},
    Failure{"EmptyBus", nullptr, "none", nullptr, "Scan completed OK. No nodes found.",
            {"Using adapter {a}", "Connected to CAN", "No node answered the scan; check the bus cable", kFailed}},
    Failure{"NoBaseRemote", nullptr, "73", nullptr, "Scan completed OK. No base remote found.",
            {"Using adapter {a}", "Connected to CAN", "Nodes that answered the scan: 73; the base remote (node 72)",
             kFailed}}),
    [](const testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });
// clang-format on

// The host application's installation names its Ethernet bridge's MAC; the chosen adapter is
// still the bridge, after the lookup's own lines.
TEST_F(PeerDialog, AdapterIsTheBridgeBesideTheHostApplication) {
    TempFolder folder;
    folder.Write("vistrel/cfg/" + HostName() + ".1", "[Hardware]\nMACADDRESS = 00-11-22-33-44-55\n");
    const ExportKey installed = {"SOFTWARE\\Quarn Corporation\\Install Data\\Vistrel",
                                 {{"TargetDir", folder.Path() + "\\vistrel"}}};
    ScopedRegistry registry(
        folder.Write("hklm.reg", RegistryExport(ExportForm::Unicode, {installed})).c_str());
    StartPeer();
    Open();
    EXPECT_TRUE(m_boxes.empty()) << m_boxes.front();
    const std::vector<std::string> lines = Lines();
    const auto found = std::find(lines.begin(), lines.end(), "MAC found in CAL file");
    ASSERT_NE(found, lines.end());
    EXPECT_EQ(*(found + 1), "Using adapter " + m_peer->AdapterName());
    EXPECT_EQ(lines.back(), "V4.2, compatible");
}

TEST_F(PeerDialog, LinkComesUpAndTheSignalStrengthPdoIsSwitchedOn) {
    StartPeer();
    Open();
    EXPECT_TRUE(m_boxes.empty());
    const std::vector<std::string> lines = LinkLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], Using());
    EXPECT_EQ(lines[1], "Connected to CAN");
    EXPECT_EQ(lines.back(), "V4.2, compatible");
    EXPECT_TRUE(m_dlg->GetDlgItem(res::IDC_ASSOCIATE)->isEnabled());

    // 0x1802/1 valid, 0x1A02/0 mapped, then pre-operational and start, in this order.
    m_peer->WaitForCount("e nmt 72", 4);
    std::vector<std::string> setUp;
    for (const std::string& line : m_peer->LinesWith("e ")) {
        if (line.rfind("e sdo-write", 0) == 0 || line.rfind("e nmt 72", 0) == 0) {
            setUp.push_back(line);
        }
    }
    EXPECT_EQ(setUp, (std::vector<std::string>{"e nmt 72 127", "e nmt 72 5", "e sdo-write 72 1802 1 c8030000",
                                               "e sdo-write 72 1a02 0 01", "e nmt 72 127", "e nmt 72 5"}));
    EXPECT_EQ(m_peer->Command("pdo 3c8 80"), "sent");
    EXPECT_TRUE(Eventually([&] { return Bar() == 0x80; }));
    EXPECT_EQ(Text(res::IDC_BATTERY), " OK ");
}

// The adapter library with no adapter named starts with the chooser; its Connect (Enter on the
// remembered pty) brings the link up to the firmware verdict.
TEST_F(PeerDialog, ChosenAdapterReachesTheFirmwareVerdict) {
    StartPeer();
    EXPECT_FALSE(chooser::WantsAdapterChoice()) << "a named adapter needs no chooser";
    const std::string pty = m_peer->AdapterName().substr(std::string("slcan:").size());
    NameAdapters("");
    EXPECT_TRUE(chooser::WantsAdapterChoice());
    QTemporaryDir folder;
    QSettings settings(folder.filePath(QStringLiteral("Tolvik.conf")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("adapter"), QString::fromStdString("slcan:" + pty + ",bitrate=250000"));
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
    ASSERT_TRUE(CAdapterChooser::Run(
        [&] {
            return std::vector{chooser::SerialAdapter("/dev/ttyS0", "", ""),
                               chooser::SerialAdapter(pty, "CAN peer", "Tolvik tests")};
        },
        settings));
    Open();
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_EQ(Lines().back(), "V4.2, compatible");
    EXPECT_EQ(m_peer->WaitFor("h S"), "h S5") << "the remembered rate";
}

// --- the firmware verdict for every text length (revision 3.9: only "526-02" makes it compatible)

class FirmwareText : public PeerDialog, public testing::WithParamInterface<int> {};

TEST_P(FirmwareText, VerdictFromTheWholeText) {
    StartPeer();
    const int length = GetParam();
    ASSERT_EQ(m_peer->Command("fwtext " + std::to_string(length)), "ok");
    ASSERT_EQ(m_peer->Command("revision 00030009"), "ok");
    Open();
    // The tail "526-02" ends the longer texts; beyond the program's 100 bytes it is cut off.
    const bool hasTail = length >= 6 && length <= 100;
    std::vector<std::string> expected = {Using(), "Connected to CAN"};
    if (hasTail) {
        expected.push_back("Found 3817-5526-02 FW");
    }
    expected.push_back(hasTail ? "V3.9, compatible" : "V3.9, not compatible");
    EXPECT_EQ(LinkLines(), expected);
    EXPECT_EQ(Text(res::IDC_FIRMWARE).toStdString(), expected.back());
    EXPECT_EQ(m_dlg->GetDlgItem(res::IDC_ASSOCIATE)->isEnabled(), hasTail);
}

INSTANTIATE_TEST_SUITE_P(Lengths, FirmwareText, testing::Values(0, 4, 7, 44, 100, 120),
                         testing::PrintToStringParamName());

// A base remote whose uploads never end, with empty or with 7-byte segments: the start-up takes
// what fits or gives up, and the window is there within seconds.
class EndlessUpload : public PeerDialog, public testing::WithParamInterface<int> {};

TEST_P(EndlessUpload, WindowShowsWithinSeconds) {
    StartPeer();
    ASSERT_EQ(m_peer->Command("endless " + std::to_string(GetParam())), "ok");
    const auto start = std::chrono::steady_clock::now();
    Open();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    // Seven bytes a segment: the revision is four of the 'x's, 0x78787878.
    EXPECT_EQ(Text(res::IDC_FIRMWARE).toStdString(),
              GetParam() == 0 ? "Unknown" : "V30840.30840, compatible");
}

INSTANTIATE_TEST_SUITE_P(SegmentBytes, EndlessUpload, testing::Values(0, 7),
                         testing::PrintToStringParamName());

TEST_F(PeerDialog, FailedRevisionReadShowsUnknown) {
    StartPeer();
    ASSERT_EQ(m_peer->Command("abort 1018 3"), "ok");
    Open();
    EXPECT_EQ(Text(res::IDC_FIRMWARE), "Unknown");
    EXPECT_FALSE(m_dlg->GetDlgItem(res::IDC_ASSOCIATE)->isEnabled());
    // The link is marked failed: the virtual remote stays silent.
    const size_t from = m_peer->LineCount();
    QTest::mouseClick(m_dlg->GetDlgItem(res::IDC_KEY_MEASURE), Qt::LeftButton);
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(m_peer->LinesWith("h t1C8", from).empty());
}

// --- remote events and the virtual remote

TEST_F(PeerDialog, KeyBatteryAndSignalPdosAreShown) {
    StartPeer();
    Open();
    m_peer->Command("pdo 1c8 07");
    EXPECT_TRUE(Eventually([&] { return LastLineIs("Key (Zoom +) down"); }));
    const QImage zoomPlus = res::LoadBitmap(res::IDB_REMOTE_ZOOM_PLUS).toImage();
    EXPECT_EQ(static_cast<CSysColStatic*>(m_dlg->GetDlgItem(res::IDC_REMOTE_PICTURE))->Picture().toImage(),
              zoomPlus);
    m_peer->Command("pdo 1c9 02");
    EXPECT_TRUE(Eventually([&] { return LastLineIs("Key (Measure) down"); }));
    m_peer->Command("pdo 1c9 00");
    EXPECT_TRUE(Eventually([&] { return LastLineIs("Key up"); }));
    m_peer->Command("pdo 2c9 02");
    EXPECT_TRUE(Eventually([&] { return Text(res::IDC_BATTERY) == " LOW "; }));
    m_peer->Command("pdo 3c8 ff");
    EXPECT_TRUE(Eventually([&] { return Bar() == 255; }));
    EXPECT_EQ(Text(res::IDC_BATTERY), " LOW ") << "signal strength leaves a known battery state alone";
    m_peer->Command("pdo 2c9 01");
    EXPECT_TRUE(Eventually([&] { return Text(res::IDC_BATTERY) == " OK "; }));
}

TEST_F(PeerDialog, VirtualKeyClickPutsPressAndReleaseOnTheBus) {
    StartPeer();
    Open();
    const size_t from = m_peer->LineCount();
    QTest::mouseClick(m_dlg->GetDlgItem(res::IDC_KEY_ZOOM_MINUS), Qt::LeftButton);
    ASSERT_FALSE(m_peer->WaitFor("h t1C8100", 2s, from).empty());
    EXPECT_EQ(m_peer->LinesWith("h t1C8", from), (std::vector<std::string>{"h t1C8106", "h t1C8100"}));
    const std::vector<std::string> lines = Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Send Zoom -");
    EXPECT_EQ(lines.back(), "Send key up");
}

TEST_F(PeerDialog, AdapterUnpluggedMidSessionMakesTheVirtualRemoteSayItFailed) {
    StartPeer();
    Open();
    ASSERT_TRUE(m_boxes.empty());
    ASSERT_EQ(m_peer->Command("hangup"), "ok");
    // Said once, as it happens, before any key is pressed.
    const std::string lost =
        m_peer->AdapterName() +
        ": the link to the adapter was lost (unplugged, hung up or a read error); nothing "
        "reaches the bus until Tolvik is started again";
    EXPECT_TRUE(Eventually([&] { return LastLineIs(lost); }));
    const size_t lines = Lines().size();
    QTest::mouseClick(m_dlg->GetDlgItem(res::IDC_KEY_SPOT), Qt::LeftButton);
    EXPECT_TRUE(Eventually([&] { return m_boxes.size() == 2; }));
    EXPECT_EQ(m_boxes, (std::vector<std::string>{"Virtual remote send error", "Virtual remote send error"}));
    EXPECT_EQ(Lines().size(), lines) << "nothing claims the keys were sent";
}

// --- the association: bit 2 of 0x2010/5 set, then cleared whichever way it ends

TEST_F(PeerDialog, AssociationEndsWithThePairing) {
    StartPeer();
    Open();
    Associate(3, [&] { EXPECT_EQ(m_peer->Command("pair"), "paired"); });
    EXPECT_EQ(AssociationWrites(), (std::vector<std::string>{"45", "41"}));
    EXPECT_EQ(m_peer->Command("get 72 2010 5"), "41");
    EXPECT_TRUE(Eventually([&] { return Text(res::IDC_BATTERY) == " OK "; }));
    EXPECT_TRUE(m_dlg->isEnabled());
}

TEST_F(PeerDialog, AssociationTimesOutWithoutARemote) {
    StartPeer();
    Open();
    int steps = 0;
    m_clock.onPause = [&](unsigned milliseconds) { steps += milliseconds == 200; };
    static_cast<QPushButton*>(m_dlg->GetDlgItem(res::IDC_ASSOCIATE))->click();
    EXPECT_EQ(steps, 100);
    EXPECT_EQ(AssociationWrites(), (std::vector<std::string>{"45", "41"}));
    EXPECT_EQ(m_peer->Command("get 72 2010 5"), "41");
}

TEST_F(PeerDialog, AssociationCancelledStillClosesTheWindow) {
    StartPeer();
    Open();
    Associate(4, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* wait = qobject_cast<CWaitDialog*>(top); wait && wait->isVisible()) {
                wait->reject();
            }
        }
    });
    EXPECT_EQ(AssociationWrites(), (std::vector<std::string>{"45", "41"}));
    EXPECT_EQ(m_peer->Command("get 72 2010 5"), "41");
    EXPECT_TRUE(m_dlg->isEnabled());
}

TEST_F(PeerDialog, ClosingDuringTheAssociationClosesItsWindowFirst) {
    StartPeer();
    Open();
    Associate(4, [&] { m_dlg->close(); });
    EXPECT_EQ(AssociationWrites(), (std::vector<std::string>{"45", "41"}));
    EXPECT_FALSE(m_dlg->isVisible());
    // The library was disconnected after the closing write: the adapter was told to close.
    EXPECT_FALSE(m_peer->WaitFor("h C", 2s).empty());
}

}  // namespace
