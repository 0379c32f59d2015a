#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <functional>

#include "support/cli_runner.h"
#include "support/find_child.h"
#include "support/scripted_dialogs.h"
#include "ui/radio_group.h"

// Readable failures for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace panelix {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder for one test, removed afterwards.
class TempDir {
 public:
  TempDir() : m_dir(QDir::tempPath() + QStringLiteral("/panelix-ui-XXXXXX")) {}
  std::filesystem::path Path() const { return m_dir.path().toStdString(); }
  std::filesystem::path operator/(const std::string& name) const { return Path() / name; }

 private:
  QTemporaryDir m_dir;
};

Bytes ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

// A picture given as rows of 0xRRGGBB values, saved by Qt's own writers.
using Grid = std::vector<std::vector<std::uint32_t>>;
void SavePicture(const std::filesystem::path& path, const Grid& grid, const char* format) {
  QImage image(static_cast<int>(grid[0].size()), static_cast<int>(grid.size()), QImage::Format_RGB888);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      image.setPixel(x, y, 0xFF000000u | grid[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]);
    }
  }
  ASSERT_TRUE(image.save(QString::fromStdString(path.string()), format));
}

// The 5-6-5 bytes of a grid, little-endian, computed here from the colours themselves.
Bytes R5G6B5(const Grid& grid) {
  Bytes out;
  for (const auto& row : grid) {
    for (std::uint32_t c : row) {
      const std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
      const std::uint32_t v = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
      out.push_back(static_cast<std::uint8_t>(v & 0xFF));
      out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
  }
  return out;
}

QString Q(const std::filesystem::path& p) {
  return QString::fromStdString(p.string());
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : window(dialogs) { window.SetRunDelays(0, 0, 0); }

  template <typename T>
  T* Find(const char* name) {
    return test::FindChild<T>(window, name);
  }
  QListWidget* List() { return Find<QListWidget>("ListBox1"); }
  QStringList ListTexts() {
    QStringList texts;
    for (int i = 0; i < List()->count(); ++i) {
      texts << List()->item(i)->text();
    }
    return texts;
  }
  void Click(const char* name) { Find<QPushButton>(name)->click(); }
  void Choose(const std::filesystem::path& path) {
    dialogs.openAnswers.push_back(Q(path));
    Click("BtnInputPicture");
  }
  void RunToTheEnd(const char* button) {
    Click(button);
    ASSERT_TRUE(WaitFor([&] { return !window.Run().Running(); }));
  }

  TempDir dir;
  test::ScriptedDialogs dialogs;
  ui::TForm1 window;
};

TEST_F(MainWindowTest, ControlsCarryTheirCaptionsAndDefaults) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Panelix Tool V2.04  128K  Bmp ID two bytes"));
  const std::vector<std::pair<const char*, const char*>> buttons{
      {"BtnInputPicture", "Input Picture"}, {"BtnSConvert", "Single Convert"},
      {"BtnMConvert", "All Convert"},       {"BtnExit", "Exit"},
      {"BtnBmpUP", "Picture UP"},           {"BtnBmpDown", "Picture Down"}};
  for (const auto& [name, caption] : buttons) {
    EXPECT_EQ(Find<QPushButton>(name)->text(), QString::fromLatin1(caption)) << name;
  }
  const std::vector<std::pair<const char*, const char*>> boxes{{"CheckBoxY", "ReverseY"},
                                                               {"CheckBoxX", "ReverseX"},
                                                               {"CheckBoxNBin", "NandFlash BIN   "},
                                                               {"CheckBoxKZPng", "aRGB PNG  "}};
  for (const auto& [name, caption] : boxes) {
    EXPECT_EQ(Find<QCheckBox>(name)->text(), QString::fromLatin1(caption)) << name;
    EXPECT_FALSE(Find<QCheckBox>(name)->isChecked()) << name;
  }
  auto* combo = Find<QComboBox>("ComboBox1");
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(2), QStringLiteral("Black_White"));
  EXPECT_EQ(combo->currentIndex(), 0);
  EXPECT_EQ(Find<ui::RadioGroup>("RadioGroup1")->title(), QStringLiteral("RGB"));
  EXPECT_EQ(Find<ui::RadioGroup>("RadioGroup1")->property("itemIndex").toInt(), 0);
  EXPECT_EQ(Find<ui::RadioGroup>("RadioGroup2")->title(), QStringLiteral("Rotation"));
  EXPECT_EQ(Find<ui::RadioGroup>("RadioGroup2")->property("itemIndex").toInt(), 0);
  EXPECT_EQ(Find<QLabel>("Label1")->text(), QStringLiteral("PNG  Alpha     "));
  EXPECT_EQ(Find<QWidget>("Control")->width(), 202);
  EXPECT_EQ(Find<QListWidget>("ListBox1")->height(), 154);
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->maximum(), 100);

  // The alpha field takes digits only.
  auto* alpha = Find<QLineEdit>("EditAPNG");
  EXPECT_EQ(alpha->text(), QStringLiteral("150"));
  int pos = 0;
  QString typed = QStringLiteral("12a");
  EXPECT_EQ(alpha->validator()->validate(typed, pos), QValidator::Invalid);
  typed = QStringLiteral("255");
  EXPECT_EQ(alpha->validator()->validate(typed, pos), QValidator::Acceptable);

  const QStringList menu{
      QStringLiteral("File1"),    QStringLiteral("Bootloader1"), QStringLiteral("ICON1"),
      QStringLiteral("Font1"),    QStringLiteral("BinFile1"),    QStringLiteral("GIFTool1"),
      QStringLiteral("WAVTool1"), QStringLiteral("Panelix1"),    QStringLiteral("Inspect1")};
  for (const QString& name : menu) {
    auto* action = window.findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name.toStdString();
    EXPECT_TRUE(action->isEnabled());
  }
  EXPECT_EQ(window.findChild<QAction*>(QStringLiteral("File1"))->text(), QStringLiteral("Exit"));
}

