#include "ui/widgets.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/radio_group.h"

namespace panelix::ui {

std::string PathBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setMinimumHeight(26);
  return button;
}

QCheckBox* MakeCheckBox(const char* name, const char* caption, QWidget* parent) {
  auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

void PaintPaleYellow(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xE1));
  palette.setColor(QPalette::Text, Qt::black);
  widget->setPalette(palette);
}

PreviewBox MakePreviewScrollBox(QWidget* parent) {
  auto* scrollBox = new QScrollArea(parent);
  scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
  scrollBox->setWidgetResizable(false);
  scrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette dark = scrollBox->palette();
  dark.setColor(QPalette::Window, QColor(0x2B, 0x2B, 0x2B));
  scrollBox->setPalette(dark);
  scrollBox->setBackgroundRole(QPalette::Window);
  scrollBox->viewport()->setAutoFillBackground(true);
  auto* image = new QLabel;
  image->setObjectName(QStringLiteral("Image1"));
  image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  image->resize(0, 0);
  scrollBox->setWidget(image);
  return {scrollBox, image};
}

QProgressBar* MakeProgressBar(QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(QStringLiteral("ProgressBar1"));
  bar->setRange(0, 100);
  bar->setValue(0);
  return bar;
}

RadioGroup* MakeChannelOrderGroup(QWidget* parent) {
  auto* group = new RadioGroup(QStringLiteral("RGB"), {QStringLiteral("RGB"), QStringLiteral("BGR")}, parent);
  group->setObjectName(QStringLiteral("RadioGroup1"));
  return group;
}

RadioGroup* MakeRotationGroup(QWidget* parent) {
  auto* group = new RadioGroup(
      QStringLiteral("Rotation"),
      {QStringLiteral("0 Degree"), QStringLiteral("R 90 Degree"), QStringLiteral("L 90 Degree")}, parent);
  group->setObjectName(QStringLiteral("RadioGroup2"));
  return group;
}

QComboBox* MakeDitherBox(QWidget* parent, QBoxLayout* layout) {
  auto* label = new QLabel(QStringLiteral("Dither"), parent);
  label->setObjectName(QStringLiteral("LabelDither"));
  auto* box = new QComboBox(parent);
  box->setObjectName(QStringLiteral("ComboDither"));
  box->addItems({QStringLiteral("None"), QStringLiteral("Ordered"), QStringLiteral("Floyd-Steinberg")});
  box->setCurrentIndex(0);
  label->setBuddy(box);
  layout->addWidget(label);
  layout->addWidget(box);
  return box;
}

void NameUnlabelledField(QWidget* field, const QString& name) {
  field->setAccessibleName(name);
  auto* label = new QLabel(name, field->parentWidget());
  label->setBuddy(field);
  label->hide();
}

QTimer* MakeStepTimer(QObject* parent) {
  auto* timer = new QTimer(parent);
  timer->setObjectName(QStringLiteral("Timer1"));
  timer->setSingleShot(true);
  return timer;
}

QScrollArea* MakeContentScrollBox(QWidget* content, QWidget* parent) {
  auto* box = new QScrollArea(parent);
  box->setFrameShape(QFrame::NoFrame);
  box->setWidgetResizable(true);
  box->setWidget(content);
  return box;
}

QWidget* MakeScrollingContent(QWidget* window) {
  auto* content = new QWidget;
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(MakeContentScrollBox(content, window));
  return content;
}

void ScrollPlacedControls(QWidget* window, QSize designSize) {
  auto* content = new QWidget;
  content->setFixedSize(designSize);
  for (QWidget* child : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    const bool hidden = child->isHidden();
    child->setParent(content);
    child->setHidden(hidden);
  }
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  QScrollArea* box = MakeContentScrollBox(content, window);
  box->setWidgetResizable(false);
  layout->addWidget(box);
  // Never larger than the design; smaller only when the screen asks for it.
  window->setMinimumSize(0, 0);
  window->setMaximumSize(designSize);
  window->resize(designSize);
}

void PlaceOnScreen(QWidget* window) {
  const QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return;
  }
  const QRect available = screen->availableGeometry();
  // The design size, grown to what the controls in the window's scroll box need, so that they
  // scroll only where the screen is too small for them.
  QSize wanted = window->size();
  const auto* box = window->findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
  if (box != nullptr && box->widget() != nullptr) {
    QSize need = box->widget()->minimumSizeHint();
    if (const auto* main = qobject_cast<QMainWindow*>(window);
        main != nullptr && main->menuBar() != nullptr) {
      need.rheight() += main->menuBar()->sizeHint().height();
    }
    wanted = wanted.expandedTo(need);
  }
  // The frame (title bar and borders) is only known once the window is shown; leave room for a
  // usual one.
  const QSize frame(16, 40);
  window->resize(wanted.boundedTo(available.size() - frame).expandedTo(window->minimumSize()));
  QRect placed(QPoint(), window->size() + frame);
  placed.moveCenter(available.center());
  placed.moveTopLeft(
      QPoint(std::max(placed.left(), available.left()), std::max(placed.top(), available.top())));
  window->move(placed.topLeft());
}

void SelectRowQuietly(QListWidget* list, int row) {
  const QSignalBlocker block(list);
  list->setCurrentRow(row);
}

void StepQueue::AfterStep(std::function<void()> action) {
  if (m_inStep) {
    m_waiting.push_back(std::move(action));
  } else {
    action();
  }
}

bool StepQueue::Step(const std::function<bool()>& step) {
  m_inStep = true;
  bool more = false;
  try {
    more = step();
  } catch (...) {
    m_inStep = false;
    m_waiting.clear();
    throw;
  }
  m_inStep = false;
  return more;
}

void StepQueue::RunWaiting() {
  std::vector<std::function<void()>> waiting;
  waiting.swap(m_waiting);
  for (auto& action : waiting) {
    action();
  }
}

}  // namespace panelix::ui
