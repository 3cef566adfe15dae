// The monitor in the main window against torvsim: the order of Start and Stop, the CSV, Exit while it
// runs, failures. The remote controller from its button: every key source sends its frame, a silent
// sensor gives one error per key, a missing port, and only Quit closes it.

#include <QCheckBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QRegularExpression>
#include <QToolButton>
#include <functional>

#include "app/monitor_dashboard.h"
#include "remote/remote_dlg.h"
#include "remote/up_down_control.h"
#include "tests/gui/support/gui_harness.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kSimPort = 4;
constexpr int kMissingPort = 9;

// The order in which Start disables the window's other controls, all enabled until then (Stop enables
// them in the same order).
const std::vector<int> kStartOrder{1026, 1027, 1007, 1002, 1000, 1006, 1001, 1011, 1009,
                                   1004, 1024, 1025, 1010, 1008, 1021, 1019, 1013, 1018,
                                   1020, 1023, 1003, 1005, 1028, 1022, 1012};

// Notes every change of a control's enabled state, as "-1014" (disabled) or "+1014" (enabled).
class EnableRecorder : public QObject {
  public:
    explicit EnableRecorder(QWidget* window) {
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (ControlIdOf(widget) != 0) {
                widget->installEventFilter(this);
            }
        }
    }
    QStringList changes;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange) {
            auto* widget = static_cast<QWidget*>(watched);
            changes << (widget->isEnabled() ? "+" : "-") + QString::number(ControlIdOf(widget));
        }
        return false;
    }
};

// A key-down as the window system sends it while the key is held.
void HeldKeyRepeat(QWidget* widget, Qt::Key key) {
    QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(widget, &repeat);
}

}  // namespace

class MonitorRemoteTest : public QObject {
    Q_OBJECT

    TempDir m_folder;
    OperationState m_state;

    std::unique_ptr<CDataLoaderDlg> windowOn(int port, bool csv) {
        auto window = MainWindowOn(m_state, m_folder, port, kIdMonitorName, "result");
        Get<QCheckBox>(window.get(), kIdGeneratesCsv)->setChecked(csv);
        return window;
    }

    static int Count(const QWidget* window) { return Get<QLabel>(window, kIdJudgementCount)->text().toInt(); }

    // A change shows only where the state changed, so this also says what was enabled before Start.
    static QStringList ExpectedChanges() {
        QStringList start{"-1014", "+1015", "-1218"};
        QStringList stop{"+1014", "-1015", "+1218"};
        for (int id : kStartOrder) {
            start << "-" + QString::number(id);
            stop << "+" + QString::number(id);
        }
        return start + stop;
    }

    // Opens the remote controller with the remote button of a window on `port` and runs `actions` once it is
    // shown. Whether `actions` left it open (it is then closed through Quit).
    bool runRemote(int port, const std::function<void(CRemoteDlg&)>& actions) {
        auto window = windowOn(port, false);
        bool leftOpen = false;
        WhenReady act([] { return VisibleWindow<CRemoteDlg>() != nullptr; },
                      [&] {
                          CRemoteDlg& dialog = *VisibleWindow<CRemoteDlg>();
                          QVERIFY(ShowActive(dialog));
                          actions(dialog);
                          QTest::qWait(kSettleMs);
                          leftOpen = dialog.isVisible();
                          if (leftOpen) {
                              Get<QPushButton>(&dialog, CRemoteDlg::kIdQuit)->click();
                          }
                      });
        Get<QPushButton>(window.get(), kIdRemoteControl)->click();
        return leftOpen;
    }

  private slots:
    void initTestCase() { SetComPortDevicePath(kMissingPort, "/nonexistent/ttyTORV"); }

