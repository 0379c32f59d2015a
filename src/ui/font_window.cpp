#include "ui/font_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <thread>

#include "base/codepage.h"
#include "base/error.h"
#include "base/numbers.h"
#include "font/messages.h"
#include "ui/widgets.h"

namespace panelix::ui {

namespace {

using namespace panelix::font;

QString Q(const std::string& utf8) {
  return QString::fromStdString(utf8);
}
QString Q(const std::u16string& text) {
  return QString::fromStdU16String(text);
}
std::u16string U16(const QString& text) {
  return text.toStdU16String();
}

// Keeps a button disabled for the life of an action, however the action ends.
class DisabledWhile {
 public:
  explicit DisabledWhile(QPushButton* button) : m_button(button) { m_button->setEnabled(false); }
  ~DisabledWhile() { m_button->setEnabled(true); }
  DisabledWhile(const DisabledWhile&) = delete;
  DisabledWhile& operator=(const DisabledWhile&) = delete;

 private:
  QPushButton* m_button;
};

QImage ToImage(const PreviewImage& preview) {
  QImage image(preview.width, preview.height, QImage::Format_RGB32);
  for (int y = 0; y < preview.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < preview.width; ++x) {
      line[x] = 0xFF000000u | preview.pixels[static_cast<std::size_t>(y * preview.width + x)];
    }
  }
  return image;
}

// Centres an image view in its group box: left = (box width - image width) / 2, likewise top.
void Centre(QLabel* image, const QGroupBox* box) {
  image->move((box->width() - image->width()) / 2, (box->height() - image->height()) / 2);
}

// A progress bar step and a round of window events at most this often during a run: the run
// stays responsive and spends only a small share of its time outside the glyphs.
constexpr int kPumpMilliseconds = 40;

}  // namespace

template <typename F>
void TForm4::Guarded(F&& handler) {
  try {
    handler();
  } catch (const Error& e) {
    m_dialogs.Message(this, Q(std::string(e.what())));
  } catch (const std::exception& e) {
    m_dialogs.Message(this, Q(std::string(e.what())));
  }
}

TForm4::TForm4(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm4"));
  setWindowTitle(QStringLiteral("Creat Chinese Font Lib "));
  m_traditional = IsTraditionalLocale();
  m_font.setFamily(QStringLiteral("宋体"));
  m_font.setPixelSize(14);

  auto* top = new QHBoxLayout;
  top->addWidget(BuildPreviews(), 1);
  top->addWidget(BuildParameters());
  m_memo1 = new QPlainTextEdit(this);
  m_memo1->setObjectName(QStringLiteral("Memo1"));
  m_memo1->setAccessibleName(QStringLiteral("Messages"));
  m_memo1->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #808080; color: black; }"));
  m_memo1->setFixedHeight(120);
  m_memo2 = new QPlainTextEdit(QStringLiteral("Memo2"), this);
  m_memo2->setObjectName(QStringLiteral("Memo2"));
  m_memo2->hide();
  m_progressBar1 = new QProgressBar(this);
  m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  m_progressBar1->setRange(0, 100);
  m_progressBar1->setValue(0);
  auto* layout = new QVBoxLayout(MakeScrollingContent(this));
  layout->addLayout(top, 1);
  layout->addWidget(m_memo1);
  layout->addWidget(m_progressBar1);

  if (m_traditional) {
    m_comboBoxCode->setCurrentIndex(static_cast<int>(CodeSet::Big5));
    m_comboBoxCode->setEnabled(false);
    m_edit1->setText(QStringLiteral("B5D8"));
  }
  const CodeSetInfo& info = CodeSetAt(m_comboBoxCode->currentIndex());
  m_editUNIS->setText(Q(HexUpper(info.defaultStart, 4)));
  m_editUNIE->setText(Q(HexUpper(info.defaultEnd, 4)));
  connect(m_comboBoxCode, &QComboBox::currentIndexChanged, this, &TForm4::ComboBoxCodeChange);

  resize(1045, 596);
  PlaceOnScreen(this);
  try {
    RefreshPreview();
  } catch (const std::exception& e) {
    // No face at all on this machine: the window opens without a preview and says why.
    m_memo1->setPlainText(Q(std::string(e.what())));
  }
}