TEST_F(MainWindowTest, DitherComesLastDefaultsToNoneAndShowsWhatItStores) {
  auto* dither = Find<QComboBox>("ComboDither");
  ASSERT_EQ(dither->count(), 3);
  EXPECT_EQ(dither->itemText(0), QStringLiteral("None"));
  EXPECT_EQ(dither->itemText(1), QStringLiteral("Ordered"));
  EXPECT_EQ(dither->itemText(2), QStringLiteral("Floyd-Steinberg"));
  EXPECT_EQ(dither->currentIndex(), 0);
  EXPECT_EQ(Find<QLabel>("LabelDither")->text(), QStringLiteral("Dither"));

  // A grey ramp of 16 x 8: with "Ordered" the preview shows the levels the bin stores.
  Grid ramp(8, std::vector<std::uint32_t>(16));
  for (std::size_t y = 0; y < 8; ++y) {
    for (std::size_t x = 0; x < 16; ++x) {
      ramp[y][x] = 0x010101U * static_cast<std::uint32_t>(40 + 3 * x + y);
    }
  }
  SavePicture(dir / "ramp.bmp", ramp, "BMP");
  Choose(dir / "ramp.bmp");
  const QImage plain = Find<QLabel>("Image1")->pixmap().toImage();
  dither->setCurrentIndex(1);
  const QImage dithered = Find<QLabel>("Image1")->pixmap().toImage().convertToFormat(QImage::Format_RGB888);
  EXPECT_NE(plain.convertToFormat(QImage::Format_RGB888), dithered);
  dialogs.saveAnswers.push_back(Q(dir / "Picture-ramp"));
  RunToTheEnd("BtnSConvert");
  Grid shown(8, std::vector<std::uint32_t>(16));
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) {
      shown[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = dithered.pixel(x, y) & 0xFFFFFFU;
    }
  }
  EXPECT_EQ(ReadBytes(dir / "Picture-ramp.bin"), R5G6B5(shown));
  EXPECT_NE(ReadBytes(dir / "Picture-ramp.bin"), R5G6B5(ramp));
}

