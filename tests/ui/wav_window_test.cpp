#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The window tests use the temporary folders of the CLI helpers but never run the CLI.
#ifndef PANELIX_CLI
#define PANELIX_CLI "panelix"
#endif
#include "support/cli_runner.h"
#include "support/find_child.h"
#include "support/scripted_dialogs.h"
#include "ui/wav_window.h"
#include "wav/wav_fixture.h"

namespace panelix {
namespace {

using wav::test::DataChunk;
using wav::test::MakeWav;
using wav::test::Ramp;
using wav::test::WavSpec;

class WavWindowTest : public ::testing::Test {
 protected:
  WavWindowTest() : window(dialogs) { window.show(); }

  template <typename T>
  T* Find(const char* name) {
    return test::FindChild<T>(window, name);
  }
  QString Text(const char* name) { return Find<QLineEdit>(name)->text(); }
  QString Choice(const char* name) { return Find<QComboBox>(name)->currentText(); }
  bool Enabled(const char* name) { return Find<QWidget>(name)->isEnabled(); }
  void Click(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
  void Select(const char* name, int index) {
    auto* box = Find<QComboBox>(name);
    box->setCurrentIndex(index);
    emit box->activated(index);
  }
  std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    test::WriteBytes(dir / name, bytes);
    return dir / name;
  }
  void Load(const std::filesystem::path& path) {
    dialogs.openAnswers.push_back(QString::fromStdString(path.string()));
    Click("Button1");
  }
  std::string ReadText(const std::string& name) {
    const auto bytes = test::ReadBytes(dir / name);
    return {bytes.begin(), bytes.end()};
  }

  test::TempDir dir;
  test::ScriptedDialogs dialogs;
  ui::TForm7 window;
};

TEST_F(WavWindowTest, StartsEmptyWithConvertDisabled) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("WAV Tool"));
  EXPECT_EQ(window.size(), QSize(487, 353));
  for (const char* field : {"EditWavFilesSize", "EditPCMFormat", "EditChannels", "EditSamplesPerSec",
                            "EditAvgBytesPerSec", "EditBitsPerSample", "EditDataSize", "EditBinDataSize"}) {
    EXPECT_EQ(Text(field), QStringLiteral("0")) << field;
    EXPECT_TRUE(Find<QLineEdit>(field)->isReadOnly()) << field;
  }
  EXPECT_TRUE(Text("EditFileName").isEmpty());
  EXPECT_FALSE(Enabled("Button2"));
  EXPECT_EQ(Find<QPushButton>("Button1")->text(), QStringLiteral("Input wav file"));
  EXPECT_EQ(Choice("ComboBoxChannel"), QStringLiteral("Left Channel"));
  EXPECT_EQ(Choice("ComboBoxBitSample"), QStringLiteral("8bits"));
  EXPECT_EQ(Choice("ComboBoxSpeed"), QStringLiteral("1:1"));
  EXPECT_EQ(Find<QComboBox>("ComboBoxSpeed")->count(), 5);
  EXPECT_EQ(Find<QComboBox>("ComboBoxBitSample")->itemText(2), QStringLiteral("??bits"));
}

