// Image-list images and hotspots.
#include "richtext/document/RVItem.h"

#include "platform/ImageList.h"
#include "platform/QtCanvas.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVItemParts.h"

namespace kc {

using namespace rvitem;

TRVBulletItemInfo::TRVBulletItemInfo(TCustomRVData *RVData) : TRVRectItemInfo(RVData) { StyleNo = rvsBullet; }

TRVBulletItemInfo::TRVBulletItemInfo(TCustomRVData *RVData, int AImageIndex, TCustomImageList *AImageList,
                                     TRVVAlign AVAlign)
    : TRVRectItemInfo(RVData), ImageList(AImageList), ImageIndex(AImageIndex) {
  StyleNo = rvsBullet;
  VAlign = AVAlign;
}

std::unique_ptr<TCustomRVItemInfo> TRVBulletItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVBulletItemInfo>(RVData);
}

int TRVBulletItemInfo::GetImageIndex(bool) const { return ImageIndex; }

int TRVBulletItemInfo::GetImageWidth(const TRVStyle *) const { return ImageList ? ImageList->Width() : 0; }
int TRVBulletItemInfo::GetImageHeight(const TRVStyle *) const { return ImageList ? ImageList->Height() : 0; }
int TRVBulletItemInfo::GetWidth() const { return GetImageWidth(nullptr) + 2 * Spacing; }
int TRVBulletItemInfo::GetHeight() const { return GetImageHeight(nullptr) + 2 * Spacing; }

int TRVBulletItemInfo::GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *, TCustomRVData *) {
  const int w = GetImageWidth(nullptr) + 2 * Spacing;
  return sad ? ScaleXToDevice(w, *sad) : w;
}

bool TRVBulletItemInfo::GetFlag(int Property) const {
  switch (Property) {
  case rvbpValid: return ImageList != nullptr;
  case rvbpDisplayActiveState: return true;
  default: return TRVRectItemInfo::GetFlag(Property);
  }
}

void TRVBulletItemInfo::Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
                              TRVDrawLineInfo *) {
  const int s = Spacing;
  if (ImageList) {
    const int index = GetImageIndex(State.Has(rvidsHover));
    const TColor sel = State.Has(rvidsSelected) ? SelectionColor(State, Style) : clNone;
    if (sel != clNone) ImageList->DrawBlended(Canvas, X + s, Y + s, index, sel);
    else ImageList->Draw(Canvas, X + s, Y + s, index);
  }
  PaintFrames(Canvas, X, Y, GetWidth(), GetHeight(), State - TRVItemDrawStates{rvidsSelected}, Style);
}

bool TRVBulletItemInfo::PrintToBitmap(TBitmap &Bitmap, bool, TCustomRVData *, TRVDrawLineInfo *, int, uint8_t) {
  if (!ImageList || !ImageList->ValidIndex(ImageIndex)) return false;
  QImage img = Bitmap.image().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  {
    QtCanvas canvas(&img);
    canvas.stretchDraw(Bounds(0, 0, img.width(), img.height()), ImageList->GetImage(ImageIndex));
  }
  Bitmap.setImage(std::move(img));
  return true;
}

void TRVBulletItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVRectItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVBulletItemInfo *>(&Source)) {
    ImageList = s->ImageList;
    ImageIndex = s->ImageIndex;
    NoHTMLImageSize = s->NoHTMLImageSize;
  }
}

int TRVBulletItemInfo::GetRvfExtraPropertyCount() const {
  return TRVRectItemInfo::GetRvfExtraPropertyCount() + (NoHTMLImageSize ? 1 : 0);
}

void TRVBulletItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TRVRectItemInfo::WriteRvfExtraProperties(Stream);
  if (NoHTMLImageSize) WriteRvfIntProperty(Stream, rvepNoHTMLImageSize, 1);
}

bool TRVBulletItemInfo::SetExtraIntProperty(int Prop, int Value) {
  if (Prop != rvepNoHTMLImageSize) return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
  NoHTMLImageSize = Value != 0;
  return true;
}

bool TRVBulletItemInfo::GetExtraIntProperty(int Prop, int &Value) const {
  if (Prop != rvepNoHTMLImageSize) return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
  Value = NoHTMLImageSize ? 1 : 0;
  return true;
}

std::string TRVBulletItemInfo::WriteRvfHeaderTail(TCustomRVData *) const {
  return std::to_string(ImageList ? ImageList->Tag : 0) + " " + std::to_string(ImageIndex);
}

void TRVBulletItemInfo::CheckImageIndex(int &Index, TCustomRVData *RVData) const {
  if (!ImageList || ImageList->ValidIndex(Index)) return;
  AddWarning(RVData, rvfwConvLargeImageIdx);
  if (RVData && RVData->GetRVFOptions().Has(rvfoConvLargeImageIdxToZero)) Index = 0;
}

bool TRVBulletItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) {
  size_t pos = 0;
  int tag = 0, index = 0;
  if (!ReadInt(Field, pos, tag) || !ReadInt(Field, pos, index)) return false;
  ImageList = RVData ? RVData->DoRVFImageListNeeded(tag) : nullptr;
  ImageIndex = index;
  if (!ReadRvfHeaderTailRest(Field.substr(pos))) return false;
  CheckImageIndex(ImageIndex, RVData);
  return true;
}