TEST_F(MainWindowTest, InputPictureListsTheFolderAndLoadsTheChosenFile) {
  const Grid red{{0xFF0000, 0xFF0000}};
  SavePicture(dir / "a.bmp", red, "BMP");
  SavePicture(dir / "b.PNG", {{0x00FF00}}, "PNG");
  SavePicture(dir / "c.Png", red, "PNG");
  SavePicture(dir / ".x.bmp", red, "BMP");
  SavePicture(dir / "logo.big.png", {{1, 2, 3}, {4, 5, 6}}, "PNG");
  std::filesystem::create_directories(dir / "sub");
  WriteText(dir / "sub" / "d.jpg", "not decoded by the scan");
  WriteText(dir / "anim.gif", "GIF89a");
  const QStringList expected{Q(dir / "a.bmp"), Q(dir / "b.PNG"), Q(dir / "sub" / "d.jpg")};

  Choose(dir / "b.PNG");
  EXPECT_EQ(ListTexts(), expected);
  EXPECT_EQ(List()->currentRow(), 1);
  EXPECT_EQ(window.CurrentPreview().path, (dir / "b.PNG").string());
  EXPECT_EQ(window.CurrentPreview().image.width, 1);
  EXPECT_EQ(window.Folder(), Q(dir.Path()) + QLatin1Char('/'));
  EXPECT_EQ(dialogs.lastFilters.first(),
            QStringLiteral("All (*.gif;*.jpg;*.jpeg;*.png;*.bmp;*.tif;*.tiff;*.ico;*.emf;*.wmf)"));

  // A file the scan does not list is still loaded; entry 0 stays selected.
  Choose(dir / "logo.big.png");
  EXPECT_EQ(ListTexts(), expected);
  EXPECT_EQ(List()->currentRow(), 0);
  EXPECT_EQ(window.CurrentPreview().image.width, 3);

  // A GIF lists the folder and leaves the picture shown as it was.
  List()->setCurrentRow(1);
  EXPECT_EQ(window.CurrentPreview().image.width, 1);
  Choose(dir / "anim.gif");
  EXPECT_EQ(List()->currentRow(), 0);
  EXPECT_EQ(window.CurrentPreview().path, (dir / "anim.gif").string());
  EXPECT_EQ(window.CurrentPreview().image.width, 1);

  // Cancelling changes nothing.
  List()->setCurrentRow(1);
  dialogs.openAnswers.push_back(std::nullopt);
  Click("BtnInputPicture");
  EXPECT_EQ(ListTexts(), expected);
  EXPECT_EQ(List()->currentRow(), 1);
  EXPECT_EQ(window.CurrentPreview().path, (dir / "b.PNG").string());
  EXPECT_TRUE(dialogs.messages.isEmpty());

  // Selecting an entry that cannot be decoded says so and keeps the picture shown.
  List()->setCurrentRow(2);
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("Fail to Open the file")});
  EXPECT_EQ(window.CurrentPreview().image.width, 1);
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(MainWindowTest, PictureUpAndDownMoveTheSelectedEntry) {
  for (const char* name : {"p0.bmp", "p1.bmp", "p2.bmp", "p3.bmp", "p4.bmp"}) {
    SavePicture(dir / name, {{0x123456}}, "BMP");
  }
  Choose(dir / "p0.bmp");
  const QStringList before = ListTexts();
  List()->setCurrentRow(3);
  Click("BtnBmpUP");
  EXPECT_EQ(List()->currentRow(), 2);
  EXPECT_EQ(List()->item(2)->text(), before[3]);
  EXPECT_EQ(List()->item(3)->text(), before[2]);
  EXPECT_EQ(window.CurrentPreview().path, before[3].toStdString());
  Click("BtnBmpUP");
  Click("BtnBmpUP");
  Click("BtnBmpUP");
  EXPECT_EQ(List()->currentRow(), 0);
  EXPECT_EQ(List()->item(0)->text(), before[3]);
  Click("BtnBmpDown");
  EXPECT_EQ(List()->currentRow(), 1);
  List()->setCurrentRow(4);
  Click("BtnBmpDown");
  EXPECT_EQ(List()->currentRow(), 4);
  EXPECT_EQ(ListTexts(), (QStringList{before[0], before[3], before[1], before[2], before[4]}));

  // A one-entry list does not move.
  std::filesystem::create_directories(dir / "one");
  SavePicture(dir / "one" / "only.bmp", {{0}}, "BMP");
  Choose(dir / "one" / "only.bmp");
  Click("BtnBmpUP");
  Click("BtnBmpDown");
  EXPECT_EQ(ListTexts(), QStringList{Q(dir / "one" / "only.bmp")});
}

