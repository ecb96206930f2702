#pragma once

// Which translation the desktop program uses: the system default language identifier chooses a
// pack name, and the pack is looked up beside the program and then in the installed data folder.
// Packs named on the command line (a service technician's, say) are laid over it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/core/string_table.h"

namespace desktop {

// The pack file for a language identifier ("German.pack", "TraditionalChinese.pack"...), or
// nullopt when the program's own English serves that language. Outside Chinese only the primary
// language (low 10 bits) counts; Chinese is split by sublanguage (high 6 bits).
std::optional<std::string> LanguagePackName(uint16_t language_id);

// The program's own folder (where a freshly built program finds its packs) and then the installed
// data folder, found from the program's folder (../share/pelliset from bin/), so an installation
// under DESTDIR or moved elsewhere finds its packs too. Nothing when the program's own path is
// unknown.
std::vector<std::string> DefaultPackFolders();

// The pack for `language_id` from the first of `folders` that holds one. Nothing for English, a
// language without a translation, or a pack that is missing or damaged: the program then stays
// in English without a word, since a user cannot do anything about it.
std::optional<ui::ResourcePack> LoadLanguagePack(uint16_t language_id,
                                                 const std::vector<std::string>& folders);

// `language` with each of `overlays` laid over it in order (a later pack wins where two say
// something about the same text or state); nullopt only when there is nothing at all.
std::optional<ui::ResourcePack> LayPacks(std::optional<ui::ResourcePack> language,
                                         const std::vector<ui::ResourcePack>& overlays);

}  // namespace desktop