bool TRVBulletItemInfo::ReadRVF(const std::string &s, TCustomRVData *, int, int LineNo, int, std::string &Name, int &) {
  if (LineNo == 0) Name = s;
  else ReadRvfExtraProperty(s);
  return true;
}

void TRVBulletItemInfo::SaveRVF(std::string &Stream, TCustomRVData *RVData, int, const std::string &Name,
                                bool ForceSameAsPrev) {
  WriteRvfHeader(Stream, RVData, GetRvfExtraPropertyCount() + 1, 0, ForceSameAsPrev);
  WriteLine(Stream, Name);
  WriteRvfExtraProperties(Stream);
}

void TRVBulletItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *RVData, int, const std::string &,
                                   TRVHTMLSaveContext &Context) {
  if (!ImageList || !ImageList->ValidIndex(ImageIndex)) return;
  const TRVSaveOptions o = Context.SaveOptions;
  std::string location;
  for (const TRVHTMLBulletInfo &b : Context.Bullets)
    if (b.ImageList == ImageList && b.ImageIndex == ImageIndex && b.BackColor == Context.CurrentBackColor) {
      location = b.FileName;
      break;
    }
  if (location.empty()) {
    TBitmap bmp(ImageList->ImageOnBackground(ImageIndex, Context.CurrentBackColor));
    if (RVData)
      RVData->SaveImageFileEx(Context.Path, &bmp, rvsfHTML, Context.ImagesPrefix, Context.ImageCounter,
                              o.Has(rvsoOverwriteImages), Context.CurrentBackColor, location);
    if (location.empty()) return;
    location = SlashPath(location);
    Context.Bullets.push_back(TRVHTMLBulletInfo{ImageList, ImageIndex, Context.CurrentBackColor, location});
  }
  std::string first = o.Has(rvsoNoImageBorders) ? " border=0 " : " ";
  if (o.Has(rvsoImageSizes) && !NoHTMLImageSize)
    first += "width=" + std::to_string(ImageList->Width()) + " height=" + std::to_string(ImageList->Height()) + " ";
  std::string second;
  const int h = ImageList->Height();
  std::string vshift;
  if (Context.UseCSS && VAlign == rvvaBaseline && VShift != 0 && h != 0)
    vshift = "vertical-align : " + std::to_string(VShiftAbs ? VShift : MulDiv(VShift, h, 100));
  if (Context.UseCSS && !vshift.empty()) second = " style=\"{" + vshift + "}\" ";
  else second = " ";
  second += "alt=\"\" ";
  if (!Hint.empty()) second += HtmlTitleBlank(Hint);
  Stream += "<IMG" + first + second + "src=\"" + location + "\">";
}

void TRVBulletItemInfo::SaveRTF(std::string &Stream, TCustomRVData *, int, const std::string &,
                                TRVRTFSaveContext &Context) {
  if (!ImageList || !ImageList->ValidIndex(ImageIndex)) return;
  RVSaveImageListImageToRTF(Stream, *ImageList, ImageIndex, Context);
}

// ===========================================================================
// Hotspots

TRVHotspotItemInfo::TRVHotspotItemInfo(TCustomRVData *RVData) : TRVBulletItemInfo(RVData) { StyleNo = rvsHotspot; }

std::unique_ptr<TCustomRVItemInfo> TRVHotspotItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVHotspotItemInfo>(RVData);
}

int TRVHotspotItemInfo::GetImageIndex(bool Hot) const { return Hot ? HotImageIndex : ImageIndex; }

bool TRVHotspotItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  switch (Property) {
  case rvbsfJump:
  case rvbsfAllowFocus:
  case rvbsfXORFocus: return true;
  case rvbsfHotSpot: return HotImageIndex != ImageIndex;
  default: return TRVBulletItemInfo::GetStyleFlag(Property, RVStyle);
  }
}

void TRVHotspotItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVBulletItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVHotspotItemInfo *>(&Source)) HotImageIndex = s->HotImageIndex;
}

std::string TRVHotspotItemInfo::WriteRvfHeaderTail(TCustomRVData *RVData) const {
  return TRVBulletItemInfo::WriteRvfHeaderTail(RVData) + " " + std::to_string(HotImageIndex);
}

bool TRVHotspotItemInfo::ReadRvfHeaderTailRest(const std::string &Rest) {
  FHotRead = false;
  if (EmptyTail(Rest)) return true;
  size_t pos = 0;
  int v = 0;
  if (!ReadInt(Rest, pos, v)) return false;
  HotImageIndex = v;
  FHotRead = true;
  return true;
}

bool TRVHotspotItemInfo::ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) {
  if (!TRVBulletItemInfo::ReadRvfHeaderTail(Field, RVData)) return false;
  if (!FHotRead) HotImageIndex = ImageIndex;
  else CheckImageIndex(HotImageIndex, RVData);
  return true;
}

void TRVHotspotItemInfo::ExecuteJump(TCustomRVData *RVData) {
  if (RVData) RVData->DoJump(RVData->FirstJumpNo + JumpID);
}

} // namespace kc
