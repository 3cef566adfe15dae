// The margin trend: against torvsim's fading print the alarm shows in amber while judgements are still
// OK and the Trend window follows the monitor; on result CSV files the charts mark the drifting position.
// And the result boxes keep a long reading in view.

#include <QCheckBox>
#include <QImage>
#include <QListWidget>

#include "app/main_window_layout.h"
#include "app/monitor_controller.h"
#include "app/monitor_dashboard.h"
#include "app/trend_chart.h"
#include "app/trend_window.h"
#include "monitor/result_csv.h"
#include "tests/gui/support/gui_harness.h"
#include "ui/colour_scheme.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kSimPort = 5;
const QString kAmber = QStringLiteral("#f9a825");
const QColor kAlarmMark(0xc6, 0x28, 0x28);

bool HasColour(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

// Judgements of "AB1" whose third character fades from judgement `fadeFrom` on, as the monitor logs them.
std::string LoggedJudgements(int from, int to, int fadeFrom) {
    std::string lines;
    for (int k = from; k <= to; ++k) {
        const int noise = (k * 7919) % 21;
        const int fade = k > fadeFrom ? std::min(50, (k - fadeFrom) / 20) : 0;
        const Judgement judgement{kJudgedOk,
                                  {JudgedCharacter{'8', 'A', 60, (noise + 3) % 21},
                                   JudgedCharacter{'8', 'B', 60, (noise + 11) % 21},
                                   JudgedCharacter{'1', 'I', noise + fade, noise + fade + 30}}};
        lines += ResultCsvLines(judgement, "Dec 08 2026 10:00:00." + std::to_string(k % 1000));
    }
    return lines;
}

}  // namespace

class TrendTest : public QObject {
    Q_OBJECT

    TempDir m_folder;
    OperationState m_state;

  private slots:
    void alarmShowsInAmberUntilAcknowledgedAndTheWindowFollowsTheMonitor() {
        // The seed's product reads "261002": its third character, '1', fades after the baseline.
        SimulatedSensor sensor({"--pace", "0", "--mix", "100,0,0", "--fade", "3,600,1000"}, kSimPort);
        ScriptedPrompts prompts;
        auto window = MainWindowOn(m_state, m_folder, kSimPort, kIdMonitorName, "fade");
        Get<QCheckBox>(window.get(), kIdGeneratesCsv)->setChecked(true);
        QVERIFY(ShowActive(*window));
        auto* alarm = window->findChild<QPushButton*>(QStringLiteral("trendAlarm"));
        auto* box = Get<QLabel>(window.get(), kIdJudgement);
        QString boxAtAlarm;
        QString judgementAtAlarm;
        QString boxAcknowledged;
        QString listed;
        int chartsShown = 0;
        WhenReady atAlarm([&] { return !alarm->isHidden(); },
                          [&] {
                              boxAtAlarm = box->styleSheet();
                              judgementAtAlarm = box->text();
                              window->findChild<QPushButton*>(QString::fromLatin1(kTrendButtonName))->click();
                              auto* trend = VisibleWindow<TrendWindow>();
                              QVERIFY(trend != nullptr && trend->following());
                              trend->refresh();
                              chartsShown =
                                  static_cast<int>(trend->findChildren<PositionTrendChart*>().size());
                              auto* alarms = trend->findChild<QListWidget*>(QStringLiteral("trendAlarms"));
                              listed = alarms->count() > 0 ? alarms->item(0)->text() : QString();
                              alarm->click();
                              boxAcknowledged = box->styleSheet();
                              Get<QPushButton>(window.get(), kIdStopMonitor)->click();
                          });
        Get<QPushButton>(window.get(), kIdStartMonitor)->click();  // returns when stopped
        QVERIFY(prompts.record.isEmpty());
        QCOMPARE(judgementAtAlarm, QStringLiteral("OK"));
        QVERIFY2(boxAtAlarm.contains(kAmber), qPrintable(boxAtAlarm));
        QVERIFY2(!boxAcknowledged.contains(kAmber), qPrintable(boxAcknowledged));
        QVERIFY(alarm->isHidden());
        QVERIFY2(alarm->text().contains(QStringLiteral("Position 3 ('1'): ")), qPrintable(alarm->text()));
        QCOMPARE(chartsShown, 6);
        QVERIFY2(listed.contains(QStringLiteral("Position 3 ('1'): ")), qPrintable(listed));
        // The alarm came while the print was still read: before the fade's end at judgement 1600.
        const int count = Get<QLabel>(window.get(), kIdJudgementCount)->text().toInt();
        QVERIFY2(count > 1000 && count < 1600, qPrintable(QString::number(count)));
        // A new run starts a new trend: the window follows it, empty.
        auto* trend = VisibleWindow<TrendWindow>();
        QVERIFY(trend != nullptr);
        const MarginTrend* previous = trend->shownTrend();
        WhenReady stopSoon([&] { return Get<QLabel>(window.get(), kIdJudgementCount)->text().toInt() >= 3; },
                           [&] { Get<QPushButton>(window.get(), kIdStopMonitor)->click(); });
        Get<QPushButton>(window.get(), kIdStartMonitor)->click();
        trend->refresh();
        QVERIFY(trend->shownTrend() != previous);
        QVERIFY(trend->shownTrend()->alarms().empty());
        trend->close();
    }

