#include "app/main_window_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <initializer_list>

#include "app/main_window_ids.h"
#include "app/monitor_dashboard.h"
#include "app/settings_file.h"
#include "link/frames.h"
#include "resources/strings.h"
#include "ui/control_ids.h"
#include "ui/dialog_key_rule.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

// The window's own captions, as its dialog layout has always had them.
constexpr const char* kRefCaption = "Ref.";
constexpr const char* kComPortLabel = "COM port";
constexpr const char* kBaudRateLabel = "Baud rate";
// The baud list offers indexes 0..5; 256000 (index 6) is reached only by a parameter write.
constexpr int kListedBaudRates = 6;
// Room for a path of a sensible length in the Filename fields.
constexpr int kNameFieldMinChars = 28;

QPushButton* MakeButton(int id, const char* caption) {
    return MakePushButton(id, QString::fromLatin1(caption));
}

QLineEdit* MakeEdit(int id, bool readOnly = false) {
    auto* edit = new QLineEdit;
    edit->setReadOnly(readOnly);
    SetControlId(edit, id);
    return edit;
}

// A Filename field: the hint "Please specify file name." shows while it is empty and is never its text.
QLineEdit* MakeFileNameEdit(int id) {
    QLineEdit* edit = MakeEdit(id);
    edit->setPlaceholderText(ToQString(Text(StringId::kSpecifyFileName)));
    return edit;
}

QComboBox* MakeList(int id, const QStringList& entries) {
    auto* list = new QComboBox;
    list->addItems(entries);
    SetControlId(list, id);
    return list;
}

QStringList NumberEntries(const char* prefix, int count) {
    QStringList entries;
    for (int number = 1; number <= count; ++number) {
        entries << QString::fromLatin1(prefix) + QString::number(number);
    }
    return entries;
}

QStringList BaudEntries() {
    QStringList entries;
    for (int index = 0; index < kListedBaudRates; ++index) {
        entries << QString::number(kBaudRates[static_cast<std::size_t>(index)]);
    }
    return entries;
}

// A group holding the "Ref." button beside its Filename field, followed by its other controls; `above`
// (optional) heads the group.
QGroupBox* FileGroup(const char* title, int refId, int fieldId, std::initializer_list<QWidget*> below,
                     QWidget* above = nullptr) {
    auto* group = new QGroupBox(QString::fromLatin1(title));
    auto* grid = new QGridLayout(group);
    int row = 0;
    if (above != nullptr) {
        grid->addWidget(above, row++, 0, 1, 2);
    }
    auto* field = MakeFileNameEdit(fieldId);
    field->setMinimumWidth(field->fontMetrics().averageCharWidth() * kNameFieldMinChars);
    QPushButton* ref = MakeButton(refId, kRefCaption);
    ref->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    grid->addWidget(ref, row, 0);
    grid->addWidget(field, row++, 1);
    grid->setColumnStretch(1, 1);
    for (QWidget* widget : below) {
        grid->addWidget(widget, row++, 0, 1, 2);
    }
    grid->setRowStretch(row, 1);  // room to spare stays below the controls, not inside them
    return group;
}

QGroupBox* ParametersGroup() {
    return FileGroup("Parameters", kIdParameterRef, kIdParameterName,
                     {MakeButton(kIdReadParameters, "Read parameters from TORV"),
                      MakeButton(kIdEditParameters, "Edit parameters"),
                      MakeButton(kIdWriteParameters, "Write parameters to TORV")});
}

QGroupBox* DictionaryGroup() {
    return FileGroup("Expansion Dictionary", kIdDictionaryRef, kIdDictionaryName,
                     {MakeButton(kIdReadRecognized, "Read recognized char. from TORV"),
                      MakeButton(kIdReadNgCharacters, "Read char. in NG data from TORV"),
                      MakeButton(kIdReadDictionary, "Read exp. dctnry from TORV"),
                      MakeButton(kIdEditDictionary, "Edit expansion dictionary"),
                      MakeButton(kIdWriteDictionary, "Write exp. dictionary to TORV")});
}

