#include "ui/gif_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "gif/gif_folder.h"
#include "gif/gif_look_ahead.h"
#include "picture/dither.h"
#include "picture/loading.h"
#include "ui/radio_group.h"
#include "ui/widgets.h"

namespace panelix::ui {

namespace {

// The chosen file's name is compared with the list by its first 129 characters only.
constexpr int kChosenNameLength = 129;

}  // namespace

// The GIF window as its conversion run sees it.
class TForm6::Host final : public gif::GifRunHost {
 public:
  explicit Host(TForm6& window) : m_w(window) {}

  picture::PictureOptions Options() override { return m_w.Options(); }
  void ShowMessage(const std::string& text) override {
    m_w.m_dialogs.Message(&m_w, QString::fromStdString(text));
  }
  void AppendMemoLine(const std::string& line) override {
    // A frame row's own line feed stays in its line as a line separator, so the memo keeps one
    // line per row and the address list gets the feed back.
    QString text = QString::fromStdString(line);
    text.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
    m_w.m_memo1->appendPlainText(text);
  }
  void ClearMemo() override { m_w.m_memo1->clear(); }
  std::vector<std::string> MemoLines() override { return m_w.MemoLines(); }
  bool Progress(int percent) override {
    m_w.m_progressBar1->setValue(percent);
    QCoreApplication::processEvents();
    return true;
  }
  // The run's GIF, from frames decoded ahead while the frames before them are converted.
  void DrawGif(const std::string& path, picture::RgbImage& canvas,
               const std::function<bool(std::int32_t)>& afterFrame) override {
    if (!m_ahead) {
      GifRunHost::DrawGif(path, canvas, afterFrame);
      return;
    }
    std::vector<std::string> wanted{path};
    AddNext(m_w.m_run.CurrentIndex() + 1, wanted);
    m_ahead->Ahead(wanted, MaxGifPixels());
    m_ahead->Draw(path, MaxGifPixels(), canvas, afterFrame);
  }

  // Has the run's GIFs from list entry index on decoded ahead.
  void AheadFrom(int index) {
    if (m_ahead) {
      std::vector<std::string> wanted;
      AddNext(index, wanted);
      m_ahead->Ahead(wanted, MaxGifPixels());
    }
  }
  // GIFs decoded ahead of the run's steps beyond the one it converts; 0 decodes each in its step.
  void SetLookAheadDepth(std::size_t depth) {
    m_ahead.reset();
    m_depth = depth;
    if (depth > 0) {
      m_ahead = std::make_unique<gif::GifLookAhead>(depth);
    }
  }
  // Forgets what was decoded ahead (the run is over).
  void DropLookAhead() {
    if (m_ahead) {
      m_ahead->Drop();
    }
  }

 private:
  // The run's entries from index on, as many as are decoded ahead.
  void AddNext(int index, std::vector<std::string>& paths) {
    const std::size_t most = paths.size() + m_depth + (paths.empty() ? 1 : 0);
    for (int i = index; i < m_w.m_run.EndIndex() && paths.size() < most; ++i) {
      if (const QListWidgetItem* item = m_w.m_listBox1->item(i)) {
        paths.push_back(PathBytes(m_w.m_folder + item->text()));
      } else {
        break;
      }
    }
  }

