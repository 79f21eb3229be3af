#pragma once
// Pieces the format tests share: a host that answers hyperlink targets as
// the viewer would, and UTF-16 text as the bytes a little-endian file holds.
#include <string>

#include "richtext/document/CRVData.h"

namespace kctest {

// Targets and extras of hyperlinks come from the host, as in the viewer.
class TLinkHost : public kc::TRVDataHost {
public:
  std::string Target, Extras;
  void DoWriteHyperlink(kc::TCustomRVData *, int, int, kc::TRVSaveFormat, std::string &ATarget,
                        std::string &AExtras) override {
    ATarget = Target;
    AExtras = Extras;
  }
};

inline std::string U16(const std::u16string &s) {
  std::string r;
  for (char16_t c : s) {
    r += char(c & 0xFF);
    r += char(c >> 8);
  }
  return r;
}

} // namespace kctest
