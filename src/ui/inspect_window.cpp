#include "ui/inspect_window.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/error.h"
#include "bootloader/command_flags.h"
#include "output/output_names.h"
#include "readback/extract.h"

namespace panelix::ui {

namespace {

QString Hex8(std::uint64_t value) {
  return QStringLiteral("0x") + QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

QTreeWidgetItem* Branch(QTreeWidget* tree, const QString& caption) {
  auto* item = new QTreeWidgetItem(tree, {caption});
  return item;
}

// A leaf that names what it shows: kind and index, read back when it is selected.
void Leaf(QTreeWidgetItem* parent, const QString& caption, const QString& kind = {}, int index = -1) {
  auto* item = new QTreeWidgetItem(parent, {caption});
  item->setData(0, Qt::UserRole, kind);
  item->setData(0, Qt::UserRole + 1, index);
}

QImage ToQImage(const inspect::Rgba& picture) {
  QImage image(static_cast<int>(picture.width), static_cast<int>(picture.height), QImage::Format_RGBA8888);
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    std::memcpy(image.scanLine(static_cast<int>(y)),
                picture.pixels.data() + static_cast<std::size_t>(y) * picture.width * 4,
                static_cast<std::size_t>(picture.width) * 4);
  }
  return image;
}

}  // namespace

InspectWindow::InspectWindow(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("FormInspect"));
  setWindowTitle(QStringLiteral("Inspect"));
  auto* layout = new QVBoxLayout(this);
  auto* open = new QPushButton(QStringLiteral("Open"), this);
  open->setObjectName(QStringLiteral("BtnOpen"));
  connect(open, &QPushButton::clicked, this, &InspectWindow::BtnOpenClick);
  layout->addWidget(open, 0, Qt::AlignLeft);
  auto* splitter = new QSplitter(this);
  m_tree = new QTreeWidget(splitter);
  m_tree->setObjectName(QStringLiteral("TreeTables"));
  m_tree->setHeaderLabels({QStringLiteral("Tables")});
  connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &InspectWindow::TreeTablesSelect);
  auto* scroll = new QScrollArea(splitter);
  m_preview = new QLabel(scroll);
  m_preview->setObjectName(QStringLiteral("ImagePreview"));
  scroll->setWidget(m_preview);
  scroll->setWidgetResizable(true);
  m_preview->setAlignment(Qt::AlignCenter);
  layout->addWidget(splitter, 1);
  m_problems = new QListWidget(this);
  m_problems->setObjectName(QStringLiteral("ListProblems"));
  m_problems->setAccessibleName(QStringLiteral("Problems"));
  m_problems->setMaximumHeight(120);
  layout->addWidget(m_problems);
  resize(900, 600);
}

void InspectWindow::BtnOpenClick() {
  const std::optional<QString> chosen =
      m_dialogs.OpenFile(this, QStringLiteral("Open Image"), {},
                         {QStringLiteral("Bins (*.bin)"), QStringLiteral("All files (*)")});
  if (chosen) {
    OpenImage(*chosen);
  }
}

void InspectWindow::OpenImage(const QString& path) {
  try {
    const std::filesystem::path file = path.toStdString();
    m_file = std::make_unique<inspect::ImageFile>(file);
    const auto list = file.parent_path() / output::AddressListName(file.filename().string());
    std::error_code error;
    m_inspection = std::filesystem::is_regular_file(list, error) ? inspect::InspectConverterBin(*m_file, list)
                                                                 : inspect::InspectFile(*m_file);
  } catch (const Error& e) {
    m_file.reset();
    m_dialogs.Message(this, QString::fromStdString(e.what()));
    return;
  }
  ShowInspection();
}

