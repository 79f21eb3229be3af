#pragma once
// The small types that the table item, its cells, grid, layout, painter and
// readers share: option sets, border and alignment kinds, lengths.
#include <cstdint>

#include "richtext/document/RVStyle.h"

namespace kc {

// A best width: positive pixels, negative minus a percentage (-50 is 50 %),
// 0 automatic.
using TRVHTMLLength = int32_t;

enum TRVTableOption : uint8_t {
  rvtoEditing,
  rvtoRowSizing,
  rvtoColSizing,
  rvtoRowSelect,
  rvtoColSelect,
  rvtoRTFSaveCellPixelBestWidth,
  rvtoRTFAllowAutofit,
  rvtoHideGridLines,
  rvtoOverlappingCorners,
  rvtoCellBelowBorders
};
using TRVTableOptions = TRVSet<TRVTableOption, uint16_t>;
constexpr uint16_t RVTableDefaultOptions = 31;

enum TRVTablePrintOption : uint8_t { rvtoHalftoneBorders, rvtoRowsSplit, rvtoWhiteBackground };
using TRVTablePrintOptions = TRVSet<TRVTablePrintOption, uint8_t>;
constexpr uint8_t RVTableDefaultPrintOptions = 3;

enum TRVTableBorderStyle : uint8_t { rvtbRaised, rvtbLowered, rvtbColor, rvtbRaisedColor, rvtbLoweredColor };

enum TRVCellVAlign : uint8_t { rvcTop, rvcMiddle, rvcBottom, rvcVDefault };

// State bits of a table item.
enum : uint16_t {
  rvtsInserted = 1,      // held by a document
  rvtsEditMode = 2,      // that document belongs to an editor
  rvtsFormatInvalid = 4, // the next screen format recomputes
  rvtsCellPaddingChanged = 8,
  rvtsResizingColumn = 16, // a border drag resizes a column (else a row)
  rvtsResizingShift = 32,
  rvtsJustCreated = 64, // nested items not yet told of the insertion
  rvtsInnerFormatting = 128,
  rvtsSelExists = 256 // several cells selected
};

// Positions of a cell that a table's nested document reports as its place
// (GetParentInfo).
struct TRVTableStoreSubRVData {
  int32_t Row = 0;
  int32_t Col = 0;
};

// The rows a table record holds when only a part of the table is written
// (a page part of a printed table).
struct TRVTableSavingRange {
  int32_t FirstRow = 0;
  int32_t RowCount = -1; // -1: to the end
  bool HeadingRowsFirst = false;
};

} // namespace kc
