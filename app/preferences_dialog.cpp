#include "app/preferences_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace torv {

PreferencesDialog::PreferencesDialog(const Preferences& preferences, QWidget* parent)
    : QDialog(parent),
      m_preferences(preferences),
      m_backup(new QCheckBox(QStringLiteral("Back up the sensor before every parameter write"))),
      m_verify(new QCheckBox(QStringLiteral("Verify after writing"))),
      m_differences(new QCheckBox(QStringLiteral("Show the differences before writing parameters"))) {
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
    layout->addWidget(buttons);
}

Preferences PreferencesDialog::chosen() const {
    Preferences preferences = m_preferences;
    preferences.backupBeforeWrite = m_backup->isChecked();
    preferences.verifyAfterWrite = m_verify->isChecked();
    preferences.differencesBeforeWrite = m_differences->isChecked();
    return preferences;
}

}  // namespace torv
