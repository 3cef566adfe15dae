#pragma once
// "Preferences...": what a parameter write does around itself. All off by default.

#include <QDialog>

#include "app/preferences.h"

class QCheckBox;

namespace torv {

class PreferencesDialog : public QDialog {
    Q_OBJECT
  public:
    PreferencesDialog(const Preferences& preferences, QWidget* parent);
    // The preferences with the boxes as they are now.
    Preferences chosen() const;

  private:
    Preferences m_preferences;
    QCheckBox* m_backup;
    QCheckBox* m_verify;
    QCheckBox* m_differences;
};

}  // namespace torv
