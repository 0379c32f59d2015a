#include "ui/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <utility>
#include <vector>

#include "picture/dither.h"
#include "picture/folder_scan.h"
#include "picture/look_ahead.h"
#include "ui/radio_group.h"
#include "ui/widgets.h"

namespace panelix::ui {

namespace {

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

QStringList PictureFilters() {
  return {QStringLiteral("All (*.gif;*.jpg;*.jpeg;*.png;*.bmp;*.tif;*.tiff;*.ico;*.emf;*.wmf)"),
          QStringLiteral("JPEG Image File (*.jpg)"), QStringLiteral("JPEG Image File (*.jpeg)"),
          QStringLiteral("Portable Network Graphics (*.png)"), QStringLiteral("Bitmaps (*.bmp)")};
}

}  // namespace

// The main window as the conversion run sees it.
class TForm1::Host final : public picture::RunHost {
 public:
  explicit Host(TForm1& window) : m_w(window) {}

  picture::ConvertOptions Options() override { return m_w.Options(); }
  picture::Preview& CurrentPreview() override { return m_w.m_preview; }
  int EntryCount() override { return m_w.m_listBox1->count(); }
  std::string EntryText(int index) override {
    const QListWidgetItem* item = m_w.m_listBox1->item(index);
    return item != nullptr ? PathBytes(item->text()) : std::string();
  }
  std::string SelectedEntryText() override { return EntryText(m_w.m_listBox1->currentRow()); }
  void SelectEntry(int index) override { SelectRowQuietly(m_w.m_listBox1, index); }
  void PreviewChanged() override { m_w.ShowPreview(); }
  void ShowMessage(const std::string& text) override {
    m_w.m_dialogs.Message(&m_w, QString::fromStdString(text));
  }
  void AppendMemoLine(const std::string& line) override {
    m_w.m_memo1->appendPlainText(QString::fromStdString(line));
  }
  void ClearMemo() override { m_w.m_memo1->clear(); }
  std::string MemoText() override { return m_w.m_memo1->toPlainText().toStdString(); }
  bool Progress(int percent) override {
    m_w.m_progressBar1->setValue(percent);
    QCoreApplication::processEvents();
    return true;
  }
  bool PictureWarnings(const std::string& entry, const std::vector<std::string>& warnings) override {
    for (const std::string& text : warnings) {
      m_warnings.push_back(entry + ": " + text);
    }
    return true;
  }

  // Loads the entry as the run always has, from a file decoded ahead when there is one, and has
  // the entries after it decoded ahead meanwhile.
  void LoadEntry(int index) override {
    if (!m_ahead) {
      RunHost::LoadEntry(index);
      return;
    }
    SelectEntry(index);
    const picture::ConvertOptions options = Options();
    const std::string path = EntryText(index);
    std::vector<std::string> wanted{path};
    for (int i = index + 1; i < EntryCount() && wanted.size() <= m_depth; ++i) {
      wanted.push_back(EntryText(i));
    }
    m_ahead->Ahead(wanted, options.limits);
    if (picture::LoadDecodedPreview(CurrentPreview(), m_ahead->Take(path, options.limits), options)) {
      PreviewChanged();
    }
  }

  // The decoder warnings gathered since the last call, one "path: text" line each.
  std::vector<std::string> TakeWarnings() { return std::exchange(m_warnings, {}); }

  // Pictures decoded ahead of a run's steps; 0 decodes each one in its step.
  void SetLookAheadDepth(std::size_t depth) {
    m_ahead.reset();
    m_depth = depth;
    if (depth > 0) {
      m_ahead = std::make_unique<picture::LookAhead>(depth);
    }
  }
  // Forgets the pictures decoded ahead (the run is over).
  void DropLookAhead() {
    if (m_ahead) {
      m_ahead->Drop();
    }
  }

