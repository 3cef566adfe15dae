#pragma once
// "Browse NG data...": every NG file pair (NAME.bmp and NAME.ng4) in a folder, each with a thumbnail
// of its screen image, when the sensor saved it, the characters it read and the worst of them; a
// double click or "Open" shows the chosen pair in the NG data viewer.

#include <QDialog>
#include <string>

class QListWidget;

namespace torv {

class NgBrowserDlg : public QDialog {
    Q_OBJECT
  public:
    // Lists the pairs in `folder`.
    NgBrowserDlg(const QString& folder, QWidget* parent = nullptr);

    int pairCount() const;
    // The chosen pair's name without extension (a full path), once the dialog is accepted.
    std::string chosenName() const;

  private:
    void fill(const QString& folder);

    QListWidget* m_list;
};

}  // namespace torv
