#pragma once
// Draw records of items that may be split over pages when a document is laid
// out for printing: the plain record plus the list of its parts, one part a
// page. Pictures and controls use the image form below; tables add their own.
#include <cstdint>
#include <memory>

#include "richtext/document/DLines.h"
#include "richtext/document/RVClasses.h"
#include "richtext/document/RVFuncs.h"

namespace kc {

// One part of a split item: its height on its page, in printer units.
class TRVMultiDrawItemPart {
public:
  virtual ~TRVMultiDrawItemPart() = default;
  int32_t Height = 0;
  // Where the part starts inside its item; -1 when the part cannot say.
  virtual int GetSourceOffset() const { return -1; }
};

class TRVMultiDrawItemPartsList : public TRVList<TRVMultiDrawItemPart> {
public:
  TRVMultiDrawItemPart *Parts(int Index) const { return Items(Index); }
};

class TRVMultiDrawItemInfo : public TRVDrawLineInfo {
public:
  TRVMultiDrawItemInfo() = default;
  TRVMultiDrawItemPartsList PartsList;

  // Starts splitting: the first part covers the whole item. False when the
  // item cannot be split.
  virtual bool BeginParts() { return false; }
  // Whether the (remaining) item can be split so that its first part is Y
  // printer units high.
  virtual bool CanBreakAt(int32_t /*Y*/) { return false; }
  // The last part keeps Y, a new part gets the rest; false when that is not
  // possible.
  virtual bool BreakLastPartAt(int32_t /*Y*/) { return false; }

  // The page formatter asks every draw record through these.
  bool InitSplit() override { return BeginParts(); }
  bool CanSplitFirst(int32_t Y) override { return CanBreakAt(Y); }
  bool SplitAt(int32_t Y) override { return BreakLastPartAt(Y); }
};

// A part of a picture: its start and height inside the picture (picture
// pixels).
class TRVImagePrintPart : public TRVMultiDrawItemPart {
public:
  int32_t ImageTop = 0;
  int32_t ImageHeight = 0;
  int GetSourceOffset() const override { return ImageTop; }
};

// The printing record of a picture or control that may be split over pages.
// Heights convert between printer units and picture pixels with the
// resolution ratio; no part may be lower than MinHeightOnPage picture pixels
// (at least one pixel, so that no part is ever empty).
class TRVMultiImagePrintInfo : public TRVMultiDrawItemInfo {
public:
  // ImageHeight: the whole picture's height in picture pixels.
  TRVMultiImagePrintInfo(const TRVScreenAndDevice &sad, int32_t ImageHeight, int32_t MinHeightOnPage);

  TRVScreenAndDevice sad;
  int32_t FullImageHeight = 0;
  int32_t MinHeightOnPage = 0;

  TRVImagePrintPart *LastPart() const;

  bool BeginParts() override;
  bool CanBreakAt(int32_t Y) override;
  // Raises ERichVistaError "Internal printing error" when there are no parts.
  bool BreakLastPartAt(int32_t Y) override;

private:
  int32_t MinPart() const { return MinHeightOnPage > 1 ? MinHeightOnPage : 1; }
  // Printer units to picture pixels.
  int32_t ToImage(int32_t Y) const;
};

} // namespace kc
