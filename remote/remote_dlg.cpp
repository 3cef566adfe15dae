#include "remote/remote_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <array>

#include "link/failure_details.h"
#include "link/frames.h"
#include "remote/up_down_control.h"
#include "resources/strings.h"
#include "ui/dialog_key_rule.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

constexpr const char* kCaption = "TORV remote controller";
constexpr const char* kQuitCaption = "Quit";

struct KeyButton {
    int id;
    const char* caption;
    KeyCode code;
    const char* letter;  // the keyboard key that presses it, shown beside it
    int row;
    int column;
};

// Laid out like the sensor's panel: the key buttons between the two up-down controls.
constexpr std::array kKeyButtons{
    KeyButton{CRemoteDlg::kIdSet, "SET", kKeySet, "S", 1, 1},
    KeyButton{CRemoteDlg::kIdExit, "EXIT", kKeyExit, "D", 2, 1},
    KeyButton{CRemoteDlg::kIdView, "VIEW", kKeyView, "E", 1, 3},
    KeyButton{CRemoteDlg::kIdViewUp, "VIEW+UP", kKeyViewUp, "R", 2, 3},
    KeyButton{CRemoteDlg::kIdViewDown, "VIEW+DOWN", kKeyViewDown, "F", 3, 3},
};

struct LetterKey {
    int key;
    KeyCode code;
};

// Matched by key, not by the character typed, so Shift and Caps Lock do not matter.
constexpr std::array kLetterKeys{
    LetterKey{Qt::Key_Q, kKeyUp},       LetterKey{Qt::Key_A, kKeyDown}, LetterKey{Qt::Key_S, kKeySet},
    LetterKey{Qt::Key_D, kKeyExit},     LetterKey{Qt::Key_E, kKeyView}, LetterKey{Qt::Key_R, kKeyViewUp},
    LetterKey{Qt::Key_F, kKeyViewDown},
};

constexpr int kUpDownRows = 3;  // the up-down controls stand beside the three rows of buttons
constexpr int kLeftColumn = 0;
constexpr int kRightColumn = 5;
constexpr int kQuitRow = 5;

QLabel* LetterLabel(const char* letter) {
    auto* label = new QLabel(QString::fromLatin1(letter));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

CRemoteDlg::CRemoteDlg(OperationState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_state(state) {
    setWindowTitle(QString::fromLatin1(kCaption));
    new DialogKeyRule(this);
    qApp->installEventFilter(this);
    buildLayout();
}

CRemoteDlg::~CRemoteDlg() {
    qApp->removeEventFilter(this);
    if (m_linkOpen) {
        CloseLink(m_port);
    }
}

void CRemoteDlg::buildLayout() {
    auto* grid = new QGridLayout(this);
    for (const KeyButton& key : kKeyButtons) {
        QPushButton* button = MakePushButton(key.id, QString::fromLatin1(key.caption));
        grid->addWidget(button, key.row, key.column);
        grid->addWidget(LetterLabel(key.letter), key.row, key.column + 1);
        connect(button, &QPushButton::clicked, this, [this, code = key.code] { sendKey(code); });
    }
    for (const auto& [id, column] :
         {std::pair{kIdUpDownLeft, kLeftColumn}, std::pair{kIdUpDownRight, kRightColumn}}) {
        auto* upDown = new UpDownControl(id);
        grid->addWidget(LetterLabel("Q"), 0, column);
        grid->addWidget(upDown, 1, column, kUpDownRows, 1);
        grid->addWidget(LetterLabel("A"), 1 + kUpDownRows, column);
        connect(upDown, &UpDownControl::positionChanging, this,
                [this](int change) { sendKey(UpDownKeyCode(change)); });
    }
    QPushButton* quit = MakePushButton(kIdQuit, QString::fromLatin1(kQuitCaption));
    grid->addWidget(quit, kQuitRow, kLeftColumn, 1, kRightColumn + 1, Qt::AlignRight);
    connect(quit, &QPushButton::clicked, this, &CRemoteDlg::onQuit);
}

int CRemoteDlg::exec() {
    m_port = m_state.ComPortNumber;
    const int opened = OpenLink(m_port, m_state.BaudIndex);
    if (opened != kLinkOpened) {
        const StringId message =
            opened == kLinkOpenFailed ? StringId::kOpenPortFailed : StringId::kBaudRateInvalid;
        Prompts().showDetailed(parentWidget(), Caption::kError, Icon::kStop, ToQString(Text(message)),
                               ToQString(OpenFailureDetail(m_port, m_state.BaudIndex, opened)));
        return QDialog::Rejected;
    }
    m_linkOpen = true;
    setWindowModality(Qt::WindowModal);  // the protocol trace window stays usable
    return QDialog::exec();
}

void CRemoteDlg::sendKey(KeyCode code) {
    if (!SendKey(m_state, m_port, code)) {
        Prompts().showDetailed(this, Caption::kError, Icon::kStop, ToQString(m_state.LastErrorText),
                               ToQString(m_state.LastErrorDetail));
    }
}

void CRemoteDlg::onQuit() {
    CloseLink(m_port);
    m_linkOpen = false;
    accept();
}

// Every key-down that reaches a window of the dialog, repeats of a held key included: the seven letters
// press their sensor key and go no further.
bool CRemoteDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return false;
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    for (const LetterKey& letter : kLetterKeys) {
        if (letter.key == key) {
            sendKey(letter.code);
            return true;
        }
    }
    return false;
}

void CRemoteDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace torv
