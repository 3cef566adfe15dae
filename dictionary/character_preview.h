#pragma once
// A live preview of the character being drawn, as the sensor will see it: the dots printed small, dark
// on the pale ground of a label, at the size the eye judges a character by, and below them the
// eight bytes of the dictionary record the sensor will keep.

#include <QWidget>

#include "dictionary/dot_pattern.h"

class QLabel;

namespace torv {

class CharacterPrint : public QWidget {
    Q_OBJECT
  public:
    explicit CharacterPrint(QWidget* parent = nullptr);

    void setRows(const DotRows& rows);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    DotRows m_rows{};
};

class CharacterPreview : public QWidget {
    Q_OBJECT
  public:
    explicit CharacterPreview(QWidget* parent = nullptr);

    // The character on show; nullptr: no slot is selected.
    void showCharacter(const DictionaryCharacter* character);
    QString recordText() const;

  private:
    CharacterPrint* m_print;
    QLabel* m_record;
};

}  // namespace torv
