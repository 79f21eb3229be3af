// The table as plain text: what copying as text, saving as text and the
// chat's message body take from a table.
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVUni.h"
#include "richtext/tables/RVTable.h"

namespace kc {

std::string TRVTableItemInfo::AsText(int LineWidth, char LineChar, TCustomRVData *RVData, const std::string &Text,
                                     const std::string &Path, bool TextOnly, bool Unicode) {
  (void)LineChar, (void)Text;
  const TRVEditedCellView edited(*this);
  const int codePage = RVData ? RVData->GetDefCodePage() : 0;
  const std::string colSep = Unicode ? AnsiToUnicode(codePage, TextColSeparator) : TextColSeparator;
  const std::string rowSep = Unicode ? AnsiToUnicode(codePage, TextRowSeparator) : TextRowSeparator;
  std::string out;
  for (int r = 0; r < RowCount(); ++r) {
    bool first = true;
    for (int c = 0; c < ColCount(); ++c) {
      TRVTableCellData *cell = Cells(r, c);
      if (!cell) continue;
      if (!first) out += colSep;
      first = false;
      ExportTextToStream(*cell, Path, out, LineWidth, false, TextOnly, Unicode, false);
    }
    out += rowSep;
  }
  return out;
}

} // namespace kc
