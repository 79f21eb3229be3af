// The table's RVF record.
#include "richtext/tables/RVTable.h"

namespace kc {

std::string TRVTableItemInfo::WriteRvfHeaderTail(TCustomRVData *RVData) const {
  return TRVFullLineItemInfo::WriteRvfHeaderTail(RVData);
}

bool TRVTableItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) {
  return TRVFullLineItemInfo::ReadRvfHeaderTail(Field, RVData);
}

int TRVTableItemInfo::GetRvfExtraPropertyCount() const { return TRVFullLineItemInfo::GetRvfExtraPropertyCount(); }

void TRVTableItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TRVFullLineItemInfo::WriteRvfExtraProperties(Stream);
}

void TRVTableItemInfo::ReadUnknownRvfProperty(const std::string &Name, const std::string &Value) {
  TRVFullLineItemInfo::ReadUnknownRvfProperty(Name, Value);
}

bool TRVTableItemInfo::ReadRVF(const std::string &s, TCustomRVData *RVData, int Mode, int LineNo, int LineCount,
                               std::string &Name, int &LineState) {
  return TRVFullLineItemInfo::ReadRVF(s, RVData, Mode, LineNo, LineCount, Name, LineState);
}

void TRVTableItemInfo::SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
                               bool ForceSameAsPrev) {
  TRVFullLineItemInfo::SaveRVF(Stream, RVData, ItemNo, Name, ForceSameAsPrev);
}

} // namespace kc
