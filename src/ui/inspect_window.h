#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "readback/image_file.h"
#include "readback/inspection.h"
#include "ui/dialogs.h"

class QLabel;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace panelix::ui {

// "Inspect": reads a flash image, info bin or converter bin back with the same core as
// `panelix inspect`, shows its tables as a tree, draws the picture, glyph sheet or cursor under
// the selection and lists the problems ("OK" when there are none).
class InspectWindow : public QWidget {
  Q_OBJECT
 public:
  explicit InspectWindow(Dialogs& dialogs, QWidget* parent = nullptr);

  // Inspects a file as if it had been chosen in the open dialog.
  void OpenImage(const QString& path);

  QTreeWidget* TreeTables() const { return m_tree; }
  QListWidget* ListProblems() const { return m_problems; }
  QLabel* ImagePreview() const { return m_preview; }

 public slots:
  void BtnOpenClick();
  void TreeTablesSelect();

 private:
  void ShowInspection();
  void ShowPicture(const QString& kind, int index);

  Dialogs& m_dialogs;
  QTreeWidget* m_tree = nullptr;
  QListWidget* m_problems = nullptr;
  QLabel* m_preview = nullptr;
  std::unique_ptr<inspect::ImageFile> m_file;
  inspect::Inspection m_inspection;
};

}  // namespace panelix::ui
