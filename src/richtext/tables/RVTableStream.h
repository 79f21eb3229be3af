#pragma once
// A table as the class library's component stream: the body of the table's
// RVF record. The streamed component TRVTableSW carries the table's
// attributes as "T." properties, the grid as "C" (row and column counts,
// then per cell its spans and a nested component TD whose "C." properties
// are the cell's attributes and "C.Data" its items as RVF) and the rows'
// vertical alignments as "RowVAlign".
#include <cstdint>
#include <string>
#include <string_view>

#include "richtext/tables/RVTableTypes.h"

namespace kc {

class TRVTableItemInfo;

// Grids beyond these are taken for damage: reading makes a slot for every
// position before the cells arrive, and a stream of a few bytes may name
// any counts. A spreadsheet's worth of rows, and a grid of slots that
// stays under 32 MB.
constexpr int32_t RVMaxStoredTableRows = 1 << 16;
constexpr int64_t RVMaxStoredTableSlots = int64_t(1) << 22;
// Tables inside cells inside tables: each level is read by the level
// above it, and in the text form each level doubles the bytes of the ones
// inside it.
constexpr int RVMaxStoredTableNesting = 16;

// Range: all rows, or a page part with the heading rows before it.
std::string SaveTableToComponentStream(TRVTableItemInfo &Table, const TRVTableSavingRange &Range = {});

// Replaces the table's attributes and grid by the stream's. Raises
// ERichVistaError saying what is wrong with a stream that cannot be read
// whole; the table is then left without rows.
void LoadTableFromComponentStream(TRVTableItemInfo &Table, std::string_view Stream);

} // namespace kc
