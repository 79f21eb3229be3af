#include "platform/DictionaryBreaks.h"

#include <QTextBoundaryFinder>

namespace kc {

bool NeedsDictionaryBreaks(std::u16string_view Text) {
  for (const char16_t c : Text)
    if ((c >= 0x0E00 && c <= 0x0EFF) || (c >= 0x1000 && c <= 0x109F) || (c >= 0x1780 && c <= 0x17FF) ||
        (c >= 0x1A20 && c <= 0x1AAF) || (c >= 0xAA60 && c <= 0xAADF))
      return true;
  return false;
}

std::vector<int> DictionaryLineBreaks(std::u16string_view Text) {
  std::vector<int> out;
  QTextBoundaryFinder f(QTextBoundaryFinder::Line, reinterpret_cast<const QChar *>(Text.data()),
                        qsizetype(Text.size()));
  for (qsizetype p = f.toNextBoundary(); p > 0 && size_t(p) < Text.size(); p = f.toNextBoundary())
    out.push_back(int(p));
  return out;
}

} // namespace kc
