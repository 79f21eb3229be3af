// The common base of style entries: names, bases and their stored forms.
#include "richtext/document/RVStyle.h"

#include "platform/IniStore.h"
#include "richtext/document/RVStyleIni.h"
#include "richtext/document/RVStyleStored.h"

namespace kc {

using namespace styleio;

// =============================================================== TCustomRVInfo

TCustomRVInfo::~TCustomRVInfo() = default;

int TCustomRVInfo::Index() const { return FCollection ? FCollection->IndexOf(this) : -1; }

void TCustomRVInfo::Assign(const TCustomRVInfo &Source) {
  if (&Source == this) return;
  BaseStyleNo = Source.BaseStyleNo;
  StyleName = Source.StyleName;
  Standard = Source.Standard;
}

bool TCustomRVInfo::IsEqualTo(const TCustomRVInfo &, bool) const { return false; }

bool TCustomRVInfo::IsEqualToMapped(const TCustomRVInfo &Value, const TRVIntegerList &) const {
  return IsEqualTo(Value, true);
}

int64_t TCustomRVInfo::SimilarityValue(const TCustomRVInfo &) const { return 0; }

void TCustomRVInfo::SaveToINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) const {
  Ini.writeString(Section, K(KeyFormat, "StyleName"), StyleName);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "BaseStyleNo"), BaseStyleNo, -1);
  WriteIntIfNotDef(Ini, Section, K(KeyFormat, "Standard"), Standard ? 1 : 0, 1);
}

void TCustomRVInfo::LoadFromINI(IniStore &Ini, const std::string &Section, const std::string &KeyFormat) {
  StyleName = Ini.readString(Section, K(KeyFormat, "StyleName"), DefaultStyleName());
  BaseStyleNo = StyleNoFromInt(Ini.readInteger(Section, K(KeyFormat, "BaseStyleNo"), -1));
  Standard = Ini.readInteger(Section, K(KeyFormat, "Standard"), 1) != 0;
}

// The base's three properties stay out of the tables: the name's default is
// each class's own, and the ini form keeps "Standard" as a number.

// ---------------------------------------------------------------- stored form

void TCustomRVInfo::WriteStoredProperties(TRVPropertyWriter &W, const TRVStyleStreamLinks *) const {
  W.IntIfNot("BaseStyleNo", BaseStyleNo, -1);
  if (!StyleName.empty()) W.Str("StyleName", StyleName);
  W.BoolIfNot("Standard", Standard, true);
}

bool TCustomRVInfo::ReadStoredProperty(const std::string &Name, const TRVStoredValue &v, const TRVStyleStreamLinks *) {
  int32_t i;
  if (Name == "BaseStyleNo" && ValueInt(v, i)) {
    BaseStyleNo = StyleNoFromInt(i);
    return true;
  }
  if (Name == "StyleName" && v.Kind == TRVStoredValue::Str) {
    StyleName = v.S;
    return true;
  }
  if (Name == "Standard" && v.Kind == TRVStoredValue::Bool) {
    Standard = v.B;
    return true;
  }
  return false;
}

} // namespace kc