void InspectWindow::ShowInspection() {
  const inspect::Inspection& in = m_inspection;
  m_tree->clear();
  m_preview->clear();
  if (!in.converterBin) {
    QTreeWidgetItem* block = Branch(m_tree, QStringLiteral("Info block"));
    Leaf(block, QStringLiteral("block size %1").arg(Hex8(in.blockSize)));
    Leaf(block,
         QStringLiteral("build time %1").arg(QString::fromStdString(inspect::BuildTimeText(in.buildTime))));
    QTreeWidgetItem* info = Branch(m_tree, QStringLiteral("[INFO]"));
    for (const auto& [key, value] : in.info) {
      Leaf(info, QString::fromStdString(key + " = " + value));
    }
    QTreeWidgetItem* boot = Branch(m_tree, QStringLiteral("Bootloader"));
    Leaf(boot, in.bootloader ? QString::fromStdString(bootloader::BootloaderFlagsText(*in.bootloader))
                             : QStringLiteral("none"));
  }
  QTreeWidgetItem* pictures = Branch(m_tree, QStringLiteral("Pictures (%1)").arg(in.pictureCount));
  for (std::size_t i = 0; i < in.pictures.size(); ++i) {
    const auto& row = in.pictures[i];
    Leaf(pictures,
         QStringLiteral("%1: %2 x %3 at %4, %5 bytes")
             .arg(row.number)
             .arg(row.entry.width)
             .arg(row.entry.height)
             .arg(Hex8(row.entry.address), Hex8(row.entry.length)),
         QStringLiteral("picture"), static_cast<int>(i));
  }
  if (!in.converterBin) {
    QTreeWidgetItem* fonts = Branch(m_tree, QStringLiteral("Fonts (%1)").arg(in.fonts.size()));
    for (std::size_t i = 0; i < in.fonts.size(); ++i) {
      Leaf(fonts,
           QStringLiteral("slot %1: size code %2").arg(in.fonts[i].slot).arg(in.fonts[i].entry.sizeCode),
           QStringLiteral("font"), static_cast<int>(i));
    }
    QTreeWidgetItem* sounds = Branch(m_tree, QStringLiteral("Sounds (%1)").arg(in.sounds.size()));
    for (const auto& sound : in.sounds) {
      Leaf(sounds, QStringLiteral("%1: at %2, %3 bytes")
                       .arg(sound.number)
                       .arg(Hex8(sound.address), Hex8(sound.length)));
    }
    QTreeWidgetItem* cursors = Branch(m_tree, QStringLiteral("Cursors (%1)").arg(in.cursors.size()));
    for (std::size_t i = 0; i < in.cursors.size(); ++i) {
      Leaf(cursors, QStringLiteral("%1: at %2").arg(i).arg(Hex8(in.cursors[i].address)),
           QStringLiteral("cursor"), static_cast<int>(i));
    }
    QTreeWidgetItem* commands = Branch(m_tree, QStringLiteral("[USERCMD] (%1)").arg(in.commands.size()));
    for (const auto& line : in.commands) {
      Leaf(commands, QString::fromStdString(line.text));
    }
  }
  m_problems->clear();
  if (in.problems.empty()) {
    m_problems->addItem(QStringLiteral("OK"));
  }
  for (const std::string& problem : in.problems) {
    m_problems->addItem(QString::fromStdString(problem));
  }
  show();
}

void InspectWindow::TreeTablesSelect() {
  const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
  if (selected.isEmpty()) {
    return;
  }
  ShowPicture(selected.front()->data(0, Qt::UserRole).toString(),
              selected.front()->data(0, Qt::UserRole + 1).toInt());
}

void InspectWindow::ShowPicture(const QString& kind, int index) {
  m_preview->clear();
  if (!m_file || index < 0) {
    return;
  }
  try {
    inspect::Rgba picture;
    const auto at = static_cast<std::size_t>(index);
    if (kind == QStringLiteral("picture")) {
      const auto& entry = m_inspection.pictures.at(at).entry;
      const auto layout =
          inspect::InferLayout(entry.width, entry.height, entry.length, inspect::StoredFormat::R5G6B5);
      if (!layout) {
        return;
      }
      picture = inspect::DecodePicture(m_file->Read(entry.address, entry.length), entry.width, entry.height,
                                       *layout);
    } else if (kind == QStringLiteral("font")) {
      const auto& entry = m_inspection.fonts.at(at).entry;
      picture = inspect::FontProofSheet(m_file->Read(entry.address, entry.length), entry.sizeCode);
    } else if (kind == QStringLiteral("cursor")) {
      const auto& entry = m_inspection.cursors.at(at);
      picture = inspect::CursorPicture(m_file->Read(entry.address, entry.length));
    } else {
      return;
    }
    m_preview->setPixmap(QPixmap::fromImage(ToQImage(picture)));
  } catch (const Error& e) {
    m_preview->setText(QString::fromStdString(e.what()));
  }
}

}  // namespace panelix::ui
