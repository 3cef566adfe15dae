#pragma once
// The dictionary editor: a modal dialog in which the user looks through a dictionary file of up to 56
// characters, draws each character's 7 x 7 dots, sets its code, inserts and deletes characters and
// saves the file. It never talks to the sensor: "Save && Write to TORV" only leaves the write request
// for the main window.

#include <QDialog>

#include "dictionary/dictionary_slots.h"
#include "engine/operation_state.h"
#include "resources/strings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

namespace torv {

class CharacterPreview;
class SlotThumbnails;
class DotGrid;

class CDicDlg : public QDialog {
    Q_OBJECT
  public:
    enum Control : int {
        kIdCode = 1029,
        kIdNumber = 1032,
        kIdDelete = 1035,
        kIdInsert = 1036,
        kIdSaveExit = 1037,
        kIdCancel = 1038,
        kIdSaveWrite = 1039,
        kIdList = 1188,
    };

    // Opens on state.OperationFileName + ".dic4" and selects the first of the AppendedCharCount
    // characters a read has just appended (else the last one); clears state.EditRequest. When the
    // editor has closed, state.EditRequest tells whether the file is to be written to the sensor.
    explicit CDicDlg(OperationState& state, QWidget* parent = nullptr);

    // The slot the controls show and edit (0..55), or kNoSlot.
    int currentSlot() const { return m_current; }
    const DictionarySlots& table() const { return m_slots; }
    DotGrid* grid() const { return m_grid; }
    CharacterPreview* preview() const { return m_preview; }

    // The window system cannot close the editor (it has no close box, and Escape does nothing); only
    // its buttons can.
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Opening.
    void buildLayout();
    QWidget* buildDrawingColumn();
    QWidget* buildList();
    QWidget* buildButtonRow();
    void connectHandlers();
    void load();

    // Handlers.
    void onSlotChosen(int index);
    void onCodeChanged(const QString& text);
    void onDotChanged(int row, int column, bool set);
    void onInsert();
    void onDelete();
    void onSaveExit();
    void onSaveWrite();
    void onCancel();

    // Steps shared by the handlers.
    void showSlot();  // the list, the code, the dots of the current slot
    void showList();
    void showCode();
    void enableEditing();
    bool saveAndClose();
    void showError(StringId text, const std::string& detail = {});
    bool askWarning(StringId text);

    OperationState& m_state;
    DictionarySlots m_slots;
    int m_current = kNoSlot;

    QLabel* m_fileName = nullptr;
    QComboBox* m_number = nullptr;
    QLineEdit* m_code = nullptr;
    QLabel* m_noSlotHint = nullptr;
    SlotThumbnails* m_thumbnails = nullptr;
    DotGrid* m_grid = nullptr;
    CharacterPreview* m_preview = nullptr;
    QPushButton* m_insert = nullptr;
    QPushButton* m_delete = nullptr;
    QPlainTextEdit* m_list = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_body = nullptr;
    QWidget* m_buttons = nullptr;
    bool m_sized = false;
};

}  // namespace torv
