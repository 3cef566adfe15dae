#include "ngdata/ng_browser_dlg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "ngdata/ng_summary.h"
#include "ui/file_name_field.h"

namespace torv {
namespace {

constexpr int kThumbnailWidth = 128;  // half the screen image's 256 pixels
constexpr qint64 kLargestNgText = 1 << 20;

QString SummaryText(const QString& base, const std::optional<NgSummary>& summary) {
    if (!summary) {
        return QStringLiteral("%1\n(no NG data in the .ng4 file)").arg(base);
    }
    const NgSummary& s = *summary;
    const QString characters =
        s.characters.empty()
            ? QStringLiteral("(no characters read)")
            : QString::fromLatin1(s.characters.data(), static_cast<qsizetype>(s.characters.size()));
    QString text = QStringLiteral("%1\n%2\n%3").arg(base, QString::fromLatin1(s.saved.c_str()), characters);
    if (s.worstPosition >= 0) {
        text += QStringLiteral("\nworst: %1 at %2 (difference %3)")
                    .arg(QChar::fromLatin1(s.characters[static_cast<std::size_t>(s.worstPosition)]))
                    .arg(s.worstPosition + 1)
                    .arg(s.worstDifference);
    }
    return text;
}

}  // namespace

NgBrowserDlg::NgBrowserDlg(const QString& folder, QWidget* parent)
    : QDialog(parent), m_list(new QListWidget) {
    setWindowTitle(QStringLiteral("NG data in %1").arg(QDir::toNativeSeparators(folder)));
    m_list->setObjectName(QStringLiteral("pairs"));
    m_list->setViewMode(QListView::ListMode);
    m_list->setIconSize(QSize(kThumbnailWidth, kThumbnailWidth));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    fill(folder);
    buttons->button(QDialogButtonBox::Open)->setEnabled(m_list->count() > 0);
    resize(520, 560);
}

// Newest file first: the NG a user just read is at the top.
void NgBrowserDlg::fill(const QString& folder) {
    const QDir dir(folder);
    for (const QFileInfo& data : dir.entryInfoList({QStringLiteral("*.ng4")}, QDir::Files, QDir::Time)) {
        const QString base = data.completeBaseName();
        const QString image = dir.filePath(base + QStringLiteral(".bmp"));
        if (!QFileInfo::exists(image)) {
            continue;  // a pair only
        }
        QFile file(data.filePath());
        std::optional<NgSummary> summary;
        if (file.size() <= kLargestNgText && file.open(QIODevice::ReadOnly)) {
            summary = SummarizeNgText(file.readAll().toStdString());
        }
        auto* item = new QListWidgetItem(SummaryText(base, summary), m_list);
        const QImage picture(image);
        if (!picture.isNull()) {
            item->setIcon(
                QPixmap::fromImage(picture.scaledToWidth(kThumbnailWidth, Qt::SmoothTransformation)));
        }
        item->setData(Qt::UserRole, QDir::toNativeSeparators(dir.filePath(base)));
    }
    m_list->setCurrentRow(0);
}

int NgBrowserDlg::pairCount() const {
    return m_list->count();
}

std::string NgBrowserDlg::chosenName() const {
    const QListWidgetItem* item = m_list->currentItem();
    return item != nullptr ? FileNameBytes(item->data(Qt::UserRole).toString()) : std::string();
}

}  // namespace torv
