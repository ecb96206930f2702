// LoadableModule holds a module loaded at run time to one contract: a load or a symbol that fails
// says why in the loader's words, naming what is missing.

#include "platform/system/loadable_module.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LoadableModule, LoadsFindsSymbolsAndSaysWhyNot) {
  std::string error;
  EXPECT_FALSE(platform::LoadableModule::Open("/nonexistent/pelliset-x.so", &error));
  EXPECT_EQ(
      error,
      "/nonexistent/pelliset-x.so: cannot open shared object file: No such file or directory");

  // A file that is no shared object at all.
  error.clear();
  EXPECT_FALSE(platform::LoadableModule::Open("/proc/self/cmdline", &error));
  EXPECT_NE(error.find("/proc/self/cmdline"), std::string::npos) << error;

  error.clear();
  const auto libc = platform::LoadableModule::Open("libc.so.6", &error);
  ASSERT_TRUE(libc) << error;
  EXPECT_NE(libc->Symbol("getpid", &error), nullptr);
  EXPECT_EQ(error, "");
  EXPECT_EQ(libc->Symbol("pelliset_no_such_symbol", &error), nullptr);
  EXPECT_NE(error.find("pelliset_no_such_symbol"), std::string::npos) << error;
}

}  // namespace
