#pragma once
// The main window: gathers what an operation needs (COM port, baud rate, file names, NG data
// number), starts the operations and editors, and keeps its choices in the settings file (and its
// preferences beside it, app/preferences.h).

#include <QDialog>

#include <memory>
#include <optional>
#include <string>

#include "app/main_window_bars.h"
#include "app/preferences.h"
#include "app/settings_file.h"
#include "engine/operation_engine.h"
#include "engine/operation_state.h"
#include "ngdata/ng_viewer_files.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace torv {

class CComuDlg;
class MonitorController;
class ProtocolTraceWindow;
class TrendWindow;

class CDataLoaderDlg : public QDialog {
    Q_OBJECT
  public:
    // `settingsPath` is the settings file restored now and written at "Exit".
    CDataLoaderDlg(OperationState& state, std::string settingsPath, QWidget* parent = nullptr);
    ~CDataLoaderDlg() override;

    const std::string& settingsPath() const { return m_settingsPath; }

    // Opens the parameter editor on the parameter file: after EDIT at the end of a parameter read,
    // and from "Edit parameters".
    void editParameters();
    // Opens the dictionary editor on the dictionary file: after EDIT at the end of a character or
    // dictionary read, and from "Edit expansion dictionary".
    void editDictionary();

    // Opens the "Protocol trace" window (Ctrl+T), or brings it to the front.
    ProtocolTraceWindow& showProtocolTrace();
    // Opens the "Trend" window (F6) on the monitor, or brings it to the front.
    TrendWindow& showTrend();

    // "Exit" and the close box close the window (after their question); Escape does not.
    void reject() override {}

  protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void restoreSettings();
    void describePorts();
    LoaderSettings currentSettings() const;
    void connectButtons();

    void onExit();
    void onReadParameters();
    void onWriteParameters();
    void onSetClock();
    void onReadNgData();
    void onConvertNgData();
    void onReadRecognized();
    void onReadNgCharacters();
    void onReadDictionary();
    void onWriteDictionary();
    // Opens the NG data viewer on the NG files: after EDIT at the end of an NG read, and from
    // "Display NG data".
    void displayNgData();
    void onRemoteControl();
    // ComPortNumber and BaudIndex from the two lists.
    void takeLinkFromLists();
    // Fills the operation state from the lists and `fieldId` (0: the operation uses no file), runs the
    // transfer dialog, and tells whether the user asked for the follow-up editor.
    bool runOperation(int operationCode, int fieldId);
    // Runs `operation` on `fileName` in the transfer dialog, the state's own operation and file kept;
    // how it ended. Says on the status bar how the exchange went.
    OperationOutcome runTransfer(const OperationInfo& operation, const std::string& fileName);

    // Around a parameter write, as the preferences ask (main_window_writes.cpp).
    std::optional<QString> changesTheWriteMakes();  // nothing when the sensor could not be read
    bool backUpSensorParameters();
    void verifyWrittenParameters();

    // The bars (main_window_bars.h).
    void showLinkOnStatusBar();
    void showOutcomeOnStatusBar(const CComuDlg& transfer);
    void fillRecentFilesMenu();
    void onPreferences();
    void browseNgData();

    QComboBox* list(int id) const;
    QLineEdit* field(int id) const;
    QPushButton* button(int id) const;

    OperationState& m_state;
    std::string m_settingsPath;
    MonitorController* m_monitor = nullptr;
    bool m_exitConfirmed = false;
    NgViewerImage m_ngImage;                       // the viewer's picture, kept from one viewing to the next
    std::unique_ptr<ProtocolTraceWindow> m_trace;  // made on first use
    std::unique_ptr<TrendWindow> m_trend;          // made on first use
    Preferences m_preferences;
    MainWindowBars m_bars;
    OperationOutcome m_lastOutcome = OperationOutcome::kFailed;
};

}  // namespace torv
