#pragma once
// The dictionary editor's overview: the 56 slots as small dot pictures with their codes, eight to a
// row, and how many are used ("12 of 56 used"). Clicking one chooses that slot.

#include <QWidget>

#include "dictionary/dictionary_slots.h"

class QLabel;
class QListWidget;

namespace torv {

class SlotThumbnails : public QWidget {
    Q_OBJECT
  public:
    explicit SlotThumbnails(QWidget* parent);

    // Draws every slot again, the current one selected (kNoSlot: none).
    void show(const DictionarySlots& table, int current);
    QString usedText() const;

  signals:
    void slotChosen(int index);

  private:
    QListWidget* m_slots;
    QLabel* m_used;
};

}  // namespace torv
