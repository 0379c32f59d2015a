#include "ui/combiner_window.h"

#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>
#include <vector>

#include "base/error.h"
#include "base/numbers.h"
#include "output/messages.h"
#include "ui/widgets.h"

namespace panelix::ui {

namespace {

// Object names of the choose buttons, slot by slot.
constexpr std::array<const char*, combiner::kSlotCount> kButtonNames{"Button1", "Button2", "Button3",
                                                                     "Button6", "Button7", "Button8"};

std::int32_t FieldValue(const QLineEdit* edit) {
  return StrToInt(edit->text().toStdString());
}

QLineEdit* NewField(QWidget* parent, int number, const QString& text, bool readOnly) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(QStringLiteral("Edit%1").arg(number));
  edit->setReadOnly(readOnly);
  return edit;
}

}  // namespace

TForm5::TForm5(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm5"));
  setWindowTitle(QStringLiteral("BinFile Combine"));
  m_memo1 = new QPlainTextEdit(this);
  m_memo1->setObjectName(QStringLiteral("Memo1"));
  m_memo1->setAccessibleName(QStringLiteral("Address list"));
  m_memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* layout = new QVBoxLayout(MakeScrollingContent(this));
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  grid->addWidget(new QLabel(QStringLiteral("Files   "), this), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Start Address  "), this), 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Length(bytes)   "), this), 0, 3);
  grid->setColumnStretch(1, 1);
  BuildSlots();
  for (int i = 0; i < combiner::kSlotCount; ++i) {
    const Slot& slot = m_slots[static_cast<std::size_t>(i)];
    grid->addWidget(slot.button, i + 1, 0);
    grid->addWidget(slot.name, i + 1, 1);
    grid->addWidget(slot.start, i + 1, 2);
    grid->addWidget(slot.length, i + 1, 3);
  }
  layout->addWidget(BuildButtons());
  layout->addWidget(m_memo1, 1);
  resize(760, 480);
  PlaceOnScreen(this);
}

void TForm5::BuildSlots() {
  using Handler = void (TForm5::*)();
  const std::array<Handler, combiner::kSlotCount> choose{&TForm5::Button1Click, &TForm5::Button2Click,
                                                         &TForm5::Button3Click, &TForm5::Button6Click,
                                                         &TForm5::Button7Click, &TForm5::Button8Click};
  for (int i = 0; i < combiner::kSlotCount; ++i) {
    Slot& slot = m_slots[static_cast<std::size_t>(i)];
    slot.name = NewField(this, 3 * i + 1, QString(), true);
    // Slot 1 always starts at 0.
    slot.start = NewField(this, 3 * i + 2, QStringLiteral("0"), i == 0);
    slot.length = NewField(this, 3 * i + 3, QStringLiteral("0"), true);
    for (QLineEdit* number : {slot.start, slot.length}) {
      number->setValidator(
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), number));
    }
    // The last start address has no key handler.
    if (i < combiner::kSlotCount - 1) {
      slot.start->installEventFilter(this);
    }
    // The column captions name the fields of every row, so each field is named by its column
    // and row ("Start Address 2").
    slot.name->setAccessibleName(QStringLiteral("Files %1").arg(i + 1));
    slot.start->setAccessibleName(QStringLiteral("Start Address %1").arg(i + 1));
    slot.length->setAccessibleName(QStringLiteral("Length(bytes) %1").arg(i + 1));
    slot.button = new QPushButton(QStringLiteral("File %1").arg(i + 1), this);
    slot.button->setObjectName(QString::fromLatin1(kButtonNames[static_cast<std::size_t>(i)]));
    slot.button->setEnabled(i == 0);
    connect(slot.button, &QPushButton::clicked, this, choose[static_cast<std::size_t>(i)]);
  }
}

