// Pictures and objects: their words, the bytes of their data, and the
// graphic made from a picture.
#include "richtext/controls/RVRTF.h"

#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "richtext/controls/RVRTFUtil.h"
#include "richtext/controls/RVRTFWords.h"

namespace kc {

using namespace rtf;

namespace {

// What a picture's data makes: no graphic for the kinds without a graphic
// class (pngblip, macpict, pmmetafile), else the graphic, loaded or not.
struct LoadedPicture {
  std::unique_ptr<TGraphic> Graphic;
  bool Loaded = false;
  // A Windows metafile's size, kept also when its one bitmap is taken out.
  std::optional<std::pair<int, int>> MetafileSize;
};

LoadedPicture loadPicture(const TRVRTFPicture &pic, int ppi, bool extractMetafileBitmaps) {
  LoadedPicture out;
  const std::string_view data = pic.Data;
  switch (pic.Kind) {
  case 0: { // emfblip
    auto m = std::make_unique<TMetafile>();
    out.Loaded = m->loadFromBytes(data) && m->enhanced();
    out.Graphic = std::move(m);
    break;
  }
  case 2: {
    auto j = std::make_unique<TJPEGImage>();
    out.Loaded = j->loadFromBytes(data);
    out.Graphic = std::move(j);
    break;
  }
  case 5: { // wmetafile: METAFILEPICT with map mode and size
    int w = pic.PicW, h = pic.PicH;
    if ((pic.MapMode == 7 || pic.MapMode == 8) && w >= 1 && h >= 1) {
      w = roundHalfEven(int64_t(w) * ppi, 2540);
      h = roundHalfEven(int64_t(h) * ppi, 2540);
    }
    auto m = std::make_unique<TMetafile>();
    out.Loaded = m->loadWindowsMetafileBits(data, w, h);
    out.MetafileSize = {m->width(), m->height()};
    if (out.Loaded && extractMetafileBitmaps) {
      if (auto bmp = m->singleBitmap()) out.Graphic = std::move(bmp);
    }
    if (!out.Graphic) out.Graphic = std::move(m);
    break;
  }
  case 6: {
    auto b = std::make_unique<TBitmap>();
    out.Loaded = b->loadFromDIB(data);
    out.Graphic = std::move(b);
    break;
  }
  case 7: {
    auto b = std::make_unique<TBitmap>();
    out.Loaded = b->loadFromRawBits(pic.PicW, pic.PicH, pic.Planes, pic.BitsPixel, pic.WidthBytes, data);
    out.Graphic = std::move(b);
    break;
  }
  default: break;
  }
  return out;
}

} // namespace

int TRVRTFReader::FinishPicture() {
  Flush(false);
  std::unique_ptr<TRVRTFPicture> pic = std::move(picture_);
  if (cur_.FieldResultReplaced) return rtf_ec_OK;
  if (!pic) return OnNewPicture ? rtf_ec_InvalidPicture : rtf_ec_OK;
  const int ppi = screenPixelsPerInch();
  LoadedPicture lp = loadPicture(*pic, ppi, ExtractMetafileBitmaps);
  if (!lp.Graphic) return rtf_ec_OK;
  std::unique_ptr<TGraphic> graphic = std::move(lp.Graphic);
  const bool loaded = lp.Loaded;
  const auto &metafileSize = lp.MetafileSize;
  if (!loaded) {
    // A damaged picture shows as the invalid-picture image; the rest of the
    // document is still read.
    graphic = makeInvalidPicture();
    pic->Invalid = true;
  }
  pic->PixelWidth = loaded && metafileSize ? metafileSize->first : graphic->width();
  pic->PixelHeight = loaded && metafileSize ? metafileSize->second : graphic->height();
  if (pic->PicWGoal > 0 && pic->PicHGoal > 0) {
    pic->PixelWidth = roundHalfEven(int64_t(pic->PicWGoal) * ppi, 1440);
    pic->PixelHeight = roundHalfEven(int64_t(pic->PicHGoal) * ppi, 1440);
  }
  if (RVRTFAfterImportGraphic) RVRTFAfterImportGraphic(*graphic);
  bool inserted = false;
  if (OnNewPicture) OnNewPicture(*this, pic.get(), graphic, position_, inserted);
  if (pic->FromShpPict) shppictInserted_ = inserted;
  position_ = rtf_ts_ContinuePara;
  return rtf_ec_OK;
}

void TRVRTFReader::AddDataByte(std::string &data, int c, bool &high, uint8_t &acc, int &err) {
  if (cur_.InternalState == 1) {
    data.push_back(char(c));
    return;
  }
  int v = hexValue(c);
  if (v < 0) {
    err = rtf_ec_InvalidHex;
    return;
  }
  if (high) {
    acc = uint8_t(v << 4);
    high = false;
  } else {
    data.push_back(char(acc | v));
    high = true;
  }
}

void TRVRTFReader::ApplyPictureWord(int num, int32_t value) {
  if (!picture_) return;
  TRVRTFPicture &p = *picture_;
  switch (num) {
  case ipPicW: p.PicW = value; break;
  case ipPicH: p.PicH = value; break;
  case ipPicScaleX: p.ScaleX = value; break;
  case ipPicScaleY: p.ScaleY = value; break;
  case ipPicWGoal: p.PicWGoal = value; break;
  case ipPicHGoal: p.PicHGoal = value; break;
  case ipWbmWidthBytes: p.WidthBytes = value; break;
  case ipWbmBitsPixel: p.BitsPixel = value; break;
  case ipWbmPlanes: p.Planes = value; break;
  case ipPicKind: p.Kind = uint8_t(value); break;
  case ipWMetafile:
    p.Kind = 5;
    p.MapMode = (value >= 2 && value <= 8) ? value : 1;
    break;
  case ipPicBmp: p.PicBmp = value != 0; break;
  default: break;
  }
}

void TRVRTFReader::ApplyObjectWord(int num, int32_t value) {
  if (!object_) return;
  if (num == ipObjKind) object_->Kind = uint8_t(value);
  else if (num == ipObjW) object_->Width = value;
  else if (num == ipObjH) object_->Height = value;
}

} // namespace kc
