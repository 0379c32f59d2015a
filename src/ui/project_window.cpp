#include "ui/project_window.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <exception>

#include "base/codepage.h"
#include "base/error.h"
#include "infoblock/info_block.h"
#include "project/bin_folder.h"
#include "project/flash_budget.h"
#include "project/make_bin.h"
#include "project/project_check.h"
#include "ui/ini_error_window.h"
#include "ui/widgets.h"

namespace panelix::ui {

namespace {

// The build time stamped into the info block: the local clock now.
infoblock::BuildTime LocalBuildTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

QString Text(const char* text) {
  return QString::fromUtf8(text);
}

// A path as the dialogs give it, in the file system's own encoding.
std::string NativePath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString ItemText(const std::string& item, bool asProjectText) {
  return asProjectText ? ProjectLineText(item) : QFile::decodeName(QByteArray::fromStdString(item));
}

// Shows the items of a list state in a list widget. shown holds what the widget shows now; only
// the rows between the unchanged head and tail of the list are rewritten, so editing one line of
// a long project stays quick.
void ShowList(QListWidget* widget, std::vector<std::string>& shown, const project::ListState& list,
              bool asProjectText) {
  const std::vector<std::string>& items = list.items;
  std::size_t head = 0;
  while (head < shown.size() && head < items.size() && shown[head] == items[head]) {
    ++head;
  }
  std::size_t tail = 0;
  while (tail < shown.size() - head && tail < items.size() - head &&
         shown[shown.size() - 1 - tail] == items[items.size() - 1 - tail]) {
    ++tail;
  }
  const std::size_t oldEnd = shown.size() - tail;
  const std::size_t newEnd = items.size() - tail;
  const std::size_t rewritten = std::min(oldEnd, newEnd);
  for (std::size_t row = head; row < rewritten; ++row) {
    widget->item(static_cast<int>(row))->setText(ItemText(items[row], asProjectText));
  }
  for (std::size_t row = oldEnd; row > rewritten; --row) {
    delete widget->takeItem(static_cast<int>(row - 1));
  }
  if (newEnd > rewritten) {
    QStringList added;
    added.reserve(static_cast<qsizetype>(newEnd - rewritten));
    for (std::size_t row = rewritten; row < newEnd; ++row) {
      added << ItemText(items[row], asProjectText);
    }
    if (tail == 0) {
      widget->addItems(added);
    } else {
      for (qsizetype i = 0; i < added.size(); ++i) {
        widget->insertItem(static_cast<int>(rewritten) + static_cast<int>(i), added[i]);
      }
    }
  }
  shown = items;
  widget->setCurrentRow(list.selected);
}

}  // namespace

QString ProjectLineText(const std::string& bytes) {
  QString text = QString::fromStdString(DecodeCodePage(bytes, SystemCodePage()));
  text.removeIf([](QChar c) { return c.unicode() < 0x20; });
  return text;
}

TForm8::TForm8(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm8"));
  setWindowTitle(QStringLiteral("Panelix Tool  New C0C3Test"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  BuildControls();
  resize(900, 700);
  PlaceOnScreen(this);
  setWindowState(Qt::WindowMaximized);
}

QPushButton* TForm8::AddButton(const char* objectName, const char* caption, void (TForm8::*handler)()) {
  auto* button = new QPushButton(Text(caption), this);
  button->setObjectName(Text(objectName));
  // Both button columns line up, whatever their captions.
  button->setMinimumWidth(150);
  connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
  return button;
}

void TForm8::BuildControls() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("ScrollBox1"));
  scroll->setWidgetResizable(true);
  auto* content = new QWidget(scroll);
  auto* contentLayout = new QVBoxLayout(content);

  auto* binGroup = new QGroupBox(QStringLiteral("Bin Files"), content);
  auto* binLayout = new QHBoxLayout(binGroup);
  m_listBox1 = new QListWidget(binGroup);
  m_listBox1->setObjectName(QStringLiteral("ListBox1"));
  m_listBox1->setAccessibleName(QStringLiteral("Bin Files"));
  connect(m_listBox1, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!m_refreshing) {
      m_bins.selected = row;
    }
  });
  binLayout->addWidget(m_listBox1, 1);
  auto* binButtons = new QVBoxLayout();
  binButtons->addWidget(AddButton("BtnAddAll", "Input Bin Files", &TForm8::BtnAddAllClick));
  binButtons->addWidget(AddButton("BtnRemove", "Delete", &TForm8::BtnRemoveClick));
  binButtons->addWidget(AddButton("BtnUP", "Move UP", &TForm8::BtnUPClick));
  binButtons->addWidget(AddButton("BtnDN", "Move Down", &TForm8::BtnDNClick));
  binButtons->addWidget(AddButton("Button1", "Make Bin", &TForm8::Button1Click));
  binButtons->addWidget(AddButton("BtnPortMonitor", "Port Monitor", &TForm8::BtnPortMonitorClick));
  binButtons->addWidget(AddButton("BtnClose", "Close", &TForm8::BtnCloseClick));
  // The module reads a 128K info block; the option stays ticked and out of the user's reach.
  m_checkBoxNFBIN = new QCheckBox(QStringLiteral("128K Info Bin"), binGroup);
  m_checkBoxNFBIN->setObjectName(QStringLiteral("CheckBoxNFBIN"));
  m_checkBoxNFBIN->setChecked(true);
  m_checkBoxNFBIN->setVisible(false);
  binButtons->addWidget(m_checkBoxNFBIN);
  binButtons->addStretch(1);
  binLayout->addLayout(binButtons);
  contentLayout->addWidget(binGroup, 1);

  auto* commandGroup = new QGroupBox(QStringLiteral("Command List"), content);
  auto* commandLayout = new QVBoxLayout(commandGroup);
  m_edit1 = new QLineEdit(commandGroup);
  m_edit1->setObjectName(QStringLiteral("Edit1"));
  m_edit1->setAccessibleName(QStringLiteral("Command line"));
  connect(m_edit1, &QLineEdit::returnPressed, this, [this] { Run([this] { Edit1Enter(); }); });
  commandLayout->addWidget(m_edit1);
  auto* commandRow = new QHBoxLayout();
  m_listBox2 = new QListWidget(commandGroup);
  m_listBox2->setObjectName(QStringLiteral("ListBox2"));
  m_listBox2->setAccessibleName(QStringLiteral("Command List"));
  m_listBox2->setUniformItemSizes(true);
  connect(m_listBox2, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ListBox2Click(m_listBox2->row(item)); });
  connect(m_listBox2, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!m_refreshing) {
      ListBox2Click(row);
    }
  });
  commandRow->addWidget(m_listBox2, 1);
  auto* commandButtons = new QVBoxLayout();
  commandButtons->addWidget(AddButton("BtnInsert", "Insert Command", &TForm8::BtnInsertClick));
  commandButtons->addWidget(AddButton("BtnRemCmd", "Delete Command", &TForm8::BtnRemCmdClick));
  commandButtons->addWidget(AddButton("BtnUpCmd", "Command UP", &TForm8::BtnUpCmdClick));
  commandButtons->addWidget(AddButton("BtnDnCmd", "Command Down", &TForm8::BtnDnCmdClick));
  commandButtons->addWidget(AddButton("BtnInput", "Input Command List", &TForm8::BtnInputClick));
  commandButtons->addWidget(AddButton("BtnSave", "Save Command List", &TForm8::BtnSaveClick));
  commandButtons->addStretch(1);
  commandRow->addLayout(commandButtons);
  commandLayout->addLayout(commandRow, 1);
  // Work area of the address-list reader; never shown.
  m_listBox3 = new QListWidget(commandGroup);
  m_listBox3->setObjectName(QStringLiteral("ListBox3"));
  m_listBox3->setVisible(false);
  commandLayout->addWidget(m_listBox3);
  contentLayout->addWidget(commandGroup, 2);

  scroll->setWidget(content);
  outer->addWidget(scroll, 1);
  auto* status = new QStatusBar(this);
  status->setObjectName(QStringLiteral("StatusBar1"));
  outer->addWidget(status);
}

