// SPDX-License-Identifier: MIT
// The smaller file steps when their system calls fail: the descriptor writer,
// the reads at an offset and from a stream, and what a path turned out to be.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "bmpresize.h"
#include "files/descriptor_io.h"
#include "files/file_offsets.h"
#include "files/file_source.h"
#include "files/file_stream.h"
#include "files/path_kind.h"
#include "files/system_call_faults.h"
#include "support/temp_dir.h"

using namespace bmpresize;

namespace {

TEST(DescriptorWriter, SendsBigWritesWholeAndReportsFailures) {
  TempDir dir;
  const std::string path = dir.File("out.bin");
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  const std::vector<std::uint8_t> big(40000, 'b');
  DescriptorWriter writer(fd);
  EXPECT_EQ(WriteDescriptor(&writer, big.data(), 10), 0);
  EXPECT_EQ(WriteDescriptor(&writer, big.data(), big.size()), 0);  // past a block: sent as it is
  EXPECT_EQ(writer.delivered, 10 + big.size());
  EXPECT_EQ(WriteDescriptor(&writer, nullptr, 0), 0);
  {
    PlantedFaults faults;
    PlantFault("fsync", EIO);
    EXPECT_EQ(SyncDescriptor(fd).error, EIO);
  }
  EXPECT_EQ(WriteDescriptor(&writer, big.data(), 100), 0);
  {
    // A write that takes nothing and gives no reason fails as EIO.
    PlantedFaults faults;
    PlantFault("write", 0);
    EXPECT_EQ(WriteDescriptor(&writer, big.data(), sizeof writer.block), EIO);
  }
  close(fd);
  EXPECT_EQ(ReadFileBytes(path).size(), 10 + big.size());
}

TEST(FileReads, FailuresAndMissingStreamsAreErrors) {
  TempDir dir;
  const std::string path = dir.File("in.bin");
  WriteFileBytes(path, std::vector<std::uint8_t>(100, 'i'));
  FileHandle stream(OpenFile(path.c_str(), "rb"));
  ASSERT_TRUE(stream);
  std::uint8_t buffer[50];
  FileOffsetSource atOffset(stream.get(), 10);
  {
    PlantedFaults faults;
    PlantFault("pread", EIO);
    EXPECT_EQ(atOffset.Read(buffer, sizeof buffer), 0u);
  }
  EXPECT_EQ(atOffset.Error(), EIO);

  FileSource none;
  EXPECT_EQ(none.Read(buffer, sizeof buffer), 0u);
  EXPECT_EQ(none.Error(), EBADF);
  FileSource noneByByte;
  EXPECT_EQ(noneByByte.ReadByte(), -1);
  EXPECT_EQ(noneByByte.Error(), EBADF);
}

// A file's bytes go into another inside the system, at both offsets, from a
// source read at offsets as from one read in order; bytes in memory are left
// to the caller (0 copied).
TEST(FileOffsets, CopyFromAnotherFileInsideTheSystem) {
  TempDir dir;
  std::vector<std::uint8_t> bytes(100);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  WriteFileBytes(dir.File("in.bin"), bytes);
  FileHandle in(OpenFile(dir.File("in.bin").c_str(), "rb"));
  FileHandle out(OpenFile(dir.File("out.bin").c_str(), "wb"));
  ASSERT_TRUE(in && out);
  FileOffsetSink sink(out.get());
  FileOffsetSource atOffsets(in.get(), 0);
  FileSource inOrder(in.get());
  EXPECT_EQ(sink.CopyFrom(atOffsets, 10, 5, 40), 40);
  EXPECT_EQ(sink.CopyFrom(inOrder, 60, 45, 30), 30);
  MemorySource memory(bytes.data(), bytes.size());
  EXPECT_EQ(sink.CopyFrom(memory, 0, 0, 5), 0);
  std::vector<std::uint8_t> want(5, 0);
  want.insert(want.end(), bytes.begin() + 10, bytes.begin() + 50);
  want.insert(want.end(), bytes.begin() + 60, bytes.begin() + 90);
  ASSERT_TRUE(out.Close().Ok());
  EXPECT_EQ(ReadFileBytes(dir.File("out.bin")), want);
}

TEST(KindOfPath, NamesPipesAndSockets) {
  TempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = dir.File("socket");
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  ASSERT_EQ(bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const struct {
    std::string path;
    int kind;
  } rows[] = {
      {fifo, BMPRESIZE_PATH_FIFO},
      {socketPath, BMPRESIZE_PATH_SOCKET},
      {dir.path(), BMPRESIZE_PATH_DIRECTORY},
      {dir.File("absent"), BMPRESIZE_PATH_OTHER},
      {"/dev/null", BMPRESIZE_PATH_OTHER},
  };
  for (const auto& row : rows) EXPECT_EQ(KindOfPath(row.path.c_str()), row.kind) << row.path;
  close(sock);
}

}  // namespace
