// Feeds arbitrary bytes to the RTF reader, once with every event taken (so
// pictures are decoded and objects collected) and once with none.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "richtext/controls/RVRTF.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string_view in(reinterpret_cast<const char *>(data), size);
  {
    kc::TRVRTFReader reader;
    size_t sink = 0;
    reader.OnNewText = [&](kc::TRVRTFReader &r, const std::string &t, kc::TRVRTFPosition) {
      sink +=
          t.size() + size_t(r.CharProps().FontIndex >= 0 ? r.FontList().Get(r.CharProps().FontIndex) != nullptr : 0);
    };
    reader.OnNewUnicodeText = [&](kc::TRVRTFReader &, const std::u16string &t, kc::TRVRTFPosition) {
      sink += t.size();
    };
    reader.OnNewPicture = [&](kc::TRVRTFReader &, kc::TRVRTFPicture *, std::unique_ptr<kc::TGraphic> &g,
                              kc::TRVRTFPosition, bool &inserted) {
      if (g) sink += size_t(g->width()) + size_t(g->height());
      inserted = (sink & 1) != 0;
    };
    reader.OnNewObject = [&](kc::TRVRTFReader &, kc::TRVRTFObject &o, kc::TRVRTFPosition, bool &inserted) {
      sink += o.Data.size();
      inserted = true;
    };
    reader.OnImportPicture = [&](kc::TRVRTFReader &, const std::string &loc, std::unique_ptr<kc::TGraphic> &) {
      sink += loc.size();
    };
    reader.OnTable = [&](kc::TRVRTFReader &r, kc::TRVRTFTableEventKind) {
      if (const auto *row = r.RowProps()) sink += row->Cells.size();
    };
    reader.OnRequiredPageBreak = [&](kc::TRVRTFReader &) { ++sink; };
    reader.OnHeaderFooter = [&](kc::TRVRTFReader &, kc::TRVRTFHeaderFooterType, bool, bool &supported) {
      supported = true;
    };
    reader.OnUpdateMarker = [&](kc::TRVRTFReader &r) { sink += r.ParaProps().Marker ? 1 : 0; };
    reader.ReadRTFData(in);
    (void)sink;
  }
  {
    kc::TRVRTFReader reader;
    reader.ReadRTFData(in);
  }
  return 0;
}