  TForm6& m_w;
  std::size_t m_depth = 0;
  std::unique_ptr<gif::GifLookAhead> m_ahead;
};

TForm6::TForm6(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_host(std::make_unique<Host>(*this)) {
  setObjectName(QStringLiteral("TForm6"));
  m_host->SetLookAheadDepth(kLookAheadDepth);
  setWindowTitle(QStringLiteral("GIF Tool"));
  auto* layout = new QHBoxLayout(MakeScrollingContent(this));
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  layout->addWidget(BuildPictureArea(), 1);
  layout->addWidget(BuildControlPanel());

  m_timer1 = MakeStepTimer(this);
  connect(m_timer1, &QTimer::timeout, this, &TForm6::Timer1Timer);

  resize(1221, 537);
  PlaceOnScreen(this);
  setWindowState(Qt::WindowMaximized);
}

TForm6::~TForm6() = default;

QWidget* TForm6::BuildControlPanel() {
  m_ctrl = new QGroupBox(QStringLiteral("Ctrl"), this);
  m_ctrl->setObjectName(QStringLiteral("Ctrl"));
  m_ctrl->setFixedWidth(220);
  auto* v = new QVBoxLayout(m_ctrl);
  v->setContentsMargins(6, 6, 6, 6);
  v->setSpacing(3);
  m_button1 = MakeButton("Button1", "Input Picture", m_ctrl);
  m_btnSConvert = MakeButton("BtnSConvert", "Single Convert", m_ctrl);
  m_btnAConvert = MakeButton("BtnAConvert", "All Convert", m_ctrl);
  m_button2 = MakeButton("Button2", "Close", m_ctrl);
  for (QPushButton* b : {m_button1, m_btnSConvert, m_btnAConvert, m_button2}) {
    v->addWidget(b);
  }
  m_comboBox1 = new QComboBox(m_ctrl);
  m_comboBox1->setObjectName(QStringLiteral("ComboBox1"));
  NameUnlabelledField(m_comboBox1, QStringLiteral("Pixel format"));
  m_comboBox1->addItems({QStringLiteral("R5G6B5"), QStringLiteral("R8G8B8")});
  v->addWidget(m_comboBox1);
  m_radioGroup1 = MakeChannelOrderGroup(m_ctrl);
  v->addWidget(m_radioGroup1);
  m_radioGroup2 = MakeRotationGroup(m_ctrl);
  v->addWidget(m_radioGroup2);
  m_checkBoxX = MakeCheckBox("CheckBoxX", "ReverseX", m_ctrl);
  m_checkBoxY = MakeCheckBox("CheckBoxY", "ReverseY", m_ctrl);
  m_checkBoxNBin = MakeCheckBox("CheckBoxNBin", "NandFlash BIN   ", m_ctrl);
  for (QCheckBox* c : {m_checkBoxX, m_checkBoxY, m_checkBoxNBin}) {
    v->addWidget(c);
  }
  m_listBox1 = new QListWidget(m_ctrl);
  m_listBox1->setObjectName(QStringLiteral("ListBox1"));
  m_listBox1->setAccessibleName(QStringLiteral("GIF files"));
  m_listBox1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
  PaintPaleYellow(m_listBox1);
  v->addWidget(m_listBox1, 1);
  m_comboDither = MakeDitherBox(m_ctrl, v);
  // The list takes half the panel's height, whatever the window's size.
  m_ctrl->installEventFilter(this);

  connect(m_button1, &QPushButton::clicked, this, &TForm6::Button1Click);
  connect(m_btnSConvert, &QPushButton::clicked, this, &TForm6::BtnSConvertClick);
  connect(m_btnAConvert, &QPushButton::clicked, this, &TForm6::BtnAConvertClick);
  connect(m_button2, &QPushButton::clicked, this, &TForm6::Button2Click);
  connect(m_listBox1, &QListWidget::currentRowChanged, this, &TForm6::ListBox1Click);
  return m_ctrl;
}

QWidget* TForm6::BuildPictureArea() {
  auto* area = new QGroupBox(QStringLiteral("GIF Picture"), this);
  area->setObjectName(QStringLiteral("GIFPicture"));
  auto* v = new QVBoxLayout(area);
  v->setSpacing(4);
  const PreviewBox preview = MakePreviewScrollBox(area);
  m_image1 = preview.image;
  v->addWidget(preview.scrollBox, 1);
  m_memo1 = new QPlainTextEdit(area);
  m_memo1->setObjectName(QStringLiteral("Memo1"));
  m_memo1->setAccessibleName(QStringLiteral("Address list"));
  m_memo1->setFixedHeight(140);
  m_memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  PaintPaleYellow(m_memo1);
  v->addWidget(m_memo1);
  m_progressBar1 = MakeProgressBar(area);
  v->addWidget(m_progressBar1);
  return area;
}

bool TForm6::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_ctrl && event->type() == QEvent::Resize) {
    m_listBox1->setMaximumHeight(m_ctrl->height() / 2);
  }
  return QWidget::eventFilter(watched, event);
}

void TForm6::SetLookAheadDepth(std::size_t depth) {
  m_host->SetLookAheadDepth(depth);
}

void TForm6::SetRunDelays(int firstMs, int nextMs) {
  m_firstDelayMs = firstMs;
  m_nextDelayMs = nextMs;
}

picture::PictureOptions TForm6::Options() const {
  picture::PictureOptions o;
  o.format = m_comboBox1->currentIndex() == 1 ? picture::PixelFormat::R8G8B8 : picture::PixelFormat::R5G6B5;
  o.order = static_cast<picture::ChannelOrder>(std::max(0, m_radioGroup1->ItemIndex()));
  o.rotation = static_cast<picture::Rotation>(std::max(0, m_radioGroup2->ItemIndex()));
  o.mirrorX = m_checkBoxX->isChecked();
  o.mirrorY = m_checkBoxY->isChecked();
  o.rowPadding = m_checkBoxNBin->isChecked();
  o.dither = static_cast<picture::Dither>(std::max(0, m_comboDither->currentIndex()));
  return o;
}

std::vector<std::string> TForm6::MemoLines() const {
  std::vector<std::string> lines;
  const QTextDocument* document = m_memo1->document();
  if (document->isEmpty()) {
    return lines;
  }
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    QString text = block.text();
    text.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
    lines.push_back(text.toStdString());
  }
  return lines;
}

