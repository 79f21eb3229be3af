#pragma once
// The state of one RTF import: the reader's events become items kept aside
// until the reader is done, and styles chosen or added on the way.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/RVStyle.h"

namespace kc {

class TCustomRVItemInfo;
class TFontInfo;
class TParaInfo;

// A list level text, already without its length character, as a marker
// format: placeholder n becomes "%s" (level 0) or "%n:s".
std::string RTFLevelTextToFormat(const std::string &Text);

// An RTF border kind and width (twips) as a border style, width and internal
// width in pixels; Far is the right or bottom side.
struct TRVConvertedBorder {
  TRVBorderStyle Style = rvbNone;
  int32_t Width = 0;
  int32_t InternalWidth = 0;
};
TRVConvertedBorder ConvertRTFBorder(uint8_t Kind, int32_t WidthTwips, bool Far);

class TRVRTFImportBuilder {
public:
  TRVRTFImportBuilder(TRVRTFReaderProperties &Props, TRVRTFReader &Reader, TCustomRVData &Target, int Index);
  ~TRVRTFImportBuilder();

  // Settles what the last events left pending.
  void Finish();
  // Moves the built items into the target at the insertion index; the
  // index of the last one, -1 when there were none.
  int Splice();

  // A HYPERLINK field instruction's target and hint; false for other fields.
  static bool ParseHyperlink(std::string_view Instr, const std::string &BasePath, std::string &Target,
                             std::string &Hint);

  // The text style wanted by the reader's character properties.
  void WantedTextStyle(TFontInfo &Wanted, bool Unicode, bool Hyperlink) const;
  int ClosestTextStyle(const TFontInfo &Wanted) const;
  int ExactTextStyle(const TFontInfo &Wanted) const;
  void WantedParaStyle(const TRVRTFParaProperties &Para, TParaInfo &Wanted) const;
  int ClosestParaStyle(const TRVRTFParaProperties &Para, const TParaInfo &Wanted) const;
  int ExactParaStyle(const TParaInfo &Wanted) const;

private:
  struct BuiltItem {
    std::string Text;
    std::unique_ptr<TCustomRVItemInfo> Item;
  };

  void NewText(const std::string &Text, TRVRTFPosition Pos);
  void NewUnicodeText(const std::u16string &Text, TRVRTFPosition Pos);
  void AddText(const std::string &Text, bool Unicode, TRVRTFPosition Pos);
  bool NewPicture(TRVRTFPicture *Pic, std::unique_ptr<TGraphic> &Graphic, TRVRTFPosition Pos);
  void Place(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item, TRVRTFPosition Pos);
  bool InHyperlink(std::string &Target, std::string &Hint) const;
  int ParaOfPrevious() const;
  int TextStyleFor(bool Unicode, bool Hyperlink);
  int ParaStyleFor(const TRVRTFParaProperties &Para);
  bool CanUse(int StyleNo, bool Text) const;
  // Lists: the list style of each RTF list, made once per import.
  void MapLists();
  void AddListMarker(int ParaNo);

  TRVRTFReaderProperties &P;
  TRVRTFReader &R;
  TCustomRVData &Target;
  TRVStyle *Style;
  int InsertIndex;
  std::vector<BuiltItem> Built;
  bool PageBreakPending = false;
  bool ForceNewPara = false;
  bool MarkerJustAdded = false;
  bool ListsMapped = false;
  std::vector<int> ListStyleOfList;
  // Closest styles already found, by the wanted values: runs repeat the same
  // few formats, and the score goes over the whole sheet.
  std::unordered_map<std::string, int> ClosestText, ClosestPara;
};

} // namespace kc
