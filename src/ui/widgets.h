#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QBoxLayout;
class QLabel;
class QListWidget;
class QObject;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSize;
class QTimer;
class QWidget;

namespace panelix::ui {

// What the windows say when a file or folder the user chose cannot be opened.
inline constexpr const char* kFailToOpen = "Fail to Open the file";

class RadioGroup;

// Paths travel to the core as the bytes the file system uses.
std::string PathBytes(const QString& path);

// A push button with its object name and the converters' common height.
QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent);
QCheckBox* MakeCheckBox(const char* name, const char* caption, QWidget* parent);
// The pale yellow of the picture lists and address-list memos, with black text.
void PaintPaleYellow(QWidget* widget);

// The dark scroll box "ScrollBox1" and the label "Image1" it holds, which shows a picture at its
// own size at the top left.
struct PreviewBox {
  QScrollArea* scrollBox;
  QLabel* image;
};
PreviewBox MakePreviewScrollBox(QWidget* parent);

// "ProgressBar1": 0 to 100, at 0.
QProgressBar* MakeProgressBar(QWidget* parent);
// "RadioGroup1" (RGB, BGR) and "RadioGroup2" (the three rotations), first item checked.
RadioGroup* MakeChannelOrderGroup(QWidget* parent);
RadioGroup* MakeRotationGroup(QWidget* parent);
// The "Dither" drop-down: "None" (chosen), "Ordered", "Floyd-Steinberg", in the order of
// picture::Dither; object name "ComboDither", labelled by a "Dither" label. Adds both to layout.
QComboBox* MakeDitherBox(QWidget* parent, QBoxLayout* layout);
// Names a field that shows no label of its own: its accessible name, and a hidden label of that
// text beside it as its buddy. Screen readers on Linux hear a drop-down list's caption only through
// the label relation (Qt names the list by its current entry, and a reader skips a group box around
// it), so the accessible name alone would not reach them.
void NameUnlabelledField(QWidget* field, const QString& name);
// The one-shot "Timer1" whose timeouts drive a run's steps.
QTimer* MakeStepTimer(QObject* parent);
// The frameless scroll box that holds a window's controls: when the window is smaller than its
// controls need (a small screen, a large scale factor), it scrolls instead of squeezing groups below
// their minimum size.
QScrollArea* MakeContentScrollBox(QWidget* content, QWidget* parent);
// Gives window a scroll box filling it and returns the widget inside it, which the window lays its
// controls out on.
QWidget* MakeScrollingContent(QWidget* window);
// Moves the controls that a window placed by coordinates (at a fixed design size) into a scroll box
// of the window, so the window may be smaller than its design on a small screen.
void ScrollPlacedControls(QWidget* window, QSize designSize);
// Sizes a window to fit the available area of its screen — its design size, grown to what the
// controls in its scroll box need, when that fits — and centres it there.
void PlaceOnScreen(QWidget* window);

// Selects a list row without the row-change signal, so no click handler runs.
void SelectRowQuietly(QListWidget* list, int row);

// Actions that must wait for the run step in progress: a step holds the window's picture and list
// while it works, so a click that arrives while the step lets events run is carried out after it.
class StepQueue {
 public:
  bool InStep() const { return m_inStep; }
  // Runs the action now, or right after the step in progress when there is one.
  void AfterStep(std::function<void()> action);
  // Runs one step and returns its answer. A step that throws drops what waited for it.
  bool Step(const std::function<bool()>& step);
  // Runs the actions that waited for the last step, in the order they came.
  void RunWaiting();

 private:
  bool m_inStep = false;
  std::vector<std::function<void()>> m_waiting;
};

}  // namespace panelix::ui
