#include "ui/core/string_table.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/system/bounded_read.h"
#include "ui/core/host_texts.h"
#include "ui/core/template.h"
#include "ui/core/utf8.h"

namespace ui {
namespace {

constexpr std::string_view kHeader = "pelliset-pack 1";
constexpr int kMaxId = 65535;

bool ParseId(std::string_view text, int* id) {
  if (text.empty() || text.size() > 5) return false;
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > kMaxId) {
    return false;
  }
  *id = value;
  return true;
}

bool Unescape(std::string_view text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\\') {
      out->push_back(c);
      continue;
    }
    if (++i >= text.size()) return false;
    switch (text[i]) {
      case 'n':
        out->push_back('\n');
        break;
      case 'r':
        out->push_back('\r');
        break;
      case 't':
        out->push_back('\t');
        break;
      case '\\':
        out->push_back('\\');
        break;
      default:
        return false;
    }
  }
  return true;
}

// `count` decimal numbers 0..kMaxPackUnits, one space between each, nothing else.
bool ParseUnits(std::string_view text, int* out, int count) {
  for (int i = 0; i < count; ++i) {
    const size_t space = text.find(' ');
    const bool last = i + 1 == count;
    if (last != (space == std::string_view::npos)) return false;
    const std::string_view digits = last ? text : text.substr(0, space);
    if (digits.empty() || digits.size() > 4) return false;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), out[i]);
    if (ec != std::errc() || end != digits.data() + digits.size() || out[i] < 0 ||
        out[i] > kMaxPackUnits) {
      return false;
    }
    if (!last) text.remove_prefix(space + 1);
  }
  return true;
}

}  // namespace

std::optional<std::string> StringTable::Find(int id) const {
  auto it = entries_.find(id);
  if (it == entries_.end()) return std::nullopt;
  return it->second;
}

std::optional<ResourcePack> ParseResourcePack(std::string_view text, size_t* bad_line) {
  size_t line_number = 0;
  auto refuse = [&]() -> std::optional<ResourcePack> {
    if (bad_line != nullptr) *bad_line = line_number;
    return std::nullopt;
  };
  if (text.size() > kMaxPackBytes) return refuse();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (text.find('\0') != std::string_view::npos || !IsValidUtf8(text)) return refuse();

  ResourcePack pack;
  bool header_seen = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (!header_seen) {
      if (line != kHeader) {
        line_number = 0;  // not a pack at all, rather than a pack damaged at this line
        return refuse();
      }
      header_seen = true;
      continue;
    }
    const size_t eq = line.find(" = ");
    if (eq == std::string_view::npos) {
      // A control state: "show T/C", "hide T/C", "enable T/C" or "disable T/C".
      const size_t space = line.find(' ');
      if (space == std::string_view::npos) return refuse();
      const std::string_view directive = line.substr(0, space);
      const std::string_view ids = line.substr(space + 1);
      const bool visibility = directive == "show" || directive == "hide";
      if (!visibility && directive != "enable" && directive != "disable") return refuse();
      const size_t slash = ids.find('/');
      int template_id = 0;
      int control_id = 0;
      if (slash == std::string_view::npos || !ParseId(ids.substr(0, slash), &template_id) ||
          !ParseId(ids.substr(slash + 1), &control_id)) {
        return refuse();
      }
      ControlState& state = pack.control_states[{template_id, control_id}];
      std::optional<bool>& field = visibility ? state.visible : state.enabled;
      if (field.has_value()) return refuse();  // a second word on the same state
      field = directive == "show" || directive == "enable";
      continue;
    }
    const std::string_view key = line.substr(0, eq);
    std::string value;
    if (!Unescape(line.substr(eq + 3), &value)) return refuse();

    const size_t space = key.find(' ');
    if (space == std::string_view::npos) return refuse();
    const std::string_view directive = key.substr(0, space);
    const std::string_view ids = key.substr(space + 1);
    if (directive == "string") {
      int id = 0;
      if (!ParseId(ids, &id) || !pack.strings.emplace(id, std::move(value)).second) {
        return refuse();
      }
    } else if (directive == "caption") {
      const size_t slash = ids.find('/');
      int template_id = 0;
      if (slash == std::string_view::npos) {
        if (!ParseId(ids, &template_id) ||
            !pack.template_captions.emplace(template_id, std::move(value)).second) {
          return refuse();
        }
      } else {
        int control_id = 0;
        if (!ParseId(ids.substr(0, slash), &template_id) ||
            !ParseId(ids.substr(slash + 1), &control_id) ||
            !pack.control_captions
                 .emplace(std::make_pair(template_id, control_id), std::move(value))
                 .second) {
          return refuse();
        }
      }
    } else if (directive == "rect") {
      const size_t slash = ids.find('/');
      int template_id = 0;
      int control_id = 0;
      int n[4] = {};
      if (slash == std::string_view::npos || !ParseId(ids.substr(0, slash), &template_id) ||
          !ParseId(ids.substr(slash + 1), &control_id) || !ParseUnits(value, n, 4) ||
          !pack.control_rects
               .emplace(std::make_pair(template_id, control_id), Rect{n[0], n[1], n[2], n[3]})
               .second) {
        return refuse();
      }
    } else if (directive == "size") {
      int template_id = 0;
      int n[2] = {};
      if (!ParseId(ids, &template_id) || !ParseUnits(value, n, 2) ||
          !pack.template_sizes.emplace(template_id, std::make_pair(n[0], n[1])).second) {
        return refuse();
      }
    } else if (directive == "host") {
      if (ids.empty() || ids.find(' ') != std::string_view::npos ||
          !pack.host_texts.emplace(ids, std::move(value)).second)
        return refuse();
    } else {
      return refuse();
    }
  }
  line_number = 0;
  if (!header_seen) return refuse();
  return pack;
}

