// Feeds arbitrary bytes to the RVF reader, as a whole-document load and as
// an insertion. What reads is written again, and must read back, whole;
// and what that gives must read back to the same bytes when written once
// more.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "richtext/document/CRVDataFormats.h"
#include "richtext/tables/RVTable.h"

namespace {

struct TFuzzDoc {
  explicit TFuzzDoc(kc::TRVFOptions Options) {
    style.TextStyles()[1]->Unicode = true;
    style.ListStyles().AddEntry();
    host.Style = &style;
    host.Flags = 0x100;
    host.RVFOptions = Options;
    doc.SetHost(&host);
  }
  kc::TRVStyle style;
  kc::TRVDataHost host;
  kc::TCustomRVData doc;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  kc::RegisterTableItemType();
  if (size < 1) return 0;
  std::string_view in(reinterpret_cast<const char *>(data) + 1, size - 1);
  // The first byte picks the options; the style sheets always travel, or
  // the second reading would meet other styles than the first.
  const auto o = kc::TRVFOptions::FromRaw(uint16_t((data[0] & 0x3F) << 6)) +
                 kc::TRVFOptions{kc::rvfoLoadLayout, kc::rvfoLoadDocProperties, kc::rvfoLoadBack,
                                 kc::rvfoSaveTextStyles, kc::rvfoSaveParaStyles};
  {
    // A stream from elsewhere may hold what our writer normalises once (an
    // empty style name comes back as the default name): the items must
    // survive the first round, the bytes every later one.
    TFuzzDoc a(o);
    kc::TRVLayoutInfo layout;
    if (!kc::LoadRvfFromStream(a.doc, in, &layout).Ok) return 0;
    std::string first;
    kc::SaveRvfToStream(a.doc, first, false, &layout);
    TFuzzDoc b(o);
    const kc::TRVFReadResult back = kc::LoadRvfFromStream(b.doc, first, &layout);
    if (!back.Ok || back.CutShort) std::abort();
    if (b.doc.GetItemCount() != a.doc.GetItemCount()) std::abort();
    std::string second;
    kc::SaveRvfToStream(b.doc, second, false, &layout);
    TFuzzDoc c(o);
    if (!kc::LoadRvfFromStream(c.doc, second, &layout).Ok) std::abort();
    std::string third;
    kc::SaveRvfToStream(c.doc, third, false, &layout);
    if (third != second) std::abort();
  }
  {
    // Inserted at the end and between two paragraphs: a stream that fails
    // must leave the document as it was.
    TFuzzDoc d(o);
    d.doc.AddText("x", 0, 0);
    d.doc.AddText("y", 0, 0);
    (void)kc::InsertRvfFromStream(d.doc, in);
    TFuzzDoc e(o);
    e.doc.AddText("x", 0, 0);
    e.doc.AddText("y", 0, 0);
    if (!kc::InsertRvfFromStream(e.doc, in, 1).Ok && e.doc.GetItemCount() != 2) std::abort();
  }
  return 0;
}
