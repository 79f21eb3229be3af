#pragma once
// RTF import settings of a view and the builder that turns the RTF reader's
// events into document content: text items with text and paragraph styles
// chosen from (or added to) the style sheet, hyperlinks, pictures, list
// markers and page breaks. The import is built in a scratch document and
// spliced into the target only when the reader succeeded, so a failed import
// leaves the target and its style sheet as they were.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "richtext/controls/RVRTF.h"

namespace kc {

class TCustomRVData;
class TRVStyle;

enum TRVReaderUnicode : uint8_t { rvruMixed, rvruNoUnicode, rvruOnlyUnicode };
enum TRVReaderStyleMode : uint8_t { rvrsUseSpecified, rvrsUseClosest, rvrsAddIfNeeded };
enum TRVRTFHighlight : uint8_t { rtfhlIgnore, rtfhlFixedColors, rtfhlColorTable };

using TRVRTFCanUseStyleEvent =
    std::function<void(class TRVRTFReaderProperties &Sender, int StyleNo, bool IsTextStyle, bool &Allow)>;

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
  std::string FWarning;
};

// The settings of the talk input boxes: pictures are left out, and Unicode
// text arrives as Unicode so that characters outside the code page of the
// RTF survive when the style sheet has Unicode styles.
TRVRTFReaderProperties ChatInputRTFReadProperties();

// Imports a whole RTF byte string into the end of RVData with the given
// settings; the result is the reader's code.
int ImportRTFIntoDocument(std::string_view Data, TCustomRVData &RVData, TRVRTFReaderProperties &Settings);

} // namespace kc
