#include "dictionary/dic_dlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "dictionary/character_preview.h"
#include "dictionary/dictionary_file.h"
#include "dictionary/dot_grid.h"
#include "dictionary/slot_thumbnails.h"
#include "files/file_kind.h"
#include "files/file_status.h"
#include "ui/control_ids.h"
#include "ui/dialog_key_rule.h"
#include "ui/file_name_field.h"
#include "ui/screen_fit.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

constexpr auto kCaption = "Edit expansion dictionary";
// No close box: title only.
constexpr Qt::WindowFlags kWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
// The list is as wide as its widest line ("No.56 : 0x0A") and a little more.
constexpr int kListWidthChars = 14;
// The list shows at least three slots at a time.
constexpr int kListSlotsInView = 3;
// The code field holds one character; room for the "0x0A" a code without a printable form shows.
constexpr int kCodeWidthChars = 6;
// A code is one 8-bit character with a printable form.
const QString kCodePattern = QStringLiteral("[\\x{20}-\\x{7E}\\x{A0}-\\x{FF}]?");

// The character field: one character; a typed character replaces the one shown, and the field's
// character is selected whenever it takes the focus.
class CodeField : public QLineEdit {
  public:
    explicit CodeField(QWidget* parent) : QLineEdit(parent) {
        setMaxLength(1);
        setValidator(new QRegularExpressionValidator(QRegularExpression(kCodePattern), this));
    }

  protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        QTimer::singleShot(0, this, &QLineEdit::selectAll);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
            selectAll();
        }
        QLineEdit::keyPressEvent(event);
    }
};

QLabel* BoldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

}  // namespace

CDicDlg::CDicDlg(OperationState& state, QWidget* parent) : QDialog(parent, kWindowFlags), m_state(state) {
    setWindowTitle(QString::fromLatin1(kCaption));
    new DialogKeyRule(this);
    buildLayout();
    connectHandlers();
    load();
}

void CDicDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

// The drawing controls and the list scroll on a small screen; the buttons always stay in view.
void CDicDlg::buildLayout() {
    // Created in the order the Tab key visits them: the slot, its code, the dots, Insert and Delete,
    // the list, then the buttons.
    m_body = new QWidget;
    auto* columns = new QHBoxLayout(m_body);
    columns->addWidget(buildDrawingColumn());
    auto* previewBox = new QGroupBox(QStringLiteral("As the sensor sees it"), m_body);
    m_preview = new CharacterPreview(previewBox);
    auto* previewLayout = new QVBoxLayout(previewBox);
    previewLayout->addWidget(m_preview);
    previewLayout->addStretch();
    columns->addWidget(previewBox);
    columns->addWidget(buildList());

    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_body);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_buttons = buildButtonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(m_buttons);
}

// Every slot in a fixed font, as wide as its widest line, tall enough for a few slots.
QWidget* CDicDlg::buildList() {
    m_list = new QPlainTextEdit(m_body);
    SetControlId(m_list, kIdList);
    m_list->setReadOnly(true);
    m_list->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setFixedWidth(m_list->fontMetrics().averageCharWidth() * kListWidthChars +
                          style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * m_list->frameWidth() +
                          2 * static_cast<int>(m_list->document()->documentMargin()));
    m_list->setMinimumHeight(m_list->fontMetrics().lineSpacing() * kListLinesPerSlot * kListSlotsInView);
    m_list->setToolTip(QStringLiteral("Every slot as the file will hold it; it follows the slot you choose"));
    return m_list;
}

// The file's name, the slot and its code, the grid of dots, Insert and Delete.
QWidget* CDicDlg::buildDrawingColumn() {
    auto* column = new QWidget(m_body);
    m_fileName = new QLabel(column);
    m_fileName->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_number = new QComboBox(column);
    SetControlId(m_number, kIdNumber);
    for (int number = 1; number <= kDictionaryMaxChars; ++number) {
        m_number->addItem(QString::number(number));
    }
    m_number->setToolTip(QStringLiteral("The slot (1 to 56) whose character you draw"));
    m_code = new CodeField(column);
    SetControlId(m_code, kIdCode);
    m_code->setFixedWidth(m_code->fontMetrics().averageCharWidth() * kCodeWidthChars);
    m_code->setAlignment(Qt::AlignCenter);
    m_code->setToolTip(
        QStringLiteral("The character's code: one character. \"?\" marks a code not "
                       "assigned yet; an empty field leaves the slot empty."));
    auto* choose = new QHBoxLayout;
    choose->addWidget(BoldLabel(QStringLiteral("Dictionary No."), column));
    choose->addWidget(m_number);
    choose->addSpacing(m_code->fontMetrics().averageCharWidth() * 2);
    choose->addWidget(BoldLabel(QStringLiteral("Character"), column));
    choose->addWidget(m_code);
    choose->addStretch();

    m_noSlotHint = new QLabel(QStringLiteral("Choose a Dictionary No. to draw its character."), column);
    m_grid = new DotGrid(column);
    m_insert = MakePushButton(kIdInsert, QStringLiteral("Insert"), column);
    m_insert->setToolTip(QStringLiteral("A new character \"?\" before this one; the later ones move down"));
    m_delete = MakePushButton(kIdDelete, QStringLiteral("Delete"), column);
    m_delete->setToolTip(QStringLiteral("Remove this character; the later ones move up"));
    auto* edit = new QHBoxLayout;
    edit->addWidget(m_insert);
    edit->addWidget(m_delete);
    edit->addStretch();

    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_fileName);
    layout->addLayout(choose);
    layout->addWidget(m_noSlotHint);
    layout->addWidget(m_grid, 0, Qt::AlignLeft);
    layout->addLayout(edit);
    m_thumbnails = new SlotThumbnails(column);
    layout->addWidget(m_thumbnails);
    layout->addStretch();
    return column;
}

