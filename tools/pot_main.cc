// pelliset-pot: writes the translation template of deskutil (po/pelliset.pot) to standard output
// from the English resources the program is built with. Each entry's msgctxt is the key a
// resource pack gives the same text ("string 101", "caption 102", "caption 102/1085",
// "host keyline/help"), so a catalog compiled from a translation becomes a pack.

#include <cstdio>
#include <regex>
#include <string>
#include <string_view>

#include "desktop/desktop_resources.h"
#include "desktop/resource_ids.h"
#include "ui/core/host_texts.h"
#include "ui/core/string_table.h"

namespace {

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (c == '"' || c == '\\')
      out += std::string("\\") + c;
    else
      out += c;
  }
  return out + "\"";
}

// Flags the placeholders msgfmt --check holds a translation to: printf conversions ("%d") and
// the framework's numbered markers ("%1").
void WriteEntry(const std::string& context, std::string_view english) {
  static const std::regex kPrintf("%[-+ #0]*[0-9]*(\\.[0-9]+)?[diouxXeEfgGcsp]");
  static const std::regex kNumbered("%[1-9]");
  const std::string text(english);
  std::printf("\n");
  if (std::regex_search(text, kPrintf)) std::printf("#, c-format\n");
  if (std::regex_search(text, kNumbered)) std::printf("#, qt-format\n");
  std::printf("msgctxt %s\nmsgid %s\nmsgstr \"\"\n", Quoted(context).c_str(), Quoted(text).c_str());
}

}  // namespace

int main() {
  std::printf(
      "# Translation template of deskutil, written by pelliset-pot; do not edit (HACKING.md,\n"
      "# \"Translations\"). msgctxt is the text's key in a resource pack.\n"
      "msgid \"\"\nmsgstr \"\"\n\"Project-Id-Version: pelliset\\n\"\n"
      "\"MIME-Version: 1.0\\n\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
      "\"Content-Transfer-Encoding: 8bit\\n\"\n");
  const ui::StringTable english = desktop::DesktopStringTable();
  for (int id = desktop::kFirstStringId; id <= desktop::kLastStringId; ++id) {
    if (const auto text = english.Find(id)) WriteEntry("string " + std::to_string(id), *text);
  }
  for (const ui::Template* t : desktop::DesktopTemplates()) {
    const std::string key = std::to_string(t->id);
    WriteEntry("caption " + key, t->caption);
    // Unnumbered labels (id -1) cannot be addressed and are not translated.
    for (const ui::ControlTemplate& c : t->controls) {
      if (c.id >= 0 && !c.caption.empty()) {
        WriteEntry("caption " + key + "/" + std::to_string(c.id), c.caption);
      }
    }
  }
  const ui::Resources framework;
  for (int i = 0; i <= static_cast<int>(ui::FrameworkText::kMaxChars); ++i) {
    WriteEntry("string " + std::to_string(ui::kFrameworkStringBase + i),
               framework.Framework(static_cast<ui::FrameworkText>(i)));
  }
  for (const ui::HostTextEntry& entry : ui::HostTexts()) {
    WriteEntry("host " + std::string(entry.key), entry.english);
  }
  return 0;
}