 private:
  TForm1& m_w;
  std::vector<std::string> m_warnings;
  std::size_t m_depth = 0;
  std::unique_ptr<picture::LookAhead> m_ahead;
};

TForm1::TForm1(Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_host(std::make_unique<Host>(*this)) {
  setObjectName(QStringLiteral("TForm1"));
  m_host->SetLookAheadDepth(kLookAheadDepth);
  setWindowTitle(QStringLiteral("Panelix Tool V2.04  128K  Bmp ID two bytes"));
  m_folder = QDir::currentPath();
  if (!m_folder.endsWith(QLatin1Char('/'))) {
    m_folder += QLatin1Char('/');
  }

  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  layout->addWidget(BuildPictureArea(), 1);
  layout->addWidget(BuildControlPanel());
  setCentralWidget(MakeContentScrollBox(central, this));
  BuildMenu();

  m_timer1 = MakeStepTimer(this);
  connect(m_timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

  resize(1124, 637);
  // Centred on the screen when restored from maximized.
  PlaceOnScreen(this);
  FormShow();
}

TForm1::~TForm1() = default;

QWidget* TForm1::BuildControlPanel() {
  auto* panel = new QGroupBox(QStringLiteral("Control"), this);
  panel->setObjectName(QStringLiteral("Control"));
  panel->setFixedWidth(202);
  auto* v = new QVBoxLayout(panel);
  v->setContentsMargins(6, 6, 6, 6);
  v->setSpacing(3);

  m_btnInputPicture = MakeButton("BtnInputPicture", "Input Picture", panel);
  m_btnSConvert = MakeButton("BtnSConvert", "Single Convert", panel);
  m_btnMConvert = MakeButton("BtnMConvert", "All Convert", panel);
  m_btnExit = MakeButton("BtnExit", "Exit", panel);
  for (QPushButton* b : {m_btnInputPicture, m_btnSConvert, m_btnMConvert, m_btnExit}) {
    v->addWidget(b);
  }

  m_comboBox1 = new QComboBox(panel);
  m_comboBox1->setObjectName(QStringLiteral("ComboBox1"));
  m_comboBox1->addItems({QStringLiteral("R5G6B5"), QStringLiteral("R8G8B8"), QStringLiteral("Black_White")});
  m_comboBox1->setCurrentIndex(0);
  NameUnlabelledField(m_comboBox1, QStringLiteral("Pixel format"));
  v->addWidget(m_comboBox1);

  m_radioGroup1 = MakeChannelOrderGroup(panel);
  v->addWidget(m_radioGroup1);
  m_radioGroup2 = MakeRotationGroup(panel);
  v->addWidget(m_radioGroup2);

  auto* alphaRow = new QHBoxLayout;
  m_label1 = new QLabel(QStringLiteral("PNG  Alpha     "), panel);
  m_label1->setObjectName(QStringLiteral("Label1"));
  m_editAPNG = new QLineEdit(QStringLiteral("150"), panel);
  m_editAPNG->setObjectName(QStringLiteral("EditAPNG"));
  m_label1->setBuddy(m_editAPNG);
  alphaRow->addWidget(m_label1);
  alphaRow->addWidget(m_editAPNG);
  v->addLayout(alphaRow);

  m_checkBoxY = MakeCheckBox("CheckBoxY", "ReverseY", panel);
  m_checkBoxX = MakeCheckBox("CheckBoxX", "ReverseX", panel);
  m_checkBoxNBin = MakeCheckBox("CheckBoxNBin", "NandFlash BIN   ", panel);
  m_checkBoxKZPng = MakeCheckBox("CheckBoxKZPng", "aRGB PNG  ", panel);
  for (QCheckBox* c : {m_checkBoxY, m_checkBoxX, m_checkBoxNBin, m_checkBoxKZPng}) {
    v->addWidget(c);
  }

  m_btnBmpUP = MakeButton("BtnBmpUP", "Picture UP", panel);
  m_btnBmpDown = MakeButton("BtnBmpDown", "Picture Down", panel);
  v->addWidget(m_btnBmpUP);
  v->addWidget(m_btnBmpDown);

  m_memo1 = new QPlainTextEdit(panel);
  m_memo1->setObjectName(QStringLiteral("Memo1"));
  m_memo1->setAccessibleName(QStringLiteral("Address list"));
  m_memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Room for eight rows of the address list, whatever the window's size.
  m_memo1->setMinimumHeight(8 * m_memo1->fontMetrics().lineSpacing() + 2 * m_memo1->frameWidth() +
                            m_memo1->horizontalScrollBar()->sizeHint().height());
  v->addWidget(m_memo1, 1);
  m_comboDither = MakeDitherBox(panel, v);
  // The preview shows the picture as the chosen dithering will store it.
  connect(m_comboDither, &QComboBox::currentIndexChanged, this, &TForm1::ShowPreview);
  connect(m_comboBox1, &QComboBox::currentIndexChanged, this, &TForm1::ShowPreview);

  connect(m_btnInputPicture, &QPushButton::clicked, this, &TForm1::BtnInputPictureClick);
  connect(m_btnSConvert, &QPushButton::clicked, this, &TForm1::BtnSConvertClick);
  connect(m_btnMConvert, &QPushButton::clicked, this, &TForm1::BtnMConvertClick);
  connect(m_btnExit, &QPushButton::clicked, this, &TForm1::BtnExitClick);
  connect(m_btnBmpUP, &QPushButton::clicked, this, &TForm1::BtnBmpUPClick);
  connect(m_btnBmpDown, &QPushButton::clicked, this, &TForm1::BtnBmpDownClick);
  return panel;
}

QWidget* TForm1::BuildPictureArea() {
  auto* area = new QGroupBox(QStringLiteral("Picture"), this);
  area->setObjectName(QStringLiteral("Picture"));
  auto* v = new QVBoxLayout(area);
  v->setSpacing(4);

  const PreviewBox preview = MakePreviewScrollBox(area);
  m_image1 = preview.image;
  v->addWidget(preview.scrollBox, 1);

  m_listBox1 = new QListWidget(area);
  m_listBox1->setObjectName(QStringLiteral("ListBox1"));
  m_listBox1->setAccessibleName(QStringLiteral("Pictures"));
  m_listBox1->setFixedHeight(154);
  PaintPaleYellow(m_listBox1);
  v->addWidget(m_listBox1);
  connect(m_listBox1, &QListWidget::currentRowChanged, this, &TForm1::ListBox1Click);

  m_progressBar1 = MakeProgressBar(area);
  v->addWidget(m_progressBar1);
  return area;
}

void TForm1::BuildMenu() {
  struct Entry {
    const char* objectName;
    const char* caption;
    void (TForm1::*handler)();
  };
  static constexpr std::array<Entry, 9> kEntries{{{"File1", "Exit", &TForm1::File1Click},
                                                  {"Bootloader1", "Bootloader", &TForm1::Bootloader1Click},
                                                  {"ICON1", "Cursor", &TForm1::ICON1Click},
                                                  {"Font1", "Font", &TForm1::Font1Click},
                                                  {"BinFile1", "BinFile", &TForm1::BinFile1Click},
                                                  {"GIFTool1", "GIFTool", &TForm1::GIFTool1Click},
                                                  {"WAVTool1", "WAVTool", &TForm1::WAVTool1Click},
                                                  {"Panelix1", "Panelix", &TForm1::Panelix1Click},
                                                  {"Inspect1", "Inspect", &TForm1::Inspect1Click}}};
  for (const Entry& entry : kEntries) {
    QAction* action = menuBar()->addAction(QString::fromLatin1(entry.caption));
    action->setObjectName(QString::fromLatin1(entry.objectName));
    connect(action, &QAction::triggered, this, entry.handler);
  }
}

void TForm1::ShowTool(std::size_t index) {
  QWidget* tool = m_tools.at(index);
  if (tool == nullptr) {
    return;
  }
  tool->show();
  tool->raise();
  tool->activateWindow();
}

void TForm1::File1Click() {
  close();
}
void TForm1::Bootloader1Click() {
  ShowTool(0);
}
void TForm1::ICON1Click() {
  ShowTool(1);
}
void TForm1::Font1Click() {
  ShowTool(2);
}
void TForm1::BinFile1Click() {
  ShowTool(3);
}
void TForm1::GIFTool1Click() {
  ShowTool(4);
}
void TForm1::WAVTool1Click() {
  ShowTool(5);
}
void TForm1::Panelix1Click() {
  ShowTool(6);
}
void TForm1::Inspect1Click() {
  ShowTool(7);
}

void TForm1::FormShow() {
  if (m_editAPNG->validator() == nullptr) {
    m_editAPNG->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_editAPNG));
  }
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  FormShow();
}

void TForm1::SetLookAheadDepth(std::size_t depth) {
  m_host->SetLookAheadDepth(depth);
}

void TForm1::SetRunDelays(int firstMs, int nextMs, int exitMs) {
  m_firstDelayMs = firstMs;
  m_nextDelayMs = nextMs;
  m_exitDelayMs = exitMs;
}

picture::ConvertOptions TForm1::Options() const {
  picture::ConvertOptions o;
  o.picture.format = static_cast<picture::PixelFormat>(std::max(0, m_comboBox1->currentIndex()));
  o.picture.order = static_cast<picture::ChannelOrder>(std::max(0, m_radioGroup1->ItemIndex()));
  o.picture.rotation = static_cast<picture::Rotation>(std::max(0, m_radioGroup2->ItemIndex()));
  o.picture.mirrorX = m_checkBoxX->isChecked();
  o.picture.mirrorY = m_checkBoxY->isChecked();
  o.picture.rowPadding = m_checkBoxNBin->isChecked();
  o.alphaThreshold = m_editAPNG->text().toStdString();
  o.argbPng = m_checkBoxKZPng->isChecked();
  o.picture.dither = static_cast<picture::Dither>(std::max(0, m_comboDither->currentIndex()));
  return o;
}

void TForm1::LoadIntoPreview(const QString& path) {
  if (picture::LoadPreview(m_preview, PathBytes(path), Options())) {
    ShowPreview();
  }
}

void TForm1::ShowPreview() {
  const picture::ConvertOptions options = Options();
  const bool argb = m_preview.kind == picture::PictureKind::Png && options.argbPng;
  const picture::RgbImage image = picture::DitheredPreview(m_preview.image, options.picture, argb);
  if (image.width <= 0 || image.height <= 0) {
    m_image1->setPixmap(QPixmap());
    m_image1->resize(0, 0);
    return;
  }
  const QImage view(image.rgb.data(), image.width, image.height, 3 * image.width, QImage::Format_RGB888);
  m_image1->setPixmap(QPixmap::fromImage(view.copy()));
  m_image1->resize(image.width, image.height);
}

void TForm1::BtnInputPictureClick() {
  const std::optional<QString> chosen =
      m_dialogs.OpenFile(this, QStringLiteral("Input Picture"), m_folder, PictureFilters());
  if (!chosen) {
    return;
  }
  try {
    m_folder = chosen->left(chosen->lastIndexOf(QLatin1Char('/')) + 1);
    const std::vector<std::string> entries = picture::ScanPictureFolder(PathBytes(*chosen));
    {
      const QSignalBlocker block(m_listBox1);
      m_listBox1->clear();
      for (const std::string& entry : entries) {
        m_listBox1->addItem(PathText(entry));
      }
    }
    SelectRowQuietly(m_listBox1, 0);
    for (int i = 0; i < m_listBox1->count(); ++i) {
      if (m_listBox1->item(i)->text() == *chosen) {
        SelectRowQuietly(m_listBox1, i);
        break;
      }
    }
  } catch (const std::exception&) {
    m_dialogs.Message(this, QString::fromLatin1(kFailToOpen));
    return;
  }
  // A run step holds the preview while it encodes it: the new picture is loaded after the step,
  // unless the run has moved on to its next picture by then.
  const QString path = *chosen;
  const bool deferred = m_steps.InStep();
  m_steps.AfterStep([this, path, deferred] {
    if (deferred && m_run.Running()) {
      return;
    }
    try {
      LoadIntoPreview(path);
      m_progressBar1->setValue(0);
    } catch (const std::exception&) {
      m_dialogs.Message(this, QString::fromLatin1(kFailToOpen));
    }
  });
}

void TForm1::ListBox1Click() {
  const int row = m_listBox1->currentRow();
  if (row < 0) {
    return;
  }
  const QString path = m_listBox1->item(row)->text();
  const bool deferred = m_steps.InStep();
  m_steps.AfterStep([this, path, deferred] {
    if (deferred && m_run.Running()) {
      return;
    }
    try {
      LoadIntoPreview(path);
    } catch (const std::exception&) {
      m_dialogs.Message(this, QString::fromLatin1(kFailToOpen));
    }
  });
}

void TForm1::BtnBmpUPClick() {
  const int row = m_listBox1->currentRow();
  if (m_listBox1->count() < 2 || row <= 0) {
    return;
  }
  QListWidgetItem* above = m_listBox1->item(row - 1);
  QListWidgetItem* selected = m_listBox1->item(row);
  const QString text = above->text();
  above->setText(selected->text());
  selected->setText(text);
  SelectRowQuietly(m_listBox1, row - 1);
}

void TForm1::BtnBmpDownClick() {
  const int row = m_listBox1->currentRow();
  if (m_listBox1->count() < 2 || row < 0 || row >= m_listBox1->count() - 1) {
    return;
  }
  QListWidgetItem* below = m_listBox1->item(row + 1);
  QListWidgetItem* selected = m_listBox1->item(row);
  const QString text = below->text();
  below->setText(selected->text());
  selected->setText(text);
  SelectRowQuietly(m_listBox1, row + 1);
}

void TForm1::BtnSConvertClick() {
  StartRun(false);
}

void TForm1::BtnMConvertClick() {
  StartRun(true);
}

void TForm1::StartRun(bool all) {
  if (m_steps.InStep()) {
    // A start during a step would reset the run under the step's feet; it follows the step.
    m_steps.AfterStep([this, all] { StartRun(all); });
    return;
  }
  if (!m_run.CheckList(*m_host)) {
    return;
  }
  const std::optional<QString> chosen =
      m_dialogs.SaveFile(this, QStringLiteral("Save the bin file"), m_folder, QStringLiteral("Picture-"),
                         {QStringLiteral("*.bin")});
  std::optional<std::string> name;
  if (chosen) {
    name = PathBytes(*chosen);
  }
  if (m_run.ChooseOutput(name, *m_host) != picture::ChooseResult::Proceed) {
    return;
  }
  m_host->TakeWarnings();  // a run abandoned by Exit may have left some
  if (all) {
    try {
      m_run.BeginAll(*m_host);
    } catch (const std::exception& e) {
      m_host->DropLookAhead();
      m_dialogs.Message(this, QString::fromStdString(e.what()));
      return;
    }
  } else {
    m_run.BeginSingle(*m_host);
  }
  m_exiting = false;
  m_timer1->start(m_firstDelayMs);
}

void TForm1::ShowPictureWarnings() {
  const std::vector<std::string> warnings = m_host->TakeWarnings();
  if (warnings.empty()) {
    return;
  }
  QString text = QStringLiteral("These pictures were converted, but their decoder warned:");
  for (const std::string& line : warnings) {
    text += QLatin1Char('\n') + QString::fromStdString(line);
  }
  m_dialogs.Message(this, text);
}

void TForm1::Timer1Timer() {
  m_timer1->stop();
  const bool more = m_steps.Step([this] { return m_run.Step(*m_host); });
  if (more && !m_exiting) {
    m_timer1->start(m_nextDelayMs);
  }
  if (!more) {
    m_host->DropLookAhead();
    ShowPictureWarnings();
  }
  m_steps.RunWaiting();
}

void TForm1::BtnExitClick() {
  m_timer1->stop();
  m_exiting = true;
  m_host->DropLookAhead();
  QThread::msleep(static_cast<unsigned long>(std::max(0, m_exitDelayMs)));
  close();
}

}  // namespace panelix::ui
