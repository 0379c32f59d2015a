#include "base/bounded_read.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <thread>

#include "base/error.h"
#include "support/cli_runner.h"

namespace panelix {
namespace {

std::string ErrorText(const std::function<void()>& read) {
  try {
    read();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(ReadFileBytesUpTo, ReadsUpToTheLimitAndRefusesMoreWithTheLimitInTheMessage) {
  test::TempDir dir;
  const auto path = dir / "in.txt";
  test::WriteText(path, "12345");
  EXPECT_EQ(ReadFileBytesUpTo(path, 5, "Can't open").size(), 5U);
  EXPECT_EQ(ErrorText([&] { ReadFileBytesUpTo(path, 4, "Can't open"); }),
            "The file " + path.string() + " is too large: the limit is 4 bytes.");
  EXPECT_EQ(ErrorText([&] { ReadFileBytesUpTo(dir / "none", 5, "Can't open"); }), "Can't open");
  EXPECT_EQ(ErrorText([&] { ReadFileBytesUpTo(dir.Path(), 5, "Can't open"); }), "Can't open");
}

TEST(ReadFileBytesUpTo, RefusesAHugeFileBeforeReadingIt) {
  test::TempDir dir;
  const auto path = dir / "huge.bin";
  // A sparse file of 4 GiB: reading it would take seconds and gigabytes.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, off_t{1} << 32), 0);
  ::close(fd);
  EXPECT_EQ(ErrorText([&] { ReadFileBytesUpTo(path, kMaxTextFileBytes, "Can't open"); }),
            "The file " + path.string() + " is too large: the limit is 16 MiB.");
}

TEST(ReadFileBytesUpTo, StopsAPipeOnceItPassesTheLimit) {
  // The writer sees EPIPE, not a signal, once the reader is gone.
  std::signal(SIGPIPE, SIG_IGN);
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::thread writer([&] {
    const std::string block(1 << 16, 'x');
    // Writes until the reader closes its end.
    while (::write(fds[1], block.data(), block.size()) > 0) {
    }
    ::close(fds[1]);
  });
  const std::string path = "/proc/self/fd/" + std::to_string(fds[0]);
  EXPECT_EQ(ErrorText([&] { ReadFileBytesUpTo(path, 100000, "Can't open"); }),
            "The file " + path + " is too large: the limit is 100000 bytes.");
  ::close(fds[0]);
  writer.join();
}

}  // namespace
}  // namespace panelix
