#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "combiner/combine.h"
#include "support/cli_runner.h"

namespace panelix::combiner {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Repeat(std::uint8_t value, std::size_t count) {
  return Bytes(count, value);
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

std::string Text(const std::filesystem::path& path) {
  const auto bytes = test::ReadBytes(path);
  return {bytes.begin(), bytes.end()};
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const panelix::Error& e) {
    return e.what();
  }
  return "no error";
}

void NoRow(const std::string& /*row*/) {}

class CombineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteBytes(m_dir / "a.bin", Repeat(0xA1, 0x100));
    test::WriteBytes(m_dir / "b.bin", Repeat(0xB2, 0x10));
    test::WriteBytes(m_dir / "c.bin", Repeat(0xC3, 8));
  }
  CombineSlot Slot(const std::string& file, std::int32_t start, std::int32_t length) const {
    return {(m_dir / file).string(), start, length};
  }
  CombineResult Combine(const std::vector<CombineSlot>& slots, const std::string& name = "out") {
    m_rows.clear();
    m_messages.clear();
    return CombineFiles(
        slots, (m_dir / name).string(), [this](const std::string& row) { m_rows.push_back(row); },
        [this](const std::string& text) { m_messages.push_back(text); });
  }

  test::TempDir m_dir;
  std::vector<std::string> m_rows;
  std::vector<std::string> m_messages;
};

