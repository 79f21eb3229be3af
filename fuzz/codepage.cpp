// Code-page conversions and the Unicode routines of the document on
// arbitrary bytes: nothing may crash, hang or grow without bound.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/CodePage.h"
#include "richtext/document/RVClasses.h"
#include "richtext/document/RVFuncs.h"
#include "richtext/document/RVUni.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const int pages[] = {0,    1,    2,    874,  932,  936,  949,  950,  1250,  1251,
                              1252, 1253, 1254, 1255, 1256, 1257, 1258, 1361, 65001, 12345};
  if (size < 2) return 0;
  int cp = pages[data[0] % (sizeof pages / sizeof pages[0])];
  int index = data[1];
  std::string bytes(reinterpret_cast<const char *>(data + 2), size - 2);

  std::string wide = kc::AnsiToUnicode(cp, bytes);
  if (wide.size() > 2 * bytes.size() + 2) __builtin_trap();
  std::string back = kc::UnicodeToAnsi(cp, wide);
  if (back.size() > 3 * bytes.size() + 2) __builtin_trap(); // U+FFFD is 3 bytes of UTF-8
  // Writing back what was read puts in no "?" that was not read (counted
  // in characters: a trail byte of a double-byte page may be 0x3F).
  const std::u16string w = kc::RawToWideString(wide);
  const std::u16string reread = kc::RawToWideString(kc::AnsiToUnicode(cp, back));
  if (std::count(reread.begin(), reread.end(), u'?') > std::count(w.begin(), w.end(), u'?')) __builtin_trap();
  try {
    kc::UnicodeToAnsi(cp, bytes);
  } catch (const kc::ERichVistaError &) {
  }
  kc::UnicodeToHtml(bytes, true, false);
  kc::FindLineBreakRaw(bytes, index);
  kc::FindLineBreakRaw(wide, index);
  kc::ansiUpperCase(bytes, cp);
  kc::utf8ToUtf16(bytes);
  kc::RtfUnicodeText(bytes, cp);
  kc::RtfEscapeName(bytes, cp);
  kc::MakeHtmlText(bytes, true);
  std::string s = bytes;
  kc::DeleteChars(s, index - 100, index * 1000, kc::rvuniUnicodeBit);
  kc::InsertChars("ab", s, index - 10, kc::rvuniUnicodeBit);
  kc::CopyChars(s, index, index - 50, kc::rvuniUnicodeBit);
  return 0;
}
