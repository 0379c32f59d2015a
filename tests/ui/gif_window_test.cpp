#include "ui/gif_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <functional>

#include "gif/gif_maker.h"
#include "support/find_child.h"
#include "support/scripted_dialogs.h"
#include "ui/radio_group.h"

inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace panelix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::MakeGif;

const test::Palette kColors{{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class GifWindowTest : public ::testing::Test {
 protected:
  GifWindowTest() : folder(QDir::tempPath() + QStringLiteral("/panelix-gif-XXXXXX")), window(dialogs) {
    window.SetRunDelays(0, 0);
  }

  std::filesystem::path Dir() const { return folder.path().toStdString(); }
  QString Path(const char* name) const { return folder.path() + QLatin1Char('/') + QString::fromUtf8(name); }
  template <typename T>
  T* Find(const char* name) {
    return test::FindChild<T>(window, name);
  }
  QListWidget* List() { return Find<QListWidget>("ListBox1"); }
  void Choose(const QString& path) {
    dialogs.openAnswers.push_back(path);
    Find<QPushButton>("Button1")->click();
  }
  void RunToTheEnd(const char* button, const QString& output) {
    dialogs.saveAnswers.push_back(output);
    Find<QPushButton>(button)->click();
    QElapsedTimer clock;
    clock.start();
    while (window.Run().Running() && clock.elapsed() < 10000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(1);
    }
    ASSERT_FALSE(window.Run().Running());
  }

  QTemporaryDir folder;
  test::ScriptedDialogs dialogs;
  ui::TForm6 window;
};

TEST_F(GifWindowTest, InputPictureListsTheFolderSGifsAndPreviewsTheChosenOne) {
  const Bytes gif = MakeGif(10, 6, kColors, {{0, 0, 10, 6, Bytes(60, 1)}});
  const std::string longName = std::string(140, 'w') + ".gif";
  for (const std::string& name :
       {std::string("a.gif"), std::string("b.GIF"), std::string("c.Gif"), longName}) {
    WriteBytes(Dir() / name, gif);
  }
  WriteBytes(Dir() / "d.png", {});

  Choose(Path("b.GIF"));
  QStringList names;
  for (int i = 0; i < List()->count(); ++i) {
    names << List()->item(i)->text();
  }
  EXPECT_EQ(names, (QStringList{QStringLiteral("a.gif"), QStringLiteral("b.GIF"),
                                QString::fromStdString(longName)}));
  EXPECT_EQ(List()->currentRow(), 1);
  EXPECT_EQ(window.Folder(), folder.path() + QLatin1Char('/'));
  EXPECT_EQ(dialogs.lastFilters,
            (QStringList{QStringLiteral("All(*.gif;*.GIF)"), QStringLiteral("gif Image File (*.gif)"),
                         QStringLiteral("GIF Image File (*.GIF)")}));
  // The preview keeps the logical screen's area even when the frame is shown turned.
  EXPECT_EQ(Find<QLabel>("Image1")->size(), QSize(10, 6));

  // A name longer than 129 characters is compared by its first 129 only, so it is not found.
  Choose(Path(longName.c_str()));
  EXPECT_EQ(List()->currentRow(), 0);

  Find<ui::RadioGroup>("RadioGroup2")->setProperty("itemIndex", 1);
  List()->setCurrentRow(1);
  EXPECT_EQ(Find<QLabel>("Image1")->size(), QSize(10, 6));
  EXPECT_EQ(window.WorkCanvas().width, 10);

  // A file that is no GIF says so.
  WriteBytes(Dir() / "bad.gif", {'G', 'I', 'F'});
  Choose(Path("bad.gif"));
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("Fail to Open the file")});
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(GifWindowTest, AllConvertWritesEveryFrameWithItsRowsAndLineEndings) {
  // a.gif: three 2 x 1 frames; b.gif: two frames on a 1 x 1 screen.
  WriteBytes(Dir() / "a.gif",
             MakeGif(2, 1, kColors, {{0, 0, 2, 1, {1, 2}}, {1, 0, 1, 1, {3}}, {0, 0, 2, 1, {0, 1}, {}, 0}}));
  WriteBytes(Dir() / "b.gif", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {2}}, {0, 0, 1, 1, {0}}}));
  Choose(Path("b.gif"));
  Find<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("left from before"));
  RunToTheEnd("BtnAConvert", Path("Gif-walk"));

  EXPECT_EQ(dialogs.lastSaveProposed, QStringLiteral("Gif-"));
  EXPECT_EQ(dialogs.messages,
            (QStringList{QStringLiteral("Start to convert, please wait..."), QStringLiteral("Convert ok")}));
  // R5G6B5 little-endian: red 00 F8, green E0 07, blue 1F 00, black 00 00.
  const std::string bin = ReadText(Dir() / "Gif-walk.bin");
  EXPECT_EQ(Bytes(bin.begin(), bin.end()), (Bytes{0x00, 0xF8, 0xE0, 0x07,  // R G
                                                  0x00, 0xF8, 0x1F, 0x00,  // R B
                                                  0x00, 0xF8, 0x00, 0xF8,  // (transparent) R
                                                  0xE0, 0x07,     // the canvas shrinks to its top left: G
                                                  0x00, 0x00}));  // black
  EXPECT_EQ(ReadText(Dir() / "Gif-walk-Addr.txt"),
            "//0\r\n"
            "{2, 1, 0x00000000, 0x00000004},//a.gif-Frames0\n\r\n"
            "{2, 1, 0x00000004, 0x00000004},//a.gif-Frames1\n\r\n"
            "{2, 1, 0x00000008, 0x00000004},//a.gif-Frames2\n\r\n"
            "//1\r\n"
            "{1, 1, 0x0000000C, 0x00000002},//b.gif-Frames0\n\r\n"
            "{1, 1, 0x0000000E, 0x00000002},//b.gif-Frames1\n\r\n");
  // On screen every row is one line of the memo.
  EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->document()->blockCount(), 7);
  // The list selection does not follow the run.
  EXPECT_EQ(List()->currentRow(), 1);
}

