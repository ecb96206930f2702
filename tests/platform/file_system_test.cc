// Files opened for reading and writing and read whole, on the real file system.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/system/posix_file_system.h"
#include "temp_dir.h"

namespace {

using platform_test::TempDir;
using platform_test::WriteFile;

TEST(PosixFileSystem, ReadsAWritableFileWholeAndRefusesWhatItCannotUse) {
  TempDir dir;
  platform::PosixFileSystem files;
  std::string error;

  WriteFile(dir.File("a.fls"), std::string("\0\1\377fw", 5));
  auto file = files.OpenReadWrite(dir.File("a.fls"), &error);
  ASSERT_NE(file, nullptr) << error;
  EXPECT_EQ(file->Length(), 5u);
  EXPECT_EQ(file->ReadWhole(&error), (std::vector<uint8_t>{0x00, 0x01, 0xFF, 'f', 'w'}));
  EXPECT_EQ(files.OpenReadWrite(dir.path(), &error), nullptr);
  // Write permission for anyone at all is enough, as it is for the user who has it.
  WriteFile(dir.File("group.fls"), "g");
  ASSERT_EQ(::chmod(dir.File("group.fls").c_str(), 0464), 0);
  EXPECT_NE(files.OpenReadWrite(dir.File("group.fls"), &error), nullptr) << error;
}

TEST(PosixFileSystem, RefusesToReadAFileOverTheLimitNamingIt) {
  TempDir dir;
  const std::string path = dir.File("huge.fls");
  WriteFile(path, "");
  // Sparse: the length is real, the disk is not used.
  ASSERT_EQ(::truncate(path.c_str(), (64 << 20) + 1), 0);
  platform::PosixFileSystem files;
  std::string error;
  auto file = files.OpenReadWrite(path, &error);
  ASSERT_NE(file, nullptr) << error;
  EXPECT_EQ(file->Length(), (64u << 20) + 1);
  EXPECT_EQ(file->ReadWhole(&error), std::nullopt);
  EXPECT_NE(error.find("64 MiB"), std::string::npos) << error;
}

}  // namespace
