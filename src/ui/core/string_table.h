#pragma once

// Texts by id, and the resource packs that translate them.
//
// A program compiles in its English string table and templates. A resource pack (a small UTF-8
// text file, format below) may replace strings, control captions and template captions, and lay a
// dialog out anew for texts longer than the English ones; the program installs at most one pack
// in its Resources, which the host hands to every dialog.
//
// Pack file format, one entry a line:
//   pelliset-pack 1                  first line that is not blank or a comment (required)
//   # comment                        blank lines and lines starting with '#' are skipped
//   string 168 = Pelliset            string table entry
//   caption 102 = Main title         caption of template 102
//   caption 102/1000 = Button text   caption of control 1000 of template 102
//   show 102/1002                    control 1002 of template 102 is created visible
//   hide 102/1002                    ... created hidden
//   enable 102/1002                  ... created enabled
//   disable 102/1002                 ... created disabled
//   rect 102/1082 = 124 88 60 8      rectangle of control 1082 of template 102 (x y w h)
//   size 102 = 280 210               size of template 102 (w h)
//   host keyline/help = F1 Hilfe     a host's own text (ui/core/host_texts.h)
// Rectangles and sizes are in dialog units, decimal numbers 0 to kMaxPackUnits separated by one
// space each.
// The four control states take no value (no " = "); they stand in for the kHidden and kDisabled
// styles of the template, so a dialog's own Show and Enable calls still decide later on. A pack
// may set a control's visibility once and its enabling once.
// The value is everything after the first " = " up to the end of the line (spaces kept), with
// the escapes \n \r \t \\ ; a lone CR before the line feed is dropped. Ids are decimal, 0 to
// 65535 (control ids -1 are not addressable). A file that breaks any rule, holds invalid UTF-8 or
// a NUL byte, repeats a key, or exceeds kMaxPackBytes is refused as a whole.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/core/template.h"

namespace ui {

class StringTable {
 public:
  StringTable() = default;
  StringTable(std::initializer_list<std::pair<const int, std::string>> entries)
      : entries_(entries) {}
  void Set(int id, std::string text) { entries_[id] = std::move(text); }
  // The text, or nullopt when the table has no such id.
  std::optional<std::string> Find(int id) const;
  size_t size() const { return entries_.size(); }

 private:
  std::map<int, std::string> entries_;
};

// What a pack says about a control's state when it is created; nullopt: what the template says.
struct ControlState {
  std::optional<bool> visible;
  std::optional<bool> enabled;
};

struct ResourcePack {
  std::map<int, std::string> strings;
  std::map<int, std::string> template_captions;
  std::map<std::pair<int, int>, std::string> control_captions;  // (template id, control id)
  std::map<std::pair<int, int>, ControlState> control_states;   // (template id, control id)
  std::map<std::pair<int, int>, Rect> control_rects;            // (template id, control id)
  std::map<int, std::pair<int, int>> template_sizes;            // template id -> (w, h)
  std::map<std::string, std::string, std::less<>> host_texts;   // host text key -> text
};

inline constexpr size_t kMaxPackBytes = 1u << 20;
// Larger than any dialog on any screen, small enough that sums of positions cannot overflow.
inline constexpr int kMaxPackUnits = 4096;

// Parses pack text; nullopt when anything in it is damaged (see the format above). When it is,
// `bad_line` (if given) gets the number of the first offending line, counted from 1, or 0 when
// the text as a whole is at fault (too large, a NUL byte, invalid UTF-8, no header).
std::optional<ResourcePack> ParseResourcePack(std::string_view text, size_t* bad_line = nullptr);

// Lays `top` over `base`: every entry `top` has replaces the one in `base`; a control state
// replaces visibility and enabling separately, so one pack may show a control another disables.
void OverlayResourcePack(ResourcePack* base, const ResourcePack& top);

// Reads and parses the pack file at `path` (any path, unlike LoadResourcePack). nullopt when it
// cannot be read or is damaged; `problem` (if given) then gets a short reason for the user.
std::optional<ResourcePack> ReadResourcePackFile(const std::string& path,
                                                 std::string* problem = nullptr);

// Looks for a file named `pack_name` in each folder in turn (the program's own folder first, then
// the installed data folder) and parses the first one that exists. nullopt when none exists, the
// name is not a plain file name, or the file found is damaged or unreadable: the program then
// stays in English, without a message.
std::optional<ResourcePack> LoadResourcePack(std::string_view pack_name,
                                             const std::vector<std::string>& folders);

// The framework's own messages (edit checks). English by default; a pack may translate them
// with the string ids below.
enum class FrameworkText {
  kIntRange,     // "Enter an integer between %1 and %2."
  kPositiveInt,  // "Enter a positive integer."
  kInteger,      // "Enter an integer."
  kMaxChars,     // "Enter no more than %1 characters."
};
inline constexpr int kFrameworkStringBase = 61440;  // + the enum value

// What a program's dialogs look texts up in: its English string table, the installed pack, and
// the application title (the caption of the framework's own message boxes).
class Resources {
 public:
  Resources() = default;
  explicit Resources(StringTable english, std::string app_title = "")
      : english_(std::move(english)), app_title_(std::move(app_title)) {}

  void SetPack(std::optional<ResourcePack> pack) { pack_ = std::move(pack); }
  bool HasPack() const { return pack_.has_value(); }
  void SetAppTitle(std::string title) { app_title_ = std::move(title); }
  const std::string& AppTitle() const { return app_title_; }

  // The pack's text, else the English one, else "" (like a failed LoadString).
  std::string String(int id) const;
  std::string TemplateCaption(int template_id, std::string_view english) const;
  std::string ControlCaption(int template_id, int control_id, std::string_view english) const;
  // The template's styles with the pack's show / hide / enable / disable applied to kHidden and
  // kDisabled.
  uint32_t ControlStyles(int template_id, int control_id, uint32_t styles) const;
  // `english` with the pack's size and control rectangles for it applied.
  Template LaidOut(const Template& english) const;
  // Whether the pack lays out `template_id` anew (a size or any control rectangle).
  bool LaysOut(int template_id) const;
  std::string Framework(FrameworkText which) const;
  // A host's own text by its key (ui/core/host_texts.h): the pack's, else the English one, else
  // the key itself (a misspelt key shows).
  std::string Host(std::string_view key) const;

 private:
  StringTable english_;
  std::optional<ResourcePack> pack_;
  std::string app_title_;
};

// Replaces %1, %2 ... %9 in `pattern` by args[0], args[1] ...; unknown markers stay as written.
std::string FormatMessage(std::string_view pattern, const std::vector<std::string>& args);

}  // namespace ui
