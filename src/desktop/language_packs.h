#pragma once

// Which translation the desktop program uses: the languages the user prefers choose a language
// code; its texts come from the compiled catalog share/locale/CODE/LC_MESSAGES/
// pelliset.mo (po/CODE.po in the source tree) and its layout, where it needs more room than the
// English one, from the pack CODE.pack. Packs named on the command line (a service
// technician's, say) are laid over both.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/core/string_table.h"

namespace desktop {

// The language code for a language identifier ("de", "zh_TW"...), or nullopt when the
// program's own English serves that language. Outside Chinese only the primary language (low 10
// bits) counts; Chinese is split by sublanguage (high 6 bits).
std::optional<std::string> LanguageCode(uint16_t language_id);

// Where a program finds its catalogs and layout packs, found from the program's own folder so an
// installation under DESTDIR or moved elsewhere finds them too: the build tree's share/locale and
// the program's own folder first, then the installed share/locale and share/pelliset. Nothing
// when the program's own path is unknown.
struct LanguageFolders {
  std::vector<std::string> catalogs;  // each holding CODE/LC_MESSAGES/pelliset.mo
  std::vector<std::string> packs;     // each holding CODE.pack
};
LanguageFolders DefaultLanguageFolders();

// The translation for the first of `preferred` (language identifiers, most wanted first) that
// has one here: the catalog's texts (the first catalog found) with the layout pack (the first
// found) laid over them. Nothing when English comes first or no language has a translation. A
// damaged catalog or pack is left out without a word, since a user cannot do anything about it,
// and what it would have translated shows in English.
std::optional<ui::ResourcePack> LoadLanguagePack(const std::vector<uint16_t>& preferred,
                                                 const LanguageFolders& folders);

// `language` with each of `overlays` laid over it in order (a later pack wins where two say
// something about the same text or state); nullopt only when there is nothing at all.
std::optional<ui::ResourcePack> LayPacks(std::optional<ui::ResourcePack> language,
                                         const std::vector<ui::ResourcePack>& overlays);

}  // namespace desktop
