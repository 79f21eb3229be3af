#pragma once
// The property tables of tables and cells: every published attribute with
// its default, its stored name and kind, in declared (stored) order.
// Copying, comparing, setting by name and the stored form walk them:
//
//   for (const TRVProp &p : RVTableProps().Rows)
//     if (p.Kind() == TRVPropKind::Int) W.IntIfNot(p.Name, p.Member.Get(&table), p.Default);
//
// Accessors take a TRVTableItemInfo (RVTableProps) or a TRVTableCellData
// (RVTableCellProps). The pictures are rows of kind Custom that take no
// part in the stored form (they are stored as "BackgroundImg").
#include "richtext/document/RVStyleProps.h"

namespace kc {

const TRVPropTable &RVTableProps();
const TRVPropTable &RVTableCellProps();

// Identifier names of the tables' enumerations and sets, in value order.
extern const char *const RVTableOptionNames[10];
extern const char *const RVTablePrintOptionNames[3];
extern const char *const RVTableBorderStyleNames[5];
extern const char *const RVCellVAlignNames[4];
extern const char *const RVItemBackgroundStyleNames[4];

// An integer property by name through the table's rows (Int, Color,
// Bool, Enum and Set kinds); false for an unknown name.
bool RVPropsGetInt(const TRVPropTable &T, const void *Obj, std::string_view Name, int &Value);
bool RVPropsSetInt(const TRVPropTable &T, void *Obj, std::string_view Name, int Value);

} // namespace kc
