#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "combiner/combine.h"
#include "ui/dialogs.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace panelix::ui {

// The bin file combiner, "BinFile Combine": up to six files, each at a start address, joined into
// one bin with 0xFF gaps and an address list.
class TForm5 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm5(Dialogs& dialogs, QWidget* parent = nullptr);

 public slots:
  // "File 1" ... "File 6": choose the file of a slot.
  void Button1Click() { ChooseFile(0); }
  void Button2Click() { ChooseFile(1); }
  void Button3Click() { ChooseFile(2); }
  void Button6Click() { ChooseFile(3); }
  void Button7Click() { ChooseFile(4); }
  void Button8Click() { ChooseFile(5); }
  // "File Combine".
  void Button4Click();
  // "Close".
  void Button5Click() { close(); }
  // Key released in a start address field: the following start addresses follow it.
  void Edit2KeyUp() { StartAddressTyped(0); }
  void Edit5KeyUp() { StartAddressTyped(1); }
  void Edit8KeyUp() { StartAddressTyped(2); }
  void Edit11KeyUp() { StartAddressTyped(3); }
  void Edit14KeyUp() { StartAddressTyped(4); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // One row of the window: name, start address and length fields and the button choosing it.
  struct Slot {
    QLineEdit* name = nullptr;
    QLineEdit* start = nullptr;
    QLineEdit* length = nullptr;
    QPushButton* button = nullptr;
  };

  void BuildSlots();
  QWidget* BuildButtons();
  void ChooseFile(int slot);
  void StartAddressTyped(int slot);
  void CombineFiles();
  bool InUse(int slot) const;
  // Sets the start address of slot to the end of the slot before it; throws ConversionError.
  void FollowPrevious(int slot);
  void ClearSlot(int slot);
  void Message(const std::string& text);

  Dialogs& m_dialogs;
  std::array<Slot, combiner::kSlotCount> m_slots;
  QPlainTextEdit* m_memo1 = nullptr;
};

}  // namespace panelix::ui