TForm4::~TForm4() = default;

QWidget* TForm4::BuildPreviews() {
  auto* area = new QWidget(this);
  auto* row = new QHBoxLayout(area);
  row->setContentsMargins(0, 0, 0, 0);
  m_groupBoxSyst = new QGroupBox(QStringLiteral("System Font Bmp"), area);
  m_groupBoxSyst->setObjectName(QStringLiteral("GroupBoxSyst"));
  m_image2 = new QLabel(m_groupBoxSyst);
  m_image2->setObjectName(QStringLiteral("Image2"));
  m_groupBoxUser = new QGroupBox(QStringLiteral("User Font Bmp"), area);
  m_groupBoxUser->setObjectName(QStringLiteral("GroupBoxUser"));
  m_image1 = new QLabel(m_groupBoxUser);
  m_image1->setObjectName(QStringLiteral("Image1"));
  m_scrollBar1 = new QScrollBar(Qt::Horizontal, m_groupBoxUser);
  m_scrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
  m_scrollBar2 = new QScrollBar(Qt::Vertical, m_groupBoxUser);
  m_scrollBar2->setObjectName(QStringLiteral("ScrollBar2"));
  for (QScrollBar* bar : {m_scrollBar1, m_scrollBar2}) {
    bar->setRange(0, 100);
    bar->setValue(50);
  }
  connect(m_scrollBar1, &QScrollBar::valueChanged, this, &TForm4::ScrollBar1Change);
  connect(m_scrollBar2, &QScrollBar::valueChanged, this, &TForm4::ScrollBar2Change);
  m_groupBoxSyst->installEventFilter(this);
  m_groupBoxUser->installEventFilter(this);
  row->addWidget(m_groupBoxSyst, 1);
  row->addWidget(m_groupBoxUser, 1);
  return area;
}

QLineEdit* TForm4::AddField(QGridLayout* grid, int row, const QString& label, const QString& name,
                            const QString& text, bool digitsOnly) {
  auto* caption = new QLabel(label, grid->parentWidget());
  auto* edit = new QLineEdit(text, grid->parentWidget());
  edit->setObjectName(name);
  caption->setBuddy(edit);
  if (digitsOnly) {
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  }
  edit->installEventFilter(this);
  grid->addWidget(caption, row, 0);
  grid->addWidget(edit, row, 1);
  return edit;
}

