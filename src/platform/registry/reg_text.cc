#include "platform/registry/reg_text.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/system/ascii_case.h"
#include "platform/system/hex.h"

namespace platform {
namespace {

constexpr std::string_view kHive = "HKEY_LOCAL_MACHINE";

bool IsControl(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; }

bool HasControl(std::string_view text) {
  for (const char c : text) {
    if (IsControl(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A quoted text starting at s[0] == '"'; `consumed` gets the length including both quotes.
std::optional<std::string> ParseQuoted(std::string_view s, size_t* consumed) {
  if (s.empty() || s[0] != '"') return std::nullopt;
  std::string out;
  for (size_t i = 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      *consumed = i + 1;
      return out;
    }
    if (c == '\\') {
      if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return std::nullopt;
      out += s[++i];
    } else {
      out += c;
    }
  }
  return std::nullopt;  // no closing quote
}

std::optional<std::vector<uint8_t>> ParseHexList(std::string_view s) {
  std::vector<uint8_t> bytes;
  s = Trim(s);
  if (s.empty()) return bytes;
  size_t start = 0;
  while (true) {
    size_t comma = s.find(',', start);
    const std::string_view item =
        Trim(s.substr(start, comma == std::string_view::npos ? s.npos : comma - start));
    if (item.size() != 2) return std::nullopt;
    const int hi = HexDigitValue(item[0]);
    const int lo = HexDigitValue(item[1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(hi << 4 | lo));
    if (comma == std::string_view::npos) return bytes;
    start = comma + 1;
  }
}

std::optional<RegValue> ParseData(std::string_view s) {
  RegValue value;
  if (!s.empty() && s[0] == '"') {
    size_t consumed = 0;
    const std::optional<std::string> text = ParseQuoted(s, &consumed);
    if (!text || !Trim(s.substr(consumed)).empty()) return std::nullopt;
    value.type = RegType::kSz;
    value.data.assign(text->begin(), text->end());
    value.data.push_back(0);
    return value;
  }
  if (AsciiStartsWithNoCase(s, "dword:")) {
    const std::string_view digits = Trim(s.substr(6));
    if (digits.size() != 8) return std::nullopt;
    uint32_t number = 0;
    for (const char c : digits) {
      const int d = HexDigitValue(c);
      if (d < 0) return std::nullopt;
      number = number << 4 | static_cast<uint32_t>(d);
    }
    value.type = RegType::kDword;
    value.data = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                  static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
    return value;
  }
  if (AsciiStartsWithNoCase(s, "hex:")) {
    value.type = RegType::kBinary;
    s.remove_prefix(4);
  } else if (AsciiStartsWithNoCase(s, "hex(")) {
    const size_t close = s.find(')');
    if (close == s.npos || close < 5 || close > 12 || s.substr(close, 2) != "):") {
      return std::nullopt;
    }
    uint32_t type = 0;
    for (const char c : s.substr(4, close - 4)) {
      const int d = HexDigitValue(c);
      if (d < 0) return std::nullopt;
      type = type << 4 | static_cast<uint32_t>(d);
    }
    value.type = static_cast<RegType>(type);
    s.remove_prefix(close + 2);
  } else {
    return std::nullopt;  // includes "-", the deletion entry, which this store cannot express
  }
  std::optional<std::vector<uint8_t>> bytes = ParseHexList(s);
  if (!bytes) return std::nullopt;
  value.data = std::move(*bytes);
  return value;
}

// Splits "name"=data or @=data.
bool ParseValueLine(std::string_view line, std::string* name, RegValue* value) {
  size_t consumed = 0;
  if (!line.empty() && line[0] == '@') {
    name->clear();
    consumed = 1;
  } else {
    std::optional<std::string> quoted = ParseQuoted(line, &consumed);
    if (!quoted) return false;
    *name = std::move(*quoted);
  }
  std::string_view rest = Trim(line.substr(consumed));
  if (rest.empty() || rest[0] != '=') return false;
  std::optional<RegValue> data = ParseData(Trim(rest.substr(1)));
  if (!data) return false;
  *value = std::move(*data);
  return true;
}

std::string Escape(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (const char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

bool WritableAsText(const RegValue& value) {
  const std::vector<uint8_t>& d = value.data;
  if (value.type != RegType::kSz || d.empty() || d.back() != 0) return false;
  for (size_t i = 0; i + 1 < d.size(); ++i) {
    if (d[i] == 0 || IsControl(d[i])) return false;
  }
  return true;
}

void AppendHex(std::string* out, const std::vector<uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) *out += ',';
    *out += kDigits[bytes[i] >> 4];
    *out += kDigits[bytes[i] & 0x0F];
  }
}

std::string FormatData(const RegValue& value) {
  if (WritableAsText(value)) {
    const std::string text(value.data.begin(), value.data.end() - 1);
    return "\"" + Escape(text) + "\"";
  }
  char head[24];
  if (value.type == RegType::kDword && value.data.size() == 4) {
    const std::vector<uint8_t>& d = value.data;
    const uint32_t n = static_cast<uint32_t>(d[0]) | static_cast<uint32_t>(d[1]) << 8 |
                       static_cast<uint32_t>(d[2]) << 16 | static_cast<uint32_t>(d[3]) << 24;
    snprintf(head, sizeof head, "dword:%08x", n);
    return head;
  }
  if (value.type == RegType::kBinary) {
    snprintf(head, sizeof head, "hex:");
  } else {
    snprintf(head, sizeof head, "hex(%x):", static_cast<uint32_t>(value.type));
  }
  std::string out = head;
  AppendHex(&out, value.data);
  return out;
}

}  // namespace

bool RegTextNameWritable(const std::string& name) { return !HasControl(name); }

RegTextParse ParseRegText(std::string_view text) {
  RegTextParse result;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (text.empty()) return result;  // a new, empty store

  std::optional<std::string> current_key;  // nullopt: no section yet, or one we cannot keep
  bool first = true;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == text.npos) end = text.size();
    std::string logical(text.substr(pos, end - pos));
    pos = end + 1;
    if (!logical.empty() && logical.back() == '\r') logical.pop_back();
    // Long hex lists continue on the next line after a trailing backslash. Each piece is
    // looked at once, so a value continued over many lines costs no more than one long line.
    const bool hex = logical.find("=hex") != logical.npos;
    bool control = HasControl(logical);
    while (hex && !control && pos < text.size()) {
      while (!logical.empty() && (logical.back() == ' ' || logical.back() == '\t')) {
        logical.pop_back();
      }
      if (logical.empty() || logical.back() != '\\') break;
      logical.pop_back();
      end = text.find('\n', pos);
      if (end == text.npos) end = text.size();
      std::string_view next = text.substr(pos, end - pos);
      pos = end + 1;
      if (!next.empty() && next.back() == '\r') next.remove_suffix(1);
      control = HasControl(next);
      logical += Trim(next);
    }

    if (HasControl(logical)) {
      result.damaged = true;
      ++result.bad_lines;
      first = false;
      continue;
    }
    const std::string_view line = Trim(logical);
    if (first) {
      first = false;
      if (line != kRegTextHeader && line != "REGEDIT4") {
        result.damaged = true;
        ++result.bad_lines;
        // The lines after a bad header may still be ours; keep what parses.
      }
      continue;
    }
    if (line.empty() || line[0] == ';') continue;

    if (line[0] == '[') {
      current_key.reset();
      if (line.back() != ']') {
        result.damaged = true;
        ++result.bad_lines;
        continue;
      }
      const std::string_view path = line.substr(1, line.size() - 2);
      if (AsciiStartsWithNoCase(path, kHive) &&
          (path.size() == kHive.size() || path[kHive.size()] == '\\')) {
        current_key = RegistryTree::Normalise(std::string(path.substr(kHive.size())));
        result.tree.CreateKey(*current_key);
      } else {
        // Another hive, or a key deletion ("[-...]"): not ours to keep, and a rewrite would drop
        // it, so the file counts as damaged and is kept before the first write.
        result.damaged = true;
        ++result.bad_lines;
      }
      continue;
    }

    std::string name;
    RegValue value;
    if (!current_key || !ParseValueLine(line, &name, &value)) {
      result.damaged = true;
      ++result.bad_lines;
      continue;
    }
    result.tree.Set(*current_key, name, value);
  }
  return result;
}

std::string FormatRegText(const RegistryTree& tree) {
  std::string out = kRegTextHeader;
  out += "\n\n";
  for (const RegistryTree::Key* key : tree.Keys()) {
    out += '[';
    out += kHive;
    if (!key->path.empty()) {
      out += '\\';
      out += key->path;
    }
    out += "]\n";
    for (const RegistryTree::NamedValue& v : key->values) {
      if (v.name.empty()) {
        out += '@';
      } else {
        out += '"';
        out += Escape(v.name);
        out += '"';
      }
      out += '=';
      out += FormatData(v.value);
      out += '\n';
    }
    out += '\n';
  }
  return out;
}

}  // namespace platform
