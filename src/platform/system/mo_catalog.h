#pragma once

// A compiled gettext catalog (.mo, as msgfmt writes it) read without the C library's gettext, so
// a translation shows whether or not its locale is generated on the machine. The file is
// untrusted input: every offset and length is checked against the file before it is used.

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Larger than any catalog of this program many times over.
inline constexpr size_t kMaxCatalogBytes = 4u << 20;

// The catalog's translations by msgctxt (the text before the \x04 in a msgid); entries without a
// context, the header among them, are left out, and of a plural translation only the first form
// is kept. nullopt when the bytes are not a catalog or any entry lies outside them.
std::optional<std::map<std::string, std::string>> ParseMoCatalog(std::string_view bytes);

// The catalog file at `path`; nullopt when it is missing, unreadable, too large or damaged.
std::optional<std::map<std::string, std::string>> ReadMoCatalog(const std::string& path);

}  // namespace platform