QWidget* TForm4::BuildParameters() {
  auto* box = new QGroupBox(QStringLiteral("Font Parameter"), this);
  box->setObjectName(QStringLiteral("GroupBoxParameter"));
  box->setFixedWidth(254);
  auto* column = new QVBoxLayout(box);

  m_comboBoxCode = new QComboBox(box);
  m_comboBoxCode->setObjectName(QStringLiteral("ComboBoxCode"));
  NameUnlabelledField(m_comboBoxCode, QStringLiteral("Code set"));
  for (const CodeSetInfo& info : kCodeSets) {
    m_comboBoxCode->addItem(Q(std::string(info.item)));
  }
  column->addWidget(m_comboBoxCode);

  auto* fields = new QWidget(box);
  auto* grid = new QGridLayout(fields);
  grid->setContentsMargins(0, 0, 0, 0);
  m_editUNIS =
      AddField(grid, 0, QStringLiteral("Start Code  "), QStringLiteral("EditUNIS"), QString(), false);
  m_editUNIE = AddField(grid, 1, QStringLiteral("End Code   "), QStringLiteral("EditUNIE"), QString(), false);
  m_editFW =
      AddField(grid, 2, QStringLiteral("Font Width  "), QStringLiteral("EditFW"), QStringLiteral("16"), true);
  m_editFH =
      AddField(grid, 3, QStringLiteral("Font Height"), QStringLiteral("EditFH"), QStringLiteral("16"), true);
  m_editCTLimit = AddField(grid, 4, QStringLiteral("Gray Limit:   "), QStringLiteral("EditCTLimit"),
                           QStringLiteral("200"), true);
  column->addWidget(fields);

  m_checkBoxHalf = new QCheckBox(QStringLiteral("Ascii Half-width  "), box);
  m_checkBoxHalf->setObjectName(QStringLiteral("CheckBoxHalf"));
  m_checkBoxHalf->setChecked(true);
  m_checkBoxX = new QCheckBox(QStringLiteral("ReverseX"), box);
  m_checkBoxX->setObjectName(QStringLiteral("CheckBoxX"));
  m_checkBoxY = new QCheckBox(QStringLiteral("ReverseY"), box);
  m_checkBoxY->setObjectName(QStringLiteral("CheckBoxY"));
  auto* checks = new QHBoxLayout;
  checks->addWidget(m_checkBoxX);
  checks->addWidget(m_checkBoxY);
  column->addWidget(m_checkBoxHalf);
  column->addLayout(checks);

  auto* rotation = new QGroupBox(QStringLiteral("Rotation"), box);
  rotation->setObjectName(QStringLiteral("RadioGroup2"));
  rotation->setAccessibleName(rotation->title());
  auto* rotationColumn = new QVBoxLayout(rotation);
  m_radioGroup2 = new QButtonGroup(rotation);
  const QString items[] = {QStringLiteral("0 Degree"), QStringLiteral("R 90 Degree"),
                           QStringLiteral("L 90 Degree")};
  for (int i = 0; i < 3; ++i) {
    auto* radio = new QRadioButton(items[i], rotation);
    radio->setObjectName(QStringLiteral("RadioGroup2Item%1").arg(i));
    radio->setChecked(i == 0);
    m_radioGroup2->addButton(radio, i);
    rotationColumn->addWidget(radio);
  }
  column->addWidget(rotation);

  m_buttonSFont = new QPushButton(QStringLiteral("Select Font"), box);
  m_buttonSFont->setObjectName(QStringLiteral("ButtonSFont"));
  connect(m_buttonSFont, &QPushButton::clicked, this, &TForm4::ButtonSFontClick);
  column->addWidget(m_buttonSFont);
  column->addWidget(BuildTestPanel());
  column->addStretch(1);

  auto makeButton = [box](const QString& caption, const QString& name) {
    auto* button = new QPushButton(caption, box);
    button->setObjectName(name);
    return button;
  };
  m_buttonMakeBin = makeButton(QStringLiteral("Make Bin"), QStringLiteral("ButtonMakeBin"));
  m_btnStringBin = makeButton(QStringLiteral("String Bin"), QStringLiteral("BtnStringBin"));
  m_btnAsciiBin = makeButton(QStringLiteral("Ascii Bin"), QStringLiteral("BtnAsciiBin"));
  m_buttonClose = makeButton(QStringLiteral("Close"), QStringLiteral("ButtonClose"));
  connect(m_buttonMakeBin, &QPushButton::clicked, this, &TForm4::ButtonMakeBinClick);
  connect(m_btnStringBin, &QPushButton::clicked, this, &TForm4::BtnStringBinClick);
  connect(m_btnAsciiBin, &QPushButton::clicked, this, &TForm4::BtnAsciiBinClick);
  connect(m_buttonClose, &QPushButton::clicked, this, &TForm4::ButtonCloseClick);
  auto* buttons = new QGridLayout;
  buttons->addWidget(m_buttonMakeBin, 0, 0);
  buttons->addWidget(m_btnStringBin, 0, 1);
  buttons->addWidget(m_btnAsciiBin, 1, 0);
  buttons->addWidget(m_buttonClose, 1, 1);
  column->addLayout(buttons);
  return box;
}

