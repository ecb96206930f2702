#include "platform/system/mo_catalog.h"

#include <cstdint>
#include <fstream>

#include "platform/system/bounded_read.h"

namespace platform {
namespace {

constexpr uint32_t kMagic = 0x950412de;

// The 32-bit number at `at`, in the byte order the catalog's magic number shows.
uint32_t Word(std::string_view bytes, size_t at, bool big_endian) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const auto byte = static_cast<uint8_t>(bytes[at + static_cast<size_t>(big_endian ? i : 3 - i)]);
    value = value << 8 | byte;
  }
  return value;
}

}  // namespace

std::optional<std::map<std::string, std::string>> ParseMoCatalog(std::string_view bytes) {
  if (bytes.size() < 20 || bytes.size() > kMaxCatalogBytes) return std::nullopt;
  const bool big_endian = Word(bytes, 0, true) == kMagic;
  if (!big_endian && Word(bytes, 0, false) != kMagic) return std::nullopt;
  if (Word(bytes, 4, big_endian) >> 16 > 1) return std::nullopt;  // a major revision unknown here
  const uint64_t count = Word(bytes, 8, big_endian);
  const uint64_t originals = Word(bytes, 12, big_endian);
  const uint64_t translations = Word(bytes, 16, big_endian);
  if (originals + count * 8 > bytes.size() || translations + count * 8 > bytes.size()) {
    return std::nullopt;
  }
  // The string a table entry points at, which must end in a NUL inside the file.
  auto string_at = [&](uint64_t entry) -> std::optional<std::string_view> {
    const uint64_t length = Word(bytes, entry, big_endian);
    const uint64_t offset = Word(bytes, entry + 4, big_endian);
    if (offset + length >= bytes.size() || bytes[offset + length] != '\0') return std::nullopt;
    return bytes.substr(offset, length);
  };
  std::map<std::string, std::string> catalog;
  for (uint64_t i = 0; i < count; ++i) {
    const auto original = string_at(originals + i * 8);
    const auto translation = string_at(translations + i * 8);
    if (!original || !translation) return std::nullopt;
    const size_t separator = original->find('\x04');
    if (separator == std::string_view::npos) continue;
    catalog.insert_or_assign(std::string(original->substr(0, separator)),
                             std::string(translation->substr(0, translation->find('\0'))));
  }
  return catalog;
}

std::optional<std::map<std::string, std::string>> ReadMoCatalog(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  if (!ReadBounded(in, kMaxCatalogBytes, &bytes)) return std::nullopt;
  return ParseMoCatalog(bytes);
}

}  // namespace platform
