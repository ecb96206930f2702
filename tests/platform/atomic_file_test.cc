#include "platform/system/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A new file is made as open(2) would make it (0666 less the umask); a replaced one keeps its
// mode, so a file the user closed to others stays closed.
TEST(AtomicFile, NewFileFollowsTheUmaskAndAReplacedOneKeepsItsMode) {
  platform_test::TempDir dir;
  const mode_t saved = ::umask(027);
  std::string error;
  EXPECT_TRUE(platform::ReplaceFileAtomically(dir.File("new.ini"), "a", &error)) << error;
  ASSERT_EQ(::chmod(dir.File("new.ini").c_str(), 0600), 0);
  EXPECT_EQ(ModeOf(dir.File("new.ini")), 0600u);
  EXPECT_TRUE(platform::ReplaceFileAtomically(dir.File("new.ini"), "b", &error)) << error;
  EXPECT_TRUE(platform::ReplaceFileAtomically(dir.File("other.ini"), "c", &error)) << error;
  ::umask(saved);
  EXPECT_EQ(ModeOf(dir.File("new.ini")), 0600u);
  EXPECT_EQ(ModeOf(dir.File("other.ini")), 0640u);

  // A name of the longest length a folder takes is written too, and nothing else stays.
  const std::string longest = std::string(251, 'n') + ".ini";
  EXPECT_TRUE(platform::ReplaceFileAtomically(dir.File(longest), "d", &error)) << error;
  std::vector<std::string> names = dir.Names();
  std::ranges::sort(names);
  EXPECT_EQ(names, (std::vector<std::string>{"new.ini", longest, "other.ini"}));
}

// Through a symbolic link the file it names is replaced and the link stays; a device is written
// to, never renamed over.
TEST(AtomicFile, WriteFileOrDeviceWritesWhatThePathNames) {
  platform_test::TempDir dir;
  { std::ofstream(dir.File("real.bin")) << "old"; }
  ASSERT_EQ(::symlink("real.bin", dir.File("link.bin").c_str()), 0);
  std::string error;
  ASSERT_TRUE(platform::WriteFileOrDevice(dir.File("link.bin"), "new", &error)) << error;
  struct stat link_info {};
  ASSERT_EQ(::lstat(dir.File("link.bin").c_str(), &link_info), 0);
  EXPECT_TRUE(S_ISLNK(link_info.st_mode));
  std::ifstream real(dir.File("real.bin"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(real), {}), "new");
  ASSERT_EQ(::symlink("later.bin", dir.File("ahead.bin").c_str()), 0);  // names no file yet
  ASSERT_TRUE(platform::WriteFileOrDevice(dir.File("ahead.bin"), "made", &error)) << error;
  std::ifstream later(dir.File("later.bin"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(later), {}), "made");
  EXPECT_TRUE(platform::WriteFileOrDevice("/dev/null", "x", &error)) << error;
  struct stat null_info {};
  ASSERT_EQ(::stat("/dev/null", &null_info), 0);
  EXPECT_TRUE(S_ISCHR(null_info.st_mode));
}

}  // namespace
