// Pictures and hot pictures.
#include "richtext/document/RVItem.h"

#include <algorithm>

#include "platform/QtCanvas.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVItemParts.h"
#include "richtext/document/RVMultiDrawItem.h"

namespace kc {

using namespace rvitem;

TRVGraphicItemInfo::TRVGraphicItemInfo(TCustomRVData *RVData) : TRVRectItemInfo(RVData) { StyleNo = rvsPicture; }

TRVGraphicItemInfo::TRVGraphicItemInfo(TCustomRVData *RVData, std::unique_ptr<TGraphic> AImage, TRVVAlign AVAlign)
    : TRVRectItemInfo(RVData), Image(std::move(AImage)) {
  StyleNo = rvsPicture;
  VAlign = AVAlign;
}

TRVGraphicItemInfo::~TRVGraphicItemInfo() = default;

std::unique_ptr<TCustomRVItemInfo> TRVGraphicItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVGraphicItemInfo>(RVData);
}

int TRVGraphicItemInfo::GetImageWidth(const TRVStyle *) const {
  if (ImageWidth > 0) return ImageWidth;
  return Image ? Image->width() : 0;
}

int TRVGraphicItemInfo::GetImageHeight(const TRVStyle *) const {
  if (ImageHeight > 0) return ImageHeight;
  return Image ? Image->height() : 0;
}

int TRVGraphicItemInfo::GetWidth() const { return GetImageWidth(nullptr) + 2 * Spacing; }
int TRVGraphicItemInfo::GetHeight() const { return GetImageHeight(nullptr) + 2 * Spacing; }

int TRVGraphicItemInfo::GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *, TCustomRVData *) {
  const int w = GetImageWidth(nullptr) + 2 * Spacing;
  return sad ? ScaleXToDevice(w, *sad) : w;
}

bool TRVGraphicItemInfo::GetFlag(int Property) const {
  switch (Property) {
  case rvbpValid: return Image != nullptr;
  case rvbpDisplayActiveState:
  case rvbpDrawingChangesFont: return true;
  case rvbpResizable: return Image != nullptr && !IsIcon(Image.get());
  default: return TRVRectItemInfo::GetFlag(Property);
  }
}

bool TRVGraphicItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  if (Property == rvbsfPrintToBMP) return !IsMetafile(Image.get());
  return TRVRectItemInfo::GetStyleFlag(Property, RVStyle);
}

void TRVGraphicItemInfo::Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
                               TRVDrawLineInfo *) {
  const int s = Spacing;
  const int w = GetImageWidth(Style), h = GetImageHeight(Style);
  const TRect dest = Bounds(X + s, Y + s, w, h);
  if (ImageCopy) {
    Canvas.drawGraphic(dest, *ImageCopy);
  } else if (Image) {
    if (IsMetafile(Image.get())) {
      const int level = Canvas.saveDC();
      Canvas.intersectClipRect(dest);
      Canvas.drawGraphic(dest, *Image);
      Canvas.restoreDC(level);
    } else Canvas.drawGraphic(dest, *Image);
  }
  PaintFrames(Canvas, X, Y, w + 2 * s, h + 2 * s, State, Style);
}

bool TRVGraphicItemInfo::PrintToBitmap(TBitmap &Bitmap, bool Preview, TCustomRVData *, TRVDrawLineInfo *DrawLine,
                                       int Part, uint8_t) {
  const TGraphic *g = (Preview && ImageCopy) ? ImageCopy.get() : Image.get();
  if (!g || Bitmap.width() <= 0 || Bitmap.height() <= 0) return false;
  QImage img = Bitmap.image().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  {
    QtCanvas canvas(&img);
    const int y = -PieceImageTop(DrawLine, Part);
    if (ImageWidth > 0 || ImageHeight > 0) canvas.drawGraphic(Bounds(0, y, img.width(), img.height()), *g);
    else canvas.drawGraphic(Bounds(0, y, g->width(), g->height()), *g);
  }
  Bitmap.setImage(std::move(img));
  return true;
}

void TRVGraphicItemInfo::Print(TCanvas &Canvas, int X, int Y, int X2, bool, bool, const TRVScreenAndDevice &sad,
                               TRVDrawLineInfo *DrawLine, int, uint8_t, TCustomRVData *) {
  (void)X2;
  if (!Image) return;
  // The draw line holds the spacing around the picture, as on screen.
  const int sx = ScaleXToDevice(Spacing, sad), sy = ScaleYToDevice(Spacing, sad);
  int w, h;
  if (DrawLine) {
    w = std::max(0, DrawLine->Width - 2 * sx);
    h = std::max(0, DrawLine->Height - 2 * sy);
  } else {
    w = ScaleXToDevice(GetImageWidth(nullptr), sad);
    h = ScaleYToDevice(GetImageHeight(nullptr), sad);
  }
  const TRect r = Bounds(X + sx, Y + sy, w, h);
  const int level = Canvas.saveDC();
  Canvas.intersectClipRect(r);
  Canvas.drawGraphic(r, *Image);
  Canvas.restoreDC(level);
}