TEST_F(MainWindowTest, AllConvertWritesEveryPictureAndTheAddressList) {
  const Grid g0{{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFFFF}};
  const Grid g1{{0x123456, 0x000000, 0x808080}};
  const Grid g2{{0x07030F}, {0xFFFF00}};
  SavePicture(dir / "p0.bmp", g0, "BMP");
  SavePicture(dir / "p1.png", g1, "PNG");
  SavePicture(dir / "p2.BMP", g2, "BMP");
  Choose(dir / "p2.BMP");
  dialogs.saveAnswers.push_back(Q(dir / "Picture-main"));
  RunToTheEnd("BtnMConvert");

  EXPECT_EQ(dialogs.lastSaveProposed, QStringLiteral("Picture-"));
  EXPECT_EQ(dialogs.messages,
            (QStringList{QStringLiteral("Start to convert, please wait..."), QStringLiteral("Convert ok")}));
  Bytes expected = R5G6B5(g0);
  for (const Grid* g : {&g1, &g2}) {
    const Bytes more = R5G6B5(*g);
    expected.insert(expected.end(), more.begin(), more.end());
  }
  EXPECT_EQ(ReadBytes(dir / "Picture-main.bin"), expected);
  const std::string list = "{2, 2, 0x00000000, 0x00000008},//" + (dir / "p0.bmp").string() + "\r\n" +
                           "{3, 1, 0x00000008, 0x00000006},//" + (dir / "p1.png").string() + "\r\n" +
                           "{1, 2, 0x0000000E, 0x00000004},//" + (dir / "p2.BMP").string() + "\r\n";
  const Bytes written = ReadBytes(dir / "Picture-main-Addr.txt");
  EXPECT_EQ(std::string(written.begin(), written.end()), list);
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 100);
  EXPECT_EQ(List()->currentRow(), 2);

  // Single Convert of the picture shown, turned a quarter clockwise this time, into the same bin:
  // the bin is begun anew and the address list replaced.
  Find<ui::RadioGroup>("RadioGroup2")->setProperty("itemIndex", 1);
  List()->setCurrentRow(0);
  dialogs.saveAnswers.push_back(Q(dir / "Picture-main.bin"));
  RunToTheEnd("BtnSConvert");
  const Grid turned{{0x0000FF, 0xFF0000}, {0xFFFFFF, 0x00FF00}};
  EXPECT_EQ(ReadBytes(dir / "Picture-main.bin"), R5G6B5(turned));
  const Bytes single = ReadBytes(dir / "Picture-main-Addr.txt");
  EXPECT_EQ(std::string(single.begin(), single.end()),
            "{2, 2, 0x00000000, 0x00000008},//" + (dir / "p0.bmp").string() + "\r\n");
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(MainWindowTest, JpegWarningsAreShownInOneBoxAfterTheRun) {
  // Two JPEGs with two stray bytes before their scan convert; their decoder's warnings come in one
  // box after "Convert ok".
  SavePicture(dir / "p0.jpg", {{0x808080, 0x808080}}, "JPG");
  SavePicture(dir / "p1.bmp", {{0x00FF00}}, "BMP");
  SavePicture(dir / "p2.jpg", {{0x404040}}, "JPG");
  for (const char* name : {"p0.jpg", "p2.jpg"}) {
    Bytes jpeg = ReadBytes(dir / name);
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
      if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
        jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(i), {0x00, 0x00});
        break;
      }
    }
    WriteText(dir / name, std::string(jpeg.begin(), jpeg.end()));
  }
  Choose(dir / "p0.jpg");
  dialogs.saveAnswers.push_back(Q(dir / "out.bin"));
  RunToTheEnd("BtnMConvert");
  const QString text = QStringLiteral(": Corrupt JPEG data: 2 extraneous bytes before marker 0xda");
  EXPECT_EQ(dialogs.messages,
            (QStringList{QStringLiteral("Start to convert, please wait..."), QStringLiteral("Convert ok"),
                         QStringLiteral("These pictures were converted, but their decoder warned:\n") +
                             Q(dir / "p0.jpg") + text + QStringLiteral("\n") + Q(dir / "p2.jpg") + text}));
  EXPECT_EQ(ReadBytes(dir / "out.bin").size(), (2U + 1 + 1) * 2);
}

