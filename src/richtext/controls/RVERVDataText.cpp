// Typing, text and document insertion at the caret, style conversion.
#include "richtext/controls/RVERVData.h"

namespace kc {

void TRVEditRVData::KeyPress(char Key) {
  char16_t c = char16_t(uint8_t(Key));
  InsertTypedText(std::u16string_view(&c, 1));
}
void TRVEditRVData::InsertTextA(std::string_view, bool) {}
void TRVEditRVData::InsertTextW(std::u16string_view Text, bool) { InsertTypedText(Text); }
bool TRVEditRVData::InsertTextFromFile(const std::string &) { return false; }
bool TRVEditRVData::InsertRVFFromStreamAtCaret(std::string_view) { return false; }
bool TRVEditRVData::InsertRTFFromStreamAtCaret(std::string_view, TRVRTFReaderProperties &) { return false; }
void TRVEditRVData::ApplyStyleConversion(int) {}
void TRVEditRVData::NotifyChange() { DoChange(true); }

} // namespace kc
