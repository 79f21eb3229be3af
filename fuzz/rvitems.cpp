// Any RVF item record, as the reader hands its header tail and data lines to
// an item, must read without harm; what was read must save, copy, join a
// document and paint. Any bytes must load as a layout record or be refused
// with the format error.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ImageList.h"
#include "platform/RecordingCanvas.h"
#include "richtext/document/CRVData.h"

namespace {

struct Host : kc::TRVDataHost {
  kc::TCustomImageList list{4, 4};
  Host() {
    list.Add(QImage(4, 4, QImage::Format_ARGB32));
    list.Add(QImage(4, 4, QImage::Format_ARGB32));
  }
  kc::TCustomImageList *DoRVFImageListNeeded(int Tag) override { return Tag == 0 ? &list : nullptr; }
  void Beep() override {}
};

const int kKinds[] = {
    kc::rvsBreak,     kc::rvsPicture, kc::rvsHotPicture, kc::rvsBullet, kc::rvsHotspot, kc::rvsComponent, 0,
    kc::rvsListMarker};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string in(reinterpret_cast<const char *>(data), size);
  try {
    kc::TRVLayoutInfo layout;
    layout.LoadBinary(in);
  } catch (const kc::ERichVistaError &) {
    // Damaged layout data is refused with this error: the answer expected.
  }
  if (size < 3) return 0;

  static kc::TRVStyle style;
  Host host;
  host.Style = &style;
  host.RVFOptions = kc::TRVFOptions::FromRaw(uint16_t(data[1] | (data[2] << 8)));
  kc::TCustomRVData doc;
  doc.SetHost(&host);

  std::unique_ptr<kc::TCustomRVItemInfo> item =
      kc::CreateItemByStyleNo(kKinds[data[0] % (sizeof kKinds / sizeof kKinds[0])], &doc);
  const int mode = (data[0] >> 4) % 4;
  std::string rest = in.substr(3);
  // The header tail up to the first line end, then the data lines; after a
  // line for which the item asks for it, a binary block.
  size_t pos = rest.find('\n');
  const std::string tail = rest.substr(0, pos);
  pos = pos == std::string::npos ? rest.size() : pos + 1;
  if (!item->ReadRvfHeaderTail(tail, &doc)) return 0;
  std::string name;
  bool binaryNext = false;
  for (int i = 0; i < 8 && pos < rest.size(); ++i) {
    std::string line;
    if (binaryNext) {
      if (rest.size() - pos < 4) return 0;
      uint32_t n = 0;
      for (int k = 0; k < 4; ++k) n |= uint32_t(uint8_t(rest[pos + size_t(k)])) << (8 * k);
      pos += 4;
      if (rest.size() - pos < n) return 0;
      line = rest.substr(pos, n);
      pos += n;
    } else {
      size_t end = rest.find('\n', pos);
      if (end == std::string::npos) end = rest.size();
      line = rest.substr(pos, end - pos);
      pos = end + 1;
    }
    int state = 0;
    if (!item->ReadRVF(line, &doc, mode, i, 8, name, state)) return 0;
    binaryNext = state == 1;
  }

  std::string out;
  item->SaveRVF(out, &doc, 0, name, false);
  std::unique_ptr<kc::TCustomRVItemInfo> copy = kc::CopyItem(*item, &doc, true);
  kc::RecordingCanvas canvas;
  item->Paint(0, 0, canvas, kc::TRVItemDrawStates{kc::rvidsSelected, kc::rvidsCurrent, kc::rvidsHover}, &style,
              nullptr);
  item->PaintFullWidth(0, 100, 0, canvas, {}, &style, kc::TRect{}, 0);
  kc::TRVRTFSaveContext rtf;
  // Every way of writing pictures: bitmaps, metafiles, JPEG data.
  rtf.Options = kc::TRVRTFOptions::FromRaw(uint8_t(data[2] >> 2));
  item->SaveRTF(out, &doc, 0, name, rtf);
  doc.AddItem(name, std::move(item));
  doc.AddItem(name, std::move(copy));
  doc.AddText("x", 0, -1);
  doc.Clear();
  return 0;
}
