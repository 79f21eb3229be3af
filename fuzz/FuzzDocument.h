#pragma once
// What the fuzz targets that build documents from bytes share: a reader of
// the input that yields zeros once it runs out, text from all of Unicode,
// and the draw lines as text for comparing a partial pass with a whole one.
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/GraphemeClusters.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVUni.h"

namespace kcfuzz {

struct Bytes {
  const uint8_t *p;
  size_t n;
  uint8_t next() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
  int upTo(int k) { return k <= 0 ? 0 : next() % k; }
};

// UTF-16 text of up to MaxUnits units from all of Unicode: any code point,
// any unit (lone surrogates too), and the pieces that make clusters and
// reorder lines: combining marks, ZWJ sequences, skin tones, flags, Hangul
// jamo, Thai tone marks, right-to-left letters and controls, CJK, spaces.
inline std::u16string UnicodeText(Bytes &in, int MaxUnits) {
  static const char16_t *const kPieces[] = {
      u"a",          u" ",          u"w",          u"\u0301",     u"\u0E48", u"\u0E35", u"\u200D", u"\U0001F600",
      u"\U0001F468", u"\U0001F3FD", u"\U0001F1FA", u"\U0001F1E6", u"\u1100", u"\u1161", u"\u11A8", u"\u05D0",
      u"\u05B8",     u"\u0627",     u"\u0644",     u"\u200F",     u"\u202E", u"\u4E2D", u"\uFE0F", u"\u0E17",
      u"\xD800",     u"\xDC00",     u"\t",         u"-",          u"\u00A0", u"\u3000", u"\u094D", u"1",
      u"(",          u"\u20E3",     u"\uFFFF",     u"\U000E0100"};
  const int want = in.upTo(MaxUnits + 1);
  std::u16string t;
  while (int(t.size()) < want && in.n > 0) {
    const int kind = in.upTo(4);
    if (kind == 0) {
      t += char16_t(in.next() | in.next() << 8); // any unit
    } else if (kind == 1) {
      const char32_t c = char32_t(in.next() | in.next() << 8 | (in.next() % 17) << 16);
      if (c >= 0x10000) {
        t += char16_t(0xD800 + ((c - 0x10000) >> 10));
        t += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
      } else {
        t += char16_t(c);
      }
    } else {
      t += kPieces[in.upTo(int(sizeof kPieces / sizeof kPieces[0]))];
    }
  }
  return t;
}

// Whether the 1-based Offs of a UTF-16 item text stands between clusters.
inline bool AtClusterBoundary(const std::string &Raw, int Offs) {
  const std::u16string t = kc::RawToWideString(Raw);
  return Offs < 1 || Offs > int(t.size()) + 1 || kc::IsGraphemeBoundary(t, size_t(Offs - 1));
}

inline std::string DrawLinesText(const kc::TCustomRVFormattedData &d) {
  std::string s;
  for (int i = 0; i < d.DrawLines.Count(); ++i) {
    const kc::TRVDrawLineInfo *l = d.DrawLines.Items(i);
    s += std::to_string(l->ItemNo) + ' ' + std::to_string(l->Offs) + ' ' + std::to_string(l->Length) + ' ' +
         std::to_string(l->Left) + ' ' + std::to_string(l->Top) + ' ' + std::to_string(l->Width) + ' ' +
         std::to_string(l->Height) + ' ' + std::to_string(l->FromNewLine) + '\n';
  }
  return s + "height " + std::to_string(d.DocumentHeight);
}

} // namespace kcfuzz
