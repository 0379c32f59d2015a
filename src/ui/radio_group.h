#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>
#include <QVBoxLayout>

namespace panelix::ui {

// A captioned group of radio buttons with one checked item, read and set by its index: the index is
// what the options store (the enum values of picture::PictureOptions follow the item order). The index is
// also the "itemIndex" property, so a test finds the group by its object name and reads or sets it.
class RadioGroup : public QGroupBox {
  Q_OBJECT
  Q_PROPERTY(int itemIndex READ ItemIndex WRITE SetItemIndex)
 public:
  RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr)
      : QGroupBox(caption, parent), m_buttons(new QButtonGroup(this)) {
    // Named by its own caption, not by the group it stands in.
    setAccessibleName(caption);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
      auto* button = new QRadioButton(items[i], this);
      m_buttons->addButton(button, i);
      layout->addWidget(button);
    }
    SetItemIndex(0);
  }

  // Index of the checked item, -1 when none is.
  int ItemIndex() const { return m_buttons->checkedId(); }
  void SetItemIndex(int index) {
    if (QAbstractButton* button = m_buttons->button(index)) {
      button->setChecked(true);
    }
  }

 private:
  QButtonGroup* m_buttons;
};

}  // namespace panelix::ui
