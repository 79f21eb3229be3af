#pragma once
// Pieces the document tests share: a document on a host with its own style
// sheet, a host that answers hyperlink targets as the viewer would, and
// UTF-16 text as the bytes a little-endian file holds.
#include <string>

#include "richtext/document/CRVData.h"
#include "richtext/document/RVStyle.h"

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

// A document whose host (of type Host) answers with the style sheet beside
// it.
template <typename Host = kc::TRVDataHost> struct TStyledDoc {
  TStyledDoc() {
    host.Style = &style;
    doc.SetHost(&host);
  }
  kc::TRVStyle style;
  Host host;
  kc::TCustomRVData doc;
};

// A document of one item, "link" in text style 1: a hyperlink when Jump,
// whose target and extras the host answers.
struct TLinkDoc : TStyledDoc<TLinkHost> {
  TLinkDoc(bool Jump, const char *Target, const char *Extras) {
    host.Target = Target;
    host.Extras = Extras;
    style.TextStyles()[1]->Jump = Jump;
    doc.AddText("link", 1, 0);
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
