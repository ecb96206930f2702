// The option syntax every program shares: values after a blank or '=', options among operands,
// `--` ending the options, `-` an operand, and the refusals named.

#include "platform/system/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform {
namespace {

constexpr OptionRule kOptions[] = {
    {"--printer", "-p", true},
    {"--yes", "-y", false},
    {"-o", "", true},
};

// The items as "option=value" and "operand" words, for comparing in one line.
std::string Show(const std::vector<CommandLineItem>& items) {
  std::string out;
  for (const CommandLineItem& item : items) {
    if (!out.empty()) out += ' ';
    out += item.is_operand() ? "[" + item.value + "]" : std::string(item.option) + "=" + item.value;
  }
  return out;
}

TEST(CommandLineTest, SplitsTheWayEveryProgramReadsIt) {
  struct Case {
    std::vector<std::string> args;
    std::string items;  // or the error
  };
  const Case cases[] = {
      {{"--printer", "a", "get", "--printer=b=c", "-p", "d"},
       "--printer=a [get] --printer=b=c --printer=d"},
      {{"--printer=", "-y", "-o", "x.bin"}, "--printer= --yes= -o=x.bin"},
      // A value is taken as it comes, even when it looks like an option.
      {{"-p", "--yes"}, "--printer=--yes"},
      {{"-", "--printer", "-", "--", "--yes", "-p", "-"}, "[-] --printer=- [--yes] [-p] [-]"},
      {{"", "--"}, "[]"},
      {{"--yes=no"}, "option '--yes' takes no value"},
      {{"--printer"}, "option '--printer' needs a value"},
      {{"-o"}, "option '-o' needs a value"},
      {{"--print=x"}, "unknown option '--print=x'"},
      {{"-pa", "-ox.bin", "-y"}, "--printer=a -o=x.bin --yes="},
      {{"-p=x"}, "option '-p' takes its value after a blank (-p x)"},
      {{"-yx"}, "unknown option '-yx'"},
      {{"-x", "--"}, "unknown option '-x'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items);
    std::vector<CommandLineItem> items;
    std::string error;
    if (SplitCommandLine(c.args, kOptions, &items, &error)) {
      EXPECT_EQ(Show(items), c.items);
    } else {
      EXPECT_EQ(error, c.items);
      EXPECT_TRUE(items.empty());
    }
  }
}

}  // namespace
}  // namespace platform
