#pragma once
// RTF import settings of a view and the builder that turns the RTF reader's
// events into document content: text items with text and paragraph styles
// chosen from (or added to) the style sheet, hyperlinks, pictures, list
// markers and page breaks. The import is built in a scratch document and
// spliced into the target only when the reader succeeded, so a failed import
// leaves the target and its style sheet as they were.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "richtext/controls/RVRTF.h"

namespace kc {

class TCustomRVData;
class TCustomRVItemInfo;
class TRVStyle;

enum TRVReaderUnicode : uint8_t { rvruMixed, rvruNoUnicode, rvruOnlyUnicode };
enum TRVReaderStyleMode : uint8_t { rvrsUseSpecified, rvrsUseClosest, rvrsAddIfNeeded };
enum TRVRTFHighlight : uint8_t { rtfhlIgnore, rtfhlFixedColors, rtfhlColorTable };

using TRVRTFCanUseStyleEvent =
    std::function<void(class TRVRTFReaderProperties &Sender, int StyleNo, bool IsTextStyle, bool &Allow)>;

// Makes the item of an imported picture in place of the builder. RVData is
// the document the item goes into (the target, a header or a footer);
// RTFPicture is nullptr for a picture that a field named; Graphic is what
// the reader made of the data (take it by moving it out). When the reader
// could not read the data, RTFPicture->Invalid is set and Graphic is the
// reader's stand-in: the style sheet's invalid-picture image is not put in
// here. Leaving Item empty drops the picture. ItemText is the item's name,
// or the text of a text item (of an existing style).
using TRVRTFNewPictureItemEvent = std::function<void(class TRVRTFReaderProperties &Sender, TCustomRVData &RVData,
                                                     TRVRTFPicture *RTFPicture, std::unique_ptr<TGraphic> &Graphic,
                                                     std::unique_ptr<TCustomRVItemInfo> &Item, std::string &ItemText)>;

// The operation an import reports to its document's progress handler
// (TCustomRVData::DoProgress); the stage is the reader's
// TRVRTFProgressStage, and the percentage how much of the input was read.
enum TRVLongOperation : uint8_t { rvloLoading };

class TRVRTFReaderProperties {
public:
  TRVReaderUnicode UnicodeMode = rvruNoUnicode;
  TRVReaderStyleMode TextStyleMode = rvrsUseClosest;
  TRVReaderStyleMode ParaStyleMode = rvrsUseClosest;
  bool IgnorePictures = false;
  bool UseHypertextStyles = false;
  bool SkipHiddenText = true;
  bool AutoHideTableGridLines = false;
  bool LineBreaksAsParagraphs = false;
  bool ExtractMetafileBitmaps = true;
  TRVRTFHighlight ConvertHighlight = rtfhlColorTable;
  std::string LinkBasePath;
  TRVRTFCanUseStyleEvent OnCanUseStyle;
  TRVRTFNewPictureItemEvent OnNewPictureItem;

  // Documents that receive the RTF header and footer (none by default: they
  // are skipped). A successful import that reads a header replaces the
  // header document's content with it; the same for the footer. They must
  // use the target's style sheet; one that does not is not filled.
  void SetHeaderFooterRVData(TCustomRVData *Header, TCustomRVData *Footer) {
    FHeaderRVData = Header;
    FFooterRVData = Footer;
  }
  TCustomRVData *HeaderRVData() const { return FHeaderRVData; }
  TCustomRVData *FooterRVData() const { return FFooterRVData; }
  // The distance of the header (footer) from the top (bottom) edge of the
  // page in millimetres, as the last import that read one gave it; -1 before.
  int32_t HeaderY() const { return FHeaderY; }
  int32_t FooterY() const { return FFooterY; }

  int32_t TextStyleNo() const { return FTextStyleNo; }
  int32_t ParaStyleNo() const { return FParaStyleNo; }
  // ERichVistaError "Value must not be negative" for a negative number.
  void SetTextStyleNo(int32_t Value);
  void SetParaStyleNo(int32_t Value);

  // Copies the Unicode and style modes, IgnorePictures, UseHypertextStyles
  // and the two fixed style numbers only.
  void Assign(const TRVRTFReaderProperties &Source);

  // Reads RTF and inserts what it builds into RVData at Index (an item
  // index of RVData, clamped to its items). Index goes out as the index of
  // the last item inserted (-1 when none). The result is the reader's
  // TRVRTFErrorCode; on any error but a truncated stream nothing is
  // inserted and the style sheet keeps the styles it had. A truncated stream
  // is imported as far as it goes and reported in Warning.
  int ImportRTF(std::string_view Data, TCustomRVData &RVData, int &Index);
  int ImportRTFStream(std::istream &Stream, TCustomRVData &RVData, int &Index);

  // What the last import noticed without failing (empty when nothing).
  const std::string &Warning() const { return FWarning; }

  // Pixels per twip used for indents, spacing and picture sizes.
  static constexpr double TwipsToPixels = 96.0 / 1440.0;

private:
  friend class TRVRTFImportBuilder;
  int DoImport(const std::function<int(TRVRTFReader &)> &Read, TCustomRVData &RVData, int &Index);
  int32_t FTextStyleNo = 0;
  int32_t FParaStyleNo = 0;
  TCustomRVData *FHeaderRVData = nullptr;
  TCustomRVData *FFooterRVData = nullptr;
  int32_t FHeaderY = -1, FFooterY = -1;
  std::string FWarning;
};

// How an editor takes RTF in (pasted, dropped, or inserted by a script):
// every run arrives as Unicode text, so that no character is lost to the
// code page of a style, and in a style of its own look found or added, so
// that plain text stays plain rather than taking the nearest style the
// sheet happens to have.
TRVRTFReaderProperties EditorRTFReadProperties();
// The same for the talk input boxes, which leave pictures out.
TRVRTFReaderProperties ChatInputRTFReadProperties();

// Imports a whole RTF byte string into the end of RVData with the given
// settings; the result is the reader's code.
int ImportRTFIntoDocument(std::string_view Data, TCustomRVData &RVData, TRVRTFReaderProperties &Settings);

} // namespace kc
