#include "ui/cursor_window.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "base/error.h"
#include "cursor/cursor_text.h"
#include "output/messages.h"
#include "output/output_names.h"
#include "ui/widgets.h"

namespace panelix::ui {

namespace {

const QColor kGridGray(119, 119, 119);

QPixmap ToolIcon(cursor::Tool tool) {
  QImage icon(60, 34, QImage::Format_RGB32);
  icon.fill(kGridGray);
  QPainter painter(&icon);
  painter.setPen(Qt::white);
  painter.setBrush(Qt::NoBrush);
  // Figures span (5, 5) .. (55, 29) with the right and bottom edges left out, as on the grid.
  switch (tool) {
    case cursor::Tool::Rectangle:
      painter.drawRect(5, 5, 49, 23);
      break;
    case cursor::Tool::Circle:
      painter.drawEllipse(5, 5, 49, 23);
      break;
    case cursor::Tool::Line:
      painter.drawLine(5, 16, 54, 16);
      break;
    case cursor::Tool::Dot:
      painter.fillRect(30, 16, 2, 2, Qt::white);
      break;
  }
  painter.end();
  return QPixmap::fromImage(icon);
}

void Paint(QLabel* panel, const QColor& color) {
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, color);
  panel->setPalette(palette);
}

}  // namespace

CursorGridView::CursorGridView(QWidget* parent) : QWidget(parent) {
  setFixedSize(cursor::kGridPixels, cursor::kGridPixels);
  setCursor(Qt::CrossCursor);
}

void CursorGridView::SetImage(QImage image) {
  m_image = std::move(image);
  update();
}

void CursorGridView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.drawImage(0, 0, m_image);
}

void CursorGridView::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MouseDown(p.x(), p.y());
}

void CursorGridView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MouseMove(p.x(), p.y());
}

void CursorGridView::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MouseUp(p.x(), p.y());
}

void CursorClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (rect().contains(event->position().toPoint())) {
    emit Clicked();
  }
}

QColor CursorCodeColor(std::uint8_t code) {
  static const QColor kColors[4] = {QColor(255, 0, 0), QColor(0, 128, 128), QColor(255, 255, 255),
                                    QColor(0, 0, 0)};
  return kColors[code & 3U];
}

QImage RenderCursorGrid(const cursor::Cursor& cursor) {
  QImage image(cursor::kGridPixels, cursor::kGridPixels, QImage::Format_RGB32);
  image.fill(kGridGray);
  for (int r = 0; r < cursor::kCursorSize; ++r) {
    for (int c = 0; c < cursor::kCursorSize; ++c) {
      const QRgb color = CursorCodeColor(cursor.At(c, r)).rgb();
      for (int y = 9 * r + 1; y <= 9 * r + 8; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line + 9 * c + 1, line + 9 * c + 9, color);
      }
    }
  }
  return image;
}

TForm3::TForm3(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm3"));
  setWindowTitle(QStringLiteral("Cursor tool"));

  m_image1 = new CursorGridView(this);
  m_image1->setObjectName(QStringLiteral("Image1"));
  m_image1->move(16, 16);
  connect(m_image1, &CursorGridView::MouseDown, this, &TForm3::Image1MouseDown);
  connect(m_image1, &CursorGridView::MouseMove, this, &TForm3::Image1MouseMove);
  connect(m_image1, &CursorGridView::MouseUp, this, &TForm3::Image1MouseUp);

  BuildPenColor();
  BuildPenFunction();
  BuildButtonsAndData();
  Redisplay();
  ScrollPlacedControls(this, QSize(676, 584));
  PlaceOnScreen(this);
}

void TForm3::BuildPenColor() {
  auto* group = new QGroupBox(QStringLiteral("Pen Color"), this);
  group->setGeometry(328, 8, 336, 150);
  struct PanelRow {
    const char* name;
    const char* label;
    int code;                 // -1: the pen panel
    void (TForm3::*click)();  // chooses the panel's code as the pen
  };
  const PanelRow rows[] = {{"Panel5", "Pen Color:  ", -1, nullptr},
                           {"Panel1", "Color 0:  ", 0, &TForm3::Panel1Click},
                           {"Panel2", "Color 1:  ", 1, &TForm3::Panel2Click},
                           {"Panel3", "Black Color:  ", 2, &TForm3::Panel3Click},
                           {"Panel4", "INV Black Color:", 3, &TForm3::Panel4Click}};
  int y = 22;
  for (const auto& row : rows) {
    auto* label = new QLabel(QString::fromUtf8(row.label), group);
    label->setGeometry(12, y, 120, 22);
    auto* panel = new CursorClickLabel(group);
    panel->setObjectName(QString::fromLatin1(row.name));
    panel->setGeometry(140, y, 120, 22);
    panel->setAutoFillBackground(true);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    if (row.code < 0) {
      m_panel5 = panel;
    } else {
      Paint(panel, CursorCodeColor(static_cast<std::uint8_t>(row.code)));
      connect(panel, &CursorClickLabel::Clicked, this, row.click);
    }
    y += 25;
  }
  SetPen(0);
}

