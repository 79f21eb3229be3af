// The RTF import: settings, the event handlers that build items, and the
// splice of the built items into the target document.
#include "richtext/controls/RVRTFImport.h"

#include <algorithm>
#include <climits>
#include <cctype>
#include <istream>
#include <sstream>

#include "platform/CodePage.h"
#include "platform/ScopeGuard.h"
#include "richtext/controls/RVRTFImportBuilder.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVClasses.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVStyle.h"
#include "richtext/document/RVUni.h"
#include "richtext/tables/RVTable.h"

namespace kc {

void TRVRTFReaderProperties::SetTextStyleNo(int32_t Value) {
  if (Value < 0) throw ERichVistaError("Value must not be negative");
  FTextStyleNo = Value;
}

void TRVRTFReaderProperties::SetParaStyleNo(int32_t Value) {
  if (Value < 0) throw ERichVistaError("Value must not be negative");
  FParaStyleNo = Value;
}

void TRVRTFReaderProperties::Assign(const TRVRTFReaderProperties &Source) {
  UnicodeMode = Source.UnicodeMode;
  TextStyleMode = Source.TextStyleMode;
  ParaStyleMode = Source.ParaStyleMode;
  IgnorePictures = Source.IgnorePictures;
  UseHypertextStyles = Source.UseHypertextStyles;
  FParaStyleNo = Source.FParaStyleNo;
  FTextStyleNo = Source.FTextStyleNo;
}

TRVRTFReaderProperties EditorRTFReadProperties() {
  TRVRTFReaderProperties p;
  p.UnicodeMode = rvruOnlyUnicode;
  p.TextStyleMode = rvrsAddIfNeeded;
  p.ParaStyleMode = rvrsAddIfNeeded;
  return p;
}

TRVRTFReaderProperties ChatInputRTFReadProperties() {
  TRVRTFReaderProperties p = EditorRTFReadProperties();
  p.IgnorePictures = true;
  return p;
}

int TRVRTFReaderProperties::ImportRTF(std::string_view Data, TCustomRVData &RVData, int &Index) {
  return DoImport([&](TRVRTFReader &r) { return r.ReadRTFData(Data); }, RVData, Index);
}

int TRVRTFReaderProperties::ImportRTFStream(std::istream &Stream, TCustomRVData &RVData, int &Index) {
  return DoImport([&](TRVRTFReader &r) { return r.ReadRTFStream(Stream); }, RVData, Index);
}

int ImportRTFIntoDocument(std::string_view Data, TCustomRVData &RVData, TRVRTFReaderProperties &Settings) {
  int index = RVData.GetItemCount();
  return Settings.ImportRTF(Data, RVData, index);
}

namespace {

bool isTruncation(int code) { return code == rtf_ec_UnmatchedBrace || code == rtf_ec_EndOfFile; }

// Styles appended during a failed import are taken away again.
struct StyleCounts {
  int text = 0, para = 0, list = 0;
  explicit StyleCounts(const TRVStyle *st) {
    if (st) {
      text = st->TextStyles().Count();
      para = st->ParaStyles().Count();
      list = st->ListStyles().Count();
    }
  }
  void restore(TRVStyle *st) const {
    if (!st) return;
    while (st->TextStyles().Count() > text) st->TextStyles().Delete(st->TextStyles().Count() - 1);
    while (st->ParaStyles().Count() > para) st->ParaStyles().Delete(st->ParaStyles().Count() - 1);
    while (st->ListStyles().Count() > list) st->ListStyles().Delete(st->ListStyles().Count() - 1);
  }
};

} // namespace

int TRVRTFReaderProperties::DoImport(const std::function<int(TRVRTFReader &)> &Read, TCustomRVData &RVData,
                                     int &Index) {
  // What is imported may hold tables, and a document holding them must read
  // back from RVF in whatever program made it.
  RegisterTableItemType();
  FWarning.clear();
  Index = std::clamp(Index, 0, RVData.GetItemCount());
  TRVStyle *style = RVData.GetRVStyle();
  const StyleCounts before(style);
  TRVRTFReader reader;
  TRVRTFImportBuilder builder(*this, reader, RVData, Index);
  // Styles a failed import added go again.
  ScopeGuard restoreStyles([&] { before.restore(style); });
  const int code = Read(reader);
  if (code != rtf_ec_OK && !isTruncation(code)) {
    Index = -1;
    return code;
  }
  builder.Finish();
  restoreStyles.Dismiss();
  if (code != rtf_ec_OK) FWarning = "The RTF data ends early; the text up to that point was imported.";
  Index = builder.Splice();
  return code;
}

// ---------------------------------------------------------------------------
// Builder

TRVRTFImportBuilder::TRVRTFImportBuilder(TRVRTFReaderProperties &Props, TRVRTFReader &Reader, TCustomRVData &Target,
                                         int Index)
    : P(Props), R(Reader), Target(Target), Style(Target.GetRVStyle()), InsertIndex(Index) {
  Main.Data = &Target;
  Header.Data = P.HeaderRVData();
  Footer.Data = P.FooterRVData();
  R.ConvertHighlight = TRVRTFHighlightConvert(P.ConvertHighlight);
  R.ExtractMetafileBitmaps = P.ExtractMetafileBitmaps;
  R.BasePath = P.LinkBasePath;
  R.DefCodePage = Style ? Style->DefCodePage : 0;
  R.OnNewText = [this](TRVRTFReader &, const std::string &Text, TRVRTFPosition Pos) { NewText(Text, Pos); };
  if (P.UnicodeMode == rvruMixed || P.UnicodeMode == rvruOnlyUnicode)
    R.OnNewUnicodeText = [this](TRVRTFReader &, const std::u16string &Text, TRVRTFPosition Pos) {
      NewUnicodeText(Text, Pos);
    };
  if (!P.IgnorePictures) {
    R.OnNewPicture = [this](TRVRTFReader &, TRVRTFPicture *Pic, std::unique_ptr<TGraphic> &Graphic, TRVRTFPosition Pos,
                            bool &Inserted) { Inserted = NewPicture(Pic, Graphic, Pos); };
    R.OnImportPicture = [this](TRVRTFReader &, const std::string &Location, std::unique_ptr<TGraphic> &Graphic) {
      Graphic = this->Target.DoImportPicture(Location);
    };
  }
  R.OnRequiredPageBreak = [this](TRVRTFReader &) { Cur->PageBreakPending = true; };
  R.OnUpdateMarker = [this](TRVRTFReader &) { SettleMarker(true); };
  if (Header.Data || Footer.Data)
    R.OnHeaderFooter = [this](TRVRTFReader &, TRVRTFHeaderFooterType Type, bool Starting, bool &Supported) {
      HeaderFooter(Type, Starting, Supported);
    };
  if (Target.HasProgressHandler())
    R.OnProgress = [this](TRVRTFReader &, TRVRTFProgressStage Stage, uint8_t PercentDone) {
      this->Target.DoProgress(rvloLoading, int(Stage), PercentDone);
    };
  R.OnTable = [this](TRVRTFReader &, TRVRTFTableEventKind Kind) { TableEvent(Kind); };
}

TRVRTFImportBuilder::~TRVRTFImportBuilder() = default;

int TRVRTFImportBuilder::ParaOfPrevious() const {
  if (!Cur->Items.empty()) return Cur->Items.back().Item->ParaNo;
  if (Cur == &Main && InsertIndex > 0 && InsertIndex <= Target.GetItemCount())
    return Target.GetItemPara(InsertIndex - 1);
  return 0;
}

void TRVRTFImportBuilder::HeaderFooter(TRVRTFHeaderFooterType Type, bool Starting, bool &Supported) {
  // A marker left open belongs to the text before the switch.
  SettleMarker();
  if (!Starting) {
    Cur = &Main;
    return;
  }
  Sink &s = Type == rtf_hf_Header ? Header : Footer;
  // Style numbers are chosen from the target's sheet; another sheet would
  // read them as other styles.
  if (!s.Data || s.Data == &Target || s.Data->GetRVStyle() != Style) return;
  Supported = true;
  s.Items.clear();
  s.PageBreakPending = false;
  s.Met = true;
  Cur = &s;
  const TRVRTFSectionProperties &sp = R.RTFState().SectProps;
  const int64_t twips = Type == rtf_hf_Header ? sp.HeaderY : sp.FooterY;
  (Type == rtf_hf_Header ? HeaderY : FooterY) = int32_t(std::clamp<int64_t>(twips * 127 / 7200, 0, INT32_MAX));
}

bool TRVRTFImportBuilder::InHyperlink(std::string &Target_, std::string &Hint) const {
  return ParseHyperlink(R.RTFState().FieldInstruction.str(), P.LinkBasePath, Target_, Hint);
}

bool TRVRTFImportBuilder::ParseHyperlink(std::string_view Instr, const std::string &BasePath, std::string &Target_,
                                         std::string &Hint) {
  size_t b = 0, e = Instr.size();
  while (b < e && std::isspace(uint8_t(Instr[b]))) ++b;
  while (e > b && std::isspace(uint8_t(Instr[e - 1]))) --e;
  std::string_view s = Instr.substr(b, e - b);
  if (!s.empty() && s[0] == '\\') s.remove_prefix(1);
  if (s.size() < 9) return false;
  for (size_t i = 0; i < 9; ++i)
    if (std::toupper(uint8_t(s[i])) != "HYPERLINK"[i]) return false;
  std::string_view rest = s.substr(9);
  std::string arg = TRVRTFReader::GetFieldArgument(s);
  Target_.clear();
  for (size_t i = 0; i < arg.size(); ++i) {
    Target_ += arg[i];
    if (arg[i] == '\\' && i + 1 < arg.size() && arg[i + 1] == '\\') ++i;
  }
  Hint.clear();
  if (size_t o = rest.find("\\o "); o != std::string_view::npos) {
    std::string_view h = rest.substr(o + 3);
    while (!h.empty() && h[0] == ' ') h.remove_prefix(1);
    if (!h.empty() && h[0] == '"') {
      size_t q = h.find('"', 1);
      Hint = std::string(h.substr(1, q == std::string_view::npos ? std::string_view::npos : q - 1));
    } else {
      Hint = std::string(h.substr(0, h.find(' ')));
    }
  }
  if (!BasePath.empty() && Target_.find(':') == std::string::npos) Target_ = BasePath + Target_;
  return true;
}

void TRVRTFImportBuilder::NewText(const std::string &Text, TRVRTFPosition Pos) {
  if (P.UnicodeMode == rvruOnlyUnicode) {
    const int cp = R.CodePageOfFont(R.CharProps().FontIndex);
    AddText(AnsiToUnicode(cp, Text), true, Pos);
    return;
  }
  AddText(Text, false, Pos);
}

void TRVRTFImportBuilder::NewUnicodeText(const std::u16string &Text, TRVRTFPosition Pos) {
  std::string bytes;
  bytes.reserve(Text.size() * 2);
  for (char16_t c : Text) {
    bytes += char(c & 0xFF);
    bytes += char(c >> 8);
  }
  AddText(bytes, true, Pos);
}

void TRVRTFImportBuilder::AddText(const std::string &Text, bool Unicode, TRVRTFPosition Pos) {
  const TRVRTFCharProperties &cp = R.CharProps();
  if (P.SkipHiddenText && cp.Hidden) return;
  // The reader ends a run at every formatting change; an empty one only
  // matters when it makes an empty paragraph or line.
  if (Text.empty() && Pos == rtf_ts_ContinuePara && !ForceNewPara) return;
  // Nor in a cell not yet begun: a cell end gives an empty cell its
  // paragraph, and a row end after it would make a row of nothing.
  if (Text.empty() && !Tables.empty() && Cur == Tables.back()->Cell.get() && Cur->Items.empty()) return;
  std::string target, hint;
  const bool link = InHyperlink(target, hint);
  int styleNo = TextStyleFor(Unicode, link);
  TRVTag tag = 0;
  std::string name;
  if (link) {
    int linkStyle = -1;
    Cur->Data->DoReadHyperlink(target, hint, rvlfRTF, linkStyle, tag, name);
    if (linkStyle >= 0 && Style && linkStyle < Style->TextStyles().Count()) styleNo = linkStyle;
  }
  const TFontInfo *fi = Style ? Style->TextStyles().GetTextStyleSafe(styleNo) : nullptr;
  const bool styleUnicode = fi && fi->Unicode;
  std::string s;
  if (styleUnicode == Unicode) {
    s = Text;
  } else if (styleUnicode) {
    s = AnsiToUnicode(R.CodePageOfFont(cp.FontIndex), Text);
  } else {
    std::u16string w;
    for (size_t i = 0; i + 1 < Text.size(); i += 2) w += char16_t(uint8_t(Text[i]) | (uint8_t(Text[i + 1]) << 8));
    s = R.UnicodeToAnsiForFont(w, cp.FontIndex);
  }
  Target.ExpandTabs(s, styleNo);
  std::unique_ptr<TCustomRVItemInfo> item = RichVistaTextItemClass(Cur->Data);
  item->StyleNo = styleNo;
  if (styleUnicode) item->ItemOptions.Include(rvioUnicode);
  item->Tag = CopyTag(tag, Cur->Data->TagsArePChars());
  Place(std::move(s), std::move(item), Pos);
}

void TRVRTFImportBuilder::Place(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item, TRVRTFPosition Pos) {
  Sink &sink = *Cur;
  if (ForceNewPara) {
    Pos = rtf_ts_NewPara;
    ForceNewPara = false;
  }
  // A page can only break before a paragraph.
  if (sink.PageBreakPending) Pos = rtf_ts_NewPara;
  // A line break made a paragraph stays inside the RTF paragraph: no marker
  // of its own, so a list item does not count twice.
  const bool lineAsPara = Pos == rtf_ts_NewLine && P.LineBreaksAsParagraphs;
  if (lineAsPara) Pos = rtf_ts_NewPara;
  bool newPara = Pos == rtf_ts_NewPara;
  if (newPara) {
    Item->ParaNo = ParaStyleFor(R.ParaProps());
    if (P.ParaStyleMode == rvrsAddIfNeeded && !lineAsPara) AddListMarker(Item->ParaNo);
  } else {
    Item->ParaNo = ParaOfPrevious();
  }
  // A marker begins its paragraph; the item after it continues that paragraph.
  const bool afterMarker = !sink.Items.empty() && sink.Items.back().Item->StyleNo == rvsListMarker && MarkerJustAdded;
  MarkerJustAdded = false;
  if (afterMarker) Item->SetContinuePara(true);
  else if (Pos == rtf_ts_ContinuePara && (!sink.Items.empty() || (&sink == &Main && InsertIndex > 0)))
    Item->SetContinuePara(true);
  else {
    Item->SetContinuePara(false);
    if (Pos == rtf_ts_NewLine) Item->ItemOptions.Include(rvioLineBreakBefore);
  }
  if (sink.PageBreakPending) {
    Item->ItemOptions.Include(rvioPageBreakBefore);
    sink.PageBreakPending = false;
  }
  sink.Items.push_back({std::move(Text), std::move(Item)});
}

bool TRVRTFImportBuilder::NewPicture(TRVRTFPicture *Pic, std::unique_ptr<TGraphic> &Graphic, TRVRTFPosition Pos) {
  if (P.OnNewPictureItem) {
    std::unique_ptr<TCustomRVItemInfo> made;
    std::string text;
    P.OnNewPictureItem(P, *Cur->Data, Pic, Graphic, made, text);
    if (!made) return false;
    if (made->StyleNo >= 0 && (!Style || made->StyleNo >= Style->TextStyles().Count()))
      throw ERichVistaError("The picture handler made a text item of a style that does not exist");
    if (made->StyleNo == rvsListMarker)
      throw ERichVistaError("The picture handler made a list marker, which only lists may make");
    Place(std::move(text), std::move(made), Pos);
    return true;
  }
  if (!Graphic || (Pic && Pic->Invalid)) {
    const TGraphic *inv = Style ? Style->GetInvalidPicture() : nullptr;
    if (!inv) return false;
    Graphic = inv->clone();
  }
  std::string target, hint;
  std::unique_ptr<TCustomRVItemInfo> item;
  if (InHyperlink(target, hint)) {
    int styleNo = -1;
    TRVTag tag = 0;
    std::string name;
    Cur->Data->DoReadHyperlink(target, hint, rvlfRTF, styleNo, tag, name);
    item = std::make_unique<TRVHotGraphicItemInfo>(Cur->Data, std::move(Graphic), rvvaBaseline);
    item->Tag = CopyTag(tag, Cur->Data->TagsArePChars());
  } else {
    item = std::make_unique<TRVGraphicItemInfo>(Cur->Data, std::move(Graphic), rvvaBaseline);
  }
  if (Pic && (Pic->ScaleX != 100 || Pic->ScaleY != 100)) {
    auto *g = static_cast<TRVGraphicItemInfo *>(item.get());
    if (g->Image) {
      const int64_t w = std::max<int64_t>(1, int64_t(g->Image->width()) * std::clamp(Pic->ScaleX, 1, 1000) / 100);
      const int64_t h = std::max<int64_t>(1, int64_t(g->Image->height()) * std::clamp(Pic->ScaleY, 1, 1000) / 100);
      g->ImageWidth = int32_t(w);
      g->ImageHeight = int32_t(h);
    }
  }
  Place(std::string(), std::move(item), Pos);
  return true;
}

void TRVRTFImportBuilder::Finish() {
  SettleMarker();
  // Tables the text left open end with it, innermost first.
  while (!Tables.empty()) FinishTable();
  Cur = &Main;
}

int TRVRTFImportBuilder::Splice() {
  int index = InsertIndex;
  int last = -1;
  for (BuiltItem &b : Main.Items) {
    bool full = false;
    int newList = -1;
    // The first item continues what stands before the insertion point only
    // when there is something there.
    if (index == 0) {
      b.Item->SetContinuePara(false);
      b.Item->ItemOptions.Exclude(rvioLineBreakBefore);
    }
    Target.InsertItemAt(index, b.Text, b.Item, full, newList);
    last = index;
    ++index;
  }
  Main.Items.clear();
  // Text of the target that continued a paragraph now continues the last
  // imported one and takes its paragraph style.
  if (last >= 0 && index < Target.GetItemCount() && !Target.IsParaStart(index)) Target.UnifyParaNo(last);
  for (Sink *s : {&Header, &Footer}) {
    if (!s->Met) continue;
    s->Data->Clear();
    int i = 0;
    for (BuiltItem &b : s->Items) {
      bool full = false;
      int newList = -1;
      if (i == 0) {
        b.Item->SetContinuePara(false);
        b.Item->ItemOptions.Exclude(rvioLineBreakBefore);
      }
      s->Data->InsertItemAt(i, b.Text, b.Item, full, newList);
      ++i;
    }
    s->Items.clear();
  }
  if (HeaderY >= 0) P.FHeaderY = HeaderY;
  if (FooterY >= 0) P.FFooterY = FooterY;
  return last;
}

} // namespace kc
