#pragma once
#include "richtext/document/CRVData.h"

namespace kc {

// The document an insertion is read into first: it answers every question
// of the reader as the target would (style sheet, options, warnings, the
// host's picture and control events) but keeps items, checkpoints and
// markers of its own, so that a stream that fails leaves the target as it
// was.
class TRVFScratchData : public TCustomRVData {
public:
  explicit TRVFScratchData(TCustomRVData &Target) : T(Target) {}
  ~TRVFScratchData() override { Clear(); }

  TRVOptions GetOptions() const override { return T.GetOptions(); }
  TRVFOptions GetRVFOptions() const override { return T.GetRVFOptions(); }
  TRVRTFOptions GetRTFOptions() const override { return T.GetRTFOptions(); }
  TRVFWarnings GetRVFWarnings() const override { return T.GetRVFWarnings(); }
  void SetRVFWarnings(TRVFWarnings Value) override { T.SetRVFWarnings(Value); }
  TRVFReaderStyleMode GetRVFTextStylesReadMode() const override { return T.GetRVFTextStylesReadMode(); }
  TRVFReaderStyleMode GetRVFParaStylesReadMode() const override { return T.GetRVFParaStylesReadMode(); }
  uint16_t GetFlags() const override { return T.GetFlags(); }
  TRVStyle *GetRVStyle() const override { return T.GetRVStyle(); }
  HPALETTE GetPalette() const override { return T.GetPalette(); }
  const TRVLogPalette *GetPaletteInfo() const override { return T.GetPaletteInfo(); }
  TRVPaletteAction GetDoInPaletteMode() const override { return T.GetDoInPaletteMode(); }
  TRVBiDiMode GetBiDiMode() const override { return T.GetBiDiMode(); }
  QWidget *GetParentControl() const override { return T.GetParentControl(); }
  std::unique_ptr<TGraphic> DoImportPicture(const std::string &Location) override {
    return T.DoImportPicture(Location);
  }
  std::unique_ptr<TGraphic> DoRVFPictureNeeded(const std::string &Name, const TRVTag &Tag) override {
    return T.DoRVFPictureNeeded(Name, Tag);
  }
  TControl *DoRVFControlNeeded(const std::string &Name, const TRVTag &Tag) override {
    return T.DoRVFControlNeeded(Name, Tag);
  }
  TCustomImageList *DoRVFImageListNeeded(int ImageListTag) override { return T.DoRVFImageListNeeded(ImageListTag); }

protected:
  TCustomRVData &T;
};

} // namespace kc
