// Feeds arbitrary bytes to the RTF import in every style mode, into a
// document that already has a paragraph (so insertion in the middle and the
// paragraph rules of the splice are exercised too); what was built is
// written as RVF and must read back with as many items.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVStyle.h"

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
    int index = 1;
    p.ImportRTF(in, doc, index);
    if (index >= doc.GetItemCount()) __builtin_trap();
    std::string rvf;
    kc::SaveRvfToStream(doc, rvf, false);
    kc::TCustomRVData back;
    back.SetHost(&host);
    const kc::TRVFReadResult r = kc::LoadRvfFromStream(back, rvf);
    if (!r.Ok || back.GetItemCount() != doc.GetItemCount()) __builtin_trap();
  }
  return 0;
}