// The "NG data number" group is as small as its list and stands beside the buttons that use it.
QWidget* NgDataNumberAndButtons() {
    auto* numberGroup = new QGroupBox(QStringLiteral("NG data number"));
    numberGroup->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* numberRow = new QHBoxLayout(numberGroup);
    numberRow->addWidget(MakeList(kIdNgDataNumber, NumberEntries("", kNgDataCount)));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(MakeButton(kIdReadNgData, "Read NG data with image from TORV"));
    buttons->addWidget(MakeButton(kIdDisplayNgData, "Display NG data"));
    buttons->addWidget(MakeButton(kIdConvertNgData, "Convert all NG data to CSV"));
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(numberGroup, 0, Qt::AlignTop);
    layout->addLayout(buttons, 1);
    return row;
}

QGroupBox* NgDataGroup() {
    return FileGroup("NG Data", kIdNgDataRef, kIdNgDataName, {NgDataNumberAndButtons()});
}

constexpr int kReadingShownWhole = 17;  // characters of a reading each result box shows in one line

QWidget* MonitorResultRow() {
    auto* row = new QWidget;
    auto* grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int id : {kIdJudgement, kIdJudgementCount}) {
        auto* label = new QLabel;
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        SetControlId(label, id);
        grid->addWidget(label, 0, id == kIdJudgement ? 0 : 1);
    }
    // Each box labelled, and wide enough for a 17-character reading in one line.
    int column = 0;
    for (const auto& [id, caption] :
         {std::pair{kIdBestCharacters, "Best"}, std::pair{kIdNumericalCharacters, "Numerical"},
          std::pair{kIdAlphabeticCharacters, "Alphabetic"}}) {
        QLineEdit* edit = MakeEdit(id, true);
        edit->setMinimumWidth(
            edit->fontMetrics().horizontalAdvance(QString(kReadingShownWhole, QLatin1Char('W'))) +
            kReadingBoxMargin);
        grid->addWidget(new QLabel(QString::fromLatin1(caption)), 1, column);
        grid->addWidget(edit, 2, column++);
    }
    return row;
}

QGroupBox* MonitorGroup() {
    auto* buttons = new QWidget;
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(MakeButton(kIdStartMonitor, "Start Monitor"));
    row->addWidget(MakeButton(kIdStopMonitor, "Stop Monitor"));
    // Not one of the window's numbered controls: it stays pressable while the monitor runs.
    auto* trend = new QPushButton(QStringLiteral("Trend..."));
    trend->setObjectName(QString::fromLatin1(kTrendButtonName));
    trend->setToolTip(QStringLiteral("The recognition margin of every character position over time (F6)"));
    row->addWidget(trend);
    auto* csv = new QCheckBox(QStringLiteral("Generates CSV file"));
    SetControlId(csv, kIdGeneratesCsv);
    return FileGroup("Monitor", kIdMonitorRef, kIdMonitorName,
                     {buttons, MonitorResultRow(), new MonitorDashboard}, csv);
}

QLayout* BottomRow() {
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromLatin1(kComPortLabel)), 0, 0);
    grid->addWidget(MakeList(kIdComPort, NumberEntries("COM", kListedComPortCount)), 0, 1);
    grid->addWidget(new QLabel(QString::fromLatin1(kBaudRateLabel)), 1, 0);
    grid->addWidget(MakeList(kIdBaudRate, BaudEntries()), 1, 1);
    grid->setColumnStretch(2, 1);
    grid->addWidget(MakeButton(kIdRemoteControl, "TORV remote control"), 0, 3);
    grid->addWidget(MakeButton(kIdSetClock, "Set the time to TORV"), 1, 3);
    grid->addWidget(MakeButton(kIdExit, "Exit"), 1, 4);
    // What the chosen COM port opens, under the lists (not a numbered control).
    auto* portLine = new QLabel;
    portLine->setObjectName(QString::fromLatin1(kPortDescriptionName));
    // Plain text that can be copied (the device path for a bug report), not a disabled-looking note.
    portLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(portLine, 2, 0, 1, 3);
    return grid;
}

}  // namespace

void BuildMainWindowLayout(QDialog* window) {
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(ParametersGroup());
    left->addWidget(DictionaryGroup());
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(NgDataGroup());
    right->addWidget(MonitorGroup());
    right->addStretch();
    columns->addLayout(left);
    columns->addLayout(right);
    auto* outer = new QVBoxLayout(window);
    outer->addLayout(columns);
    outer->addLayout(BottomRow());
}

}  // namespace torv