void TForm6::PreviewEntry(const QString& name) {
  const picture::PictureOptions options = Options();
  const picture::RgbImage turned = picture::DitheredPreview(
      gif::PreviewGif(PathBytes(m_folder + name), m_canvas, options.rotation), options, false);
  // The preview area has the logical screen's size; a turned frame is clipped to it.
  QImage area(m_canvas.width, m_canvas.height, QImage::Format_RGB888);
  area.fill(Qt::black);
  if (turned.width > 0 && turned.height > 0) {
    const QImage view(turned.rgb.data(), turned.width, turned.height, 3 * turned.width,
                      QImage::Format_RGB888);
    QPainter painter(&area);
    painter.drawImage(0, 0, view);
  }
  m_image1->setPixmap(QPixmap::fromImage(area));
  m_image1->resize(area.size());
}

void TForm6::Button1Click() {
  const std::optional<QString> chosen =
      m_dialogs.OpenFile(this, QStringLiteral("Input Picture"), m_folder,
                         {QStringLiteral("All(*.gif;*.GIF)"), QStringLiteral("gif Image File (*.gif)"),
                          QStringLiteral("GIF Image File (*.GIF)")});
  if (!chosen) {
    return;
  }
  const int slash = chosen->lastIndexOf(QLatin1Char('/'));
  m_folder = chosen->left(slash + 1);
  {
    const QSignalBlocker block(m_listBox1);
    m_listBox1->clear();
    for (const std::string& name : gif::ListGifFolder(PathBytes(m_folder))) {
      m_listBox1->addItem(QFile::decodeName(QByteArray::fromStdString(name)));
    }
  }
  const QString chosenName = chosen->mid(slash + 1).left(kChosenNameLength);
  SelectRowQuietly(m_listBox1, 0);
  for (int i = 0; i < m_listBox1->count(); ++i) {
    if (m_listBox1->item(i)->text() == chosenName) {
      SelectRowQuietly(m_listBox1, i);
    }
  }
  m_steps.AfterStep([this] {
    try {
      const QListWidgetItem* item = m_listBox1->currentItem();
      if (item == nullptr) {
        throw std::runtime_error("no GIF in the list");
      }
      PreviewEntry(item->text());
      m_progressBar1->setValue(0);
    } catch (const std::exception&) {
      m_dialogs.Message(this, QString::fromLatin1(kFailToOpen));
    }
  });
}

void TForm6::ListBox1Click() {
  const QListWidgetItem* item = m_listBox1->currentItem();
  if (item == nullptr) {
    return;
  }
  const QString name = item->text();
  m_steps.AfterStep([this, name] {
    try {
      PreviewEntry(name);
    } catch (const std::exception&) {
      m_dialogs.Message(this, QString::fromLatin1(kFailToOpen));
    }
  });
}

void TForm6::BtnSConvertClick() {
  StartRun(false);
}

void TForm6::BtnAConvertClick() {
  StartRun(true);
}

void TForm6::StartRun(bool all) {
  if (m_steps.InStep()) {
    // A start during a step would reset the run under the step's feet; it follows the step.
    m_steps.AfterStep([this, all] { StartRun(all); });
    return;
  }
  if (!m_run.CheckList(m_listBox1->count(), *m_host)) {
    return;
  }
  m_memo1->clear();
  const std::optional<QString> chosen = m_dialogs.SaveFile(
      this, QStringLiteral("Save the bin file"), m_folder, QStringLiteral("Gif-"), {QStringLiteral("*.bin")});
  std::optional<std::string> name;
  if (chosen) {
    name = PathBytes(*chosen);
  }
  std::vector<std::string> inputs;
  for (int i = 0; i < m_listBox1->count(); ++i) {
    inputs.push_back(PathBytes(m_folder + m_listBox1->item(i)->text()));
  }
  if (m_run.ChooseOutput(name, *m_host, inputs) != gif::ChooseResult::Proceed) {
    return;
  }
  if (all) {
    try {
      PreviewEntry(m_listBox1->item(0)->text());
    } catch (const std::exception& e) {
      m_dialogs.Message(this, QString::fromStdString(e.what()));
      return;
    }
    m_run.BeginAll(m_listBox1->count());
    m_host->AheadFrom(0);
  } else {
    m_run.BeginSingle(m_listBox1->currentRow());
  }
  m_progressBar1->setValue(0);
  m_timer1->start(m_firstDelayMs);
}

void TForm6::Timer1Timer() {
  m_timer1->stop();
  const int index = m_run.CurrentIndex();
  std::optional<gif::GifEntry> entry;
  if (const QListWidgetItem* item = m_listBox1->item(index)) {
    entry = gif::GifEntry{PathBytes(m_folder + item->text()), PathBytes(item->text())};
  }
  if (m_steps.Step([&] { return m_run.Step(entry, m_canvas, *m_host); })) {
    m_timer1->start(m_nextDelayMs);
  } else {
    m_host->DropLookAhead();
  }
  m_steps.RunWaiting();
}

void TForm6::Button2Click() {
  hide();
}

}  // namespace panelix::ui
