// The NG data viewer (what it reads and shows, the pixel under the pointer at every zoom, missing files)
// and the main window's NG buttons: read, show, CSV, browse.

#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <filesystem>

#include "ngdata/ng_browser_dlg.h"
#include "ngdata/ng_image.h"
#include "ngdata/ng_image_view.h"
#include "ngdata/ngdata_dlg.h"
#include "tests/gui/support/gui_harness.h"

using namespace torv;
using namespace torv::test;

namespace {

constexpr int kSimPort = 4;

// An image whose every line is dark but line 8, column 100: gray 33, colour red 5, green 6, blue 3.
std::string ProbeBitmap() {
    NgImageLines lines{};
    const int word = (33 << 1) | (3 << 7) | (5 << 10) | (6 << 13);
    lines[8 * 512 + 200] = static_cast<std::uint8_t>(word & 0xFF);
    lines[8 * 512 + 201] = static_cast<std::uint8_t>(word >> 8);
    const auto bytes = NgBitmapBytes(lines);
    return {bytes.begin(), bytes.end()};
}

void SendMouseMove(QWidget* widget, QPointF position) {
    QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

}  // namespace

class NgdataDlgTest : public QObject {
    Q_OBJECT

    TempDir m_folder;
    OperationState m_state;
    NgViewerImage m_image;

    void writeFiles(const std::string& name, const std::string& bitmap, const std::string& text) {
        WriteFileBytes(m_folder.file(name + ".bmp"), bitmap);
        WriteFileBytes(m_folder.file(name + ".ng4"), text);
        m_state.OperationFileName = m_folder.file(name);
    }

  private slots:
    void missingFilesShowTheirMessageAndCloseAtOnce() {
        writeFiles("image-only", ProbeBitmap(), "");
        std::filesystem::remove(m_folder.file("image-only.ng4"));
        const std::pair<std::string, std::string> cases[] = {
            {std::string(), ".bmp"},  // an empty field names the files ".bmp" and ".ng4"
            {m_folder.file("nothing"), m_folder.file("nothing.bmp")},
            {m_folder.file("image-only"), m_folder.file("image-only.ng4")},
        };
        for (const auto& [name, missing] : cases) {
            ScriptedPrompts prompts;
            m_state.OperationFileName = name;
            CNgdataDlg viewer(m_state, m_image);
            QCOMPARE(viewer.exec(), int(QDialog::Rejected));
            QCOMPARE(prompts.record, QStringList{ErrorBox(StringId::kNgDataFileNotFound)});
            QCOMPARE(prompts.details, QStringList{QString::fromStdString(missing + " does not exist.")});
        }
    }

    // The buffer outlives the viewer: a short file replaces only the start of the previous image.
    void shortImageFillsOnlyTheStartOfTheBuffer() {
        m_image.pixels.assign(m_image.pixels.size(), 0x80);
        writeFiles("short", std::string(54, '\0') + std::string(768, '\xFF'), "");
        CNgdataDlg viewer(m_state, m_image);
        QVERIFY(viewer.loaded());
        const QImage& shown = viewer.view()->image();
        QCOMPARE(shown.size(), QSize(256, 244));
        QCOMPARE(viewer.view()->size(), QSize(256, 244));    // 1:1 at first
        QCOMPARE(shown.pixel(0, 243), qRgb(255, 255, 255));  // the file's first row is the bottom row
        QCOMPARE(shown.pixel(255, 243), qRgb(255, 255, 255));
        QCOMPARE(shown.pixel(0, 242), qRgb(128, 128, 128));
        QCOMPARE(shown.pixel(0, 0), qRgb(128, 128, 128));
    }

    void textShowsTheFileLineForLineAndAnEmptyFileNothing() {
        // Above the text, why the inspection was NG in words: its worst match.
        const struct {
            std::string file;
            QString shown;
            QString why;
        } cases[] = {
            {"", QString(), QString()},
            {"Character number = 0\r\n\r\n  *  \r\nlast", "Character number = 0\n\n  *  \nlast\n",
             QStringLiteral("No character was read in this inspection.")},
            {"Character number = 2\r\n2 Z (Gap[N,A]=6,91), (x)\r\n1 L (Gap[N,A]=72,23), (x)\r\n",
             "Character number = 2\n2 Z (Gap[N,A]=6,91), (x)\n1 L (Gap[N,A]=72,23), (x)\n",
             QStringLiteral(
                 "Read \"2L\". The worst match is \"L\", character 2 of 2, with a difference of 23 (the "
                 "largest of this reading, so the most likely cause of the NG).")},
        };
        for (const auto& c : cases) {
            writeFiles("text", ProbeBitmap(), c.file);
            CNgdataDlg viewer(m_state, m_image);
            QVERIFY(viewer.loaded());
            QCOMPARE(Get<QPlainTextEdit>(&viewer, CNgdataDlg::kIdText)->toPlainText(), c.shown);
            QCOMPARE(viewer.findChild<QLabel*>(QStringLiteral("why"))->text(), c.why);
            // The worst character's line is the one marked.
            const auto marks = Get<QPlainTextEdit>(&viewer, CNgdataDlg::kIdText)->extraSelections();
            QCOMPARE(marks.size(), c.why.contains(QStringLiteral("worst")) ? 1 : 0);
            if (!marks.isEmpty()) {
                QCOMPARE(marks[0].cursor.block().text(), QStringLiteral("1 L (Gap[N,A]=72,23), (x)"));
            }
            QVERIFY(!viewer.view()->image().isNull());
        }
    }

