// What every window shares: field names for assistive technology, groups that keep their size, and
// windows that fit the screen.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QRadioButton>
#include <QScreen>
#include <map>
#include <set>

#include "support/scripted_dialogs.h"
#include "ui/window_registry.h"

namespace panelix {
namespace {

std::vector<QWidget*> AllWindows(const ui::Windows& w) {
  return {w.form1.get(), w.form2.get(), w.form3.get(), w.form4.get(), w.form5.get(),
          w.form6.get(), w.form7.get(), w.form8.get(), w.form10.get()};
}

// The field a screen reader announces: its window, object name and accessible name.
struct Field {
  const char* window;
  const char* object;
  const char* name;
};

// Every field of every window with the name it is announced by: the caption of its label, or, for
// a field without one, what it holds. Captions are compared with their runs of blanks made one.
const Field kFields[] = {
    {"TForm1", "ComboBox1", "Pixel format"},
    {"TForm1", "EditAPNG", "PNG Alpha"},
    {"TForm1", "Memo1", "Address list"},
    {"TForm1", "ListBox1", "Pictures"},
    {"TForm1", "ComboDither", "Dither"},
    {"TForm2", "EditXSIZE", "Hs Size(X):"},
    {"TForm2", "EditYSIZE", "Vs Size(Y):"},
    {"TForm2", "EditHSPW", "Pulse Width:"},
    {"TForm2", "EditHSBP", "Back-Porch:"},
    {"TForm2", "EditHSFP", "Front-Porch:"},
    {"TForm2", "EditVSPW", "Pulse Width:"},
    {"TForm2", "EditVSBP", "Back-Porch:"},
    {"TForm2", "EditVSFP", "Front-Porch:"},
    {"TForm2", "ComboBoxLCDIF", "LCD Interface:"},
    {"TForm2", "ComboBoxLCDRGB", "LCD IF RGB :"},
    {"TForm2", "ComboBoxColorIF", "Main Win Color:"},
    {"TForm2", "ComboBoxCANVASMODE", "In Linear Mode :"},
    {"TForm2", "ComboBoxSPIReadCmd", "Read Command :"},
    {"TForm2", "ComboBoxFlashAddrMode", "Address Mode :"},
    {"TForm2", "ComboBoxSpeed", "SPI Speed:"},
    {"TForm2", "ComboBoxSPI", "CX9 SPI Interface:"},
    {"TForm2", "EditFlashAddr", "Picture Address :"},
    {"TForm2", "ComboBoxPageSize", "Flash Page Size:"},
    {"TForm2", "EditCCLKOD", "CCLK_OD:"},
    {"TForm2", "EditCCLKR", "CCLK_R:"},
    {"TForm2", "EditCCLK", "CCLK_N:"},
    {"TForm2", "EditMCLKOD", "MCLK_OD:"},
    {"TForm2", "EditMCLKR", "MCLK_R:"},
    {"TForm2", "EditMCLK", "MCLK_N:"},
    {"TForm2", "EditSCLKOD", "SCLK_OD:"},
    {"TForm2", "EditSCLKR", "SCLK_R:"},
    {"TForm2", "EditSCLK", "SCLK_N:"},
    {"TForm2", "EditPPre", "PWM Pre:"},
    {"TForm2", "EditPWMT", "PWM(T):"},
    {"TForm2", "EditPWM", "PWM(%):"},
    {"TForm2", "Memo1", "Bootloader bytes"},
    {"TForm3", "Memo1", "Data"},
    {"TForm4", "ComboBoxCode", "Code set"},
    {"TForm4", "EditUNIS", "Start Code"},
    {"TForm4", "EditUNIE", "End Code"},
    {"TForm4", "EditFW", "Font Width"},
    {"TForm4", "EditFH", "Font Height"},
    {"TForm4", "EditCTLimit", "Gray Limit:"},
    {"TForm4", "Edit1", "Test code"},
    {"TForm4", "Edit2", "Test text"},
    {"TForm4", "Memo1", "Messages"},
    {"TForm5", "Edit1", "Files 1"},
    {"TForm5", "Edit2", "Start Address 1"},
    {"TForm5", "Edit3", "Length(bytes) 1"},
    {"TForm5", "Edit4", "Files 2"},
    {"TForm5", "Edit5", "Start Address 2"},
    {"TForm5", "Edit6", "Length(bytes) 2"},
    {"TForm5", "Edit7", "Files 3"},
    {"TForm5", "Edit8", "Start Address 3"},
    {"TForm5", "Edit9", "Length(bytes) 3"},
    {"TForm5", "Edit10", "Files 4"},
    {"TForm5", "Edit11", "Start Address 4"},
    {"TForm5", "Edit12", "Length(bytes) 4"},
    {"TForm5", "Edit13", "Files 5"},
    {"TForm5", "Edit14", "Start Address 5"},
    {"TForm5", "Edit15", "Length(bytes) 5"},
    {"TForm5", "Edit16", "Files 6"},
    {"TForm5", "Edit17", "Start Address 6"},
    {"TForm5", "Edit18", "Length(bytes) 6"},
    {"TForm5", "Memo1", "Address list"},
    {"TForm6", "ComboBox1", "Pixel format"},
    {"TForm6", "ListBox1", "GIF files"},
    {"TForm6", "Memo1", "Address list"},
    {"TForm6", "ComboDither", "Dither"},
    {"TForm7", "EditFileName", "WAV file"},
    {"TForm7", "EditWavFilesSize", "Wav file size:"},
    {"TForm7", "EditPCMFormat", "PCM Format Tag:"},
    {"TForm7", "EditChannels", "Sound Channels:"},
    {"TForm7", "EditSamplesPerSec", "SmaplesPerSec:"},
    {"TForm7", "EditAvgBytesPerSec", "AvgBytesPerSec:"},
    {"TForm7", "EditBitsPerSample", "BitsPerSample:"},
    {"TForm7", "EditDataSize", "Data Size:"},
    {"TForm7", "ComboBoxChannel", "Sound Channels:"},
    {"TForm7", "ComboBoxBitSample", "BitsPerSample:"},
    {"TForm7", "ComboBoxSpeed", "Speed:"},
    {"TForm7", "EditBinDataSize", "BinDataSize:"},
    {"TForm8", "ListBox1", "Bin Files"},
    {"TForm8", "Edit1", "Command line"},
    {"TForm8", "ListBox2", "Command List"},
    {"TForm10", "Memo1", "Order report"},
};

// The name a screen reader on Linux announces a field by. Qt names a drop-down list by its current
// entry and gives its caption only through the label relation, where a reader takes the first label
// that is not around the field (a group box around it is skipped). Every other field is announced by
// the name Qt gives it: its accessible name, else its buddy label's text, else its group's title.
QString AnnouncedName(QAccessibleInterface* node, const QWidget* widget) {
  if (node->role() == QAccessible::ComboBox) {
    for (const auto& relation : node->relations(QAccessible::Label)) {
      const auto* label = qobject_cast<const QWidget*>(relation.first->object());
      if (label == nullptr || !label->isAncestorOf(widget)) {
        return relation.first->text(QAccessible::Name).simplified();
      }
    }
  }
  return node->text(QAccessible::Name).simplified();
}

bool IsField(QAccessible::Role role) {
  return role == QAccessible::EditableText || role == QAccessible::ComboBox || role == QAccessible::List;
}

// Calls visit for every node of the accessibility tree below node.
template <typename Visit>
void Walk(QAccessibleInterface* node, Visit& visit) {
  for (int i = 0; node != nullptr && i < node->childCount(); ++i) {
    QAccessibleInterface* child = node->child(i);
    visit(child);
    Walk(child, visit);
  }
}

TEST(WindowLayout, EveryFieldIsAnnouncedByItsCaptionAndEveryGroupByItsTitle) {
  test::ScriptedDialogs dialogs;
  ui::Windows w = ui::CreateWindows(dialogs);
  std::set<std::pair<std::string, std::string>> seen;
  for (QWidget* window : AllWindows(w)) {
    window->show();
    const std::string windowName = window->objectName().toStdString();
    auto visit = [&](QAccessibleInterface* node) {
      const auto* widget = qobject_cast<const QWidget*>(node->object());
      if (widget == nullptr) {
        return;
      }
      if (!widget->isVisibleTo(window)) {
        return;
      }
      const QString name = AnnouncedName(node, widget);
      if (IsField(node->role())) {
        const std::string object = widget->objectName().toStdString();
        SCOPED_TRACE(windowName + " " + object);
        const auto* field = std::find_if(std::begin(kFields), std::end(kFields), [&](const Field& f) {
          return f.window == windowName && f.object == object;
        });
        ASSERT_NE(field, std::end(kFields))
            << "a field missing from the table, named \"" << name.toStdString() << "\"";
        EXPECT_EQ(name.toStdString(), field->name);
        seen.insert({windowName, object});
      }
      if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        EXPECT_FALSE(group->title().simplified().isEmpty()) << windowName;
        EXPECT_EQ(node->text(QAccessible::Name).simplified(), group->title().simplified()) << windowName;
      }
      // A radio button belongs to a group box that names its choice.
      if (qobject_cast<const QRadioButton*>(widget) != nullptr) {
        EXPECT_NE(qobject_cast<const QGroupBox*>(widget->parentWidget()), nullptr)
            << windowName << " " << widget->objectName().toStdString();
      }
    };
    Walk(QAccessible::queryAccessibleInterface(window), visit);
    window->hide();
  }
  for (const Field& field : kFields) {
    EXPECT_TRUE(seen.count({field.window, field.object}) == 1) << field.window << " " << field.object;
  }
}

TEST(WindowLayout, GroupsKeepTheirMinimumSizeWhenAWindowShrinks) {
  test::ScriptedDialogs dialogs;
  ui::Windows w = ui::CreateWindows(dialogs);
  for (QWidget* window : AllWindows(w)) {
    window->show();
    for (const QSize size : {QSize(1000, 600), QSize(640, 400)}) {
      window->resize(size);
      QApplication::processEvents();
      for (const QGroupBox* group : window->findChildren<QGroupBox*>()) {
        if (!group->isVisibleTo(window)) {
          continue;
        }
        SCOPED_TRACE(window->objectName().toStdString() + " " + group->title().toStdString());
        EXPECT_GE(group->height(), group->minimumSizeHint().height());
        EXPECT_GE(group->width(), group->minimumSizeHint().width());
      }
    }
    window->hide();
  }
}

TEST(WindowLayout, EveryWindowOpensInsideTheScreensAvailableArea) {
  test::ScriptedDialogs dialogs;
  ui::Windows w = ui::CreateWindows(dialogs);
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  for (QWidget* window : AllWindows(w)) {
    SCOPED_TRACE(window->objectName().toStdString());
    EXPECT_TRUE(available.contains(window->geometry()))
        << window->width() << "x" << window->height() << " at " << window->x() << "," << window->y();
  }
}

}  // namespace
}  // namespace panelix