std::unique_ptr<TRVDrawLineInfo> TRVGraphicItemInfo::CreatePrintingDrawItem(TCustomRVData *RVData,
                                                                            const TRVScreenAndDevice &sad) {
  const TRVStyle *st = RVData ? RVData->GetRVStyle() : nullptr;
  const bool stretchedHeight = Image && ImageHeight > 0 && ImageHeight != Image->height();
  if (!GetStyleFlag(rvbsfPrintToBMP, st) || MinHeightOnPage == 0 || stretchedHeight)
    return TRVRectItemInfo::CreatePrintingDrawItem(RVData, sad);
  auto r = std::make_unique<TRVMultiImagePrintInfo>(sad, GetImageHeight(st), MinHeightOnPage);
  r->SetSize(ScaleXToDevice(GetWidth(), sad), ScaleYToDevice(GetHeight(), sad));
  return r;
}

void TRVGraphicItemInfo::AssignProperties(const TCustomRVItemInfo &Source) {
  TRVRectItemInfo::AssignProperties(Source);
  if (auto *s = dynamic_cast<const TRVGraphicItemInfo *>(&Source)) {
    Image = s->Image ? s->Image->clone() : nullptr;
    ImageCopy.reset();
    ImageWidth = s->ImageWidth;
    ImageHeight = s->ImageHeight;
    NoHTMLImageSize = s->NoHTMLImageSize;
    Alt = s->Alt;
    ImageFileName = s->ImageFileName;
  }
}

namespace {
const TBitmap *TransparentBitmap(const TGraphic *g) {
  auto *b = dynamic_cast<const TBitmap *>(g);
  return b && b->transparent ? b : nullptr;
}
} // namespace

int TRVGraphicItemInfo::GetRvfExtraPropertyCount() const {
  int n = TRVRectItemInfo::GetRvfExtraPropertyCount();
  if (ImageWidth > 0) ++n;
  if (ImageHeight > 0) ++n;
  if (MinHeightOnPage > 0) ++n;
  if (NoHTMLImageSize) ++n;
  if (const TBitmap *b = TransparentBitmap(Image.get())) n += b->transparentMode == 1 ? 3 : 2;
  if (!ImageFileName.empty()) ++n;
  if (!Alt.empty()) ++n;
  return n;
}

void TRVGraphicItemInfo::WriteRvfExtraProperties(std::string &Stream) const {
  TRVRectItemInfo::WriteRvfExtraProperties(Stream);
  if (ImageWidth > 0) WriteRvfIntProperty(Stream, rvepImageWidth, ImageWidth);
  if (ImageHeight > 0) WriteRvfIntProperty(Stream, rvepImageHeight, ImageHeight);
  if (MinHeightOnPage > 0) WriteRvfIntProperty(Stream, rvepMinHeightOnPage, MinHeightOnPage);
  if (NoHTMLImageSize) WriteRvfIntProperty(Stream, rvepNoHTMLImageSize, 1);
  if (const TBitmap *b = TransparentBitmap(Image.get())) {
    WriteRvfIntProperty(Stream, rvepTransparent, 1);
    WriteRvfIntProperty(Stream, rvepTransparentMode, b->transparentMode);
    if (b->transparentMode == 1) WriteRvfIntProperty(Stream, rvepTransparentColor, int(b->transparentColor));
  }
  if (!ImageFileName.empty()) WriteRvfStrProperty(Stream, rvespImageFileName, ImageFileName);
  if (!Alt.empty()) WriteRvfStrProperty(Stream, rvespAlt, Alt);
}

bool TRVGraphicItemInfo::SetExtraIntProperty(int Prop, int Value) {
  switch (Prop) {
  // Sizes come from files: no picture is shown larger than any picture can be.
  case rvepImageWidth: ImageWidth = std::min(Value, kMaxGraphicSide); return true;
  case rvepImageHeight: ImageHeight = std::min(Value, kMaxGraphicSide); return true;
  case rvepMinHeightOnPage: MinHeightOnPage = Value; return true;
  case rvepNoHTMLImageSize: NoHTMLImageSize = Value != 0; return true;
  case rvepTransparent:
  case rvepTransparentMode:
  case rvepTransparentColor: {
    auto *b = dynamic_cast<TBitmap *>(Image.get());
    if (!b) return false;
    if (Prop == rvepTransparent) b->transparent = Value != 0;
    else if (Prop == rvepTransparentMode) b->transparentMode = Value;
    else b->transparentColor = uint32_t(Value);
    return true;
  }
  default: return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
  }
}

