#include "base/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "base/error.h"
#include "support/cli_runner.h"

namespace panelix {
namespace {

TEST(ReplacingFile, ReplacesWholeAndLeavesTheOldFileOnFailure) {
  test::TempDir dir;
  const auto target = dir / "out.bin";
  test::WriteText(target, "old contents that are longer");
  WriteFileReplacing(target, std::string_view("new"), "The file might not be accessibl.");
  EXPECT_EQ(test::ReadBytes(target), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
  {
    ReplacingFile file(target, "msg");
    file.Write(std::string_view("half"));
    file.WriteRepeated(0xFF, 100000);
    EXPECT_EQ(file.Size(), 100004U);
    // Not committed: the target keeps what it had and no temporary file is left.
  }
  EXPECT_EQ(test::ReadBytes(target).size(), 3U);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ReplacingFile, AppendsFromFilesAndPipesUpToTheirEnd) {
  test::TempDir dir;
  const std::vector<std::uint8_t> source{1, 2, 3, 4, 5, 6, 7, 8};
  test::WriteBytes(dir / "in.bin", source);
  const int file = ::open((dir / "in.bin").c_str(), O_RDONLY);
  // A pipe cannot be copied inside the kernel; its bytes go through a buffer.
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  ASSERT_EQ(::write(pipeEnds[1], "abc", 3), 3);
  ::close(pipeEnds[1]);
  ReplacingFile out(dir / "out.bin", "msg");
  EXPECT_EQ(out.AppendFrom(file, 5), 5U);
  EXPECT_EQ(out.AppendFrom(file, 100), 3U);
  EXPECT_EQ(out.AppendFrom(pipeEnds[0], 10), 3U);
  EXPECT_EQ(out.Size(), 11U);
  out.Commit();
  ::close(file);
  ::close(pipeEnds[0]);
  EXPECT_EQ(test::ReadBytes(dir / "out.bin"),
            (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 'a', 'b', 'c'}));
}

TEST(ReplacingFile, ReportsUnwritableTargetsWithTheGivenMessage) {
  test::TempDir dir;
  try {
    WriteFileReplacing(dir / "missing" / "x.bin", std::string_view("a"), "The file might not be accessibl.");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "The file might not be accessibl.");
  }
  EXPECT_THROW(ReadFileBytes(dir / "nothing", "Can't open"), Error);
  EXPECT_THROW(ReadFileBytes(dir.Path(), "Can't open"), Error);
}

int FileCount(const std::filesystem::path& dir) {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST(OutputFiles, PutsEveryOutputInPlaceOrNone) {
  test::TempDir dir;
  const auto a = dir / "a.bin";
  const auto b = dir / "b.txt";
  test::WriteText(a, "old a");
  test::WriteText(b, "old b");
  // Each fault leaves both old files as they were and no temporary file behind.
  struct Case {
    const char* name;
    FileFaults faults;
  };
  for (const Case& c : {Case{"first write", {.failWrite = 1}}, Case{"third write", {.failWrite = 3}},
                        Case{"commit", {.failCommit = true}}}) {
    SCOPED_TRACE(c.name);
    SetFileFaults(c.faults);
    EXPECT_THROW(
        {
          OutputFiles outputs;
          outputs.Add(a, "msg a").Write(std::string_view("new a"));
          outputs.Add(b, "msg b").Write(std::string_view("new b"));
          outputs.Add(dir / "c.bin", "msg c").WriteRepeated(0, 10);
          outputs.Commit();
        },
        Error);
    SetFileFaults({});
    EXPECT_EQ(test::ReadBytes(a), (std::vector<std::uint8_t>{'o', 'l', 'd', ' ', 'a'}));
    EXPECT_EQ(test::ReadBytes(b), (std::vector<std::uint8_t>{'o', 'l', 'd', ' ', 'b'}));
    EXPECT_EQ(FileCount(dir.Path()), 2);
  }
  OutputFiles outputs;
  outputs.Add(a, "msg a").Write(std::string_view("new a"));
  outputs.Add(b, "msg b").Write(std::string_view("new b"));
  outputs.Commit();
  EXPECT_EQ(test::ReadBytes(b), (std::vector<std::uint8_t>{'n', 'e', 'w', ' ', 'b'}));
  EXPECT_EQ(FileCount(dir.Path()), 2);
}

TEST(OutputFiles, RefusesOutputsThatMeetInputsOrEachOther) {
  test::TempDir dir;
  test::WriteText(dir / "in.png", "x");
  std::filesystem::create_symlink(dir / "in.png", dir / "link.png");
  const std::string in = (dir / "in.png").string();
  struct Case {
    std::vector<std::filesystem::path> inputs;
    std::vector<std::filesystem::path> outputs;
    std::string message;  // "" = accepted
  };
  const std::vector<Case> cases = {
      {{in}, {dir / "out.bin", dir / "out-Addr.txt"}, ""},
      {{in},
       {dir / "link.png"},
       "The output " + (dir / "link.png").string() + " would overwrite the input " + in + "."},
      {{dir / "sub" / ".." / "in.png"},
       {in},
       "The output " + in + " would overwrite the input " + (dir / "sub" / ".." / "in.png").string() + "."},
      {{},
       {dir / "new.bin", dir / "." / "new.bin"},
       "The outputs " + (dir / "new.bin").string() + " and " + (dir / "." / "new.bin").string() +
           " are the same file."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      CheckOutputsApart(c.inputs, c.outputs);
      EXPECT_EQ(c.message, "");
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), c.message);
    }
  }
}

TEST(OutputFiles, ASignalRemovesTheTemporaryFilesAndEndsTheProcess) {
  test::TempDir dir;
  test::WriteText(dir / "a.bin", "old");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RemoveTemporaryFilesOnSignals();
    ReplacingFile file(dir / "a.bin", "msg");
    file.Write(std::string_view("new"));
    // Named beside the target, as it is for the moment between naming and renaming.
    file.Prepare();
    ::raise(SIGTERM);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_EQ(FileCount(dir.Path()), 1);
  EXPECT_EQ(test::ReadBytes(dir / "a.bin"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

}  // namespace
}  // namespace panelix
