#include "platform/system/command_line.h"

namespace platform {
namespace {

const OptionRule* FindOption(std::string_view written, std::span<const OptionRule> options) {
  for (const OptionRule& rule : options) {
    if (written == rule.name || (!rule.short_name.empty() && written == rule.short_name)) {
      return &rule;
    }
  }
  return nullptr;
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

}  // namespace

bool SplitCommandLine(std::span<const std::string> args, std::span<const OptionRule> options,
                      std::vector<CommandLineItem>* items, std::string* error) {
  std::vector<CommandLineItem> split;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.size() < 2 || arg[0] != '-') {
      split.push_back({{}, arg});
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    // Only long options carry their value after '='.
    std::string_view written = arg;
    const size_t equals = arg.find('=');
    const bool inline_value = arg.starts_with("--") && equals != std::string::npos;
    if (inline_value) written = written.substr(0, equals);
    const OptionRule* rule = FindOption(written, options);
    // A short option may carry its value joined to it, as getopt takes it: "-j8". Joined by
    // '=' it is refused by name, since the '=' could as well be the value's first character.
    if (rule == nullptr && !arg.starts_with("--") && arg.size() > 2) {
      const std::string_view short_name = std::string_view(arg).substr(0, 2);
      const OptionRule* joined = FindOption(short_name, options);
      if (joined != nullptr && joined->takes_value && arg[2] == '=') {
        *error = "option " + Quoted(short_name) + " takes its value after a blank (" +
                 std::string(short_name) + " " + arg.substr(3) + ")";
        return false;
      }
      if (joined != nullptr && joined->takes_value) {
        split.push_back({joined->name, arg.substr(2)});
        continue;
      }
    }
    if (rule == nullptr) {
      // Named as typed, value and all, so the person sees which argument it was.
      *error = "unknown option " + Quoted(arg);
      return false;
    }
    if (!rule->takes_value) {
      // "--yes=no" must not read as yes.
      if (inline_value) {
        *error = "option " + Quoted(written) + " takes no value";
        return false;
      }
      split.push_back({rule->name, {}});
      continue;
    }
    if (inline_value) {
      split.push_back({rule->name, arg.substr(equals + 1)});
    } else if (i + 1 < args.size()) {
      split.push_back({rule->name, args[++i]});
    } else {
      *error = "option " + Quoted(written) + " needs a value";
      return false;
    }
  }
  *items = std::move(split);
  return true;
}

std::vector<std::string> ArgumentsOf(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
}

}  // namespace platform