QWidget* TForm4::BuildTestPanel() {
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("PanelTest"));
  panel->setAutoFillBackground(true);
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, QColor(0xA6, 0xCA, 0xF0));  // sky blue
  panel->setPalette(palette);
  auto* grid = new QGridLayout(panel);
  m_edit1 = new QLineEdit(QStringLiteral("BBAA"), panel);
  m_edit1->setObjectName(QStringLiteral("Edit1"));
  m_edit1->setAccessibleName(QStringLiteral("Test code"));
  m_edit1->installEventFilter(this);
  m_buttonTest = new QPushButton(QStringLiteral("Test Code"), panel);
  m_buttonTest->setObjectName(QStringLiteral("ButtonTest"));
  m_edit2 = new QLineEdit(QStringLiteral("汉"), panel);
  m_edit2->setObjectName(QStringLiteral("Edit2"));
  m_edit2->setAccessibleName(QStringLiteral("Test text"));
  m_buttonCHINPUT = new QPushButton(QStringLiteral("测  试"), panel);
  m_buttonCHINPUT->setObjectName(QStringLiteral("ButtonCHINPUT"));
  connect(m_buttonTest, &QPushButton::clicked, this, &TForm4::ButtonTestClick);
  connect(m_buttonCHINPUT, &QPushButton::clicked, this, &TForm4::ButtonCHINPUTClick);
  grid->addWidget(m_edit1, 0, 0);
  grid->addWidget(m_buttonTest, 0, 1);
  grid->addWidget(m_edit2, 1, 0);
  grid->addWidget(m_buttonCHINPUT, 1, 1);
  return panel;
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyRelease) {
    if (watched == m_edit1 || watched == m_editUNIS || watched == m_editUNIE) {
      Edit1KeyUp(static_cast<QLineEdit*>(watched));
    } else if (watched == m_editCTLimit) {
      EditCTLimitKeyUp();
    }
  } else if (event->type() == QEvent::Resize) {
    if (watched == m_groupBoxSyst) {
      Centre(m_image2, m_groupBoxSyst);
    } else if (watched == m_groupBoxUser) {
      const int thickness = m_scrollBar2->sizeHint().width();
      const QRect inside = m_groupBoxUser->contentsRect();
      m_scrollBar1->setGeometry(inside.left(), inside.bottom() - thickness + 1, inside.width() - thickness,
                                thickness);
      m_scrollBar2->setGeometry(inside.right() - thickness + 1, inside.top(), thickness,
                                inside.height() - thickness);
      Centre(m_image1, m_groupBoxUser);
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TForm4::Edit1KeyUp(QLineEdit* edit) {
  const int cursor = edit->cursorPosition();
  edit->setText(Q(NormalizeCodeField(U16(edit->text()))));
  edit->setCursorPosition(std::min(cursor, 4));
}

void TForm4::EditCTLimitKeyUp() {
  Guarded([this] {
    const std::int32_t value = StrToInt(m_editCTLimit->text().toStdString());
    const int cursor = m_editCTLimit->cursorPosition();
    m_editCTLimit->setText(QString::number(value >= 256 ? 255 : value));
    m_editCTLimit->setCursorPosition(std::min(cursor, static_cast<int>(m_editCTLimit->text().size())));
  });
}

RenderSettings TForm4::Settings() const {
  RenderSettings settings;
  settings.width = StrToInt(m_editFW->text().toStdString());
  settings.height = StrToInt(m_editFH->text().toStdString());
  settings.originX = m_originX;
  settings.originY = m_originY;
  const int rotation = m_radioGroup2->checkedId();
  settings.rotation = rotation == 1 ? Rotation::Right90 : rotation == 2 ? Rotation::Left90 : Rotation::None;
  settings.mirrorX = m_checkBoxX->isChecked();
  settings.mirrorY = m_checkBoxY->isChecked();
  CheckCellSize(settings);
  return settings;
}

int TForm4::Limit() const {
  return StrToInt(m_editCTLimit->text().toStdString());
}

FontChoice TForm4::Choice() const {
  FontChoice choice;
  choice.family = m_font.family().toStdString();
  choice.pixelHeight = m_font.pixelSize() > 0
                           ? m_font.pixelSize()
                           : static_cast<int>(m_font.pointSizeF() * logicalDpiY() / 72.0 + 0.5);
  choice.pixelHeight = std::clamp(choice.pixelHeight, 1, kMaxCellSide);
  return choice;
}

GlyphJob TForm4::Job() const {
  GlyphJob job;
  job.settings = Settings();
  job.limit = Limit();
  job.font = Choice();
  job.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return job;
}

CodeSet TForm4::CurrentSet() const {
  return CodeSetAt(m_comboBoxCode->currentIndex()).set;
}

std::u16string TForm4::PreviewText() {
  const int codePage = SystemCodePage();
  switch (m_previewSource) {
    case PreviewSource::Text:
      return U16(m_edit2->text());
    case PreviewSource::Code:
      return CodeToText(CodeFromField(NormalizeCodeField(U16(m_edit1->text())), kStartLess4), CurrentSet(),
                        m_traditional, codePage, m_converter);
    case PreviewSource::Sample:
      break;
  }
  if (m_traditional) {
    m_edit1->setText(QStringLiteral("B5D8"));
    return m_converter.Decode("\xB5\xD8", codePage);
  }
  if (CurrentSet() == CodeSet::Big5) {
    return CodeToText(0xB5D8, CodeSet::Big5, false, codePage, m_converter);
  }
  return CodeToText(0xBBAA, CodeSet::Gb2312, false, codePage, m_converter);
}

GlyphRenderer& TForm4::Renderer() {
  const FontChoice choice = Choice();
  const std::string key = choice.family + '\n' + std::to_string(choice.pixelHeight);
  if (!m_renderer || key != m_rendererKey) {
    m_renderer = std::make_unique<GlyphRenderer>(ResolveFont(choice), choice.pixelHeight);
    m_rendererKey = key;
  }
  return *m_renderer;
}

void TForm4::ShowPreview(const GlyphCell& cell, int limit) {
  const Preview preview = MakePreview(cell, limit);
  m_image2->setPixmap(QPixmap::fromImage(ToImage(preview.gray)));
  m_image2->resize(preview.gray.width, preview.gray.height);
  Centre(m_image2, m_groupBoxSyst);
  m_image1->setPixmap(QPixmap::fromImage(ToImage(preview.threshold)));
  m_image1->resize(preview.threshold.width, preview.threshold.height);
  Centre(m_image1, m_groupBoxUser);
}

void TForm4::RefreshPreview() {
  const RenderSettings settings = Settings();
  const std::u16string text = PreviewText();
  ShowPreview(Renderer().RenderGlyph(text, settings), Limit());
}

void TForm4::ComboBoxCodeChange() {
  Guarded([this] {
    if (m_comboBoxCode->currentIndex() < 0 ||
        m_comboBoxCode->currentIndex() >= static_cast<int>(kCodeSets.size())) {
      m_comboBoxCode->setCurrentIndex(0);
    }
    const CodeSetInfo& info = CodeSetAt(m_comboBoxCode->currentIndex());
    m_editUNIS->setText(Q(HexUpper(info.defaultStart, 4)));
    m_editUNIE->setText(Q(HexUpper(info.defaultEnd, 4)));
    RefreshPreview();
  });
}

void TForm4::ButtonSFontClick() {
  Guarded([this] {
    if (const std::optional<QFont> chosen = m_dialogs.ChooseFont(this, m_font)) {
      m_font = *chosen;
    }
    RefreshPreview();
  });
}

void TForm4::ScrollBar1Change(int position) {
  m_originX += position > m_scroll1 ? 1 : -1;
  m_scroll1 = position;
  Guarded([this] { RefreshPreview(); });
}

void TForm4::ScrollBar2Change(int position) {
  m_originY += position > m_scroll2 ? 1 : -1;
  m_scroll2 = position;
  Guarded([this] { RefreshPreview(); });
}

void TForm4::TestGlyph(PreviewSource source) {
  Guarded([this, source] {
    m_previewSource = source;
    const RenderSettings settings = Settings();
    const int limit = Limit();
    const GlyphCell cell = Renderer().RenderGlyph(PreviewText(), settings);
    ShowPreview(cell, limit);
    QString dump = Q(HexDump(PackGlyph(cell, limit)));
    dump.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_memo1->setPlainText(dump);
  });
}

void TForm4::ButtonTestClick() {
  TestGlyph(PreviewSource::Code);
}

void TForm4::ButtonCHINPUTClick() {
  TestGlyph(PreviewSource::Text);
}

void TForm4::ButtonCloseClick() {
  // A run in progress sees the request at its next glyph and ends without writing anything.
  m_stopRequested = true;
  close();
}

ProgressFn TForm4::RunProgress() {
  m_progressBar1->setValue(0);
  auto pump = std::make_shared<QElapsedTimer>();
  pump->start();
  return [this, pump](std::int64_t done, std::int64_t total) {
    if (pump->elapsed() >= kPumpMilliseconds) {
      m_progressBar1->setValue(WorkPercent(done, total));
      QCoreApplication::processEvents();
      pump->restart();
    }
    return !m_stopRequested;
  };
}

std::optional<std::vector<std::uint8_t>> TForm4::Generate(const GlyphJob& job,
                                                          const std::vector<std::u16string>& texts) {
  return RenderGlyphs(job, texts, RunProgress());
}

bool TForm4::SaveFont(const std::vector<std::uint8_t>& bytes,
                      const std::vector<std::filesystem::path>& inputs) {
  const std::optional<QString> chosen = m_dialogs.SaveFile(
      this, QString(), m_folder, QString::fromUtf8(kProposedName), {QStringLiteral("*.bin")});
  if (!chosen) {
    return true;  // cancelled: nothing written
  }
  try {
    const std::string name = SaveLibrary(chosen->toStdString(), bytes, inputs);
    m_folder = QFileInfo(QString::fromStdString(name)).absolutePath();
  } catch (const Error& e) {
    m_dialogs.Message(this, Q(std::string(e.what())));
    return false;
  }
  return true;
}

void TForm4::Finish(bool saved, const std::string& message) {
  if (!saved) {
    return;  // the failure's own message has been shown; an "ok" after it would mislead
  }
  m_progressBar1->setValue(100);
  QCoreApplication::processEvents();
  m_dialogs.Message(this, Q(message));
}

void TForm4::ButtonMakeBinClick() {
  Guarded([this] {
    const std::uint16_t start = CodeFromField(U16(m_editUNIS->text()), kStartLess4);
    const std::uint16_t end = CodeFromField(U16(m_editUNIE->text()), kEndLess4);
    if (end < start) {
      throw Error(kStartAboveEnd);
    }
    const DisabledWhile busy(m_buttonMakeBin);
    LibraryRequest request;
    request.set = CurrentSet();
    request.start = start;
    request.end = end;
    request.halfWidth = m_checkBoxHalf->isChecked();
    request.traditionalSystem = m_traditional;
    request.systemCodePage = SystemCodePage();
    const LibraryPlan plan = PlanLibrary(request, m_converter);
    for (const std::string& line : plan.memoLines) {
      m_memo1->appendPlainText(Q(line));
    }
    m_stopRequested = false;
    const std::optional<std::vector<std::uint8_t>> glyphs = Generate(Job(), plan.texts);
    if (glyphs) {
      Finish(SaveFont(*glyphs), plan.okMessage);
    }
  });
}

void TForm4::BtnStringBinClick() {
  const DisabledWhile busy(m_btnStringBin);
  m_stopRequested = false;
  Guarded([this] {
    const std::optional<QString> name = m_dialogs.OpenFile(this, QString(), m_folder, {});
    if (!name || name->isEmpty()) {
      return;
    }
    // Every chosen file is read, with or without a "." in its name.
    const int codePage = SystemCodePage();
    m_memo2Lines = StringBinLines(LoadTextFile(name->toStdString(), codePage));
    QStringList shown;
    for (const auto& line : m_memo2Lines) {
      shown << Q(line);
    }
    m_memo2->setPlainText(shown.join(QLatin1Char('\n')));
    const std::optional<std::vector<std::uint8_t>> bytes =
        MakeStringBin(Job(), m_memo2Lines, codePage, m_converter, RunProgress());
    if (bytes) {
      Finish(SaveFont(*bytes, {name->toStdString()}), kStringBinOk);
    }
  });
}

void TForm4::BtnAsciiBinClick() {
  const DisabledWhile busy(m_btnAsciiBin);
  m_stopRequested = false;
  Guarded([this] {
    const std::optional<std::vector<std::uint8_t>> glyphs = Generate(Job(), AsciiTexts());
    if (glyphs) {
      Finish(SaveFont(*glyphs), kAsciiBinOk);
    }
  });
}

}  // namespace panelix::ui