template <typename Action>
void TForm8::Run(Action&& action) {
  try {
    action();
  } catch (const std::exception& e) {
    // A failure that ends the action carries the text the user sees.
    m_dialogs.Message(this, QString::fromStdString(e.what()));
  }
}

QString TForm8::StartFolder(const std::string& folder) {
  return folder.empty() ? QDir::currentPath() : QFile::decodeName(QByteArray::fromStdString(folder));
}

std::string TForm8::EditLineBytes() const {
  const QString shown = m_edit1->text();
  if (shown == m_editShown) {
    return m_editBytes;
  }
  return EncodeCodePage(shown.toStdString(), SystemCodePage());
}

void TForm8::SetEditLine(const std::string& bytes) {
  m_editBytes = bytes;
  m_editShown = ProjectLineText(bytes);
  m_edit1->setText(m_editShown);
}

void TForm8::ShowBinList() {
  m_refreshing = true;
  ShowList(m_listBox1, m_shownBins, m_bins, false);
  m_refreshing = false;
}

void TForm8::ShowCommandList() {
  m_refreshing = true;
  ShowList(m_listBox2, m_shownCommands, m_commands, true);
  m_refreshing = false;
}

void TForm8::BtnAddAllClick() {
  const std::optional<QString> chosen = m_dialogs.OpenFile(
      this, QStringLiteral("Input Bin Files"), StartFolder(m_binFolder), {QStringLiteral("*.bin")});
  if (!chosen || chosen->isEmpty() || chosen->contains(QStringLiteral("*.bin"))) {
    return;
  }
  try {
    m_binFolder = project::FolderOfPath(NativePath(*chosen));
    m_bins = {};
    ShowBinList();
    m_bins.items = project::ListBinFolder(m_binFolder, kFailToOpen);
    ShowBinList();
    OpenProject(true);
  } catch (const std::exception&) {
    m_dialogs.Message(this, Text(kFailToOpen));
  }
}

