#pragma once

// The option syntax every program shares: `--name VALUE` and `--name=VALUE`, short forms such as
// `-p VALUE`, options anywhere among the other arguments, `--` ending the options and `-` (standard
// input or output, as the program takes it) always an operand. The programs then read the items
// in order, so their own checks and messages stay where their options are.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One option a program takes.
struct OptionRule {
  std::string_view name;        // "--port", or a short form standing alone ("-o")
  std::string_view short_name;  // "-p" as another way to write `name`; empty for none
  bool takes_value = false;
};

// One argument after splitting: an option with its value, or an operand.
struct CommandLineItem {
  // The rule's `name`, also when the option was written in its short form; empty for an operand.
  std::string_view option;
  // The option's value (empty for a switch), or the operand itself.
  std::string value;

  bool is_operand() const { return option.empty(); }
};

// Splits `args` (without the program name) against `options`, keeping their order. False with
// `error` ("unknown option '--x=1'", "option '--port' needs a value", "option '--help' takes no
// value") for the first argument that cannot be read; the caller adds its program's name.
bool SplitCommandLine(std::span<const std::string> args, std::span<const OptionRule> options,
                      std::vector<CommandLineItem>* items, std::string* error);

// argv[1..argc-1] as strings.
std::vector<std::string> ArgumentsOf(int argc, char** argv);

}  // namespace platform