TEST_F(GifWindowTest, SingleConvertTakesTheSelectedGifAndFailuresEndTheRun) {
  WriteBytes(Dir() / "a.gif", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {1}}}));
  WriteBytes(Dir() / "b.gif", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {3}}}));
  WriteBytes(Dir() / "c.gif", {'G', 'I', 'F', '8', '9', 'a'});
  Choose(Path("b.gif"));
  RunToTheEnd("BtnSConvert", Path("one.bin"));
  EXPECT_EQ(ReadText(Dir() / "one-Addr.txt"), "//1\r\n{1, 1, 0x00000000, 0x00000002},//b.gif-Frames0\n\r\n");

  dialogs.messages.clear();
  RunToTheEnd("BtnAConvert", Path("all.bin"));
  EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->toPlainText().split(QLatin1Char('\n')).last(),
            QStringLiteral("Fail to convert c.gif"));
  // A run that fails leaves no new files.
  EXPECT_FALSE(std::filesystem::exists(Dir() / "all-Addr.txt"));
  EXPECT_FALSE(std::filesystem::exists(Dir() / "all.bin"));
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("Start to convert, please wait...")});
}

// What an "All Convert" run leaves behind.
struct RunLeft {
  std::string bin;
  std::string list;
  QString memo;
  QStringList messages;
  std::vector<std::uint8_t> canvas;
  bool operator==(const RunLeft&) const = default;
};

class GifLookAheadTest : public GifWindowTest {
 protected:
  // GIFs with see-through pixels, so what the canvas held before shows in later frames; c.gif
  // holds 40 frames, more than are decoded ahead at once.
  void SaveGifs(bool damagedInTheMiddle) {
    WriteBytes(Dir() / "a.gif",
               MakeGif(3, 2, kColors, {{0, 0, 3, 2, {1, 2, 3, 1, 2, 3}}, {1, 0, 1, 1, {2}}}));
    WriteBytes(Dir() / "b.gif", MakeGif(4, 2, kColors, {{1, 0, 2, 2, {0, 3, 3, 0}, {}, 0}}));
    if (damagedInTheMiddle) {
      WriteBytes(Dir() / "b.gif", {'G', 'I', 'F', '8', '9', 'a', 4, 0, 2, 0});
    }
    std::vector<test::TestFrame> many;
    for (std::uint8_t i = 0; i < 40; ++i) {
      many.push_back({i % 5, 0, 1, 2, {static_cast<std::uint8_t>(i % 4), 0}, {}, 0});
    }
    WriteBytes(Dir() / "c.gif", MakeGif(5, 3, kColors, many));
  }

