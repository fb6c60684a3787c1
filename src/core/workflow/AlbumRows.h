#pragma once

#include <array>
#include <string>

#include "core/text/WideText.h"
#include "core/workflow/AlbumList.h"

namespace albumora {

// The longest album name kept; a longer one is cut, for the folder as for the list.
inline constexpr std::size_t kShownNameLength = 80;

// The name as the list shows it: a cut name ends its cut part with "…", so that nobody takes it
// for the whole name; a suffix that made it unique follows.
WString ShownAlbumName(const ST_PERLISTRECORD& album);

// The visible columns of an album's list row: number, name, count, note.
using AlbumRowTexts = std::array<WString, 4>;

// `rowNumber` counts from 1 in display order.
AlbumRowTexts MakeAlbumRowTexts(const ST_PERLISTRECORD& album, int rowNumber);

// The note column: a negative flag word shows its low 31 bits as a number, else the first of
// encrypted, private and friends-only that applies.
WString AlbumNoteText(std::int32_t accessFlags);

// One exported line for the cells of a row: each cell without apostrophes, with doubled quotes and
// with commas turned into ',' between apostrophes, followed by a comma; GBK, ended by CR LF.
std::string ExportLine(const std::vector<WString>& cells);

}  // namespace albumora