bool TRVGraphicItemInfo::GetExtraIntProperty(int Prop, int &Value) const {
  switch (Prop) {
  case rvepImageWidth: Value = ImageWidth; return true;
  case rvepImageHeight: Value = ImageHeight; return true;
  case rvepMinHeightOnPage: Value = MinHeightOnPage; return true;
  case rvepNoHTMLImageSize: Value = NoHTMLImageSize ? 1 : 0; return true;
  case rvepTransparent:
  case rvepTransparentMode:
  case rvepTransparentColor: {
    auto *b = dynamic_cast<const TBitmap *>(Image.get());
    if (!b) return false;
    Value = Prop == rvepTransparent       ? (b->transparent ? 1 : 0)
            : Prop == rvepTransparentMode ? b->transparentMode
                                          : int(b->transparentColor);
    return true;
  }
  default: return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
  }
}

bool TRVGraphicItemInfo::SetExtraStrProperty(int Prop, const std::string &Value) {
  switch (Prop) {
  case rvespAlt: Alt = Value; return true;
  case rvespImageFileName: ImageFileName = Value; return true;
  default: return TRVRectItemInfo::SetExtraStrProperty(Prop, Value);
  }
}

bool TRVGraphicItemInfo::GetExtraStrProperty(int Prop, std::string &Value) const {
  switch (Prop) {
  case rvespAlt: Value = Alt; return true;
  case rvespImageFileName: Value = ImageFileName; return true;
  default: return TRVRectItemInfo::GetExtraStrProperty(Prop, Value);
  }
}

void TRVGraphicItemInfo::UpdatePaletteInfo(TRVPaletteAction PaletteAction, bool ForceRecreateCopy, HPALETTE Palette,
                                           const TRVLogPalette *LogPalette) {
  const bool copies = PaletteAction == rvpaCreateCopies || PaletteAction == rvpaCreateCopiesEx;
  if (ForceRecreateCopy || !copies || Palette == 0) ImageCopy.reset();
  if (!Image || !LogPalette) return;
  // Pictures here are true-colour: giving one a palette changes nothing on
  // screen, so only the copy that painting uses is made.
  if (copies && !ImageCopy) {
    if (PaletteAction == rvpaCreateCopiesEx && IsJpeg(Image.get()))
      ImageCopy = std::make_unique<TBitmap>(Image->toImage());
    else ImageCopy = Image->clone();
  }
}

bool TRVGraphicItemInfo::ReadRVF(const std::string &s, TCustomRVData *RVData, int Mode, int LineNo, int LineCount,
                                 std::string &Name, int &LineState) {
  // The binary block is the last line; the line before it says so.
  if (Mode == 2 && LineNo == LineCount - 2) LineState = 1;
  if (LineNo == 0) {
    Name = s;
    // Without the picture in the stream the host supplies it.
    if (Mode == 1 && RVData) Image = RVData->DoRVFPictureNeeded(Name, Tag);
    return true;
  }
  if (Mode == 1) {
    ReadRvfExtraProperty(s);
    return true;
  }
  if (LineNo == 1) {
    Image = createGraphic(s);
    FUnknownClass = Image == nullptr;
    if (FUnknownClass) {
      AddWarning(RVData, rvfwUnknownPicFmt);
      if (!RVData || !RVData->GetRVFOptions().Has(rvfoIgnoreUnknownPicFmt)) return false;
    }
    return true;
  }
  if (LineNo < LineCount - 1) {
    ReadRvfExtraProperty(s);
    return true;
  }
  if (FUnknownClass || !Image) return true;
  std::string bytes;
  const bool ok = Mode == 2 ? Image->loadFromBytes(s) : (RVHexToBytes(s, bytes) && Image->loadFromBytes(bytes));
  if (!ok) {
    AddWarning(RVData, rvfwInvalidPicture);
    TRVStyle *st = RVData ? RVData->GetRVStyle() : nullptr;
    if (st) Image = st->GetInvalidPicture()->clone();
    else Image = makeInvalidPicture();
  }
  return true;
}

