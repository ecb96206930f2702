// The compiled catalog reader, on catalogs msgfmt wrote (fuzz/corpus/mo_catalog: a header, two
// entries with a context and one without, in either byte order) and on damaged copies of them.

#include "platform/system/mo_catalog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

std::string Corpus(const std::string& name) {
  std::ifstream in(std::string(PELLISET_SOURCE_DIR) + "/fuzz/corpus/mo_catalog/" + name,
                   std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(MoCatalog, ReadsBothByteOrdersAndRefusesDamage) {
  const std::map<std::string, std::string> expected = {{"host keyline/help", "F1 Hilfe"},
                                                       {"string 172", "Kein USB-Drucker!"}};
  const std::string little = Corpus("small_little_endian.mo");
  ASSERT_EQ(little.size(), 260u);
  EXPECT_EQ(platform::ParseMoCatalog(little), expected);
  EXPECT_EQ(platform::ParseMoCatalog(Corpus("small_big_endian.mo")), expected);
  EXPECT_EQ(platform::ReadMoCatalog(std::string(PELLISET_SOURCE_DIR) +
                                    "/fuzz/corpus/mo_catalog/small_little_endian.mo"),
            expected);

  // The last string without its closing NUL; a string table entry pointing past the end; more
  // entries than the tables hold; another magic number; no file at all.
  EXPECT_FALSE(platform::ParseMoCatalog(little.substr(0, little.size() - 1)));
  std::string past_end = little;
  past_end[0x23] = '\x01';  // the first original's offset (at 0x20) grows by 16 MiB
  EXPECT_FALSE(platform::ParseMoCatalog(past_end));
  std::string too_many = little;
  too_many[10] = '\x01';  // 65540 entries
  EXPECT_FALSE(platform::ParseMoCatalog(too_many));
  EXPECT_FALSE(platform::ParseMoCatalog("\x95\x04\x12\xdf" + little.substr(4)));
  EXPECT_FALSE(platform::ReadMoCatalog("/nonexistent/pelliset.mo"));
}

}  // namespace
