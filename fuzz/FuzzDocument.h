#pragma once
// What the fuzz targets that build documents from bytes share: a reader of
// the input that yields zeros once it runs out, and the draw lines as text
// for comparing a partial pass with a whole one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "richtext/document/CRVFData.h"

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