void TForm8::OpenProject(bool fromBinList) {
  const std::optional<QString> chosen =
      m_dialogs.OpenFile(this, QStringLiteral("Input Command List"),
                         StartFolder(fromBinList ? m_binFolder : m_projectFolder), {QStringLiteral("*.ini")});
  if (!chosen || chosen->isEmpty() || chosen->contains(QStringLiteral("*.ini"))) {
    return;
  }
  const std::string path = NativePath(*chosen);
  if (!fromBinList) {
    m_projectFolder = project::FolderOfPath(path);
  }
  project::ProjectLines lines;
  try {
    lines = project::LoadProjectFile(path);
  } catch (const Error& e) {
    m_dialogs.Message(this, QString::fromStdString(e.what()));
    return;
  }
  m_commands = {std::move(lines), -1};
  ShowCommandList();
}

void TForm8::BtnRemoveClick() {
  project::DeleteBinEntry(m_bins);
  ShowBinList();
}

void TForm8::BtnUPClick() {
  project::MoveSelectedUp(m_bins);
  ShowBinList();
}

void TForm8::BtnDNClick() {
  project::MoveSelectedDown(m_bins);
  ShowBinList();
}

void TForm8::BtnCloseClick() {
  close();
}

void TForm8::Button1Click() {
  Run([this] { MakeBin(); });
}

void TForm8::BtnPortMonitorClick() {
  // The port monitor is a separate program found through the search path; when it is missing
  // nothing happens.
  QProcess::startDetached(QStringLiteral("PortMonitor_V1.6.exe"), {});
}

void TForm8::BtnInsertClick() {
  Run([this] {
    project::InsertCommand(m_commands, EditLineBytes());
    ShowCommandList();
  });
}

void TForm8::BtnRemCmdClick() {
  const bool acts = m_commands.items.size() >= 2;
  std::string edit = EditLineBytes();
  project::DeleteCommand(m_commands, edit);
  ShowCommandList();
  if (acts && m_commands.HasSelection()) {
    SetEditLine(edit);
  }
}

void TForm8::BtnUpCmdClick() {
  project::MoveSelectedUp(m_commands);
  ShowCommandList();
}

void TForm8::BtnDnCmdClick() {
  project::MoveSelectedDown(m_commands);
  ShowCommandList();
}

void TForm8::BtnInputClick() {
  SetEditLine({});
  OpenProject(false);
}

