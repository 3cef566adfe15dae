#pragma once
// The desktop tool's preferences, beside the seven-line settings file (which stays as it is): what a
// parameter write does around itself, the "Generates CSV file" box, the window's place, and the last
// files of each kind, and where the monitor publishes its judgements. Kept with QSettings in the user's
// configuration folder (torv/torvloader- preferences.ini).

#include <QByteArray>
#include <QStringList>
#include <array>

namespace torv {

// The kinds of file a Filename field names, in the order of the main window's fields.
enum class RecentKind { kParameters, kMonitorCsv, kDictionary, kNgData };
inline constexpr std::size_t kRecentKindCount = 4;
inline constexpr int kRecentFilesKept = 6;

struct Preferences {
    bool backupBeforeWrite = false;       // read the sensor into a dated file first; write only then
    bool verifyAfterWrite = false;        // read every written word back after the store
    bool differencesBeforeWrite = false;  // read the sensor first and list the changes in the question
    bool generatesCsv = false;
    QByteArray windowGeometry;
    // The monitor's judgements published to the plant's broker (no URL: not published). The password
    // is never stored: it comes from TORV_MQTT_PASSWORD, as for torvctl.
    QString mqttUrl;
    QString mqttSensor;
    QString mqttCaFile;
    QString mqttUser;
    std::array<QStringList, kRecentKindCount> recent{};  // newest first
};

Preferences LoadPreferences();
void SavePreferences(const Preferences& preferences);

// `name` at the head of its kind's list, once, the list cut to kRecentFilesKept.
void NoteRecentFile(Preferences& preferences, RecentKind kind, const QString& name);

}  // namespace torv
