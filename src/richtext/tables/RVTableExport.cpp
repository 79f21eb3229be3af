// The table in RTF and HTML.
#include "richtext/tables/RVTable.h"

namespace kc {

void TRVTableItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Text,
                                  TRVHTMLSaveContext &Context) {
  TRVFullLineItemInfo::SaveToHTML(Stream, RVData, ItemNo, Text, Context);
}

void TRVTableItemInfo::SaveRTF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
                               TRVRTFSaveContext &Context) {
  TRVFullLineItemInfo::SaveRTF(Stream, RVData, ItemNo, Name, Context);
}

void TRVTableItemInfo::FillRTFTables(TRVColorList &ColorList, TRVRTFFontTable &FontTable, TCustomRVData *RVData) {
  TRVFullLineItemInfo::FillRTFTables(ColorList, FontTable, RVData);
}

} // namespace kc
