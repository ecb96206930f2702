#pragma once

// The desktop program's built-in English resources (string table and dialog templates) and the
// resources its dialogs run with once a language pack has been chosen.

#include <optional>
#include <vector>

#include "ui/core/string_table.h"
#include "ui/core/template.h"

namespace desktop {

// Every English text of the string table.
ui::StringTable DesktopStringTable();

// Main dialog (102) and About box (100).
const ui::Template& MainDialogTemplate();
const ui::Template& AboutTemplate();

// Every template of the program's dialogs, its own and those of the managers it opens (the
// translation template lists their captions).
std::vector<const ui::Template*> DesktopTemplates();

// The English table with `pack` (if any) installed over it; the application title, the caption
// of the framework's own messages, is string 168 in the chosen language.
ui::Resources DesktopResources(std::optional<ui::ResourcePack> pack);

}  // namespace desktop
