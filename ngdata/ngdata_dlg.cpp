#include "ngdata/ngdata_dlg.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "files/file_kind.h"
#include "files/file_status.h"
#include "ngdata/ng_summary.h"
#include "resources/strings.h"
#include "ui/control_ids.h"
#include "ui/dialog_key_rule.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

constexpr const char* kCaption = "Refer to NG data";
constexpr int kTextWidthChars = 56;  // the longest NG data file lines, and room for the scroll bar
constexpr int kViewMargin = 4;
constexpr int kGrayScale = 4;        // a gray pixel is the gray level x 4
constexpr int kComponentScale = 32;  // a colour component is its 3-bit value x 32

struct ZoomChoice {
    int id;
    const char* caption;
    NgZoom zoom;
};
constexpr ZoomChoice kZoomChoices[] = {
    {CNgdataDlg::kIdZoomFit, "Fit", NgZoom::kFit},
    {CNgdataDlg::kIdZoomOne, "1:1", NgZoom::kOne},
    {CNgdataDlg::kIdZoomTwo, "2:1", NgZoom::kTwo},
};

// The text as the edit control shows it: one line per CR LF.
QString ViewerText(const std::string& text) {
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

// Why this inspection was NG, as far as its file tells: the character read with the largest
// difference (the worst match), or that nothing was read.
QString WhyText(const std::optional<NgSummary>& summary) {
    if (!summary) {
        return {};
    }
    if (summary->characters.empty()) {
        return QStringLiteral("No character was read in this inspection.");
    }
    return QStringLiteral(
               "Read \"%1\". The worst match is \"%2\", character %3 of %4, with a difference of %5 "
               "(the largest of this reading, so the most likely cause of the NG).")
        .arg(QString::fromLatin1(summary->characters.data(),
                                 static_cast<qsizetype>(summary->characters.size())))
        .arg(QChar::fromLatin1(summary->characters[static_cast<std::size_t>(summary->worstPosition)]))
        .arg(summary->worstPosition + 1)
        .arg(summary->characters.size())
        .arg(summary->worstDifference);
}

}  // namespace

QImage NgViewerQImage(const NgViewerImage& image) {
    // The buffer holds bottom-up rows of blue, green, red: flip it once into an upright copy.
    const QImage bottomUp(image.pixels.data(), kNgImageWidth, kNgImageHeight, kBitmapRowBytes,
                          QImage::Format_BGR888);
    return bottomUp.mirrored(false, true);
}

CNgdataDlg::CNgdataDlg(OperationState& state, NgViewerImage& image, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint),
      m_state(state),
      m_image(image),
      m_view(new NgImageView),
      m_scroll(new QScrollArea),
      m_text(new QPlainTextEdit),
      m_pixelStatus(new QLabel),
      m_why(new QLabel),
      m_ok(MakePushButton(kIdOk, QStringLiteral("OK"))),
      m_zoomButtons(new QButtonGroup(this)),
      m_redrawTimer(new QTimer(this)) {
    setWindowTitle(QString::fromLatin1(kCaption));
    new DialogKeyRule(this);
    buildLayout();
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_view, &NgImageView::pointerMoved, this, &CNgdataDlg::showPixel);
    m_redrawTimer->setSingleShot(true);
    m_redrawTimer->setInterval(kRedrawDelayMs);
    connect(m_redrawTimer, &QTimer::timeout, m_view, qOverload<>(&QWidget::update));
    m_loaded = load();
    setZoom(NgZoom::kOne);  // the picture takes its size from the image just loaded
    m_ok->setFocus();
}

