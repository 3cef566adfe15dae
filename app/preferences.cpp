#include "app/preferences.h"

#include <QSettings>

namespace torv {
namespace {

constexpr std::array<const char*, kRecentKindCount> kRecentKeys{"recent/parameters", "recent/monitor",
                                                                "recent/dictionary", "recent/ngdata"};

QSettings PreferencesFile() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("torv"),
                     QStringLiteral("torvloader-preferences"));
}

}  // namespace

Preferences LoadPreferences() {
    const QSettings file = PreferencesFile();
    Preferences preferences;
    preferences.backupBeforeWrite = file.value(QStringLiteral("write/backup"), false).toBool();
    preferences.verifyAfterWrite = file.value(QStringLiteral("write/verify"), false).toBool();
    preferences.differencesBeforeWrite = file.value(QStringLiteral("write/differences"), false).toBool();
    preferences.generatesCsv = file.value(QStringLiteral("monitor/generatesCsv"), false).toBool();
    preferences.windowGeometry = file.value(QStringLiteral("window/geometry")).toByteArray();
    preferences.mqttUrl = file.value(QStringLiteral("mqtt/url")).toString();
    preferences.mqttSensor = file.value(QStringLiteral("mqtt/sensor")).toString();
    preferences.mqttCaFile = file.value(QStringLiteral("mqtt/ca")).toString();
    preferences.mqttUser = file.value(QStringLiteral("mqtt/user")).toString();
    for (std::size_t i = 0; i < kRecentKindCount; ++i) {
        preferences.recent[i] = file.value(QString::fromLatin1(kRecentKeys[i])).toStringList();
    }
    return preferences;
}

void SavePreferences(const Preferences& preferences) {
    QSettings file = PreferencesFile();
    file.setValue(QStringLiteral("write/backup"), preferences.backupBeforeWrite);
    file.setValue(QStringLiteral("write/verify"), preferences.verifyAfterWrite);
    file.setValue(QStringLiteral("write/differences"), preferences.differencesBeforeWrite);
    file.setValue(QStringLiteral("monitor/generatesCsv"), preferences.generatesCsv);
    file.setValue(QStringLiteral("window/geometry"), preferences.windowGeometry);
    file.setValue(QStringLiteral("mqtt/url"), preferences.mqttUrl);
    file.setValue(QStringLiteral("mqtt/sensor"), preferences.mqttSensor);
    file.setValue(QStringLiteral("mqtt/ca"), preferences.mqttCaFile);
    file.setValue(QStringLiteral("mqtt/user"), preferences.mqttUser);
    for (std::size_t i = 0; i < kRecentKindCount; ++i) {
        file.setValue(QString::fromLatin1(kRecentKeys[i]), preferences.recent[i]);
    }
}

void NoteRecentFile(Preferences& preferences, RecentKind kind, const QString& name) {
    if (name.isEmpty()) {
        return;
    }
    QStringList& list = preferences.recent[static_cast<std::size_t>(kind)];
    list.removeAll(name);
    list.prepend(name);
    while (list.size() > kRecentFilesKept) {
        list.removeLast();
    }
}

}  // namespace torv