QWidget* CDicDlg::buildButtonRow() {
    auto* row = new QWidget(this);
    auto* saveExit = MakePushButton(kIdSaveExit, QStringLiteral("Save && Exit"), row);
    auto* saveWrite = MakePushButton(kIdSaveWrite, QStringLiteral("Save && Write to TORV"), row);
    auto* cancel = MakePushButton(kIdCancel, QStringLiteral("Cancel"), row);
    saveWrite->setToolTip(
        QStringLiteral("Save the file, then write it into the sensor (you are asked first)"));
    cancel->setToolTip(QStringLiteral("Leave without saving"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(saveExit);
    layout->addWidget(saveWrite);
    layout->addStretch();
    layout->addWidget(cancel);
    return row;
}

// The editor opens at the size its controls want, but never larger than the screen.
void CDicDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_sized || screen() == nullptr) {
        return;
    }
    m_sized = true;
    FitDialogToScreen(this, m_body, m_buttons);
}

void CDicDlg::connectHandlers() {
    connect(m_number, &QComboBox::currentIndexChanged, this, &CDicDlg::onSlotChosen);
    connect(m_thumbnails, &SlotThumbnails::slotChosen, m_number, &QComboBox::setCurrentIndex);
    connect(m_code, &QLineEdit::textChanged, this, &CDicDlg::onCodeChanged);
    connect(m_grid, &DotGrid::dotChanged, this, &CDicDlg::onDotChanged);
    connect(m_insert, &QPushButton::clicked, this, &CDicDlg::onInsert);
    connect(m_delete, &QPushButton::clicked, this, &CDicDlg::onDelete);
    connect(FindControl<QPushButton>(this, kIdSaveExit), &QPushButton::clicked, this, &CDicDlg::onSaveExit);
    connect(FindControl<QPushButton>(this, kIdSaveWrite), &QPushButton::clicked, this, &CDicDlg::onSaveWrite);
    connect(FindControl<QPushButton>(this, kIdCancel), &QPushButton::clicked, this, &CDicDlg::onCancel);
}

// A missing file starts an empty dictionary; a broken one keeps the characters before the block that
// broke the rule (that block is dropped, not loaded in part).
void CDicDlg::load() {
    m_state.EditRequest = false;
    const std::string path = MakeFilePath(m_state.OperationFileName, kDictionaryFile);
    m_fileName->setText(FileNameText(path));
    const LoadedDictionary loaded = LoadDictionaryFile(path);
    m_slots.load(loaded.characters);
    if (loaded.status == DictionaryStatus::kNotFound) {
        Prompts().showDetailed(this, Caption::kWarning, Icon::kExclamation,
                               ToQString(Text(StringId::kDictionaryFileNotFound)),
                               FileNameText(NotReadableText(path)));
    } else if (loaded.status == DictionaryStatus::kInvalid) {
        showError(StringId::kDictionaryFileInvalid, InvalidBlockText(path, loaded.characters.size()));
    }
    m_current = InitialSlot(static_cast<int>(loaded.characters.size()), m_state.AppendedCharCount);
    const QSignalBlocker quiet(m_number);
    m_number->setCurrentIndex(m_current);
    showSlot();
}

void CDicDlg::onSlotChosen(int index) {
    if (index < 0) {
        return;
    }
    m_current = index;
    showSlot();
}

// The list and the preview follow at once.
void CDicDlg::onCodeChanged(const QString& text) {
    if (m_current == kNoSlot) {
        return;
    }
    DictionaryCharacter& character = m_slots.slot(m_current);
    character.code = text.isEmpty() ? kEmptyCode : static_cast<std::uint8_t>(text.at(0).unicode());
    m_preview->showCharacter(&character);
    showList();
}

