// The general words. Most only copy their value into one field of the state
// (character, paragraph, section, document, row or cell), and one table says
// which; the other character, paragraph and section words are written out
// here, the other row and cell words in RVRTFTable.cpp.
#include "richtext/controls/RVRTF.h"

#include <algorithm>
#include <array>
#include <type_traits>

#include "richtext/controls/RVRTFUtil.h"
#include "richtext/controls/RVRTFWords.h"

namespace kc {

using namespace rtf;

namespace {

constexpr uint32_t kHighlight[17] = {0,        0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF,
                                     0x0000FF, 0x00FFFF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                                     0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0};
// The table above is in the platform's byte order (red in the low byte):
// 2 blue 0000FF is 0xFF0000 here, 6 red FF0000 is 0x0000FF.

// ---------------------------------------------------------------------------
// Words that only copy their value into one field of the state

struct PlainWord;
using FieldWriter = void (*)(TRVRTFReaderState &State, const PlainWord &Word, int32_t Value);

// How a flag reads the word's value: set by any value but 0, set by the
// word whatever its value, or set by the unit number 3 (twips).
enum class FlagRule : uint8_t { NonZero, Always, Twips };

// A row of the table: the word and the field it writes. A number field
// takes the value within [Min, Max], a byte field its low 8 bits, a flag
// what its rule says.
struct PlainWord {
  int Word = -1;
  FieldWriter Write = nullptr;
  FlagRule Flag = FlagRule::NonZero;
  int32_t Min = INT32_MIN, Max = INT32_MAX;

