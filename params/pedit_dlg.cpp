#include "params/pedit_dlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "files/file_kind.h"
#include "files/file_status.h"
#include "files/text_file.h"
#include "params/fields.h"
#include "params/parameter_file.h"
#include "ui/dialog_key_rule.h"
#include "ui/file_name_field.h"
#include "ui/screen_fit.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

constexpr auto kCaption = "Edit parameters";
// No close box: title only.
constexpr Qt::WindowFlags kWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
// The parameter that names the sensor's active bank; the editor opens on that bank.
constexpr std::string_view kBankSelectionKey = "BANK";

// The sensor's active bank when it names one; "TCH" and "BKIN" name none, so bank 0.
int FirstBankOnShow(const ParameterSet& set) {
    const std::optional<FieldValue> selection = DecodeField(set, 0, kBankSelectionKey);
    const auto* bank = selection ? std::get_if<std::int32_t>(&*selection) : nullptr;
    return bank != nullptr && IsValidBank(*bank) ? *bank : 0;
}

}  // namespace

CPeditDlg::CPeditDlg(OperationState& state, QWidget* parent)
    : QDialog(parent, kWindowFlags), m_state(state), m_form(this) {
    setWindowTitle(QString::fromLatin1(kCaption));
    new DialogKeyRule(this);
    buildLayout();
    loadParameterFile();
    showBank(FirstBankOnShow(m_set));
    connectHandlers();
}

void CPeditDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

// Three columns, one per section; the bank copy controls head "OTHERS" and Save NG status stands
// under it; the file name and the buttons run along the bottom.
void CPeditDlg::buildLayout() {
    m_form.insertAtTop(GroupInfo(EditorGroup::kOthers).section, BuildBankCopyPanel(this, m_controls));
    auto* columns = new QHBoxLayout;
    for (std::size_t s = 0; s < kParameterSections.size(); ++s) {
        auto* column = new QVBoxLayout;
        column->addWidget(m_form.section(s), 1);
        if (s + 1 == kParameterSections.size()) {
            column->addWidget(m_form.belowSections());
        }
        columns->addLayout(column);
    }
    // On a small screen the sections scroll; the file name and the buttons always stay in view.
    auto* sections = new QWidget;
    sections->setLayout(columns);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(sections);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_sections = sections;
    m_filePanel = BuildFilePanel(this, m_controls);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addWidget(m_filePanel);
}

// The editor opens at the size its sections want, but never larger than the screen.
void CPeditDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_sized || screen() == nullptr) {
        return;
    }
    m_sized = true;
    FitDialogToScreen(this, m_sections, m_filePanel, style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

void CPeditDlg::connectHandlers() {
    connect(m_controls.editBank, &QComboBox::currentIndexChanged, this, &CPeditDlg::onEditBankChanged);
    connect(m_controls.copyBank, &QPushButton::clicked, this, &CPeditDlg::onCopyBank);
    connect(m_controls.saveExit, &QPushButton::clicked, this, &CPeditDlg::onSaveExit);
    connect(m_controls.saveWrite, &QPushButton::clicked, this, &CPeditDlg::onSaveWrite);
    connect(m_controls.exit, &QPushButton::clicked, this, &CPeditDlg::onExit);
    connect(m_controls.createCsv, &QPushButton::clicked, this, &CPeditDlg::onCreateCsv);
    connect(m_controls.compare, &QPushButton::clicked, this, &CPeditDlg::onCompareWithSensor);
    connect(m_controls.showDifferences, &QPushButton::clicked, this, &CPeditDlg::onShowDifferences);
}

// A file that is missing or broken is reported and replaced by the initial set, so the operator can
// always start editing.
void CPeditDlg::loadParameterFile() {
    m_state.EditRequest = false;
    ShowFileName(m_controls.writeFilename, FileNameText(m_state.OperationFileName));
    const LoadedParameters loaded =
        LoadParameterFile(MakeFilePath(m_state.OperationFileName, kParameterFile));
    if (loaded.status == LoadStatus::Loaded) {
        m_set = loaded.set;
        return;
    }
    const StringId warning = loaded.status == LoadStatus::NotFound ? StringId::kParameterFileMissingUseInitial
                                                                   : StringId::kParameterFileInvalid;
    Prompts().show(this, Caption::kWarning, Icon::kExclamation, ToQString(Text(warning)));
    m_set = InitialParameterSet();
}

void CPeditDlg::onEditBankChanged(int bank) {
    if (!IsValidBank(bank) || bank == m_bank) {
        return;  // the selection followed a bank already on show (COPY selects its destination)
    }
    takeControls();
    showBank(bank);
    markDifferences();
}

void CPeditDlg::onCopyBank() {
    const int destination = m_controls.destinationBank->currentIndex();
    if (!IsValidBank(destination)) {
        showError(StringId::kSelectDestinationBank);
        return;
    }
    if (destination == m_bank) {
        showError(StringId::kSameBankCopy);
        return;
    }
    if (!askWarning(StringId::kOverwriteBankQuestion)) {
        return;
    }
    takeControls();
    m_set.bank[static_cast<std::size_t>(destination)] = m_set.bank[static_cast<std::size_t>(m_bank)];
    showBank(destination);
}

void CPeditDlg::onSaveExit() {
    saveAndClose();
}

// Only this way out leaves the write request set; every other one clears it first.
void CPeditDlg::onSaveWrite() {
    if (saveAndClose()) {
        m_state.EditRequest = true;
    }
}

void CPeditDlg::onExit() {
    m_state.EditRequest = false;
    if (askWarning(StringId::kDiscardParametersQuestion)) {
        done(QDialog::Rejected);
    }
}

void CPeditDlg::takeControls() {
    StoreBank(m_set, m_bank, m_form.inputs());
}

void CPeditDlg::showBank(int bank) {
    m_bank = bank;
    m_controls.editBank->setCurrentIndex(bank);
    m_form.show(m_set, bank);
}

std::string CPeditDlg::takeWriteFilename() {
    m_state.OperationFileName = FileNameBytes(m_controls.writeFilename->text());
    return m_state.OperationFileName;
}

// A declined overwrite or a failed save leaves the editor open, with the values on show already taken
// into the set and the new name already current.
bool CPeditDlg::saveAndClose() {
    m_state.EditRequest = false;
    const std::string path = MakeFilePath(takeWriteFilename(), kParameterFile);
    takeControls();
    if (FileExists(path) && !askWarning(StringId::kSameFileOverwrite)) {
        return false;
    }
    ParameterSet saved = m_set;
    saved.version = kDefaultParameterVersion;
    if (SaveParameterFile(path, saved) != SaveStatus::Saved) {
        showError(StringId::kCreateFileFailed);
        return false;
    }
    done(QDialog::Accepted);
    return true;
}

void CPeditDlg::showError(StringId text) {
    Prompts().show(this, Caption::kError, Icon::kStop, ToQString(Text(text)));
}

bool CPeditDlg::askWarning(StringId text) {
    return Prompts().ask(this, Caption::kWarning, Icon::kExclamation, ToQString(Text(text)), Answer::kYes);
}

}  // namespace torv