TEST_F(CombineTest, PlacesFilesAtTheirStartsWithGapsOverlapsShortAndLongFiles) {
  struct Case {
    const char* what;
    std::vector<CombineSlot> slots;
    Bytes expected;
  };
  const std::vector<Case> cases{
      {"back to back",
       {Slot("a.bin", 0, 0x100), Slot("b.bin", 0x100, 0x10)},
       Join({Repeat(0xA1, 256), Repeat(0xB2, 16)})},
      {"gap of 0xFF",
       {Slot("a.bin", 0, 0x100), Slot("b.bin", 512, 0x10)},
       Join({Repeat(0xA1, 256), Repeat(0xFF, 256), Repeat(0xB2, 16)})},
      {"short file padded with 0x00, long file cut",
       {Slot("c.bin", 0, 12), Slot("a.bin", 20, 3)},
       Join({Repeat(0xC3, 8), Repeat(0x00, 4), Repeat(0xFF, 8), Repeat(0xA1, 3)})},
      {"slot 1 placed at 0 whatever its field says", {Slot("c.bin", 50, 8)}, Repeat(0xC3, 8)},
      {"nothing chosen", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto result = Combine(c.slots);
    EXPECT_EQ(result.outputName, (m_dir / "out.bin").string());
    EXPECT_EQ(test::ReadBytes(m_dir / "out.bin"), c.expected);
    EXPECT_EQ(m_rows.size(), c.slots.size());
    EXPECT_TRUE(result.addressListWritten);
    EXPECT_EQ(result.outcome, RunOutcome::Succeeded);
  }
}

TEST_F(CombineTest, AStartInsideOrBeforeThePreviousFileIsRefused) {
  test::WriteBytes(m_dir / "out.bin", Repeat(0x55, 4));
  const std::string a = (m_dir / "a.bin").string();
  const std::string b = (m_dir / "b.bin").string();
  struct Case {
    std::vector<CombineSlot> slots;
    std::string message;
  };
  const std::vector<Case> cases{
      {{Slot("a.bin", 0, 0x100), Slot("b.bin", 100, 0x10)},
       "The file " + b + " cannot start at 0x00000064, inside or before the file " + a +
           ", which ends at 0x00000100."},
      {{Slot("c.bin", 0, 8), Slot("a.bin", 0x200, 0x100), Slot("b.bin", 0x20, 0x10)},
       "The file " + b + " cannot start at 0x00000020, inside or before the file " + a +
           ", which ends at 0x00000300."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorOf([&] { Combine(c.slots); }), c.message);
    EXPECT_TRUE(m_rows.empty());
  }
  EXPECT_EQ(test::ReadBytes(m_dir / "out.bin"), Repeat(0x55, 4));
}

TEST_F(CombineTest, RowsShowTheAddressesAskedForAndGoToTheAddressList) {
  test::WriteBytes(m_dir / "all.bin", Repeat(0x77, 5000));
  test::WriteText(m_dir / "all-Addr.txt", std::string(3000, 'x'));
  const auto result = Combine({Slot("a.bin", 0, 0x100), Slot("b.bin", 0x100, 0x10)}, "all");
  const std::string a = (m_dir / "a.bin").string();
  const std::string b = (m_dir / "b.bin").string();
  const std::vector<std::string> rows{"{0x00000000, 0x00000100}, //" + a, "{0x00000100, 0x00000010}, //" + b};
  EXPECT_EQ(m_rows, rows);
  EXPECT_EQ(result.rows, rows);
  // Both files replaced whole, however long they were.
  EXPECT_EQ(test::ReadBytes(m_dir / "all.bin").size(), 0x110U);
  EXPECT_EQ(Text(m_dir / "all-Addr.txt"), rows[0] + "\r\n" + rows[1] + "\r\n");
  EXPECT_TRUE(m_messages.empty());
}

TEST_F(CombineTest, FailuresSayWhatFailedAndKeepWhatTheyShould) {
  test::WriteBytes(m_dir / "out.bin", Repeat(0x55, 4));
  const std::string missingFolder = (m_dir / "no" / "such.bin").string();
  EXPECT_EQ(ErrorOf([&] {
              CombineFiles(
                  {}, "", [](auto&) {}, NoMessage);
            }),
            "Error file's name");
  EXPECT_EQ(ErrorOf([&] {
              CombineFiles(
                  {}, missingFolder, [](auto&) {}, NoMessage);
            }),
            "Can't open " + missingFolder);
  EXPECT_EQ(test::ReadBytes(m_dir / "out.bin"), Repeat(0x55, 4));

  // A file that cannot be opened: the old output stays, no address list.
  const std::vector<CombineSlot> slots{
      Slot("a.bin", 0, 0x100), {missingFolder, 0x200, 4}, Slot("c.bin", 0x300, 8)};
  EXPECT_EQ(ErrorOf([&] { Combine(slots); }), "Can't open " + missingFolder);
  EXPECT_EQ(test::ReadBytes(m_dir / "out.bin"), Repeat(0x55, 4));
  EXPECT_EQ(m_rows.size(), 1U);
  EXPECT_FALSE(std::filesystem::exists(m_dir / "out-Addr.txt"));

  // The address list's name is taken by a folder: the user is told and the output stays as it was.
  std::filesystem::create_directory(m_dir / "dir-Addr.txt");
  const auto result = Combine({Slot("c.bin", 0, 8)}, "dir");
  EXPECT_FALSE(result.addressListWritten);
  EXPECT_EQ(result.outcome, RunOutcome::Failed);
  EXPECT_EQ(m_messages, std::vector<std::string>{"The file might not be accessibl."});
  EXPECT_FALSE(std::filesystem::exists(m_dir / "dir.bin"));
}

TEST_F(CombineTest, AFailingWriteOrCommitLeavesTheOldOutputAndList) {
  for (const FileFaults faults :
       {FileFaults{.failWrite = 1}, FileFaults{.failWrite = 3}, FileFaults{.failCommit = true}}) {
    test::WriteBytes(m_dir / "out.bin", Repeat(0x55, 4));
    test::WriteText(m_dir / "out-Addr.txt", "old");
    SetFileFaults(faults);
    EXPECT_EQ(ErrorOf([&] {
                Combine({Slot("a.bin", 0, 0x100), Slot("b.bin", 0x200, 0x10)});
              }),
              "Can't write " + (m_dir / "out.bin").string());
    SetFileFaults({});
    EXPECT_EQ(test::ReadBytes(m_dir / "out.bin"), Repeat(0x55, 4));
    EXPECT_EQ(Text(m_dir / "out-Addr.txt"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 5);
  }
}

TEST_F(CombineTest, AStopAtAnyProgressCallEndsStoppedAndLeavesTheOldOutputAndList) {
  const std::vector<CombineSlot> slots = {Slot("a.bin", 0, 0x100), Slot("b.bin", 0x200, 0x10),
                                          Slot("c.bin", 0x300, 8)};
  std::size_t calls = 0;
  const auto counted = [&calls](std::size_t stopAt) {
    return [&calls, stopAt](std::int64_t, std::int64_t) { return ++calls != stopAt; };
  };
  ASSERT_EQ(CombineFiles(slots, (m_dir / "full").string(), NoRow, NoMessage, counted(0)).outcome,
            RunOutcome::Succeeded);
  const std::size_t total = calls;
  ASSERT_GT(total, 2U);
  for (std::size_t stop = 1; stop <= total; ++stop) {
    SCOPED_TRACE(stop);
    test::WriteBytes(m_dir / "out.bin", Repeat(0x55, 4));
    test::WriteText(m_dir / "out-Addr.txt", "old");
    calls = 0;
    const CombineResult result =
        CombineFiles(slots, (m_dir / "out").string(), NoRow, NoMessage, counted(stop));
    EXPECT_EQ(result.outcome, RunOutcome::Stopped);
    EXPECT_EQ(result.outputName, "");
    EXPECT_FALSE(result.addressListWritten);
    EXPECT_EQ(calls, stop);
    EXPECT_EQ(test::ReadBytes(m_dir / "out.bin"), Repeat(0x55, 4));
    EXPECT_EQ(Text(m_dir / "out-Addr.txt"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 7);
  }
}

TEST_F(CombineTest, InputsThatGoMissingOrShrinkStopTheCombineAndAreNeverCreated) {
  test::WriteBytes(m_dir / "out.bin", Repeat(0x55, 4));
  const std::string gone = (m_dir / "gone.bin").string();
  EXPECT_EQ(ErrorOf([&] { Combine({Slot("c.bin", 0, 8), Slot("gone.bin", 10, 3)}); }), "Can't open " + gone);
  EXPECT_FALSE(std::filesystem::exists(gone));
  EXPECT_EQ(ChosenFileSize(m_dir / "a.bin"), 0x100);
  EXPECT_EQ(ErrorOf([&] { ChosenFileSize(gone); }), "The file might not be accessibl.");
  EXPECT_FALSE(std::filesystem::exists(gone));
  EXPECT_EQ(ErrorOf([&] { ChosenFileSize(m_dir.Path()); }), "The file might not be accessibl.");

  // Removed while it is copied.
  const std::string b = (m_dir / "b.bin").string();
  EXPECT_EQ(ErrorOf([&] {
              CombineFiles(
                  std::vector<CombineSlot>{Slot("b.bin", 0, 0x10)}, (m_dir / "out").string(), [](auto&) {},
                  NoMessage, [&](std::int64_t, std::int64_t) { return std::filesystem::remove(b) || true; });
            }),
            "Can't open " + b);
  EXPECT_FALSE(std::filesystem::exists(b));

  // Cut short while it is copied (a file larger than one piece of the copy).
  const std::string big = (m_dir / "big.bin").string();
  test::WriteBytes(big, Repeat(0x42, (1 << 24) + 100));
  EXPECT_EQ(ErrorOf([&] {
              CombineFiles(
                  std::vector<CombineSlot>{Slot("big.bin", 0, (1 << 24) + 100)}, (m_dir / "out").string(),
                  [](auto&) {}, NoMessage,
                  [&](std::int64_t, std::int64_t) {
                    std::filesystem::resize_file(big, 10);
                    return true;
                  });
            }),
            "Can't open " + big);
  EXPECT_EQ(test::ReadBytes(m_dir / "out.bin"), Repeat(0x55, 4));
  EXPECT_FALSE(std::filesystem::exists(m_dir / "out-Addr.txt"));
}

TEST_F(CombineTest, OutputThatIsOneOfItsInputsIsRefused) {
  const std::string a = (m_dir / "a.bin").string();
  EXPECT_EQ(ErrorOf([&] {
              Combine({Slot("a.bin", 0, 0x100), Slot("b.bin", 0x100, 0x10)}, "a.bin");
            }),
            "The output " + a + " would overwrite the input " + a + ".");
  EXPECT_EQ(test::ReadBytes(m_dir / "a.bin"), Repeat(0xA1, 0x100));
}

}  // namespace
}  // namespace panelix::combiner