void TForm8::BtnSaveClick() {
  const std::optional<QString> chosen =
      m_dialogs.SaveFile(this, QStringLiteral("Save Command List"), StartFolder(m_saveFolder),
                         QStringLiteral("*.ini"), {QStringLiteral("*.ini")});
  if (!chosen) {
    return;
  }
  Run([this, &chosen] {
    const std::optional<std::string> name = project::ProjectSaveName(NativePath(*chosen));
    if (!name) {
      return;
    }
    m_saveFolder = project::FolderOfPath(*name);
    project::SaveProjectFile(*name, m_commands.items);
  });
}

void TForm8::ListBox2Click(int row) {
  std::string edit = m_editBytes;
  project::SelectCommand(m_commands, row, edit);
  if (m_commands.HasSelection() && m_commands.selected == row) {
    SetEditLine(edit);
  }
}

void TForm8::Edit1Enter() {
  if (m_commands.items.size() < 2 || !m_commands.HasSelection()) {
    return;
  }
  project::ReplaceSelectedCommand(m_commands, EditLineBytes());
  ShowCommandList();
  // The line now holds what was typed; later edits compare against it.
  SetEditLine(m_commands.items[static_cast<std::size_t>(m_commands.selected)]);
}

// Lists in the error window what the lenient reading rules changed or dropped; no byte changes.
void TForm8::ShowWarnings(const project::MakeBinInput& input, const project::BuiltImage& image) {
  const project::ProjectSource source{m_projectFolder + "project", m_commands.items, true};
  std::vector<std::string> lines;
  for (const project::Finding& finding : project::LenientRuleWarnings(source, &input, &image)) {
    lines.push_back(project::FindingText(finding));
  }
  if (!lines.empty() && m_errorWindow != nullptr) {
    m_errorWindow->ShowReport(lines);
  }
}

void TForm8::MakeBin() {
  project::MakeBinInput input;
  input.binFolder = m_binFolder;
  input.binList = m_bins.items;
  input.commandList = m_commands.items;
  input.blockSize = m_checkBoxNFBIN->isChecked() ? infoblock::kLargeBlockSize : infoblock::kSmallBlockSize;
  input.buildTime = LocalBuildTime();
  if (m_errorWindow != nullptr) {
    m_errorWindow->ClearReport();
  }
  const MessageFn message = [this](const std::string& text) {
    m_dialogs.Message(this, QString::fromStdString(text));
  };
  const std::optional<project::BuiltImage> image =
      project::BuildInfoBlock(input, message, [this](const std::vector<std::string>& lines) {
        if (m_errorWindow != nullptr) {
          m_errorWindow->ShowReport(lines);
        }
      });
  if (!image) {
    return;
  }
  ShowWarnings(input, *image);
  const project::FlashBudget budget = project::BudgetOf(*image);
  if (!budget.Fits()) {
    throw Error(project::FlashTooSmallText(budget));
  }

  const QStringList binFilter{QStringLiteral("*.bin")};
  const std::optional<QString> infoChosen =
      m_dialogs.SaveFile(this, QStringLiteral("Save Info Bin"), StartFolder(m_outputFolder),
                         QStringLiteral("UserInfo"), binFilter);
  if (!infoChosen) {
    return;
  }
  const std::string typed = NativePath(*infoChosen);
  const std::string infoName = project::InfoBinName(typed);
  m_outputFolder = project::FolderOfPath(infoName);
  // The info bin and report are written before the image is asked for, but nothing is put in place
  // until the run ends: cancelling the image dialog puts the info bin and report in place, any
  // fault after it (a refused or unwritable image) leaves all three old files as they were.
  project::MakeOutputs outputs(*image);
  outputs.WriteInfo(infoName, project::ReportName(typed));

  const std::optional<QString> flashChosen =
      m_dialogs.SaveFile(this, QStringLiteral("Save Flash Image"), StartFolder(m_outputFolder),
                         QStringLiteral("Panelix_Flash"), binFilter);
  if (!flashChosen) {
    outputs.Commit();
    return;
  }
  if (outputs.WriteImage(project::InfoBinName(NativePath(*flashChosen)))) {
    outputs.Commit();
    m_dialogs.Message(this, QStringLiteral("OK"));
  }
}

}  // namespace panelix::ui