void CDicDlg::onDotChanged(int row, int column, bool set) {
    if (m_current == kNoSlot) {
        return;
    }
    DictionaryCharacter& character = m_slots.slot(m_current);
    SetDot(character.rows, row, column, set);
    // Set or cleared here, the dot is the person's choice now, no longer what the sensor saw.
    SetDot(character.missing, row, column, false);
    m_grid->box(row, column)->setMissing(false);
    m_preview->showCharacter(&character);
    showList();
}

void CDicDlg::onInsert() {
    if (m_current == kNoSlot ||
        (m_slots.lastSlotInUse() && !askWarning(StringId::kDeleteLastCharacterQuestion))) {
        return;
    }
    m_slots.insertAt(m_current);
    showSlot();
}

void CDicDlg::onDelete() {
    if (m_current == kNoSlot || !askWarning(StringId::kDeleteCharacterQuestion)) {
        return;
    }
    m_current = m_slots.deleteAt(m_current);
    const QSignalBlocker quiet(m_number);
    m_number->setCurrentIndex(m_current);
    showSlot();
}

void CDicDlg::onSaveExit() {
    saveAndClose();
}

// Only this way out leaves the write request set; every other one clears it first.
void CDicDlg::onSaveWrite() {
    if (saveAndClose()) {
        m_state.EditRequest = true;
    }
}

void CDicDlg::onCancel() {
    m_state.EditRequest = false;
    if (askWarning(StringId::kDiscardDictionaryQuestion)) {
        done(QDialog::Rejected);
    }
}

// The list of every slot, scrolled to the current one.
void CDicDlg::showList() {
    QString list = ToQString(m_slots.listText());
    list.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_list->setPlainText(list);
    m_list->verticalScrollBar()->setValue(kListLinesPerSlot * std::max(m_current, 0));
    m_thumbnails->show(m_slots, m_current);
}

// Show: the list, the current slot's code and its dots.
void CDicDlg::showSlot() {
    showList();
    showCode();
    const bool selected = m_current != kNoSlot;
    m_grid->setRows(selected ? m_slots.slot(m_current).rows : DotRows{},
                    selected ? m_slots.slot(m_current).missing : DotRows{});
    m_preview->showCharacter(selected ? &m_slots.slot(m_current) : nullptr);
    enableEditing();
}

// A code without a printable form stays as it is; the field shows its number as a hint.
void CDicDlg::showCode() {
    const QSignalBlocker quiet(m_code);
    const std::uint8_t code = m_current != kNoSlot ? m_slots.slot(m_current).code : kEmptyCode;
    const bool printable = IsPrintableCode(code);
    m_code->setText(printable ? QString(QChar(code)) : QString());
    m_code->setPlaceholderText(printable ? QString() : ToQString(CodeText(code)));
}

// The dots, the code, Insert and Delete each need a slot to work on.
void CDicDlg::enableEditing() {
    const bool selected = m_current != kNoSlot;
    for (QWidget* control : std::initializer_list<QWidget*>{m_code, m_grid, m_insert, m_delete}) {
        control->setEnabled(selected);
    }
    m_noSlotHint->setVisible(!selected);
}

// An empty dictionary (`kDictionaryEmptyOnSave`), a declined overwrite (`kOverwriteDictionaryFileQuestion`)
// and a failed save (`kCreateFileFailed`) leave the editor open.
bool CDicDlg::saveAndClose() {
    m_state.EditRequest = false;
    const std::span<const DictionaryCharacter> saved = m_slots.saved();
    if (saved.empty()) {
        showError(StringId::kDictionaryEmptyOnSave);
        return false;
    }
    const std::string path = MakeFilePath(m_state.OperationFileName, kDictionaryFile);
    if (FileExists(path) && !askWarning(StringId::kOverwriteDictionaryFileQuestion)) {
        return false;
    }
    std::string failure;
    if (!SaveDictionaryFile(path, saved, &failure)) {
        m_state.LastErrorText = Text(StringId::kCreateFileFailed);
        showError(StringId::kCreateFileFailed, failure);
        return false;
    }
    done(QDialog::Accepted);
    return true;
}

void CDicDlg::showError(StringId text, const std::string& detail) {
    Prompts().showDetailed(this, Caption::kError, Icon::kStop, ToQString(Text(text)), FileNameText(detail));
}

bool CDicDlg::askWarning(StringId text) {
    return Prompts().ask(this, Caption::kWarning, Icon::kExclamation, ToQString(Text(text)), Answer::kYes);
}

}  // namespace torv