    // At every zoom the status line names the pixel under the pointer, with the gray level of its image
    // line and that line's screen colour, whichever half the pointer is over.
    void zoomKeepsPixelCoordinatesRight() {
        writeFiles("probe", ProbeBitmap(), "");
        CNgdataDlg viewer(m_state, m_image);
        viewer.resize(900, 700);
        QVERIFY(ShowActive(viewer));
        auto* status = Get<QLabel>(&viewer, CNgdataDlg::kIdPixelStatus);
        NgImageView* view = viewer.view();
        const struct {
            int button;
            double scale;  // 0: fit, whatever the view's size gives
        } zooms[] = {{CNgdataDlg::kIdZoomOne, 1}, {CNgdataDlg::kIdZoomTwo, 2}, {CNgdataDlg::kIdZoomFit, 0}};
        for (const auto& zoom : zooms) {
            Get<QPushButton>(&viewer, zoom.button)->click();
            QCoreApplication::processEvents();
            const double s = view->scale();
            if (zoom.scale != 0) {
                QCOMPARE(s, zoom.scale);
            } else {
                QVERIFY(s > 1.0);  // the view is larger than the image
            }
            for (int y : {8, 130}) {
                SendMouseMove(view, QPointF((100 + 0.9) * s, (y + 0.1) * s));
                QCOMPARE(status->text(),
                         QStringLiteral("x 100, y %1 (image line 8): gray 33, colour R 5 G 6 B 3").arg(y));
            }
            SendMouseMove(view, QPointF(99.95 * s, 8.5 * s));
            QVERIFY(status->text().startsWith(QStringLiteral("x 99, y 8 ")));
            SendMouseMove(view, QPointF(256 * s + 1, 10));
            QCOMPARE(status->text(), QString());
        }
    }

    // "Read NG data" reads the slot of the combo's NG data number; EDIT opens the viewer on the files.
    void readNgDataTakesTheComboNumberAndEditOpensTheViewer() {
        SimulatedSensor sensor({}, kSimPort);
        ScriptedPrompts prompts;
        ModalPresser edit("torv::CComuDlg", CComuDlg::kIdCancel, CComuDlg::kIdOk);
        ModalPresser viewerOk("torv::CNgdataDlg", CNgdataDlg::kIdOk);
        auto window = MainWindowOn(m_state, m_folder, kSimPort, kIdNgDataName, "fetched");
        Get<QComboBox>(window.get(), kIdNgDataNumber)->setCurrentIndex(2);
        Get<QPushButton>(window.get(), kIdReadNgData)->click();
        QCOMPARE(m_state.NgDataNumber, 3);
        QCOMPARE(edit.lastStatus, TextOf(StringId::kNgDataReadCompleted));
        QCOMPARE(edit.lastPressed, TextOf(StringId::kEdit));
        QCOMPARE(viewerOk.presses, 1);
        QVERIFY(prompts.record.isEmpty());

        // The show button shows the same files again; the CSV button converts every slot.
        Get<QPushButton>(window.get(), kIdDisplayNgData)->click();
        QCOMPARE(viewerOk.presses, 2);
        ModalPresser ok("torv::CComuDlg", CComuDlg::kIdOk);
        Get<QPushButton>(window.get(), kIdConvertNgData)->click();
        QCOMPARE(ok.lastStatus, TextOf(StringId::kAllNgDataCompleted));
        QCOMPARE(m_state.OperationCode, int(kConvertNgDataToCsv));
    }

    // "Browse NG data..." lists the NG pairs of the NG name's folder (a lone .ng4 is no pair), each with
    // its thumbnail, saved time, characters and worst one; "Open" shows the chosen one in the viewer.
    void browserListsThePairsAndOpensTheChosenOne() {
        SimulatedSensor sensor({}, kSimPort);
        TempDir folder;
        for (const char* number : {"1", "2"}) {
            QCOMPARE(RunTorvctl({"-p", sensor.devicePath(), "ng", "read",
                                 folder.file(std::string("ng") + number), "--ng", number})
                         .exitCode,
                     0);
        }
        WriteFileBytes(folder.file("lone.ng4"), ReadFileBytes(folder.file("ng1.ng4")));
        ScriptedPrompts prompts;
        ModalPresser viewerOk("torv::CNgdataDlg", CNgdataDlg::kIdOk);
        auto window = MainWindowOn(m_state, folder, kSimPort, kIdNgDataName, "ng1");
        QStringList texts;
        bool thumbnails = true;
        WhenReady open([] { return VisibleWindow<NgBrowserDlg>() != nullptr; },
                       [&] {
                           auto* browser = VisibleWindow<NgBrowserDlg>();
                           auto* pairs = browser->findChild<QListWidget*>(QStringLiteral("pairs"));
                           for (int i = 0; i < pairs->count(); ++i) {
                               texts << pairs->item(i)->text();
                               thumbnails = thumbnails && !pairs->item(i)->icon().isNull();
                           }
                           browser->accept();  // the first, the current one
                       });
        window->findChild<QAction*>(QStringLiteral("browseNgData"))->trigger();
        // Newest first; torvsim's seed gives the times and the readings.
        QCOMPARE(texts,
                 (QStringList{
                     "ng2\nThu May 07 00:45:00 2026\n(no characters read)",
                     "ng1\nThu May 07 04:39:00 2026\n2612040439L676981\nworst: 9 at 10 (difference 25)"}));
        QVERIFY(thumbnails);
        QCOMPARE(viewerOk.presses, 1);
        QCOMPARE(Get<QLineEdit>(window.get(), kIdNgDataName)->text(),
                 QString::fromStdString(folder.file("ng2")));
        QVERIFY(prompts.record.isEmpty());
    }
};

QTEST_MAIN(NgdataDlgTest)
#include "ngdata_dlg_test.moc"
