#pragma once

#include <string>
#include <string_view>

#include "platform/registry/registry_tree.h"

namespace platform {

// The registry file's text: the Windows ".reg" export format, limited to HKEY_LOCAL_MACHINE.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\Korvane\Pelliset]
//   "uPortType"=dword:00000003
//   "Name"="text with \\ and \" escaped"
//   "Odd"=hex(1):41,00,42
//
// A value is written as "text" only when that reads back to the very same bytes (one terminating
// NUL, no other NUL, no control characters); dword: only for exactly 4 bytes; everything else
// as hex(N), so every value round-trips byte for byte.

inline constexpr char kRegTextHeader[] = "Windows Registry Editor Version 5.00";

struct RegTextParse {
  RegistryTree tree;
  // Something in the text could not be taken over (bad header, unreadable line, a foreign hive,
  // a deletion entry); a rewrite would lose it.
  bool damaged = false;
  int bad_lines = 0;
};

// Never fails: whatever cannot be parsed is counted and left out.
RegTextParse ParseRegText(std::string_view text);
std::string FormatRegText(const RegistryTree& tree);

// True when the key path or value name can be written as text that parses back to itself.
bool RegTextNameWritable(const std::string& name);

}  // namespace platform
