#include "app/preferences_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include "monitor/mqtt_publisher.h"

namespace torv {

PreferencesDialog::PreferencesDialog(const Preferences& preferences, QWidget* parent)
    : QDialog(parent),
      m_preferences(preferences),
      m_backup(new QCheckBox(QStringLiteral("Back up the sensor before every parameter write"))),
      m_verify(new QCheckBox(QStringLiteral("Verify after writing"))),
      m_differences(new QCheckBox(QStringLiteral("Show the differences before writing parameters"))),
      m_mqttUrl(new QLineEdit(preferences.mqttUrl)),
      m_mqttSensor(new QLineEdit(preferences.mqttSensor)),
      m_mqttCa(new QLineEdit(preferences.mqttCaFile)),
      m_mqttUser(new QLineEdit(preferences.mqttUser)) {
    setWindowTitle(QStringLiteral("Preferences"));
    m_backup->setObjectName(QStringLiteral("backup"));
    m_verify->setObjectName(QStringLiteral("verify"));
    m_differences->setObjectName(QStringLiteral("differences"));
    m_backup->setToolTip(QStringLiteral(
        "Reads the sensor's parameters into a dated file beside the one written; the write goes ahead "
        "only when that read succeeded."));
    m_verify->setToolTip(QStringLiteral("Reads every written word back after the store and compares it."));
    m_differences->setToolTip(
        QStringLiteral("Reads the sensor first; the question then lists what the write will change."));
    m_backup->setChecked(preferences.backupBeforeWrite);
    m_verify->setChecked(preferences.verifyAfterWrite);
    m_differences->setChecked(preferences.differencesBeforeWrite);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    for (QCheckBox* box : {m_backup, m_verify, m_differences}) {
        layout->addWidget(box);
    }
    layout->addWidget(PublishingGroup());
    layout->addWidget(buttons);
}

QGroupBox* PreferencesDialog::PublishingGroup() {
    m_mqttUrl->setObjectName(QStringLiteral("mqttUrl"));
    m_mqttSensor->setObjectName(QStringLiteral("mqttSensor"));
    m_mqttCa->setObjectName(QStringLiteral("mqttCa"));
    m_mqttUser->setObjectName(QStringLiteral("mqttUser"));
    m_mqttUrl->setPlaceholderText(
        QStringLiteral("mqtt://broker.plant:1883/plant/line3 (empty: not published)"));
    m_mqttSensor->setPlaceholderText(QStringLiteral("line3-printer"));
    m_mqttCa->setPlaceholderText(QStringLiteral("for mqtts:// only"));
    auto* group = new QGroupBox(QStringLiteral("Publish the monitor's judgements to MQTT"));
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Broker URL"), m_mqttUrl);
    form->addRow(QStringLiteral("Sensor name"), m_mqttSensor);
    form->addRow(QStringLiteral("CA file"), m_mqttCa);
    form->addRow(QStringLiteral("User"), m_mqttUser);
    form->addRow(
        new QLabel(QStringLiteral("The password comes from the environment variable TORV_MQTT_PASSWORD.")));
    return group;
}

void PreferencesDialog::accept() {
    const std::string url = m_mqttUrl->text().trimmed().toStdString();
    std::string why;
    if (!url.empty() && !ParseMqttUrl(url, why)) {
        QMessageBox::warning(
            this, windowTitle(),
            QStringLiteral("The broker URL cannot be used: %1").arg(QString::fromStdString(why)));
        m_mqttUrl->setFocus();
        return;
    }
    if (!url.empty() && m_mqttSensor->text().trimmed().isEmpty()) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Give the sensor a name: its topics are named after it."));
        m_mqttSensor->setFocus();
        return;
    }
    QDialog::accept();
}

Preferences PreferencesDialog::chosen() const {
    Preferences preferences = m_preferences;
    preferences.backupBeforeWrite = m_backup->isChecked();
    preferences.verifyAfterWrite = m_verify->isChecked();
    preferences.differencesBeforeWrite = m_differences->isChecked();
    preferences.mqttUrl = m_mqttUrl->text().trimmed();
    preferences.mqttSensor = m_mqttSensor->text().trimmed();
    preferences.mqttCaFile = m_mqttCa->text().trimmed();
    preferences.mqttUser = m_mqttUser->text().trimmed();
    return preferences;
}

}  // namespace torv
