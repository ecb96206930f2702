#pragma once

// Runs one of our programs the way a user's script would: a clean environment with a
// configuration folder of its own, a script on standard input, and what it printed kept.

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "platform/temp_dir.h"

namespace itest {

// `s` in single quotes for /bin/sh.
inline std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct ProgramOutcome {
  int status = -1;  // the exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs `program` with `args` (already quoted), XDG_CONFIG_HOME=`dir`/config and LC_ALL=`locale`.
// Standard input is `stdin_path`, or, when that is empty, `script` written to `dir`/script.
inline ProgramOutcome RunProgram(const platform_test::TempDir& dir, const std::string& program,
                                 const std::string& script, const std::string& args = "",
                                 const std::string& locale = "C",
                                 const std::string& stdin_path = "") {
  const std::string in = stdin_path.empty() ? dir.File("script") : stdin_path;
  if (stdin_path.empty()) platform_test::WriteFile(in, script);
  const std::string cmd = "env -i XDG_CONFIG_HOME=" + ShellQuote(dir.File("config")) +
                          " LC_ALL=" + ShellQuote(locale) + " " + ShellQuote(program) + " " + args +
                          " < " + ShellQuote(in) + " > " + ShellQuote(dir.File("out")) + " 2> " +
                          ShellQuote(dir.File("err"));
  const int raw = std::system(cmd.c_str());
  ProgramOutcome o;
  o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  o.out = platform_test::ReadAll(dir.File("out"));
  o.err = platform_test::ReadAll(dir.File("err"));
  return o;
}

}  // namespace itest