TEST_F(MainWindowTest, APictureThatFailsEndsTheRunWithALineInTheMemo) {
  SavePicture(dir / "p0.bmp", {{0xFF0000}}, "BMP");
  SavePicture(dir / "p1.bmp", {{0x00FF00}}, "BMP");
  WriteText(dir / "p2.bmp", "BM but not really a bitmap");
  SavePicture(dir / "p3.bmp", {{0x0000FF}}, "BMP");
  Choose(dir / "p0.bmp");
  dialogs.saveAnswers.push_back(Q(dir / "out.bin"));
  RunToTheEnd("BtnMConvert");
  EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->toPlainText(),
            QStringLiteral("{1, 1, 0x00000000, 0x00000002},//") + Q(dir / "p0.bmp") +
                QStringLiteral("\n{1, 1, 0x00000002, 0x00000002},//") + Q(dir / "p1.bmp") +
                QStringLiteral("\nFail to convert ") + Q(dir / "p2.bmp"));
  // A run that fails leaves no new files.
  EXPECT_FALSE(std::filesystem::exists(dir / "out.bin"));
  EXPECT_FALSE(std::filesystem::exists(dir / "out-Addr.txt"));
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("Start to convert, please wait...")});
}

TEST_F(MainWindowTest, StartsCheckTheListTheNameAndTheFirstPicture) {
  Click("BtnSConvert");
  Click("BtnMConvert");
  EXPECT_EQ(dialogs.messages,
            (QStringList{QStringLiteral("Please input picture!"), QStringLiteral("Please input picture!")}));
  dialogs.messages.clear();

  SavePicture(dir / "p0.png", {{0xFF0000}}, "PNG");
  Choose(dir / "p0.png");
  dialogs.saveAnswers.push_back(std::nullopt);
  Click("BtnSConvert");
  dialogs.saveAnswers.push_back(QString());
  Click("BtnMConvert");
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("Error file's name")});
  dialogs.messages.clear();

  // A threshold the field cannot hold as a number stops "All Convert" before it starts, with the
  // number error's own text.
  Find<QLineEdit>("EditAPNG")->setText(QString());
  dialogs.saveAnswers.push_back(Q(dir / "x"));
  Click("BtnMConvert");
  EXPECT_EQ(dialogs.messages, (QStringList{QStringLiteral("Start to convert, please wait..."),
                                           QStringLiteral("'' is not a valid integer value")}));
  EXPECT_FALSE(window.Run().Running());
  EXPECT_FALSE(std::filesystem::exists(dir / "x.bin"));
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(MainWindowTest, ExitStopsTheRunBeforeItsNextPictureAndClosesTheWindow) {
  SavePicture(dir / "p0.bmp", {{0xFF0000}}, "BMP");
  SavePicture(dir / "p1.bmp", {{0x00FF00}}, "BMP");
  Choose(dir / "p0.bmp");
  window.show();
  window.SetRunDelays(30, 30, 0);
  dialogs.saveAnswers.push_back(Q(dir / "out.bin"));
  Click("BtnMConvert");
  Click("BtnExit");
  WaitFor([] { return false; }, 150);
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(std::filesystem::exists(dir / "out.bin"));
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("Start to convert, please wait...")});
}

// What an "All Convert" run leaves behind.
struct RunLeft {
  Bytes bin;
  Bytes list;
  QString memo;
  QStringList messages;
  std::string preview;
  bool binExists = false;
  bool operator==(const RunLeft&) const = default;
};