    void csvFilesAreReadInOrderAndTheChartMarksTheDriftingPosition() {
        WriteFileBytes(m_folder.file("line-0001.csv"), LoggedJudgements(1, 1500, 1200));
        // The current log, cut by a damaged record in its middle.
        WriteFileBytes(m_folder.file("line.csv"), LoggedJudgements(1501, 1600, 1200) + "NG,9,Dec 08\r\n" +
                                                      LoggedJudgements(1601, 2000, 1200));
        TrendWindow window([] { return std::shared_ptr<const MarginTrend>(); });
        window.resize(900, 700);
        window.show();
        std::vector<UnreadRecord> unread;
        QString failure;
        QVERIFY(window.openFiles({QString::fromStdString(m_folder.file("line.csv")),
                                  QString::fromStdString(m_folder.file("line-0001.csv"))},
                                 unread, failure));
        QVERIFY(!window.following());
        QCOMPARE(window.shownTrend()->judgements(), 2000);
        QCOMPARE(unread.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(unread[0].text()),
                 QString::fromStdString(m_folder.file("line.csv") +
                                        ":302: the character line does not hold the 9 characters announced"));
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("trendSource"))
                    ->text()
                    .endsWith(QStringLiteral("line-0001.csv, line.csv")));
        const auto& alarms = window.shownTrend()->alarms();
        QVERIFY(!alarms.empty());
        QCOMPARE(alarms.front().position, 3);
        QVERIFY(alarms.front().judgement > 1200 && alarms.front().judgement < 1600);
        auto* drifting = window.findChild<PositionTrendChart*>(QStringLiteral("positionChart3"));
        auto* steady = window.findChild<PositionTrendChart*>(QStringLiteral("positionChart1"));
        QVERIFY(drifting != nullptr && steady != nullptr);
        QVERIFY(HasColour(drifting->grab().toImage(), kAlarmMark));
        QVERIFY(!HasColour(steady->grab().toImage(), kAlarmMark));
        // A file that cannot be read leaves the window as it was.
        QVERIFY(!window.openFiles({QString::fromStdString(m_folder.file("missing.csv"))}, unread, failure));
        QVERIFY(failure.contains(QStringLiteral("missing.csv")));
        QCOMPARE(window.shownTrend()->judgements(), 2000);
    }

    // On a dark desktop the held NG and the trend's level stay readable: the colours of the tool's own
    // contrast with the window as much as on a light one.
    void ownColoursFollowALightOrDarkPalette() {
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
        dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Text, Qt::white);
        for (const QPalette& palette : {light, dark}) {
            QApplication::setPalette(palette);
            MonitorDashboard dashboard;
            const QColor ng(dashboard.findChild<QLabel*>(QStringLiteral("lastNg"))
                                ->styleSheet()
                                .section(QLatin1Char(':'), 1)
                                .section(QLatin1Char(';'), 0, 0)
                                .trimmed());
            QVERIFY(ng.isValid());
            QVERIFY2(std::abs(ng.lightness() - palette.color(QPalette::Window).lightness()) > 90,
                     qPrintable(ng.name()));
            QCOMPARE(IsDarkPalette(palette), palette == dark);
        }
        QApplication::setPalette(light);
    }

    // Up to 32 characters a reading holds, all in view in each result box; 17 at the window's own size.
    void readingsUpTo32CharactersStayInView() {
        auto window = MainWindowOn(m_state, m_folder, kSimPort, kIdMonitorName, "r");
        QVERIFY(ShowActive(*window));
        auto* monitor = window->findChild<MonitorController*>();
        // 17 of the widest letter, and a lot code of 32 letters and digits.
        for (const std::string& reading :
             {std::string(17, 'W'), std::string("LOT261204043ABCDEFGHKMNPRSTUVXYZ")}) {
            const int length = static_cast<int>(reading.size());
            Judgement judgement{kJudgedOk, {}};
            for (char c : reading) {
                judgement.characters.push_back(JudgedCharacter{'8', c, 40, 3});
            }
            monitor->showJudgement(judgement);
            for (int id : {kIdBestCharacters, kIdNumericalCharacters, kIdAlphabeticCharacters}) {
                auto* box = Get<QLineEdit>(window.get(), id);
                QCOMPARE(box->text().size(), length);
                QVERIFY2(QFontMetricsF(box->font()).horizontalAdvance(box->text()) <= box->width(),
                         qPrintable(QStringLiteral("box %1, %2 characters").arg(id).arg(length)));
                if (length == 17) {
                    QCOMPARE(box->font().pointSizeF(), window->font().pointSizeF());
                }
            }
        }
    }
};

QTEST_MAIN(TrendTest)
#include "trend_test.moc"
