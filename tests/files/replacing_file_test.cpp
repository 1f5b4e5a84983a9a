// SPDX-License-Identifier: MIT
// A destination replaced whole or not at all, when the system calls on the
// way fail: each failure is reported with its cause, and the destination is
// either as it was or the new file, never a mix, unless it was rewritten in
// place (and then said so).
#include "files/replacing_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "files/file_stream.h"
#include "files/files_in_flight.h"
#include "files/system_call_faults.h"
#include "support/temp_dir.h"

using namespace bmpresize;

namespace {

const std::vector<std::uint8_t> kOld(40000, 'o');  // longer than what replaces it
const std::vector<std::uint8_t> kNew(20000, 'n');

enum class Ends { kOld, kNew, kPartial };

struct FaultRow {
  const char* name;
  const char* call;  // the fault planted, see system_call_faults.h
  int error;
  int skip;
  bool always;
  bool sync;
  bool link;  // the destination is named through a symbolic link
  bool opens;
  bool commits;
  bmpresize_cause cause;
  Ends ends;
};

const FaultRow kFaultRows[] = {
    {"no fault", nullptr, 0, 0, false, true, false, true, true, BMPRESIZE_CAUSE_NONE, Ends::kNew},
    {"through a link", nullptr, 0, 0, false, false, true, true, true, BMPRESIZE_CAUSE_NONE, Ends::kNew},
    {"a link that grew while read", "readlink", 0, 0, false, false, true, true, true, BMPRESIZE_CAUSE_NONE, Ends::kNew},
    {"no memory for the path", "new", ENOMEM, 0, false, false, false, false, false, BMPRESIZE_CAUSE_NO_MEMORY,
     Ends::kOld},
    {"no memory for the link's text", "new", ENOMEM, 1, false, false, true, false, false, BMPRESIZE_CAUSE_NO_MEMORY,
     Ends::kOld},
    {"no memory for the new file's name", "new", ENOMEM, 1, false, false, false, false, false,
     BMPRESIZE_CAUSE_NO_MEMORY, Ends::kOld},
    {"destination not looked at", "fstat", EIO, 0, false, false, false, false, false, BMPRESIZE_CAUSE_NOT_WRITABLE,
     Ends::kOld},
    {"bits not given", "fchmod", EIO, 0, false, false, false, false, false, BMPRESIZE_CAUSE_CREATE_FAILED, Ends::kOld},
    {"no stream on the new file", "fdopen", ENOMEM, 0, false, false, false, false, false, BMPRESIZE_CAUSE_NO_MEMORY,
     Ends::kOld},
    {"sync fails", "fsync", EIO, 0, false, true, false, true, false, BMPRESIZE_CAUSE_WRITE_FAILED, Ends::kOld},
    {"folder sync fails", "fsync", EIO, 1, false, true, false, true, false, BMPRESIZE_CAUSE_WRITE_FAILED, Ends::kNew},
    {"close fails", "fclose", EIO, 0, false, false, false, true, false, BMPRESIZE_CAUSE_WRITE_FAILED, Ends::kOld},
    {"rename fails", "rename", ENOSPC, 0, false, false, false, true, false, BMPRESIZE_CAUSE_WRITE_FAILED, Ends::kOld},
    {"rename refused: copied over", "rename", EXDEV, 0, false, true, false, true, true, BMPRESIZE_CAUSE_NONE,
     Ends::kNew},
    {"rename refused, copy cut short", "rename", EBUSY, 0, false, false, false, true, false,
     BMPRESIZE_CAUSE_WRITE_FAILED, Ends::kPartial},
    {"folder takes no new file: in place", "create", EACCES, 0, true, true, false, true, true, BMPRESIZE_CAUSE_NONE,
     Ends::kNew},
    {"in place, cut short", "create", EPERM, 0, true, false, false, true, false, BMPRESIZE_CAUSE_WRITE_FAILED,
     Ends::kPartial},
    {"folder full", "create", ENOSPC, 0, true, false, false, false, false, BMPRESIZE_CAUSE_CREATE_FAILED, Ends::kOld},
    // The file system's names may be shorter than the new file's (12 more
    // than the destination's): no file that can be had.
    {"new file's name too long", "create", ENAMETOOLONG, 0, true, false, false, false, false,
     BMPRESIZE_CAUSE_NO_DESTINATION, Ends::kOld},
};

std::string NameOf(const testing::TestParamInfo<FaultRow>& row) {
  std::string name = row.param.name;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

class ReplacingFileFaults : public testing::TestWithParam<FaultRow> {};

TEST_P(ReplacingFileFaults, EndsWithTheOldFileOrTheNewOrSaysSo) {
  const FaultRow& row = GetParam();
  TempDir dir;
  const std::string destination = dir.File("picture.bmp");
  WriteFileBytes(destination, kOld);
  std::string named = destination;
  if (row.link) {
    named = dir.File("link.bmp");
    ASSERT_EQ(symlink("picture.bmp", named.c_str()), 0);
  }
  PlantedFaults faults;
  ReplacingFile file;
  bool committed = false;
  // A copy cut short fails at its truncation; an in-place one at its own.
  const bool cutShort =
      std::strcmp(row.name, "rename refused, copy cut short") == 0 || std::strcmp(row.name, "in place, cut short") == 0;
  if (row.call != nullptr) PlantFault(row.call, row.error, row.skip, row.always);
  if (cutShort) PlantFault("ftruncate", EIO);
  Status status = file.Open(named.c_str());
  const bool opened = status.Ok();
  if (opened) {
    ASSERT_EQ(std::fwrite(kNew.data(), 1, kNew.size(), file.Stream()), kNew.size());
    status = file.Commit(row.sync);
    committed = status.Ok();
  }
  ClearFaults();

  EXPECT_EQ(opened, row.opens);
  EXPECT_EQ(committed, row.commits);
  EXPECT_EQ(status.Why().kind, row.cause);
  if (row.cause != BMPRESIZE_CAUSE_NONE) {
    EXPECT_EQ(status.Why().error, row.call && !cutShort ? row.error : EIO);
  }
  EXPECT_EQ(file.LeftPartial(), row.ends == Ends::kPartial);
  const std::vector<std::uint8_t> now = ReadFileBytes(destination);
  if (row.ends == Ends::kOld) {
    EXPECT_EQ(now, kOld);
  }
  if (row.ends == Ends::kNew) {
    EXPECT_EQ(now, kNew);
  }
  // Nothing is left beside it.
  EXPECT_EQ(ListFolder(dir.path()).size(), row.link ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReplacingFileFaults, testing::ValuesIn(kFaultRows), NameOf);

TEST(ReplacingFile, RefusesWhatItCannotFollowOrCommit) {
  TempDir dir;
  const std::string loop = dir.File("loop.bmp");
  ASSERT_EQ(symlink("loop.bmp", loop.c_str()), 0);
  ReplacingFile looped;
  EXPECT_EQ(looped.Open(loop.c_str()).Why().error, ELOOP);

  ReplacingFile unopened;
  EXPECT_EQ(unopened.Commit(false).Why().error, EBADF);

  // A process that is ending makes no new file.
  RemoveFilesInFlight();
  ReplacingFile late;
  const Status refused = late.Open(dir.File("late.bmp").c_str());
  AllowNewFilesAgain();
  EXPECT_EQ(refused.Why().error, EINTR);
  EXPECT_FALSE(FileExists(dir.File("late.bmp")));
}

TEST(ReplacingFile, InPlaceNeverRewritesTheSourceBeingRead) {
  TempDir dir;
  const std::string path = dir.File("picture.bmp");
  WriteFileBytes(path, kOld);
  FileHandle source(OpenFile(path.c_str(), "rb"));
  PlantedFaults faults;
  PlantFault("create", EACCES, 0, true);
  ReplacingFile file;
  EXPECT_EQ(file.Open(path.c_str(), fileno(source.get())).Why().kind, BMPRESIZE_CAUSE_SAME_AS_SOURCE);
  ReplacingFile unknown;
  EXPECT_EQ(unknown.Open(path.c_str(), -1, false).Why().kind, BMPRESIZE_CAUSE_CREATE_FAILED);
  ClearFaults();
  EXPECT_EQ(ReadFileBytes(path), kOld);
}

// Two rewrites in place of one file: the second waits for the first's end.
TEST(ReplacingFile, InPlaceRewritesOfOneFileTakeTurns) {
  TempDir dir;
  const std::string path = dir.File("picture.bmp");
  WriteFileBytes(path, kOld);
  PlantedFaults faults;
  PlantFault("create", EACCES, 0, true);
  ReplacingFile first;
  ASSERT_TRUE(first.Open(path.c_str()).Ok());
  std::atomic<bool> firstDone{false};
  bool secondSawFirstDone = false;
  std::thread second([&] {
    ReplacingFile file;
    ASSERT_TRUE(file.Open(dir.File("picture.bmp").c_str()).Ok());
    secondSawFirstDone = firstDone.load();
    std::fputs("second", file.Stream());
    EXPECT_TRUE(file.Commit(false).Ok());
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::fputs("first", first.Stream());
  firstDone = true;
  EXPECT_TRUE(first.Commit(false).Ok());
  second.join();
  EXPECT_TRUE(secondSawFirstDone);
  const std::vector<std::uint8_t> now = ReadFileBytes(path);
  EXPECT_EQ(std::string(now.begin(), now.end()), "second");
}

TEST(ReplacingFile, LongNamesAndOtherOwnersAreKept) {
  TempDir dir;
  // 255 bytes, the longest name, whose two-byte characters straddle the cut
  // of the new file's name.
  std::string name = "x";
  while (name.size() < 251) name += "\xC3\xA9";
  name += ".bmp";
  const std::string path = dir.File(name);
  WriteFileBytes(path, kOld);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
  }
  ReplacingFile file;
  ASSERT_TRUE(file.Open(path.c_str()).Ok());
  ASSERT_EQ(std::fwrite(kNew.data(), 1, kNew.size(), file.Stream()), kNew.size());
  ASSERT_TRUE(file.Commit(false).Ok());
  EXPECT_EQ(ReadFileBytes(path), kNew);
  EXPECT_EQ(ListFolder(dir.path()).size(), 1u);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  if (root) {
    EXPECT_EQ(st.st_uid, 65534u);
  }
}

// Names no file can have are refused before anything is made: a name's
// length against the most taken, or the path's where the system refused it.
TEST(ReplacingFile, NamesNoFileCanHaveAreRefusedBeforeAnythingIsMade) {
  TempDir dir;
  ASSERT_EQ(symlink(std::string(256, 'l').c_str(), dir.File("link.bmp").c_str()), 0);
  std::string deep = dir.File("");
  while (deep.size() < 4100) deep += "./";
  const std::pair<std::string, std::int64_t> cases[] = {
      {dir.File(std::string(256, 'n')), 256}, {dir.File("link.bmp"), 256}, {deep + "out.bmp", 0}};
  for (const auto& [path, longest] : cases) {
    ReplacingFile file;
    const Cause why = file.Open(path.c_str()).Why();
    EXPECT_EQ(why.kind, BMPRESIZE_CAUSE_NO_DESTINATION);
    EXPECT_EQ(why.error, ENAMETOOLONG);
    EXPECT_EQ(why.value, longest > 0 ? longest : static_cast<std::int64_t>(path.size()));
    EXPECT_EQ(why.limit, longest > 0 ? 255 : 0);
    EXPECT_EQ(ListFolder(dir.path()), std::set<std::string>{"link.bmp"});
  }
}

TEST(FilesInFlight, TheSlotsEndWithoutFailingTheFile) {
  std::vector<FileInFlight*> noted;
  for (;;) {
    FileInFlight* slot = NoteFileInFlight(NATIVE_TEXT("/nonexistent/.x.tmp"));
    if (slot == nullptr) break;
    noted.push_back(slot);
  }
  EXPECT_GE(noted.size(), 1u);
  for (FileInFlight* slot : noted) ForgetFileInFlight(slot);
  ForgetFileInFlight(nullptr);

  // A file forgotten while a removal reads its slot waits for the removal,
  // held here as RemoveFilesInFlight() marks the slot it reads.
  FileInFlight* slot = NoteFileInFlight(NATIVE_TEXT("/nonexistent/.y.tmp"));
  ASSERT_NE(slot, nullptr);
  slot->state.fetch_add(1);
  std::atomic<bool> forgotten{false};
  std::thread forget([&] {
    ForgetFileInFlight(slot);
    forgotten = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(forgotten.load());
  slot->state.fetch_sub(1);
  forget.join();
  EXPECT_EQ(slot->state.load(), FileInFlight::kFree);
}

}  // namespace