TEST_F(WavWindowTest, LoadShowsTheFieldsAndPresetsTheChoices) {
  Select("ComboBoxSpeed", 2);
  Load(Write("mono8.wav", MakeWav({1, 8, 8000}, DataChunk(Ramp(8000)))));
  EXPECT_EQ(dialogs.lastFilters,
            (QStringList{QStringLiteral("(*.wav)"), QStringLiteral("WAV Files(*.wav)")}));
  EXPECT_EQ(Text("EditWavFilesSize"), QStringLiteral("8044"));
  EXPECT_EQ(Text("EditPCMFormat"), QStringLiteral("1"));
  EXPECT_EQ(Text("EditChannels"), QStringLiteral("1"));
  EXPECT_EQ(Text("EditSamplesPerSec"), QStringLiteral("8000"));
  EXPECT_EQ(Text("EditAvgBytesPerSec"), QStringLiteral("8000"));
  EXPECT_EQ(Text("EditBitsPerSample"), QStringLiteral("8"));
  EXPECT_EQ(Text("EditDataSize"), QStringLiteral("8000"));
  EXPECT_EQ(Text("EditBinDataSize"), QStringLiteral("8000"));  // D until the next selection
  EXPECT_EQ(Choice("ComboBoxChannel"), QStringLiteral("Left Channel"));
  EXPECT_EQ(Choice("ComboBoxBitSample"), QStringLiteral("8bits"));
  EXPECT_EQ(Choice("ComboBoxSpeed"), QStringLiteral("1:4"));
  EXPECT_TRUE(Enabled("Button2") && Enabled("ComboBoxChannel") && Enabled("ComboBoxBitSample"));
  EXPECT_TRUE(dialogs.messages.isEmpty());

  Select("ComboBoxSpeed", 2);
  EXPECT_EQ(Text("EditBinDataSize"), QStringLiteral("2000"));
  Select("ComboBoxBitSample", 1);
  EXPECT_EQ(Text("EditBinDataSize"), QStringLiteral("4000"));
  EXPECT_EQ(dialogs.messages,
            QStringList{QStringLiteral("8bits wav files,Please didn't select 16bits bin data")});

  Load(Write("stereo16.wav", MakeWav({2, 16, 44100}, DataChunk(Ramp(400)))));
  EXPECT_EQ(Choice("ComboBoxChannel"), QStringLiteral("Two Channel"));
  EXPECT_EQ(Choice("ComboBoxBitSample"), QStringLiteral("16bits"));
}

TEST_F(WavWindowTest, LoadMessagesAndWhatTheyLeaveEnabled) {
  std::vector<std::uint8_t> junk;
  wav::test::PutChunk(junk, "JUNK", {0, 0}, 2);
  auto cut = MakeWav({1, 16, 8000}, DataChunk(Ramp(100)));
  cut.resize(100);
  struct Case {
    const char* file;
    std::vector<std::uint8_t> bytes;
    QStringList messages;
    bool convert;
    const char* bits;
  };
  const Case cases[] = {
      {"w24.wav",
       MakeWav({2, 24, 48000}, DataChunk(Ramp(96))),
       {QStringLiteral("Can't support 24 BitsPerSample wav files")},
       false,
       "??bits"},
      {"six.wav",
       MakeWav({6, 16, 48000}, DataChunk(Ramp(96))),
       {QStringLiteral("Can't support 6 channels wav files")},
       false,
       "16bits"},
      {"junk.wav", MakeWav({2, 16, 48000}, junk), {QStringLiteral("Error Chunk!")}, true, "16bits"},
      {"cut.wav", cut, {QStringLiteral("The wav file is truncated!")}, true, "16bits"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    dialogs.messages.clear();
    Load(Write(c.file, c.bytes));
    EXPECT_EQ(dialogs.messages, c.messages);
    EXPECT_EQ(Enabled("Button2"), c.convert);
    EXPECT_EQ(Enabled("ComboBoxBitSample"), c.convert);
    EXPECT_EQ(Choice("ComboBoxBitSample"), QString::fromLatin1(c.bits));
  }
  EXPECT_EQ(Text("EditDataSize"), QStringLiteral("56"));

  // A file that cannot be read changes only the name shown.
  dialogs.messages.clear();
  Load(dir / "missing.wav");
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("打开文件失败!")});
  EXPECT_TRUE(Text("EditFileName").endsWith(QStringLiteral("missing.wav")));
  EXPECT_EQ(Text("EditDataSize"), QStringLiteral("56"));
  EXPECT_TRUE(Enabled("Button2"));
  // Cancelled, or a name without a dot: nothing happens.
  dialogs.openAnswers.push_back(std::nullopt);
  Click("Button1");
  dialogs.openAnswers.push_back(QStringLiteral("nodot"));
  Click("Button1");
  EXPECT_TRUE(Text("EditFileName").endsWith(QStringLiteral("missing.wav")));
  EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(WavWindowTest, ConvertWritesTheBinAndTheDataText) {
  const auto data = Ramp(176400);
  Load(Write("s.wav", MakeWav({2, 16, 44100}, DataChunk(data))));
  Select("ComboBoxChannel", 0);
  Select("ComboBoxBitSample", 0);
  Select("ComboBoxSpeed", 1);
  EXPECT_EQ(Text("EditBinDataSize"), QStringLiteral("22050"));
  Find<QLineEdit>("EditFileName")->setText(QStringLiteral("D:\\sound\\s.wav"));
  dialogs.saveAnswers.push_back(QString::fromStdString((dir / "Wav-s").string()));
  Click("Button2");
  EXPECT_EQ(dialogs.lastSaveProposed, QStringLiteral("Wav-"));
  EXPECT_EQ(dialogs.lastFilters, QStringList{QStringLiteral("*.bin")});
  EXPECT_EQ(dialogs.messages,
            (QStringList{QStringLiteral("Start to convert, please wait..."), QStringLiteral("OK")}));
  const auto bin = test::ReadBytes(dir / "Wav-s.bin");
  ASSERT_EQ(bin.size(), 22050U);
  for (std::size_t i = 0; i < bin.size(); ++i) {
    ASSERT_EQ(bin[i], data[8 * i + 1]) << i;
  }
  EXPECT_EQ(ReadText("Wav-s-Addr.txt"),
            "{    //D:\\sound\\s.wav\r\n1,   //Sound channel number\r\n8,   //8bits every sample\r\n"
            "22050,//Samples number per-second\r\n22050//The bytes of Bin_File_Data_Size \r\n};\r\n");

  // Converting again to the same name replaces both files.
  Select("ComboBoxChannel", 2);
  Select("ComboBoxBitSample", 1);
  Select("ComboBoxSpeed", 0);
  dialogs.saveAnswers.push_back(QString::fromStdString((dir / "Wav-s.bin").string()));
  Click("Button2");
  EXPECT_EQ(test::ReadBytes(dir / "Wav-s.bin"), data);
  EXPECT_NE(ReadText("Wav-s-Addr.txt").find("\r\n2,   //Sound channel number\r\n16,  //16bits"),
            std::string::npos);
}