// Pictures of several kinds, 5 x 3 so that a turn shows; p3.png has alpha, so its threshold
// matters, and p1.jpg decodes with a warning.
void SaveMixedPictures(const TempDir& dir) {
  Grid grid(3, std::vector<std::uint32_t>(5));
  for (std::size_t y = 0; y < 3; ++y) {
    for (std::size_t x = 0; x < 5; ++x) {
      grid[y][x] = static_cast<std::uint32_t>(0x30 * x + 0x2000 * y + 0x050000);
    }
  }
  SavePicture(dir / "p0.bmp", grid, "BMP");
  SavePicture(dir / "p1.jpg", grid, "JPG");
  Bytes jpeg = ReadBytes(dir / "p1.jpg");
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
      jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(i), {0x00, 0x00});
      break;
    }
  }
  WriteText(dir / "p1.jpg", std::string(jpeg.begin(), jpeg.end()));
  SavePicture(dir / "p2.png", grid, "PNG");
  QImage alpha(5, 3, QImage::Format_ARGB32);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      alpha.setPixel(x, y, (static_cast<std::uint32_t>(40 * x + 20 * y) << 24) | 0x00000204u);
    }
  }
  ASSERT_TRUE(alpha.save(Q(dir / "p3.png"), "PNG"));
  SavePicture(dir / "p4.bmp", grid, "BMP");
}

class LookAheadTest : public MainWindowTest {
 protected:
  // Runs "All Convert" over the folder's pictures with depth pictures decoded ahead, the controls
  // at their defaults; atStepEnd(k) acts when picture k is written, before the next is loaded.
  RunLeft RunAll(std::size_t depth, const std::function<void(int)>& atStepEnd = {}) {
    window.SetLookAheadDepth(depth);
    Find<QComboBox>("ComboBox1")->setCurrentIndex(0);
    Find<ui::RadioGroup>("RadioGroup2")->setProperty("itemIndex", 0);
    Find<QLineEdit>("EditAPNG")->setText(QStringLiteral("150"));
    Find<QCheckBox>("CheckBoxKZPng")->setChecked(false);
    Choose(dir / "p0.bmp");
    std::filesystem::remove(dir / "out.bin");
    std::filesystem::remove(dir / "out-Addr.txt");
    dialogs.messages.clear();
    int written = 0;
    const QMetaObject::Connection connection =
        QObject::connect(Find<QProgressBar>("ProgressBar1"), &QProgressBar::valueChanged, [&](int value) {
          if (value == 100 && atStepEnd) {
            atStepEnd(written++);
          }
        });
    dialogs.saveAnswers.push_back(Q(dir / "out.bin"));
    RunToTheEnd("BtnMConvert");
    QObject::disconnect(connection);
    RunLeft left;
    left.binExists = std::filesystem::exists(dir / "out.bin");
    left.bin = ReadBytes(dir / "out.bin");
    left.list = ReadBytes(dir / "out-Addr.txt");
    left.memo = Find<QPlainTextEdit>("Memo1")->toPlainText();
    left.messages = dialogs.messages;
    left.preview = window.CurrentPreview().path;
    return left;
  }
};

TEST_F(LookAheadTest, DecodingAheadLeavesWhatTheStepsLeft) {
  SaveMixedPictures(dir);
  const RunLeft plain = RunAll(0);
  EXPECT_TRUE(plain.binExists);
  EXPECT_EQ(plain.messages.size(), 3);  // start, "Convert ok", the JPEG's warning
  EXPECT_EQ(plain.memo.count(QLatin1Char('\n')), 4);
  EXPECT_EQ(RunAll(1), plain);
  EXPECT_EQ(RunAll(2), plain);

  // A damaged picture in the middle ends both runs at the same step.
  WriteText(dir / "p2.png", "\x89PNG but no more");
  const RunLeft failed = RunAll(0);
  EXPECT_FALSE(failed.binExists);
  EXPECT_TRUE(failed.memo.endsWith(QStringLiteral("Fail to convert ") + Q(dir / "p2.png")));
  EXPECT_EQ(RunAll(2), failed);
}

TEST_F(LookAheadTest, ControlsAndTheListChangedDuringTheRunActAsWithoutIt) {
  SaveMixedPictures(dir);
  // After picture 0: another format and threshold; after 1: a quarter turn, and the entry just
  // written moves down, so the run takes it again; after 3: "aRGB PNG" ticked.
  const auto change = [this](int written) {
    if (written == 0) {
      Find<QComboBox>("ComboBox1")->setCurrentIndex(2);
      Find<QLineEdit>("EditAPNG")->setText(QStringLiteral("70"));
    } else if (written == 1) {
      Find<ui::RadioGroup>("RadioGroup2")->setProperty("itemIndex", 1);
      Click("BtnBmpDown");
    } else if (written == 3) {
      Find<QCheckBox>("CheckBoxKZPng")->setChecked(true);
    }
  };
  const RunLeft plain = RunAll(0, change);
  EXPECT_TRUE(plain.binExists);
  EXPECT_NE(plain.bin, RunAll(0).bin);
  EXPECT_EQ(plain.memo.count(Q(dir / "p1.jpg")), 2);
  EXPECT_EQ(RunAll(2, change), plain);
}