void TForm3::BuildPenFunction() {
  auto* group = new QGroupBox(QStringLiteral("Pen Function"), this);
  group->setGeometry(328, 166, 336, 150);
  struct IconRow {
    const char* name;
    const char* label;
    QLabel** slot;
    int x;
    int y;
  };
  // The current tool's icon first, then the four tools.
  const IconRow rows[] = {{"Image6", "Pen：   ", &m_image6, 12, 22},
                          {"Image5", "Dot：  ", &m_image5, 12, 62},
                          {"Image4", "Line:    ", &m_image4, 12, 102},
                          {"Image3", "Circle:   ", &m_image3, 172, 62},
                          {"Image2", "Rectang：  ", &m_image2, 172, 102}};
  for (const auto& row : rows) {
    auto* label = new QLabel(QString::fromUtf8(row.label), group);
    label->setGeometry(row.x, row.y + 6, 80, 22);
    auto* icon = new CursorClickLabel(group);
    icon->setObjectName(QString::fromLatin1(row.name));
    icon->setGeometry(row.x + 84, row.y, 60, 34);
    *row.slot = icon;
  }
  m_image5->setPixmap(ToolIcon(cursor::Tool::Dot));
  m_image4->setPixmap(ToolIcon(cursor::Tool::Line));
  m_image3->setPixmap(ToolIcon(cursor::Tool::Circle));
  m_image2->setPixmap(ToolIcon(cursor::Tool::Rectangle));
  connect(static_cast<CursorClickLabel*>(m_image5), &CursorClickLabel::Clicked, this, &TForm3::Image5Click);
  connect(static_cast<CursorClickLabel*>(m_image4), &CursorClickLabel::Clicked, this, &TForm3::Image4Click);
  connect(static_cast<CursorClickLabel*>(m_image3), &CursorClickLabel::Clicked, this, &TForm3::Image3Click);
  connect(static_cast<CursorClickLabel*>(m_image2), &CursorClickLabel::Clicked, this, &TForm3::Image2Click);
  Image5Click();
}

void TForm3::BuildButtonsAndData() {
  const std::pair<const char*, const char*> buttons[] = {
      {"Button1", "Export"}, {"Button2", "Import"}, {"Button3", "Clear"}, {"Button4", "Close"}};
  int x = 328;
  QPushButton* made[4] = {};
  int i = 0;
  for (const auto& [name, caption] : buttons) {
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, 326, 78, 26);
    made[i++] = button;
    x += 84;
  }
  connect(made[0], &QPushButton::clicked, this, &TForm3::Button1Click);
  connect(made[1], &QPushButton::clicked, this, &TForm3::Button2Click);
  connect(made[2], &QPushButton::clicked, this, &TForm3::Button3Click);
  connect(made[3], &QPushButton::clicked, this, &TForm3::Button4Click);

  auto* data = new QGroupBox(QStringLiteral("Data"), this);
  data->setGeometry(8, 362, 660, 214);
  m_memo1 = new QPlainTextEdit(data);
  m_memo1->setObjectName(QStringLiteral("Memo1"));
  m_memo1->setGeometry(8, 20, 644, 186);
  m_memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  m_memo1->setFont(font);
}

void TForm3::SetPen(std::uint8_t code) {
  m_pen = code;
  Paint(m_panel5, CursorCodeColor(code));
}

void TForm3::SetTool(cursor::Tool tool, const QLabel* icon) {
  m_tool = tool;
  m_image6->setPixmap(icon->pixmap());
}

void TForm3::Image1MouseDown(int x, int y) {
  const cursor::Cell cell = cursor::CellAt(x, y);
  if (m_tool == cursor::Tool::Dot) {
    cursor::DrawFigure(m_cursor, cursor::Tool::Dot, cell, cell, m_pen);
    Redisplay();
    return;
  }
  m_start = cell;
  m_saved = m_cursor;
  m_dragging = true;
}

void TForm3::Image1MouseMove(int x, int y) {
  if (m_dragging) {
    DragTo(x, y);
  }
}

void TForm3::Image1MouseUp(int x, int y) {
  if (m_dragging) {
    DragTo(x, y);
    m_dragging = false;
  }
}

void TForm3::DragTo(int x, int y) {
  m_cursor = m_saved;
  cursor::DrawFigure(m_cursor, m_tool, m_start, cursor::CellAt(x, y), m_pen);
  Redisplay();
}

void TForm3::Redisplay() {
  m_image1->SetImage(RenderCursorGrid(m_cursor));
}

void TForm3::Button1Click() {
  const cursor::CursorBytes bytes = cursor::PackCursor(m_cursor);
  QStringList lines;
  for (const auto& line : cursor::CursorTextLines(bytes)) {
    lines << QString::fromStdString(line);
  }
  m_memo1->setPlainText(lines.join(QLatin1Char('\n')));
  const std::optional<QString> chosen = m_dialogs.SaveFile(
      this, QStringLiteral("Save As"), QString(), QStringLiteral("Cursor-"), {QStringLiteral("*.bin")});
  if (!chosen) {
    return;
  }
  try {
    cursor::WriteCursorFile(output::OutputBinName(chosen->toStdString()), bytes);
  } catch (const Error& e) {
    m_dialogs.Message(this, QString::fromStdString(e.what()));
    return;
  }
  m_dialogs.Message(this, QStringLiteral("OK"));
}

void TForm3::Button2Click() {
  const std::u16string text = m_memo1->toPlainText().toStdU16String();
  m_cursor = cursor::UnpackCursor(cursor::ImportCursorText(text));
  Redisplay();
  // The import is lenient, but the user learns what it forgave.
  if (const auto fault = cursor::FindCursorTextFault(text)) {
    m_dialogs.Message(this, QString::fromStdString(*fault));
  }
}

void TForm3::Button3Click() {
  m_cursor.Clear();
  Redisplay();
}

}  // namespace panelix::ui