    void startAndStopFollowTheirOrderAndReplaceTheCsv() {
        SimulatedSensor sensor({"--pace", "0"}, kSimPort);
        ScriptedPrompts prompts;
        WriteFileBytes(m_folder.file("result.csv"), "an earlier run\r\n");
        auto window = windowOn(kSimPort, true);
        QVERIFY(ShowActive(*window));
        EnableRecorder recorder(window.get());
        QPushButton* stop = Get<QPushButton>(window.get(), kIdStopMonitor);
        bool stopHadFocus = false;
        WhenReady pressStop([&] { return Count(window.get()) >= 5; },
                            [&] {
                                stopHadFocus = QApplication::focusWidget() == stop;
                                stop->click();
                            });
        Get<QPushButton>(window.get(), kIdStartMonitor)->click();  // returns when stopped
        QCOMPARE(recorder.changes, ExpectedChanges());
        QVERIFY(stopHadFocus);
        // The focus is where a second Enter does nothing: the monitor does not start again.
        QCOMPARE(QApplication::focusWidget(), Get(window.get(), kIdMonitorName));
        const std::string logged = ReadFileBytes(m_folder.file("result.csv"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::qWait(kSettleMs);
        QVERIFY(!stop->isEnabled());
        QCOMPARE(ReadFileBytes(m_folder.file("result.csv")), logged);
        QVERIFY(prompts.record.isEmpty());
        QVERIFY(m_state.AbortRequest);
        // The CSV was made anew (the earlier run moved aside) and holds exactly the judgements counted;
        // the last one is on show.
        const QString csv = QString::fromLatin1(ReadFileBytes(m_folder.file("result.csv")));
        const QStringList lines = csv.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3 * Count(window.get()));
        QVERIFY(
            lines.last(2).first().startsWith(Get<QLineEdit>(window.get(), kIdBestCharacters)->text().at(0)));
        QVERIFY(lines.at(lines.size() - 3).startsWith(Get<QLabel>(window.get(), kIdJudgement)->text() + ","));
        // The dashboard counted what the CSV holds, judgement by judgement, newest first in its history.
        const auto* dashboard = window->findChild<MonitorDashboard*>();
        const auto judged = [&lines](const char* start) {  // a character line starts with one character
            return static_cast<int>(lines.filter(QRegularExpression(QLatin1String(start))).size());
        };
        QCOMPARE(dashboard->tally().ok, judged("^OK,"));
        QCOMPARE(dashboard->tally().ng, judged("^NG,"));
        QCOMPARE(dashboard->tally().ok + dashboard->tally().ng + dashboard->tally().none,
                 Count(window.get()));
        auto* history = window->findChild<QListWidget*>(QStringLiteral("history"));
        QCOMPARE(history->count(), std::min(Count(window.get()), int(MonitorDashboard::kHistoryKept)));
        QVERIFY(history->item(0)->text().contains(
            QStringLiteral("  %1  ").arg(Get<QLabel>(window.get(), kIdJudgement)->text())));
        const QString box = Get<QLabel>(window.get(), kIdJudgement)->styleSheet();
        QVERIFY(box.contains(Get<QLabel>(window.get(), kIdJudgement)->text() == QStringLiteral("NG")
                                 ? QStringLiteral("#c62828")
                                 : QStringLiteral("#")));
        // Port and file are closed: the port opens again.
        QVERIFY(PortOpensAgain(kSimPort));
    }

    // Exit cannot be pressed while the monitor runs, but its command still stops the monitor first,
    // before the question; answering No leaves the monitor stopped and the window open.
    void exitWhileRunningStopsTheMonitorFirst() {
        SimulatedSensor sensor({"--pace", "0"}, kSimPort);
        ScriptedPrompts prompts(false);
        auto window = windowOn(kSimPort, false);
        QVERIFY(ShowActive(*window));
        bool runningAtQuestion = true;
        prompts.whileAsking = [&] { runningAtQuestion = Get(window.get(), kIdStopMonitor)->isEnabled(); };
        QPushButton* exit = Get<QPushButton>(window.get(), kIdExit);
        WhenReady pressExit([&] { return Count(window.get()) >= 2; },
                            [&] { QMetaObject::invokeMethod(exit, "clicked", Q_ARG(bool, false)); });
        Get<QPushButton>(window.get(), kIdStartMonitor)->click();
        QCOMPARE(prompts.record, QStringList{Prompt(Box::kQuestion, Caption::kTorv, Icon::kQuestion,
                                                    StringId::kAgreeToExit)});
        QVERIFY(!runningAtQuestion);
        QVERIFY(window->isVisible());
        QVERIFY(exit->isEnabled());
        QVERIFY(Get(window.get(), kIdStartMonitor)->isEnabled());
        QVERIFY(!Get(window.get(), kIdStopMonitor)->isEnabled());
    }

    // A missing port shows "Faild to open COM port."; a sensor that falls silent shows "No communication
    // response." once and keeps the lines written; either way the window comes back as it was.
    void failuresShowTheirMessageOnceAndStop_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("named");
        QTest::newRow("missing port") << kMissingPort << ErrorBox(StringId::kOpenPortFailed) << -1 << true;
        QTest::newRow("silent sensor") << kSimPort << ErrorBox(StringId::kNoResponse) << 3 << true;
        QTest::newRow("no CSV name") << kSimPort << ErrorBox(StringId::kSpecifyFileName) << -1 << false;
    }
    void failuresShowTheirMessageOnceAndStop() {
        QFETCH(int, port);
        QFETCH(QString, message);
        QFETCH(int, records);
        QFETCH(bool, named);
        SimulatedSensor sensor({"--pace", "0", "--fault", "4+=silence"}, kSimPort);
        ScriptedPrompts prompts;
        WriteFileBytes(m_folder.file("result.csv"), "an earlier run\r\n");
        auto window = windowOn(port, true);
        if (!named) {
            Get<QLineEdit>(window.get(), kIdMonitorName)->clear();
        }
        // What an earlier run left on show goes at the start, whatever happens then.
        Get<QLineEdit>(window.get(), kIdBestCharacters)->setText(QStringLiteral("EARLIER"));
        Get<QLabel>(window.get(), kIdJudgement)->setText(QStringLiteral("NG"));
        Get<QPushButton>(window.get(), kIdStartMonitor)->click();
        QCOMPARE(prompts.record, QStringList{message});
        if (records < 0) {
            QVERIFY(Get<QLineEdit>(window.get(), kIdBestCharacters)->text().isEmpty());
            QVERIFY(Get<QLabel>(window.get(), kIdJudgement)->text().isEmpty());
        }
        QCOMPARE(prompts.details.size(), 1);  // the port, device or rate under the message
        QVERIFY(Get(window.get(), kIdStartMonitor)->isEnabled());
        QVERIFY(!Get(window.get(), kIdStopMonitor)->isEnabled());
        QVERIFY(Get(window.get(), kIdExit)->isEnabled());
        const std::string csv = ReadFileBytes(m_folder.file("result.csv"));
        if (records < 0) {
            // Stopped before the CSV was made: it is untouched, and the sensor saw nothing.
            QCOMPARE(csv, std::string("an earlier run\r\n"));
            QVERIFY(sensor.frames().empty());
        } else {
            QCOMPARE(static_cast<int>(std::count(csv.begin(), csv.end(), '\n')), 3 * records);
        }
    }

