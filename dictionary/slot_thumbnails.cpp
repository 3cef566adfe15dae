#include "dictionary/slot_thumbnails.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace torv {
namespace {

constexpr int kDotPixels = 4;
constexpr int kPerRow = 8;
constexpr int kCellPadding = 18;  // room for the code under the picture

QPixmap DotPicture(const DotRows& rows, const QPalette& palette) {
    QPixmap picture(kGridSize * kDotPixels, kGridSize * kDotPixels);
    picture.fill(palette.color(QPalette::Base));
    QPainter painter(&picture);
    for (int row = 1; row <= kGridSize; ++row) {
        for (int column = 1; column <= kGridSize; ++column) {
            if (DotIsSet(rows, row, column)) {
                painter.fillRect((column - 1) * kDotPixels, (row - 1) * kDotPixels, kDotPixels, kDotPixels,
                                 palette.color(QPalette::Text));
            }
        }
    }
    return picture;
}

}  // namespace

SlotThumbnails::SlotThumbnails(QWidget* parent)
    : QWidget(parent), m_slots(new QListWidget(this)), m_used(new QLabel(this)) {
    m_slots->setObjectName(QStringLiteral("slotThumbnails"));
    m_used->setObjectName(QStringLiteral("slotsUsed"));
    m_slots->setViewMode(QListView::IconMode);
    m_slots->setMovement(QListView::Static);
    m_slots->setResizeMode(QListView::Adjust);
    m_slots->setIconSize(QSize(kGridSize * kDotPixels, kGridSize * kDotPixels));
    const int cell = kGridSize * kDotPixels + kCellPadding;
    m_slots->setGridSize(QSize(cell, cell + kCellPadding / 2));
    m_slots->setFixedWidth(cell * kPerRow + 2 * m_slots->frameWidth() + kCellPadding);
    m_slots->setMinimumHeight((cell + kCellPadding / 2) * 3);
    m_slots->setToolTip(QStringLiteral("Every slot: click one to draw it"));
    for (int index = 0; index < kDictionaryMaxChars; ++index) {
        new QListWidgetItem(m_slots);
    }
    connect(m_slots, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) {
            emit slotChosen(row);
        }
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_used);
    layout->addWidget(m_slots);
}

void SlotThumbnails::show(const DictionarySlots& table, int current) {
    int used = 0;
    for (int index = 0; index < kDictionaryMaxChars; ++index) {
        const DictionaryCharacter& character = table.slot(index);
        used += character.code != kEmptyCode ? 1 : 0;
        QListWidgetItem* item = m_slots->item(index);
        item->setIcon(DotPicture(character.rows, palette()));
        item->setText(QStringLiteral("%1 %2").arg(index + 1).arg(
            QString::fromLatin1(CodeText(character.code).c_str())));
    }
    m_used->setText(QStringLiteral("%1 of %2 used").arg(used).arg(kDictionaryMaxChars));
    const QSignalBlocker quiet(m_slots);
    m_slots->setCurrentRow(current);
}

QString SlotThumbnails::usedText() const {
    return m_used->text();
}

}  // namespace torv