QWidget* TForm5::BuildButtons() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addStretch(1);
  auto* combine = new QPushButton(QStringLiteral("File Combine"), row);
  combine->setObjectName(QStringLiteral("Button4"));
  auto* close = new QPushButton(QStringLiteral("Close"), row);
  close->setObjectName(QStringLiteral("Button5"));
  layout->addWidget(combine);
  layout->addWidget(close);
  connect(combine, &QPushButton::clicked, this, &TForm5::Button4Click);
  connect(close, &QPushButton::clicked, this, &TForm5::Button5Click);
  return row;
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyRelease) {
    using Handler = void (TForm5::*)();
    const std::array<Handler, combiner::kSlotCount - 1> keyUp{&TForm5::Edit2KeyUp, &TForm5::Edit5KeyUp,
                                                              &TForm5::Edit8KeyUp, &TForm5::Edit11KeyUp,
                                                              &TForm5::Edit14KeyUp};
    for (std::size_t i = 0; i < keyUp.size(); ++i) {
      if (watched == m_slots[i].start) {
        (this->*keyUp[i])();
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool TForm5::InUse(int slot) const {
  return !m_slots[static_cast<std::size_t>(slot)].name->text().isEmpty();
}

void TForm5::FollowPrevious(int slot) {
  const Slot& previous = m_slots[static_cast<std::size_t>(slot - 1)];
  const std::int64_t end = std::int64_t{FieldValue(previous.start)} + FieldValue(previous.length);
  m_slots[static_cast<std::size_t>(slot)].start->setText(QString::number(end));
}

void TForm5::ClearSlot(int slot) {
  const Slot& s = m_slots[static_cast<std::size_t>(slot)];
  s.name->clear();
  s.start->setText(QStringLiteral("0"));
  s.length->setText(QStringLiteral("0"));
}

void TForm5::ChooseFile(int slot) {
  const std::optional<QString> path =
      m_dialogs.OpenFile(this, QStringLiteral("Open"), QString(), {QStringLiteral("*.bin")});
  if (!path) {
    return;
  }
  const Slot& s = m_slots[static_cast<std::size_t>(slot)];
  s.name->setText(*path);
  std::int64_t size = 0;
  try {
    size = combiner::ChosenFileSize(path->toStdString());
  } catch (const Error&) {
    Message(output::kFileNotAccessible);
    return;
  }
  s.length->setText(QString::number(size));
  try {
    if (slot > 0) {
      FollowPrevious(slot);
    }
  } catch (const ConversionError&) {
    Message(kFailToOpen);
    return;
  }
  if (slot + 1 < combiner::kSlotCount) {
    m_slots[static_cast<std::size_t>(slot + 1)].button->setEnabled(true);
  }
  if (slot == 0) {
    ClearSlot(1);
    ClearSlot(2);
  }
}

void TForm5::StartAddressTyped(int slot) {
  if (!InUse(slot)) {
    ClearSlot(slot);
    return;
  }
  try {
    for (int next = slot + 1; next < combiner::kSlotCount && InUse(next); ++next) {
      FollowPrevious(next);
    }
  } catch (const ConversionError& e) {
    Message(e.what());
  }
}

void TForm5::Button4Click() {
  CombineFiles();
}

void TForm5::CombineFiles() {
  std::vector<combiner::CombineSlot> files;
  try {
    for (const Slot& s : m_slots) {
      files.push_back({s.name->text().toStdString(), FieldValue(s.start), FieldValue(s.length)});
    }
  } catch (const ConversionError& e) {
    Message(e.what());
    return;
  }
  const std::optional<QString> chosen =
      m_dialogs.SaveFile(this, QStringLiteral("Save combined bin"), QString(), QStringLiteral("*.bin"),
                         {QStringLiteral("*.bin")});
  if (!chosen || chosen->isEmpty()) {
    Message(output::kErrorFileName);
    return;
  }
  // Only the slots before the first one without a file take part.
  std::size_t used = 0;
  while (used < files.size() && !files[used].path.empty()) {
    ++used;
  }
  m_memo1->clear();
  try {
    combiner::CombineFiles(
        std::span<const combiner::CombineSlot>(files.data(), used), chosen->toStdString(),
        [this](const std::string& row) { m_memo1->appendPlainText(QString::fromStdString(row)); },
        [this](const std::string& text) { Message(text); });
    Message("Combine over");
  } catch (const Error& e) {
    Message(e.what());
  }
}

void TForm5::Message(const std::string& text) {
  m_dialogs.Message(this, QString::fromStdString(text));
}

}  // namespace panelix::ui
