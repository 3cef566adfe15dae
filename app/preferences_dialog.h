#pragma once
// "Preferences...": what a parameter write does around itself, all off by default, and where the
// monitor publishes its judgements (nowhere by default).

#include <QDialog>

#include "app/preferences.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;

namespace torv {

class PreferencesDialog : public QDialog {
    Q_OBJECT
  public:
    PreferencesDialog(const Preferences& preferences, QWidget* parent);
    // The preferences with the boxes as they are now.
    Preferences chosen() const;

    void accept() override;  // not with a broker URL that cannot work

  private:
    QGroupBox* PublishingGroup();

    Preferences m_preferences;
    QCheckBox* m_backup;
    QCheckBox* m_verify;
    QCheckBox* m_differences;
    QLineEdit* m_mqttUrl;
    QLineEdit* m_mqttSensor;
    QLineEdit* m_mqttCa;
    QLineEdit* m_mqttUser;
};

}  // namespace torv
