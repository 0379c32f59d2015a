#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

#include "cursor/cursor.h"
#include "cursor/drawing.h"
#include "ui/dialogs.h"

class QPlainTextEdit;
class QPushButton;

namespace panelix::ui {

// The drawing surface of the cursor editor: shows the enlarged grid and reports the mouse in its
// own pixel coordinates.
class CursorGridView : public QWidget {
  Q_OBJECT
 public:
  explicit CursorGridView(QWidget* parent = nullptr);
  void SetImage(QImage image);
  const QImage& Image() const { return m_image; }

 signals:
  void MouseDown(int x, int y);
  void MouseMove(int x, int y);
  void MouseUp(int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage m_image;
};

// A colour panel or tool icon that reacts to a click.
class CursorClickLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void Clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// The grid as the window shows it: 289 x 289 pixels, gray grid lines every 9 pixels and each
// cell an 8 x 8 square in its code's colour.
QImage RenderCursorGrid(const cursor::Cursor& cursor);
// The colour that shows a cell code (0 red, 1 teal, 2 white, 3 black).
QColor CursorCodeColor(std::uint8_t code);

// The cursor editor, "Cursor tool".
class TForm3 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm3(Dialogs& dialogs, QWidget* parent = nullptr);

  const cursor::Cursor& CursorCells() const { return m_cursor; }
  cursor::Tool CurrentTool() const { return m_tool; }
  std::uint8_t PenCode() const { return m_pen; }

 public slots:
  void Image1MouseDown(int x, int y);
  void Image1MouseMove(int x, int y);
  void Image1MouseUp(int x, int y);
  void Panel1Click() { SetPen(0); }
  void Panel2Click() { SetPen(1); }
  void Panel3Click() { SetPen(2); }
  void Panel4Click() { SetPen(3); }
  void Image5Click() { SetTool(cursor::Tool::Dot, m_image5); }
  void Image4Click() { SetTool(cursor::Tool::Line, m_image4); }
  void Image3Click() { SetTool(cursor::Tool::Circle, m_image3); }
  void Image2Click() { SetTool(cursor::Tool::Rectangle, m_image2); }
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click() { close(); }

 private:
  void BuildPenColor();
  void BuildPenFunction();
  void BuildButtonsAndData();
  void SetPen(std::uint8_t code);
  void SetTool(cursor::Tool tool, const QLabel* icon);
  void DragTo(int x, int y);
  void Redisplay();

  Dialogs& m_dialogs;
  cursor::Cursor m_cursor;
  cursor::Cursor m_saved;  // the cursor as it was when a figure's drag began
  cursor::Cell m_start;
  bool m_dragging = false;
  cursor::Tool m_tool = cursor::Tool::Dot;
  std::uint8_t m_pen = 0;

  CursorGridView* m_image1 = nullptr;
  QLabel* m_panel5 = nullptr;
  QLabel* m_image2 = nullptr;
  QLabel* m_image3 = nullptr;
  QLabel* m_image4 = nullptr;
  QLabel* m_image5 = nullptr;
  QLabel* m_image6 = nullptr;
  QPlainTextEdit* m_memo1 = nullptr;
};

}  // namespace panelix::ui
