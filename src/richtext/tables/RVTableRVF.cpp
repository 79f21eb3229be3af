// The table's RVF record: the header, the item name, the extra properties
// (the hint, the background picture's file name), a line "1", then the
// table as a component stream: a binary block, or one line of hexadecimal
// digits in the text form.
#include <cstdint>

#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVItemParts.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTableStream.h"

namespace kc {

using namespace rvitem;

namespace {
constexpr std::string_view FileNameProperty = "filename=";
}

std::string TRVTableItemInfo::WriteRvfHeaderTail(TCustomRVData *RVData) const {
  return TRVFullLineItemInfo::WriteRvfHeaderTail(RVData);
}

bool TRVTableItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) {
  return TRVFullLineItemInfo::ReadRvfHeaderTail(Field, RVData);
}

int TRVTableItemInfo::GetRvfExtraPropertyCount() const {
  return TRVFullLineItemInfo::GetRvfExtraPropertyCount() + (BackgroundImageFileName.empty() ? 0 : 1);
}

void TRVTableItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TRVFullLineItemInfo::WriteRvfExtraProperties(Stream);
  if (!BackgroundImageFileName.empty()) WriteRvfStrProperty(Stream, rvespImageFileName, BackgroundImageFileName);
}

void TRVTableItemInfo::ReadUnknownRvfProperty(const std::string &Name, const std::string &Value) {
  TRVFullLineItemInfo::ReadUnknownRvfProperty(Name, Value);
}

bool TRVTableItemInfo::ReadRVF(const std::string &s, TCustomRVData *RVData, int Mode, int LineNo, int LineCount,
                               std::string &Name, int &LineState) {
  if (LineNo == 0) {
    Name = s;
    return true;
  }
  if (LineNo == LineCount - 1) {
    // The cells find the style sheet and the options through the document
    // the table is read into, before it is inserted there.
    if (RVData && !Rows().MainRVData) Rows().MainRVData = RVData;
    std::string bytes;
    if (Mode == 2) bytes = s;
    else if (!RVFHexToString(s, bytes)) return false;
    LoadTableFromComponentStream(*this, bytes);
    return true;
  }
  if (LineNo == LineCount - 2) {
    if (Mode == 2) LineState = 1;
    return true;
  }
  // The picture's file name is the table's own, whatever the base does
  // with the property of that name.
  if (s.starts_with(FileNameProperty)) BackgroundImageFileName = s.substr(FileNameProperty.size());
  else ReadRvfExtraProperty(s);
  return true;
}

void TRVTableItemInfo::SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
                               bool ForceSameAsPrev) {
  (void)ItemNo;
  const TRVEditedCellView edited(*this);
  const bool binary = RVData && RVData->GetRVFOptions().Has(rvfoSaveBinary);
  WriteRvfHeader(Stream, RVData, GetRvfExtraPropertyCount() + 3, binary ? 2 : 0, ForceSameAsPrev);
  WriteLine(Stream, Name);
  WriteRvfExtraProperties(Stream);
  WriteLine(Stream, "1");
  const std::string data = SaveTableToComponentStream(*this, SavingRange);
  if (binary) WriteBinaryBlock(Stream, data);
  else WriteLine(Stream, RVFStringToHex(data));
}

} // namespace kc