void CNgdataDlg::buildLayout() {
    SetControlId(m_view, kIdPicture);
    SetControlId(m_text, kIdText);
    SetControlId(m_pixelStatus, kIdPixelStatus);
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll->setMinimumSize(kNgImageWidth + kViewMargin, kNgImageHeight + kViewMargin);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));  // the dot blocks line up
    m_text->setMinimumWidth(m_text->fontMetrics().averageCharWidth() * kTextWidthChars);
    auto* zoomRow = new QHBoxLayout;
    for (const ZoomChoice& choice : kZoomChoices) {
        QPushButton* button = MakePushButton(choice.id, QString::fromLatin1(choice.caption));
        button->setCheckable(true);
        m_zoomButtons->addButton(button, choice.id);
        zoomRow->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, zoom = choice.zoom] { setZoom(zoom); });
    }
    zoomRow->addStretch();
    auto* panes = new QHBoxLayout;
    panes->addWidget(m_scroll, 1);
    panes->addWidget(m_text, 1);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(m_ok);
    bottomRow->addWidget(m_pixelStatus, 1);
    m_why->setObjectName(QStringLiteral("why"));
    m_why->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(zoomRow);
    layout->addWidget(m_why);
    layout->addLayout(panes, 1);
    layout->addLayout(bottomRow);
}

bool CNgdataDlg::load() {
    const std::string imagePath = MakeFilePath(m_state.OperationFileName, kNgImageFile);
    const std::string dataPath = MakeFilePath(m_state.OperationFileName, kNgDataFile);
    const auto notFound = [this](const std::string& path) {
        m_state.LastErrorText = Text(StringId::kNgDataFileNotFound);
        m_state.LastErrorDetail = NotReadableText(path);
        return false;
    };
    if (!LoadNgViewerImage(imagePath, m_image)) {
        return notFound(imagePath);
    }
    const std::optional<std::string> text = NgViewerText(dataPath);
    if (!text) {
        return notFound(dataPath);
    }
    m_view->setImage(NgViewerQImage(m_image));
    m_text->setPlainText(ViewerText(*text));
    const std::optional<NgSummary> summary = SummarizeNgText(*text);
    m_why->setText(WhyText(summary));
    if (summary && summary->worstLine >= 0) {
        markWorstCharacter(summary->worstLine);
    }
    m_redrawTimer->start();
    return true;
}

// The image has no positions of its characters (the sensor frames the worst one on its own screen),
// so the mark goes on the worst character's line of the text, scrolled into view.
void CNgdataDlg::markWorstCharacter(int line) {
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(m_text->document()->findBlockByNumber(line));
    mark.format.setBackground(QColor(0xff, 0xcd, 0xd2));
    mark.format.setForeground(Qt::black);
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    m_text->setExtraSelections({mark});
    m_text->setTextCursor(mark.cursor);
    m_text->centerCursor();
}

int CNgdataDlg::exec() {
    if (!m_loaded) {
        Prompts().showDetailed(parentWidget(), Caption::kError, Icon::kStop, ToQString(m_state.LastErrorText),
                               ToQString(m_state.LastErrorDetail));
        return QDialog::Rejected;
    }
    setWindowModality(Qt::WindowModal);  // the protocol trace window stays usable
    return QDialog::exec();
}

void CNgdataDlg::setZoom(NgZoom zoom) {
    for (const ZoomChoice& choice : kZoomChoices) {
        if (choice.zoom == zoom) {
            m_zoomButtons->button(choice.id)->setChecked(true);
        }
    }
    m_view->setZoom(zoom);
    // To fit, the picture follows the view's size; otherwise it has its zoomed size and scrolls.
    m_scroll->setWidgetResizable(zoom == NgZoom::kFit);
    if (zoom != NgZoom::kFit) {
        m_view->resize(m_view->sizeHint());
    }
}

void CNgdataDlg::showPixel(std::optional<QPoint> pixel) {
    if (!pixel) {
        m_pixelStatus->clear();
        return;
    }
    // The upper half shows the gray level of an image line, the lower half its screen colour: the
    // status names both for the line under the pointer.
    const int line = pixel->y() % kImageLineCount;
    const QImage& image = m_view->image();
    const QRgb gray = image.pixel(pixel->x(), line);
    const QRgb colour = image.pixel(pixel->x(), line + kImageLineCount);
    m_pixelStatus->setText(QStringLiteral("x %1, y %2 (image line %3): gray %4, colour R %5 G %6 B %7")
                               .arg(pixel->x())
                               .arg(pixel->y())
                               .arg(line)
                               .arg(qGreen(gray) / kGrayScale)
                               .arg(qRed(colour) / kComponentScale)
                               .arg(qGreen(colour) / kComponentScale)
                               .arg(qBlue(colour) / kComponentScale));
}

}  // namespace torv