void TRVGraphicItemInfo::SaveRVF(std::string &Stream, TCustomRVData *RVData, int, const std::string &Name,
                                 bool ForceSameAsPrev) {
  const TRVFOptions o = RVData ? RVData->GetRVFOptions() : TRVFOptions{};
  const int extra = GetRvfExtraPropertyCount();
  if (o.Has(rvfoSavePicturesBody) && Image) {
    const bool binary = o.Has(rvfoSaveBinary);
    WriteRvfHeader(Stream, RVData, extra + 3, binary ? 2 : 0, ForceSameAsPrev);
    WriteLine(Stream, Name);
    WriteLine(Stream, Image->className());
    WriteRvfExtraProperties(Stream);
    if (binary) WriteBinaryBlock(Stream, Image->saveToBytes());
    else WriteLine(Stream, RVBytesToHex(Image->saveToBytes()));
  } else {
    WriteRvfHeader(Stream, RVData, extra + 1, 1, ForceSameAsPrev);
    WriteLine(Stream, Name);
    WriteRvfExtraProperties(Stream);
  }
}

void TRVGraphicItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &,
                                    TRVHTMLSaveContext &Context) {
  const TRVSaveOptions o = Context.SaveOptions;
  std::string location;
  if (o.Has(rvsoUseItemImageFileNames) && !ImageFileName.empty())
    location = RelativeToPath(ImageFileName, Context.Path);
  else {
    bool doDefault = true;
    if (RVData) RVData->DoHTMLSaveImage(ItemNo, Context.Path, Context.CurrentBackColor, location, doDefault);
    if (doDefault) {
      if (o.Has(rvsoUseItemImageFileNames) && !ImageFileName.empty())
        location = RelativeToPath(ImageFileName, Context.Path);
      else if (Image && RVData)
        RVData->SaveImageFileEx(Context.Path, Image.get(), rvsfHTML, Context.ImagesPrefix, Context.ImageCounter,
                                o.Has(rvsoOverwriteImages), Context.CurrentBackColor, location, true);
    }
  }
  if (location.empty()) return;
  location = SlashPath(location);
  const int w = GetImageWidth(nullptr), h = GetImageHeight(nullptr);
  std::string attrs = o.Has(rvsoNoImageBorders) ? " border=0 " : " ";
  if ((o.Has(rvsoImageSizes) && !NoHTMLImageSize) || ImageWidth > 0 || ImageHeight > 0)
    attrs += "width=" + std::to_string(w) + " height=" + std::to_string(h) + " ";
  if (!Alt.empty() || Context.UseCSS) attrs += "alt=\"" + Alt + "\" ";
  attrs += HtmlTitleBlank(Hint);
  if (Context.UseCSS && VAlign == rvvaBaseline && VShift != 0 && h != 0) {
    const int v = VShiftAbs ? VShift : MulDiv(VShift, h, 100);
    attrs += "style=\"{vertical-align : " + std::to_string(v) + "}\" ";
  }
  Stream += "<IMG" + std::string(VAlign == rvvaMiddle ? " align=middle" : "") + attrs + "src=\"" + location + "\">";
}

void TRVGraphicItemInfo::SaveRTF(std::string &Stream, TCustomRVData *, int, const std::string &,
                                 TRVRTFSaveContext &Context) {
  if (!Image) return;
  RVSaveGraphicToRTF(Stream, *Image, GetImageWidth(nullptr), GetImageHeight(nullptr), Context);
}

void TRVGraphicItemInfo::MovingToUndoList(int ItemNo, TCustomRVData *RVData) {
  TRVRectItemInfo::MovingToUndoList(ItemNo, RVData);
  ImageCopy.reset();
}

// ===========================================================================
// Hot pictures

TRVHotGraphicItemInfo::TRVHotGraphicItemInfo(TCustomRVData *RVData) : TRVGraphicItemInfo(RVData) {
  StyleNo = rvsHotPicture;
}

TRVHotGraphicItemInfo::TRVHotGraphicItemInfo(TCustomRVData *RVData, std::unique_ptr<TGraphic> AImage, TRVVAlign AVAlign)
    : TRVGraphicItemInfo(RVData, std::move(AImage), AVAlign) {
  StyleNo = rvsHotPicture;
}

std::unique_ptr<TCustomRVItemInfo> TRVHotGraphicItemInfo::NewInstance(TCustomRVData *RVData) const {
  return std::make_unique<TRVHotGraphicItemInfo>(RVData);
}

bool TRVHotGraphicItemInfo::GetStyleFlag(int Property, const TRVStyle *RVStyle) const {
  switch (Property) {
  case rvbsfJump:
  case rvbsfAllowFocus:
  case rvbsfHotSpot:
  case rvbsfXORFocus: return true;
  default: return TRVGraphicItemInfo::GetStyleFlag(Property, RVStyle);
  }
}

void TRVHotGraphicItemInfo::ExecuteJump(TCustomRVData *RVData) {
  if (RVData) RVData->DoJump(RVData->FirstJumpNo + JumpID);
}

} // namespace kc