  // Runs "All Convert" with depth GIFs decoded ahead; atStepEnd(k) acts after frame row k.
  RunLeft RunAll(std::size_t depth, const std::function<void(int)>& atStepEnd = {}) {
    window.SetLookAheadDepth(depth);
    Find<ui::RadioGroup>("RadioGroup2")->setProperty("itemIndex", 0);
    Find<QComboBox>("ComboBox1")->setCurrentIndex(0);
    Choose(Path("a.gif"));
    std::filesystem::remove(Dir() / "out.bin");
    std::filesystem::remove(Dir() / "out-Addr.txt");
    dialogs.messages.clear();
    int rows = 0;
    const QMetaObject::Connection connection =
        QObject::connect(Find<QProgressBar>("ProgressBar1"), &QProgressBar::valueChanged, [&](int value) {
          if (value == 100 && atStepEnd) {
            atStepEnd(rows++);
          }
        });
    RunToTheEnd("BtnAConvert", Path("out.bin"));
    QObject::disconnect(connection);
    RunLeft left;
    left.bin = ReadText(Dir() / "out.bin");
    left.list = ReadText(Dir() / "out-Addr.txt");
    left.memo = Find<QPlainTextEdit>("Memo1")->toPlainText();
    left.messages = dialogs.messages;
    left.canvas = window.WorkCanvas().rgb;
    return left;
  }
};

TEST_F(GifLookAheadTest, DecodingAheadLeavesWhatTheStepsLeft) {
  for (const bool damaged : {false, true}) {
    SCOPED_TRACE(damaged);
    SaveGifs(damaged);
    const RunLeft plain = RunAll(0);
    EXPECT_EQ(plain.bin.empty(), damaged);
    EXPECT_EQ(plain.memo.endsWith(QStringLiteral("Fail to convert b.gif")), damaged);
    EXPECT_EQ(RunAll(1), plain);
    EXPECT_EQ(RunAll(2), plain);
  }
}

TEST_F(GifLookAheadTest, ControlsAndThePreviewChangedDuringTheRunActAsWithoutIt) {
  SaveGifs(false);
  // After row 1 the format changes and c.gif's preview is drawn on the canvas b.gif then finds;
  // after row 5 the frames turn.
  const auto change = [this](int row) {
    if (row == 1) {
      Find<QComboBox>("ComboBox1")->setCurrentIndex(1);
      List()->setCurrentRow(2);
    } else if (row == 5) {
      Find<ui::RadioGroup>("RadioGroup2")->setProperty("itemIndex", 2);
    }
  };
  const RunLeft plain = RunAll(0, change);
  EXPECT_NE(plain.bin, RunAll(0).bin);
  EXPECT_EQ(RunAll(1, change), plain);
}

TEST_F(GifLookAheadTest, ClosingTheWindowDuringARunEndsItsWorkCleanly) {
  SaveGifs(false);
  for (int rows : {1, 4}) {
    SCOPED_TRACE(rows);
    auto own = std::make_unique<ui::TForm6>(dialogs);
    own->SetRunDelays(0, 20);
    dialogs.openAnswers.push_back(Path("a.gif"));
    test::FindChild<QPushButton>(*own, "Button1")->click();
    dialogs.saveAnswers.push_back(Path("gone.bin"));
    test::FindChild<QPushButton>(*own, "BtnAConvert")->click();
    const auto* memo = test::FindChild<QPlainTextEdit>(*own, "Memo1");
    QElapsedTimer clock;
    clock.start();
    while (memo->blockCount() < rows && own->Run().Running() && clock.elapsed() < 10000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    ASSERT_TRUE(own->Run().Running());
    own.reset();
    EXPECT_FALSE(std::filesystem::exists(Dir() / "gone.bin"));
  }
}

TEST_F(GifWindowTest, StartsNeedAListAndCloseOnlyHides) {
  Find<QPushButton>("BtnSConvert")->click();
  Find<QPushButton>("BtnAConvert")->click();
  EXPECT_EQ(dialogs.messages, (QStringList{QStringLiteral("Please input gif files!"),
                                           QStringLiteral("Please input gif files!")}));
  window.show();
  Find<QPushButton>("Button2")->click();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), QStringLiteral("GIF Tool"));
}

}  // namespace
}  // namespace panelix
