#pragma once
// Painting of a table from its model and layout: background, cells'
// colours and documents, borders, rules, grid lines and the selection. It
// reads the table and its formatting record and changes neither.
#include <cstdint>

#include "platform/Canvas.h"
#include "richtext/document/RVFuncs.h"
#include "richtext/document/RVItemTypes.h"

namespace kc {

class TRVTableItemInfo;
class TRVTableItemFormattingInfo;
class TRVStyle;

struct TRVTablePaintContext {
  int Left = 0, Top = 0; // the table's top-left on the canvas
  TRect Clip{};          // what needs painting, canvas coordinates
  TRVItemDrawStates State;
  uint8_t ColorMode = 0;
  bool Printing = false;
  const TRVScreenAndDevice *sad = nullptr; // printing ratio, nullptr on screen
  TRVStyle *Style = nullptr;
};

class TRVTablePainter {
public:
  TRVTablePainter(const TRVTableItemInfo &Table, const TRVTableItemFormattingInfo &Info);
  void Paint(TCanvas &Canvas, const TRVTablePaintContext &Context) const;

private:
  const TRVTableItemInfo &FTable;
  const TRVTableItemFormattingInfo &FInfo;
};

} // namespace kc