    void everyKeySourceSendsItsFrame() {
        SimulatedSensor sensor({}, kSimPort);
        ScriptedPrompts prompts;
        const bool leftOpen = runRemote(kSimPort, [](CRemoteDlg& dialog) {
            for (int id : {CRemoteDlg::kIdSet, CRemoteDlg::kIdExit, CRemoteDlg::kIdView,
                           CRemoteDlg::kIdViewUp, CRemoteDlg::kIdViewDown}) {
                Get<QPushButton>(&dialog, id)->click();
            }
            for (int id : {CRemoteDlg::kIdUpDownLeft, CRemoteDlg::kIdUpDownRight}) {
                Get<UpDownControl>(&dialog, id)->upperArrow()->click();
                Get<UpDownControl>(&dialog, id)->lowerArrow()->click();
            }
            QWidget* focused = QApplication::focusWidget();
            for (Qt::Key key :
                 {Qt::Key_Q, Qt::Key_A, Qt::Key_S, Qt::Key_D, Qt::Key_E, Qt::Key_R, Qt::Key_F}) {
                QTest::keyClick(focused, key);
            }
            QTest::keyClick(focused, Qt::Key_R, Qt::ShiftModifier);
            for (int repeat = 0; repeat < 3; ++repeat) {
                HeldKeyRepeat(focused, Qt::Key_Q);
            }
            // Enter on EXIT presses it; Escape and the window system close nothing.
            QVERIFY(KeysAndCloseBoxLeaveItOpen(dialog, Get(&dialog, CRemoteDlg::kIdExit),
                                               {Qt::Key_Return, Qt::Key_Escape}));
            // Enter on Quit closes the port and the dialog.
            QPushButton* quit = Get<QPushButton>(&dialog, CRemoteDlg::kIdQuit);
            quit->setFocus();
            QTest::keyClick(quit, Qt::Key_Return);
        });
        QVERIFY(!leftOpen);
        QVERIFY(prompts.record.isEmpty());
        const std::vector<std::string> expected{
            "P 04 00", "P 08 00", "P 10 00", "P 11 00", "P 12 00",                        // buttons
            "P 01 00", "P 02 00", "P 01 00", "P 02 00",                                   // arrows
            "P 01 00", "P 02 00", "P 04 00", "P 08 00", "P 10 00", "P 11 00", "P 12 00",  // letters
            "P 11 00",                                                                    // Shift+R
            "P 01 00", "P 01 00", "P 01 00",                                              // held Q
            "P 08 00",                                                                    // Enter on EXIT
        };
        QCOMPARE(sensor.frames(), expected);
        QVERIFY(PortOpensAgain(kSimPort));
    }

    void silentSensorGivesOneErrorPerKeyAndTheDialogStays() {
        SimulatedSensor sensor({"--fault", "1+=silence"}, kSimPort);
        ScriptedPrompts prompts;
        QVERIFY(runRemote(kSimPort, [&](CRemoteDlg& dialog) {
            Get<QPushButton>(&dialog, CRemoteDlg::kIdView)->click();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
        }));
        QCOMPARE(prompts.record,
                 (QStringList{ErrorBox(StringId::kNoResponse), ErrorBox(StringId::kNoResponse)}));
        QCOMPARE(sensor.frames(), (std::vector<std::string>{"P 10 00", "P 02 00"}));
        QCOMPARE(prompts.details.size(), 2);
        QVERIFY(prompts.details.first().startsWith(QStringLiteral("No reply from the sensor on")));
    }

    void missingPortShowsTheOpenFailureAndReturns() {
        ScriptedPrompts prompts;
        bool shown = false;
        runRemote(kMissingPort, [&](CRemoteDlg&) { shown = true; });
        QVERIFY(!shown);
        QCOMPARE(prompts.record, QStringList{ErrorBox(StringId::kOpenPortFailed)});
        QCOMPARE(
            prompts.details,
            QStringList{QStringLiteral("/nonexistent/ttyTORV does not exist (is the adapter plugged in?).")});
    }
};

QTEST_MAIN(MonitorRemoteTest)
#include "monitor_remote_test.moc"