TEST_F(LookAheadTest, ClosingTheWindowDuringARunEndsItsWorkCleanly) {
  Grid big(300, std::vector<std::uint32_t>(400));
  for (std::size_t y = 0; y < big.size(); ++y) {
    for (std::size_t x = 0; x < big[y].size(); ++x) {
      big[y][x] = static_cast<std::uint32_t>(x * 131 + y * 7919);
    }
  }
  for (int i = 0; i < 6; ++i) {
    SavePicture(dir / ("p" + std::to_string(i) + ".png"), big, "PNG");
  }
  for (int rowsWritten : {1, 2, 4}) {
    SCOPED_TRACE(rowsWritten);
    auto own = std::make_unique<ui::TForm1>(dialogs);
    own->SetRunDelays(0, 20, 0);
    dialogs.openAnswers.push_back(Q(dir / "p0.png"));
    test::FindChild<QPushButton>(*own, "BtnInputPicture")->click();
    dialogs.saveAnswers.push_back(Q(dir / "out.bin"));
    test::FindChild<QPushButton>(*own, "BtnMConvert")->click();
    const auto* memo = test::FindChild<QPlainTextEdit>(*own, "Memo1");
    ASSERT_TRUE(WaitFor([&] {
      return (!memo->toPlainText().isEmpty() && memo->blockCount() >= rowsWritten) || !own->Run().Running();
    }));
    ASSERT_TRUE(own->Run().Running()) << memo->toPlainText().toStdString();
    own.reset();
    EXPECT_FALSE(std::filesystem::exists(dir / "out.bin"));
  }
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    ++files;
  }
  EXPECT_EQ(files, 6U);  // the pictures, no temporary bin left
}

// The window's "All Convert" and `panelix picture` write the same bytes for the same settings.
TEST_F(MainWindowTest, AllConvertWritesWhatTheCliWritesForEveryFormat) {
  SavePicture(dir / "a.bmp", {{0xFF0000, 0x123456, 0x000000}, {0xFFFFFF, 0x808080, 0x0A0B0C}}, "BMP");
  // A PNG with alpha: without "aRGB PNG" ticked it is encoded in the chosen format.
  QImage alpha(3, 2, QImage::Format_ARGB32);
  alpha.fill(0x80FF8000u);
  alpha.setPixel(1, 1, 0x00000000u);
  alpha.setPixel(2, 0, 0xFF10E0F0u);
  ASSERT_TRUE(alpha.save(Q(dir / "b.png"), "PNG"));
  struct Case {
    int format;  // index of ComboBox1
    const char* cliFormat;
  };
  const Case cases[] = {{0, "r5g6b5"}, {1, "r8g8b8"}, {2, "bw"}};
  Choose(dir / "a.bmp");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cliFormat);
    Find<QComboBox>("ComboBox1")->setCurrentIndex(c.format);
    const std::string name = std::string("Picture-") + c.cliFormat;
    dialogs.saveAnswers.push_back(Q(dir / name));
    RunToTheEnd("BtnMConvert");
    const auto cli = test::RunCli({"picture", "--format", c.cliFormat, "-o", (dir / ("cli-" + name)).string(),
                                   (dir / "a.bmp").string(), (dir / "b.png").string()});
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    const Bytes fromWindow = ReadBytes(dir / (name + ".bin"));
    EXPECT_FALSE(fromWindow.empty());
    EXPECT_EQ(fromWindow, ReadBytes(dir / ("cli-" + name + ".bin")));
    EXPECT_EQ(ReadBytes(dir / (name + "-Addr.txt")), ReadBytes(dir / ("cli-" + name + "-Addr.txt")));
  }
}

}  // namespace
}  // namespace panelix