TEST_F(WavWindowTest, ConvertStopsWithItsMessageAndWritesNothing) {
  Load(Write("m16.wav", MakeWav({1, 16, 8000}, DataChunk(Ramp(64)))));
  const auto bin = dir / "Wav-x.bin";
  struct Case {
    int channel;
    int bits;
    std::optional<QString> answer;
    QStringList messages;
  };
  const Case cases[] = {
      {2, 1, std::nullopt, {QStringLiteral("Don't support this format!")}},
      {0, 2, std::nullopt, {QStringLiteral("Can't suport this bits")}},
      {0, 1, std::nullopt, {}},
      {0, 1, QString(), {QStringLiteral("Error file's name")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.messages.join(QLatin1Char('|')).toStdString());
    Find<QComboBox>("ComboBoxChannel")->setCurrentIndex(c.channel);
    Find<QComboBox>("ComboBoxBitSample")->setCurrentIndex(c.bits);
    dialogs.messages.clear();
    dialogs.unexpected = 0;
    if (c.answer || c.messages.isEmpty()) {
      dialogs.saveAnswers.push_back(c.answer);
    }
    Click("Button2");
    EXPECT_EQ(dialogs.messages, c.messages);
    EXPECT_EQ(dialogs.unexpected, 0);
    EXPECT_TRUE(dialogs.saveAnswers.empty());
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

  // The file gone by the time of the conversion.
  std::filesystem::remove(dir / "m16.wav");
  dialogs.messages.clear();
  Click("Button2");
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("打开文件失败!")});
}

TEST_F(WavWindowTest, WriteFailuresAreReportedWithoutOk) {
  Load(Write("m8.wav", MakeWav({1, 8, 8000}, DataChunk(Ramp(64)))));
  dialogs.messages.clear();
  dialogs.saveAnswers.push_back(QString::fromStdString((dir / "none" / "Wav-x").string()));
  Click("Button2");
  EXPECT_EQ(dialogs.messages, (QStringList{QStringLiteral("Start to convert, please wait..."),
                                           QStringLiteral("The file might not be accessibl."),
                                           QStringLiteral("The file might not be accessibl.")}));
}

}  // namespace
}  // namespace panelix