  bool FlagOf(int32_t Value) const {
    switch (Flag) {
    case FlagRule::Always: return true;
    case FlagRule::Twips: return Value == 3;
    case FlagRule::NonZero: break;
    }
    return Value != 0;
  }
};

// The object of the state that holds fields of class T. Rows are made on
// first use and copied before a group changes its parent's; the last cell
// takes the cell words.
template <class T> T &OwnerIn(TRVRTFReaderState &State) {
  if constexpr (std::is_same_v<T, TRVRTFReaderState>) return State;
  else if constexpr (std::is_same_v<T, TRVRTFCharProperties>) return State.CharProps;
  else if constexpr (std::is_same_v<T, TRVRTFParaProperties>) return State.ParaProps;
  else if constexpr (std::is_same_v<T, TRVRTFSectionProperties>) return State.SectProps;
  else if constexpr (std::is_same_v<T, TRVRTFDocProperties>) return State.DocProps;
  else if constexpr (std::is_same_v<T, TRVRTFRowProperties>) return State.RowForWrite();
  else {
    static_assert(std::is_same_v<T, TRVRTFCellProperties>);
    return State.RowForWrite().LastCell();
  }
}

template <class> struct MemberOf;
template <class Owner_, class Field_> struct MemberOf<Field_ Owner_::*> {
  using Owner = Owner_;
  using Field = Field_;
};

template <class Field> void Store(Field &Target, const PlainWord &Word, int32_t Value) {
  if constexpr (std::is_same_v<Field, bool>) Target = Word.FlagOf(Value);
  else if constexpr (std::is_same_v<Field, uint8_t>) Target = uint8_t(Value);
  else {
    static_assert(std::is_same_v<Field, int32_t>);
    Target = std::clamp(Value, Word.Min, Word.Max);
  }
}

// The writer of the field Member points to.
template <auto Member> void WriteField(TRVRTFReaderState &State, const PlainWord &Word, int32_t Value) {
  using M = MemberOf<decltype(Member)>;
  Store(OwnerIn<typename M::Owner>(State).*Member, Word, Value);
}
template <auto Member> constexpr FieldWriter Into = &WriteField<Member>;

// One side (left 0, top 1, right 2, bottom 3) of a row's padding or
// spacing, or of the flags that say their unit is twips.
template <auto Member, int Side> void WriteRowSide(TRVRTFReaderState &State, const PlainWord &Word, int32_t Value) {
  Store((State.RowForWrite().*Member)[Side], Word, Value);
}
template <auto Member, int Side> constexpr FieldWriter IntoSide = &WriteRowSide<Member, Side>;

using Ch = TRVRTFCharProperties;
using Pa = TRVRTFParaProperties;
using Se = TRVRTFSectionProperties;
using Do = TRVRTFDocProperties;
using Ro = TRVRTFRowProperties;
using Ce = TRVRTFCellProperties;

constexpr PlainWord kPlainWords[] = {
    {ipCharScaleX, Into<&Ch::CharScaleX>, {}, kRTFMinCharScale, kRTFMaxCharScale},
    {ipExpndTw, Into<&Ch::CharSpacing>, {}, -kRTFMaxCharSpacing, kRTFMaxCharSpacing},
    {ipSubSuper, Into<&Ch::SubSuperScript>},
    {ipLang, Into<&Ch::Language>},
    {ipDefLang, Into<&TRVRTFReaderState::DefLanguage>},
    {ipSLMult, Into<&Pa::LineSpacingMultiple>},
    {ipLI, Into<&Pa::LeftIndent>},
    {ipRI, Into<&Pa::RightIndent>},
    {ipFI, Into<&Pa::FirstIndent>},
    {ipSB, Into<&Pa::SpaceBefore>},
    {ipSA, Into<&Pa::SpaceAfter>},
    {ipAlign, Into<&Pa::Alignment>},
    {ipShading, Into<&Pa::Shading>, {}, 0, 10000},
    {ipKeep, Into<&Pa::KeepLinesTogether>, FlagRule::Always},
    {ipKeepN, Into<&Pa::KeepWithNext>, FlagRule::Always},
    {ipIlvl, Into<&Pa::ListLevel>, {}, 0, 8},
    {ipCols, Into<&Se::Columns>},
    {ipPgnX, Into<&Se::PageNumberX>},
    {ipPgnY, Into<&Se::PageNumberY>},
    {ipHeaderY, Into<&Se::HeaderY>},
    {ipFooterY, Into<&Se::FooterY>},
    {ipSbk, Into<&Se::SectionBreak>},
    {ipPgnFormat, Into<&Se::PageNumberFormat>},
    {ipPaperW, Into<&Do::PaperWidth>},
    {ipPaperH, Into<&Do::PaperHeight>},
    {ipMargL, Into<&Do::LeftMargin>},
    {ipMargR, Into<&Do::RightMargin>},
    {ipMargT, Into<&Do::TopMargin>},
    {ipMargB, Into<&Do::BottomMargin>},
    {ipPgnStart, Into<&Do::PageNumberStart>},
    {ipFacingP, Into<&Do::FacingPages>, FlagRule::Always},
    {ipLandscape, Into<&Do::Landscape>, FlagRule::Always},
    {ipTrGaph, Into<&Ro::Gap>},
    {ipTrLeft, Into<&Ro::Left>},
    {ipTrRH, Into<&Ro::Height>},
    {ipTrHdr, Into<&Ro::Heading>},
    {ipTrPaddL, IntoSide<&Ro::Padding, 0>},
    {ipTrPaddT, IntoSide<&Ro::Padding, 1>},
    {ipTrPaddR, IntoSide<&Ro::Padding, 2>},
    {ipTrPaddB, IntoSide<&Ro::Padding, 3>},
    {ipTrPaddFL, IntoSide<&Ro::PaddingTwips, 0>, FlagRule::Twips},
    {ipTrPaddFT, IntoSide<&Ro::PaddingTwips, 1>, FlagRule::Twips},
    {ipTrPaddFR, IntoSide<&Ro::PaddingTwips, 2>, FlagRule::Twips},
    {ipTrPaddFB, IntoSide<&Ro::PaddingTwips, 3>, FlagRule::Twips},
    {ipTrSpdL, IntoSide<&Ro::Spacing, 0>},
    {ipTrSpdT, IntoSide<&Ro::Spacing, 1>},
    {ipTrSpdR, IntoSide<&Ro::Spacing, 2>},
    {ipTrSpdB, IntoSide<&Ro::Spacing, 3>},
    {ipTrSpdFL, IntoSide<&Ro::SpacingTwips, 0>, FlagRule::Twips},
    {ipTrSpdFT, IntoSide<&Ro::SpacingTwips, 1>, FlagRule::Twips},
    {ipTrSpdFR, IntoSide<&Ro::SpacingTwips, 2>, FlagRule::Twips},
    {ipTrSpdFB, IntoSide<&Ro::SpacingTwips, 3>, FlagRule::Twips},
    {ipClShdng, Into<&Ce::Shading>, {}, 0, 10000},
    {ipClVertAl, Into<&Ce::VAlign>},
};

// The words above by their number, for a lookup as quick as a switch.
constexpr int kWordNumbers = ipRVTableW + 1;
constexpr std::array<PlainWord, kWordNumbers> kPlainByNumber = [] {
  std::array<PlainWord, kWordNumbers> byNumber{};
  for (const PlainWord &w : kPlainWords) byNumber[size_t(w.Word)] = w;
  return byNumber;
}();

} // namespace

// ---------------------------------------------------------------------------

int TRVRTFReader::ApplyGeneral(int num, int32_t value, bool hasParam) {
  if (num >= 0 && num < kWordNumbers) {
    const PlainWord &plain = kPlainByNumber[size_t(num)];
    if (plain.Write) {
      plain.Write(cur_, plain, value);
      return rtf_ec_OK;
    }
  }
  if (num >= ipRow) return ApplyTableWord(num, value, hasParam);
  return ApplyTextWord(num, value);
}

int TRVRTFReader::ApplyTextWord(int num, int32_t value) {
  TRVRTFCharProperties &cp = cur_.CharProps;
  TRVRTFParaProperties &pp = cur_.ParaProps;
  auto setStyle = [&](uint8_t bit) {
    if (value) cp.Style |= bit;
    else cp.Style &= uint8_t(~bit);
  };
  auto backColor = [&](int32_t index) {
    if (!ValidColorIndex(index)) return;
    TRVRTFColor c = ColorAt(index);
    cp.BackColor = c == rtf_clWindowText ? rtf_clNone : c;
  };
  switch (num) {
  case ipBold: setStyle(rtf_fsBold); break;
  case ipItalic: setStyle(rtf_fsItalic); break;
  case ipUnderline: setStyle(rtf_fsUnderline); break;
  case ipStrike: setStyle(rtf_fsStrikeOut); break;
  case ipCaps:
    if (value) cp.StyleEx |= rtf_fsAllCaps;
    else cp.StyleEx &= uint8_t(~rtf_fsAllCaps);
    break;
  case ipFontSize: cp.Size = roundHalfEven(value, 2); break;
  case ipColor:
    if (ValidColorIndex(value)) cp.Color = ColorAt(value);
    break;
  case ipCharBack: backColor(value); break;
  case ipHighlight:
    if (ConvertHighlight == rtf_hl_FixedColors)
      cp.BackColor = (value >= 1 && value <= 16) ? TRVRTFColor(kHighlight[value]) : rtf_clNone;
    else if (ConvertHighlight == rtf_hl_ColorTable) backColor(value);
    break;
  case ipSL:
    pp.LineSpacing = value;
    pp.LineSpacingGiven = true;
    break;
  case ipPard: pp.Reset(); break;
  case ipPlain:
    if (cur_.DefFontIndex < 0) cur_.DefFontIndex = fonts_.GetFontIndex(cur_.DefFontNumber, cur_.DefFontNumber);
    cp.Reset(cur_.DefLanguage, cur_.DefFontIndex);
    break;
  case ipSectd: cur_.SectProps = TRVRTFSectionProperties(); break;
  case ipFont: cp.FontIndex = fonts_.GetFontIndex(value, cur_.DefFontNumber); break;
  case ipDefFont:
    if (cur_.Destination == dsNormal) {
      cur_.DefFontNumber = value;
      cur_.DefFontIndex = -1;
    }
    break;
  case ipBrdrType:
  case ipBrdrW:
  case ipBrdrCF:
  case ipBrSp: ApplyBorderProperty(num, value); break;
  case ipBrdrSide:
    cur_.BorderTarget = 0;
    if (!pp.Border) pp.Border.emplace();
    pp.Border->CurrentSide = uint8_t(value & 3);
    break;
  case ipCbPat:
    if (ValidColorIndex(value)) pp.Color = ColorAt(value);
    break;
  case ipCfPat:
    if (ValidColorIndex(value)) pp.ForeColor = ColorAt(value);
    break;
  case ipPage:
    if (OnRequiredPageBreak) {
      Flush(true);
      OnRequiredPageBreak(*this);
    }
    break;
  case ipHidden: {
    const bool hidden = value != 0;
    if (hidden != cp.Hidden) {
      // A style sheet entry only records the attribute.
      if (cur_.Destination != dsStyleEntry) {
        forceFlush_ = true;
        Flush(false);
        forceFlush_ = false;
      }
      cp.Hidden = hidden;
    }
    break;
  }
  case ipPnSecLvl: return EnterDestination(idPnSecLvl, value);
  case ipLS:
    pp.ListOverrideIndex = -1;
    for (int i = 0; i < overrides_.Count(); ++i)
      if (overrides_.Get(i)->Number == value) {
        pp.ListOverrideIndex = i;
        break;
      }
    break;
  default: break;
  }
  return rtf_ec_OK;
}

} // namespace kc