void OverlayResourcePack(ResourcePack* base, const ResourcePack& top) {
  for (const auto& [id, text] : top.strings) base->strings.insert_or_assign(id, text);
  for (const auto& [id, text] : top.template_captions) {
    base->template_captions.insert_or_assign(id, text);
  }
  for (const auto& [ids, text] : top.control_captions) {
    base->control_captions.insert_or_assign(ids, text);
  }
  for (const auto& [ids, rect] : top.control_rects) base->control_rects.insert_or_assign(ids, rect);
  for (const auto& [id, size] : top.template_sizes) base->template_sizes.insert_or_assign(id, size);
  for (const auto& [key, text] : top.host_texts) base->host_texts.insert_or_assign(key, text);
  for (const auto& [ids, state] : top.control_states) {
    ControlState& under = base->control_states[ids];
    if (state.visible) under.visible = state.visible;
    if (state.enabled) under.enabled = state.enabled;
  }
}

std::optional<ResourcePack> ReadResourcePackFile(const std::string& path, std::string* problem) {
  auto fail = [problem](std::string why) -> std::optional<ResourcePack> {
    if (problem != nullptr) *problem = std::move(why);
    return std::nullopt;
  };
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return fail("is a folder, not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(std::string("cannot be opened: ") + std::strerror(errno));
  std::string text;
  if (!platform::ReadBounded(in, kMaxPackBytes, &text))
    return fail("cannot be read, or is larger than 1 MiB");
  size_t bad_line = 0;
  std::optional<ResourcePack> pack = ParseResourcePack(text, &bad_line);
  if (!pack) {
    return fail(bad_line > 0 ? "is damaged at line " + std::to_string(bad_line)
                             : std::string("is not a pack (it must start with \"") +
                                   std::string(kHeader) + "\" and be UTF-8 text)");
  }
  return pack;
}

std::optional<ResourcePack> LoadResourcePack(std::string_view pack_name,
                                             const std::vector<std::string>& folders) {
  // Only a plain file name: a pack name never walks out of the folders it is looked up in.
  if (pack_name.empty() || pack_name == "." || pack_name == ".." ||
      pack_name.find('/') != std::string_view::npos ||
      pack_name.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    std::string path = folder;
    if (path.back() != '/') path.push_back('/');
    path.append(pack_name);
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    // The first pack found decides, damaged or not: a damaged pack means English, not a search
    // for another copy the user did not expect.
    std::string text;
    if (!platform::ReadBounded(in, kMaxPackBytes, &text)) return std::nullopt;
    return ParseResourcePack(text);
  }
  return std::nullopt;
}

std::string Resources::String(int id) const {
  if (pack_) {
    auto it = pack_->strings.find(id);
    if (it != pack_->strings.end()) return it->second;
  }
  return english_.Find(id).value_or(std::string());
}

std::string Resources::TemplateCaption(int template_id, std::string_view english) const {
  if (pack_) {
    auto it = pack_->template_captions.find(template_id);
    if (it != pack_->template_captions.end()) return it->second;
  }
  return std::string(english);
}

std::string Resources::ControlCaption(int template_id, int control_id,
                                      std::string_view english) const {
  if (pack_ && control_id >= 0) {
    auto it = pack_->control_captions.find({template_id, control_id});
    if (it != pack_->control_captions.end()) return it->second;
  }
  return std::string(english);
}

uint32_t Resources::ControlStyles(int template_id, int control_id, uint32_t styles) const {
  if (!pack_ || control_id < 0) return styles;
  const auto it = pack_->control_states.find({template_id, control_id});
  if (it == pack_->control_states.end()) return styles;
  const ControlState& state = it->second;
  if (state.visible) styles = *state.visible ? styles & ~kHidden : styles | kHidden;
  if (state.enabled) styles = *state.enabled ? styles & ~kDisabled : styles | kDisabled;
  return styles;
}

bool Resources::LaysOut(int template_id) const {
  if (!pack_) return false;
  if (pack_->template_sizes.count(template_id) != 0) return true;
  const auto first = pack_->control_rects.lower_bound({template_id, INT_MIN});
  return first != pack_->control_rects.end() && first->first.first == template_id;
}

Template Resources::LaidOut(const Template& english) const {
  Template t = english;
  if (!pack_) return t;
  if (const auto it = pack_->template_sizes.find(t.id); it != pack_->template_sizes.end()) {
    t.width = it->second.first;
    t.height = it->second.second;
  }
  for (ControlTemplate& c : t.controls) {
    if (c.id < 0) continue;  // labels nobody addresses keep their place
    if (const auto it = pack_->control_rects.find({t.id, c.id}); it != pack_->control_rects.end()) {
      c.rect = it->second;
    }
  }
  return t;
}

std::string Resources::Framework(FrameworkText which) const {
  const int id = kFrameworkStringBase + static_cast<int>(which);
  if (pack_) {
    auto it = pack_->strings.find(id);
    if (it != pack_->strings.end()) return it->second;
  }
  // In FrameworkText's order.
  constexpr const char* kEnglish[] = {"Enter an integer between %1 and %2.",
                                      "Enter a positive integer.", "Enter an integer.",
                                      "Enter no more than %1 characters."};
  return kEnglish[static_cast<int>(which)];
}

std::string Resources::Host(std::string_view key) const {
  if (pack_) {
    if (const auto it = pack_->host_texts.find(key); it != pack_->host_texts.end()) {
      return it->second;
    }
  }
  for (const HostTextEntry& entry : HostTexts()) {
    if (entry.key == key) return std::string(entry.english);
  }
  return std::string(key);
}

std::string FormatMessage(std::string_view pattern, const std::vector<std::string>& args) {
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
        pattern[i + 1] <= '9') {
      const size_t n = static_cast<size_t>(pattern[i + 1] - '1');
      if (n < args.size()) {
        out += args[n];
        ++i;
        continue;
      }
    }
    out.push_back(pattern[i]);
  }
  return out;
}

}  // namespace ui
