#include "dictionary/character_preview.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace torv {
namespace {

// The print: each dot a round mark on a pitch of a few pixels, as ink dots sit on a label.
constexpr int kDotPitch = 12;
constexpr double kDotSize = 9.0;
constexpr int kMargin = 10;
const QColor kLabelColor(0xF4, 0xF1, 0xE6);
const QColor kInkColor(0x20, 0x20, 0x28);

QString RecordText(const DictionaryCharacter& character) {
    const DictionaryRecord record = RecordOf(character);
    QStringList bytes;
    for (std::uint8_t byte : record) {
        bytes << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    }
    return bytes.join(QLatin1Char(' '));
}

}  // namespace

CharacterPrint::CharacterPrint(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CharacterPrint::sizeHint() const {
    const int side = kGridSize * kDotPitch + 2 * kMargin;
    return {side, side};
}

void CharacterPrint::setRows(const DotRows& rows) {
    m_rows = rows;
    update();
}

void CharacterPrint::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), isEnabled() ? kLabelColor : palette().color(QPalette::Window));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInkColor);
    for (int row = 1; row <= kGridSize; ++row) {
        for (int column = 1; column <= kGridSize; ++column) {
            if ((m_rows[static_cast<std::size_t>(row - 1)] & ColumnBit(column)) != 0) {
                const QPointF centre(kMargin + (column - 0.5) * kDotPitch, kMargin + (row - 0.5) * kDotPitch);
                painter.drawEllipse(centre, kDotSize / 2, kDotSize / 2);
            }
        }
    }
}

CharacterPreview::CharacterPreview(QWidget* parent)
    : QWidget(parent), m_print(new CharacterPrint(this)), m_record(new QLabel(this)) {
    m_record->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_record->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_record->setToolTip(QStringLiteral(
        "The record the sensor keeps for this character: the code, then rows 1 to 7 with bit 7 set (hex)"));
    m_print->setToolTip(QStringLiteral("The character as the sensor will see it"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_print, 0, Qt::AlignHCenter);
    layout->addWidget(m_record, 0, Qt::AlignHCenter);
}

void CharacterPreview::showCharacter(const DictionaryCharacter* character) {
    m_print->setRows(character != nullptr ? character->rows : DotRows{});
    m_print->setEnabled(character != nullptr);
    m_record->setText(character != nullptr ? RecordText(*character) : QString());
}

QString CharacterPreview::recordText() const {
    return m_record->text();
}

}  // namespace torv
