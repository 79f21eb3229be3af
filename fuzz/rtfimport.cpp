// Feeds arbitrary bytes to the RTF import in every style mode, into a
// document that already has a paragraph (so insertion in the middle and the
// paragraph rules of the splice are exercised too), with header and footer
// targets in one mode and a picture-item handler in another; what was built
// (header and footer too) is written as RVF and must read back with as many
// items, and the document (tables and all) writes as RTF and HTML.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVStyle.h"

namespace {

void roundTrip(kc::TCustomRVData &doc, kc::TRVDataHost &host) {
  std::string rvf;
  kc::SaveRvfToStream(doc, rvf, false);
  kc::TCustomRVData back;
  back.SetHost(&host);
  const kc::TRVFReadResult r = kc::LoadRvfFromStream(back, rvf);
  if (!r.Ok || back.GetItemCount() != doc.GetItemCount()) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string_view in(reinterpret_cast<const char *>(data), size);
  for (int mode = 0; mode < 3; ++mode) {
    kc::TRVStyle style;
    kc::TRVDataHost host;
    host.Style = &style;
    kc::TCustomRVData doc;
    doc.SetHost(&host);
    doc.AddText("before", 0, 0);
    doc.AddText("after", 0, 0);
    kc::TRVRTFReaderProperties p;
    p.TextStyleMode = kc::TRVReaderStyleMode(mode);
    p.ParaStyleMode = kc::TRVReaderStyleMode(2 - mode);
    p.UnicodeMode = kc::TRVReaderUnicode(mode);
    p.IgnorePictures = mode == 1;
    p.LineBreaksAsParagraphs = mode == 2;
    kc::TCustomRVData header, footer;
    header.SetHost(&host);
    footer.SetHost(&host);
    if (mode == 0) p.SetHeaderFooterRVData(&header, &footer);
    int pictures = 0;
    if (mode == 2)
      p.OnNewPictureItem = [&](kc::TRVRTFReaderProperties &, kc::TCustomRVData &rvData, kc::TRVRTFPicture *,
                               std::unique_ptr<kc::TGraphic> &graphic, std::unique_ptr<kc::TCustomRVItemInfo> &item,
                               std::string &text) {
        // Every other picture is refused.
        if (++pictures % 2 == 0 || !graphic) return;
        item = std::make_unique<kc::TRVGraphicItemInfo>(&rvData, std::move(graphic), kc::rvvaBaseline);
        text = "picture";
      };
    int index = 1;
    p.ImportRTF(in, doc, index);
    if (index >= doc.GetItemCount()) __builtin_trap();
    roundTrip(doc, host);
    // What was built, tables too, writes as RTF and HTML.
    std::string out;
    kc::ExportRtfToStream(doc, out);
    kc::ExportHtmlEx(doc, out, "", "", "img", kc::TRVSaveOptions{}, kc::clNone, mode == 1);
    roundTrip(header, host);
    roundTrip(footer, host);
  }
  return 0;
}
