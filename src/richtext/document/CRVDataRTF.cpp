// RTF output: header, font and colour tables, then the paragraphs with
// their paragraph codes and the text items with their character codes;
// other items write themselves.
#include <QRandomGenerator>

#include <cmath>
#include <set>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

// The colours every table starts with, after the automatic entry.
constexpr TColor kFixedColors[] = {clBlack, clBlue, clAqua,  clLime,   clFuchsia, clRed,   clYellow, clWhite,
                                   clNavy,  clTeal, clGreen, clPurple, clMaroon,  clOlive, clGray,   clSilver};

// UTF-16 text: ASCII as escaped text, every other unit as \uN with its
// one-byte ANSI stand-in (or "?") when duplicates are wanted. Readers differ
// on what a \u skips when the stand-in is itself a control symbol, so ASCII
// never goes through \u.
std::string UnicodeEscapes(const std::string &Bytes, int CodePage, bool Duplicate) {
  std::string r;
  for (size_t k = 0; k + 1 < Bytes.size(); k += 2) {
    const auto u = char16_t(uint8_t(Bytes[k]) | (uint8_t(Bytes[k + 1]) << 8));
    if (u < 0x80) {
      r += RtfEscapeText(std::string(1, char(u)));
      continue;
    }
    r += "\\u" + std::to_string(int(int16_t(u)));
    if (!Duplicate) {
      r += ' ';
      continue;
    }
    std::string b;
    const bool isSurrogate = u >= 0xD800 && u <= 0xDFFF;
    if (!isSurrogate && tryFromUtf16(CodePage, std::u16string(1, u), b) && b.size() == 1) r += RtfEscapeText(b);
    else r += '?';
  }
  return r;
}

// The level text of a list level: the placeholders of levels 1 to 9 become
// the bytes 0 to 8, the whole prefixed by its length; Numbers gets the
// positions of the placeholders in the same form.
void LevelText(const TRVListLevel &L, std::string &Text, std::string &Numbers) {
  auto hex = [](int v) {
    static const char digits[] = "0123456789abcdef";
    return std::string("\\'") + digits[(v >> 4) & 15] + digits[v & 15];
  };
  std::string body;
  int length = 0;
  if (L.ListType == rvlstUnicodeBullet) {
    for (char16_t u : L.FormatStringW) {
      body += "\\u" + std::to_string(int(int16_t(u))) + " ?";
      ++length;
    }
  } else {
    // The placeholders as marker texts read them: "%s" takes the level
    // after the one named last, "%n:s" names level n + 1.
    const std::string &f = L.FormatString;
    size_t next = 0;
    auto placeholder = [&](size_t Level) {
      body += hex(int(Level));
      ++length;
      Numbers += hex(length);
      next = Level + 1;
    };
    for (size_t i = 0; i < f.size(); ++i) {
      if (f[i] == '%' && i + 1 < f.size() && f[i + 1] == '%') {
        body += '%';
        ++length;
        ++i;
        continue;
      }
      if (f[i] == '%' && i + 1 < f.size() && f[i + 1] == 's' && next <= 8) {
        placeholder(next);
        ++i;
        continue;
      }
      size_t j = i + 1, n = 0;
      while (f[i] == '%' && j < f.size() && j - i <= 3 && f[j] >= '0' && f[j] <= '9') n = n * 10 + size_t(f[j++] - '0');
      if (j > i + 1 && j + 1 < f.size() && f[j] == ':' && f[j + 1] == 's' && n <= 8) {
        placeholder(n);
        i = j + 1;
        continue;
      }
      const auto b = uint8_t(f[i]);
      if (b < 0x20 || b >= 0x80) body += hex(b);
      else body += RtfEscapeText(std::string(1, f[i]));
      ++length;
    }
  }
  Text = hex(std::min(length, 255)) + body;
}

int LevelNfc(TRVListType t) {
  switch (t) {
  case rvlstUpperRoman: return 1;
  case rvlstLowerRoman: return 2;
  case rvlstUpperAlpha: return 3;
  case rvlstLowerAlpha: return 4;
  case rvlstDecimal:
  case rvlstImageListCounter: return 0;
  default: return 23;
  }
}

class TRVRTFWriter {
public:
  TRVRTFWriter(TCustomRVData &D, TColor Back)
      : D(D), St(D.GetRVStyle()), Back(Back), Colors(OwnColors), Fonts(OwnFonts) {
    Ctx.Options = D.GetRTFOptions();
    Ctx.TwipsFactor = 1440.0 / screenPixelsPerInch();
    Ctx.ColorList = &Colors;
    Ctx.FontTable = &Fonts;
  }
  // A writer of a nested document inside the RTF that Outer writes: its
  // tables, options and factor, the nesting level Outer.Level.
  TRVRTFWriter(TCustomRVData &D, TRVRTFSaveContext &Outer)
      : D(D), St(D.GetRVStyle()), Back(clNone), Ctx(Outer), Colors(*Outer.ColorList), Fonts(*Outer.FontTable) {}
  bool Write(std::string &Out);
  void WriteBody(std::string &Out);

private:
  int Twips(int Pixels) const { return int(std::lround(Pixels * Ctx.TwipsFactor)); }
  int ColorNo(TColor c) const {
    // System colours are written as what the classic scheme makes of them:
    // the desktop's theme must not decide what a history file looks like.
    for (int i = 0; i < Colors.Count(); ++i)
      if (Colors[i] == c) return i;
    return 0;
  }
  void MakeTables();
  void Header(std::string &Out);
  void ParaCodes(std::string &Out, int ParaNo, const TCustomRVItemInfo *First);
  void ParaStyleCodes(std::string &Out, const TParaInfo &P, const TRVListLevel *Marker);
  void CharCodes(std::string &Out, int StyleNo);
  void FontCodes(std::string &Out, const TFontInfo &F);
  void StyleSheet(std::string &Out);
  void WriteItem(std::string &Out, int i, int first, int firstOffs, int last, int lastOffs);
  void WriteParagraphs(std::string &Out, int first, int firstOffs, int last, int lastOffs);
  void ListTables(std::string &Out);
  int UnusedNumber() {
    for (;;) {
      const int n = int(QRandomGenerator::global()->bounded(1, 0x7FFFFFFF));
      if (Used.insert(n).second) return n;
    }
  }

  TCustomRVData &D;
  TRVStyle *St;
  TColor Back;
  TRVRTFSaveContext Ctx;
  TRVColorList OwnColors;
  TRVRTFFontTable OwnFonts;
  TRVColorList &Colors;
  TRVRTFFontTable &Fonts;
  std::set<int> Used;
};

void TRVRTFWriter::MakeTables() {
  Colors.Clear();
  Colors.Add(clWindowText);
  for (TColor c : kFixedColors) Colors.Add(c);
  if (St) {
    RVMakeRTFFontTable(*St, Fonts);
    for (int i = 0; i < St->TextStyles().Count(); ++i) {
      const TFontInfo *f = St->TextStyles()[i];
      for (TColor c : {f->Color, f->BackColor, f->HoverColor, f->HoverBackColor})
        if (c != clNone) Colors.AddUnique(c);
    }
    for (int i = 0; i < St->ParaStyles().Count(); ++i) {
      const TParaInfo *p = St->ParaStyles()[i];
      if (p->Border.Style != rvbNone && p->Border.Color != clNone) Colors.AddUnique(p->Border.Color);
      if (p->Background.Color != clNone) Colors.AddUnique(p->Background.Color);
    }
    for (int i = 0; i < St->ListStyles().Count(); ++i) {
      const TRVListLevelCollection &levels = St->ListStyles()[i]->Levels;
      for (int j = 0; j < levels.Count(); ++j)
        if (const TRVMarkerFont *f = levels.Items(j)->FontIfAny()) Colors.AddUnique(f->Color);
    }
  }
  if (Back != clNone && Back != clWindow) Colors.AddUnique(Back);
  for (int i = 0; i < D.GetItemCount(); ++i)
    if (!D.GetItem(i)->IsText()) D.GetItem(i)->FillRTFTables(Colors, Fonts, &D);
}

void TRVRTFWriter::Header(std::string &Out) {
  // "Default" is the ANSI code page of this system, never 0: readers take
  // \ansicpg0 for no code page at all.
  int cp = St ? int(St->DefCodePage) : 0;
  if (cp == 0 || cp == 3) cp = ansiCodePage();
  const int lang = St ? CharsetToLanguage(St->TextStyles().GetTextStyleSafe(0)->Charset) : 1033;
  Out += "{\\rtf1\\ansi\\ansicpg" + std::to_string(cp) + "\\uc1\\deff0\\deflang" + std::to_string(lang) +
         "\\deflangfe" + std::to_string(lang);
  const TRVBiDiMode bidi = D.GetBiDiMode();
  if (bidi == rvbdLeftToRight) Out += "\\ltrdoc";
  if (bidi == rvbdRightToLeft) Out += "\\rtldoc";
  Out += "{\\fonttbl";
  for (int i = 0; i < Fonts.Count(); ++i)
    Out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset" + std::to_string(int(Fonts[i]->Charset)) + " " +
           RtfEscapeText(Fonts[i]->FontName) + ";}";
  Out += "}\r\n{\\colortbl;";
  for (int i = 1; i < Colors.Count(); ++i) {
    const TColor c = ColorToRGB(Colors[i]);
    Out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
           std::to_string((c >> 16) & 0xFF) + ";";
  }
  Out += "}\r\n";
  if (Ctx.Options.Has(rvrtfSaveStyleSheet)) StyleSheet(Out);
  ListTables(Out);
  std::string extra;
  D.DoSaveRTFExtra(2, extra);
  if (!extra.empty()) Out += extra + "\r\n";
  Out += Ctx.Options.Has(rvrtfDuplicateUnicode) ? "\\uc1" : "\\uc0";
}

void TRVRTFWriter::ParaStyleCodes(std::string &Out, const TParaInfo &P, const TRVListLevel *Marker) {
  if (P.LineSpacingType == rvlsPercent && P.LineSpacing > 100)
    Out += "\\sl" + std::to_string(P.LineSpacing * 240 / 100) + "\\slmult1";
  if (P.Options.Has(rvpaoKeepLinesTogether)) Out += "\\keep";
  if (P.Options.Has(rvpaoKeepWithNext)) Out += "\\keepn";
  if (Marker)
    Out += "\\li" + std::to_string(Twips(Marker->LeftIndent)) + "\\fi" +
           std::to_string(Twips(Marker->MarkerIndent - Marker->LeftIndent)) + "\\jclisttab\\tx" +
           std::to_string(Twips(Marker->FirstIndent + Marker->LeftIndent));
  else Out += "\\fi" + std::to_string(Twips(P.FirstIndent)) + "\\li" + std::to_string(Twips(P.LeftIndent));
  static const char *const align[] = {"l", "r", "c", "j"};
  Out += std::string("\\q") + align[int(P.Alignment) & 3] + "\\ri" + std::to_string(Twips(P.RightIndent)) + "\\sb" +
         std::to_string(Twips(P.SpaceBefore)) + "\\sa" + std::to_string(Twips(P.SpaceAfter));
  if (P.BiDiMode == rvbdLeftToRight) Out += "\\ltrpar";
  if (P.BiDiMode == rvbdRightToLeft) Out += "\\rtlpar";
  if (P.Background.Color != clNone) Out += "\\cbpat" + std::to_string(ColorNo(P.Background.Color));
  const TRVBorder &b = P.Border;
  if (b.Style != rvbNone && b.Color != clNone) {
    static const char *const kind[] = {"", "s", "db", "triple", "thtnmg", "tnthmg"};
    const bool thick = b.Style == rvbThickInside || b.Style == rvbThickOutside;
    const int width = Twips(thick ? b.Width * 2 : b.Width);
    Out += "\\brdrbtw";
    const struct {
      bool on;
      const char *code;
      int32_t padding;
    } sides[] = {{b.VisibleBorders.Left, "\\brdrl", b.BorderOffsets.Left},
                 {b.VisibleBorders.Top, "\\brdrt", b.BorderOffsets.Top},
                 {b.VisibleBorders.Right, "\\brdrr", b.BorderOffsets.Right},
                 {b.VisibleBorders.Bottom, "\\brdrb", b.BorderOffsets.Bottom}};
    for (const auto &side : sides)
      if (side.on)
        Out += std::string(side.code) + "\\brsp" + std::to_string(Twips(side.padding)) + "\\brdr" +
               kind[int(b.Style) % 6] + "\\brdrcf" + std::to_string(ColorNo(b.Color)) + "\\brdrw" +
               std::to_string(width);
  }
}

void TRVRTFWriter::ParaCodes(std::string &Out, int ParaNo, const TCustomRVItemInfo *First) {
  if (!St) return;
  const TRVListLevel *marker = nullptr;
  if (First && First->StyleNo == rvsListMarker)
    marker = static_cast<const TRVMarkerItemInfo *>(First)->GetLevelInfo(St);
  ParaStyleCodes(Out, *St->ParaStyles().GetParaStyleSafe(ParaNo), marker);
  std::string extra;
  D.DoSaveRTFExtra(1, extra);
  Out += extra + " ";
}

void TRVRTFWriter::FontCodes(std::string &Out, const TFontInfo &F) {
  Out += "\\f" + std::to_string(std::max(0, Fonts.Find(F.FontName, F.Charset)));
  if (F.Style & 1) Out += "\\b";
  if (F.Style & 2) Out += "\\i";
  if (F.Style & 4) Out += "\\ul";
  if (F.Style & 8) Out += "\\strike";
  if (F.VShift < 0) Out += "\\sub";
  if (F.VShift > 0) Out += "\\super";
  if (F.CharScale != 100) Out += "\\charscalex" + std::to_string(F.CharScale);
  if (F.CharSpacing != 0) Out += "\\expndtw" + std::to_string(Twips(F.CharSpacing));
  if (F.StyleEx.Has(rvfsAllCaps)) Out += "\\caps";
  if (F.BiDiMode == rvbdLeftToRight) Out += "\\ltrch";
  if (F.BiDiMode == rvbdRightToLeft) Out += "\\rtlch";
  const uint8_t base = St->TextStyles().GetTextStyleSafe(0)->Charset;
  if (F.Charset != DEFAULT_CHARSET && F.Charset != base) {
    const int lang = CharsetToLanguage(F.Charset);
    if (lang != 0) Out += "\\lang" + std::to_string(lang);
  }
  // Our own reader halves the size of shifted text again: both keep it.
  Out += "\\fs" + std::to_string(F.Size * (F.VShift != 0 ? 4 : 2));
  if (F.BackColor != clNone) Out += "\\chcbpat" + std::to_string(ColorNo(F.BackColor));
  if (F.Color != clWindowText) Out += "\\cf" + std::to_string(ColorNo(F.Color));
}

void TRVRTFWriter::CharCodes(std::string &Out, int StyleNo) {
  if (!St) return;
  FontCodes(Out, *St->TextStyles().GetTextStyleSafe(StyleNo));
  std::string extra;
  D.DoSaveRTFExtra(0, extra);
  Out += extra + " ";
}

void TRVRTFWriter::StyleSheet(std::string &Out) {
  if (!St) return;
  auto name = [](std::string n) {
    for (char &c : n)
      if (c == '\\' || c == '{' || c == '}') c = '_';
    return RtfEscapeText(n);
  };
  Out += "{\\stylesheet";
  const int paras = St->ParaStyles().Count();
  for (int i = 0; i < paras; ++i) {
    Out += "{\\s" + std::to_string(i);
    ParaStyleCodes(Out, *St->ParaStyles()[i], nullptr);
    Out += " " + name(St->ParaStyles()[i]->StyleName) + ";}";
  }
  for (int j = 0; j < St->TextStyles().Count(); ++j) {
    Out += "{\\*\\cs" + std::to_string(paras + j);
    FontCodes(Out, *St->TextStyles()[j]);
    Out += " " + name(St->TextStyles()[j]->StyleName) + ";}";
  }
  Out += "}\r\n";
}

void TRVRTFWriter::ListTables(std::string &Out) {
  const int lists = St ? St->ListStyles().Count() : 0;
  if (lists == 0) {
    Out += "\r\n";
    return;
  }
  std::vector<int> ids(size_t(lists), 0);
  for (int i = 0; i < lists; ++i) Used.insert(St->ListStyles()[i]->GetListID());
  Out += "{\\*\\listtable";
  for (int i = 0; i < lists; ++i) {
    const TRVListInfo &list = *St->ListStyles()[i];
    const int count = list.Levels.Count();
    Out += "{\\list\\listtemplateid" + std::to_string(UnusedNumber());
    if (count == 1) Out += "\\listsimple1";
    Out += "\r\n";
    for (int k = 0; k < (count == 1 ? 1 : 9); ++k) {
      const TRVListLevel *L = count == 0 ? nullptr : list.Levels.Items(std::min(k, count - 1));
      TRVListLevel plain;
      if (!L) L = &plain;
      const int jc = L->MarkerAlignment == rvmaRight ? 2 : L->MarkerAlignment == rvmaCenter ? 1 : 0;
      Out += "{\\listlevel\\levelnfc" + std::to_string(LevelNfc(L->ListType)) + "\\leveljc" + std::to_string(jc) +
             "\\li" + std::to_string(Twips(L->LeftIndent)) + "\\fi" +
             std::to_string(Twips(L->MarkerIndent - L->LeftIndent)) + "\\jclisttab\\tx" +
             std::to_string(Twips(L->FirstIndent + L->LeftIndent));
      if (LevelNfc(L->ListType) != 23) Out += "\\levelstartat" + std::to_string(L->StartFrom);
      if (L->Options.Has(rvloLegalStyleNumbering)) Out += "\\levellegal1";
      if (!L->Options.Has(rvloLevelReset)) Out += "\\levelnorestart1";
      std::string text, numbers;
      LevelText(*L, text, numbers);
      Out += "{\\leveltext" + text + ";}{\\levelnumbers" + numbers + ";}";
      if (const TRVMarkerFont *f = L->FontIfAny()) {
        Out += "\\f" + std::to_string(std::max(0, Fonts.Find(f->Name, f->Charset)));
        if (f->Style & fsBold) Out += "\\b";
        if (f->Style & fsItalic) Out += "\\i";
        if (f->Style & fsUnderline) Out += "\\ul";
        if (f->Style & fsStrikeOut) Out += "\\strike";
        Out += "\\fs" + std::to_string(int64_t(f->Size) * 2);
        if (f->Color != clWindowText) Out += "\\cf" + std::to_string(ColorNo(f->Color));
      }
      Out += "}";
    }
    ids[size_t(i)] = list.GetListID();
    Out += "\\listid" + std::to_string(ids[size_t(i)]) + "}";
  }
  Out += "}\r\n{\\*\\listoverridetable";
  for (int i = 0; i < lists; ++i)
    Out += "{\\listoverride\\listid" + std::to_string(ids[size_t(i)]) + "\\listoverridecount0\\ls" +
           std::to_string(i + 1) + "}";
  // The markers that restart numbering, list by list in document order: the
  // numbers the markers themselves write after their text.
  int ls = lists;
  if (TRVMarkerList *markers = D.GetMarkers(false))
    for (int i = 0; i < lists; ++i)
      for (int m = 0; m < markers->Count(); ++m) {
        const TRVMarkerItemInfo *mk = markers->Items(m);
        if (mk->ListNo != i || !mk->RestartsRTFList(St)) continue;
        Out += "{\\listoverride\\listid" + std::to_string(ids[size_t(i)]) + "\\listoverridecount" +
               std::to_string(mk->Level + 1);
        for (int k = 0; k < mk->Level; ++k) Out += "{\\lfolevel}";
        Out += "{\\lfolevel\\listoverridestartat\\levelstartat" + std::to_string(mk->StartFrom) + "}\\ls" +
               std::to_string(++ls) + "}";
      }
  Out += "}\r\n";
}

bool TRVRTFWriter::Write(std::string &Out) {
  int first = -1, firstOffs = 0, last = -1, lastOffs = 0, d1 = 0, d2 = 0;
  D.GetExportRange(first, firstOffs, last, lastOffs, d1, d2);
  if (first < 0 || first > last) return true;
  MakeTables();
  Header(Out);
  WriteParagraphs(Out, first, firstOffs, last, lastOffs);
  Out += "}";
  return true;
}

void TRVRTFWriter::WriteBody(std::string &Out) {
  const int n = D.GetItemCount();
  if (n == 0) return;
  WriteParagraphs(Out, 0, D.GetOffsBeforeItem(0), n - 1, D.GetItemEndOffset(n - 1));
}

void TRVRTFWriter::WriteParagraphs(std::string &Out, int first, int firstOffs, int last, int lastOffs) {
  // Paragraphs of a table cell say so after every reset of the paragraph.
  const std::string inTable = Ctx.Level > 0 ? "\\intbl\\itap" + std::to_string(Ctx.Level) : std::string();
  int cpNo = 0;
  bool firstPara = true, prevMarker = false, prevTable = false;
  auto bookmark = [&](const TRVCPInfo &cp) {
    std::string name = cp.Name.empty() ? "RichVistaCheckpoint" + std::to_string(cpNo++) : RtfEscapeName(cp.Name);
    Out += "{\\*\\bkmkstart " + name + "}{\\*\\bkmkend " + name + "}";
  };
  for (int i = first; i <= last; ++i) {
    TCustomRVItemInfo *item = D.GetItem(i);
    if (item->StyleNo == rvsTable) {
      // A table's rows are paragraphs of their own: the one before ends,
      // nothing follows the last row.
      Out += "\r\n";
      if (!firstPara && !prevTable) Out += std::string(prevMarker ? "\\plain" : "") + "\\par";
      firstPara = prevMarker = false;
      prevTable = true;
      WriteItem(Out, i, first, firstOffs, last, lastOffs);
      continue;
    }
    if (i == first || !item->GetContinuePara()) {
      Out += "\r\n";
      if (item->GetLineBreakBefore() && i != first && !prevTable) Out += "\\line";
      else {
        if (!firstPara && !prevTable) Out += std::string(prevMarker ? "\\plain" : "") + "\\par";
        prevTable = false;
        if (item->GetPageBreakBefore()) Out += "\\page";
        Out += "\\pard" + inTable;
        if (Ctx.Options.Has(rvrtfSaveStyleSheet)) Out += "\\s" + std::to_string(item->ParaNo);
        ParaCodes(Out, item->ParaNo, item);
        firstPara = false;
        prevMarker = item->StyleNo == rvsListMarker;
      }
    }
    if (item->Checkpoint) bookmark(*item->Checkpoint);
    std::string target, extras;
    if (item->GetStyleFlag(rvbsfJump, St)) D.DoWriteHyperlink(D.FirstJumpNo + item->JumpID, i, rvsfRTF, target, extras);
    const bool field = !target.empty() || !extras.empty();
    if (field)
      Out += "{\\field{\\*\\fldinst HYPERLINK \"" + RtfEscapeText(target) + "\"" +
             (extras.empty() ? std::string() : " " + RtfEscapeText(extras)) + "}{\\fldrslt";
    WriteItem(Out, i, first, firstOffs, last, lastOffs);
    if (field) Out += "}}";
  }
  if (last == D.GetItemCount() - 1 && D.NotAddedCP) bookmark(*D.NotAddedCP);
  if (last > first && D.GetItem(last)->IsText() && D.GetItemTextRaw(last).empty() && D.IsParaStart(last))
    Out += "\\par";
}

void TRVRTFWriter::WriteItem(std::string &Out, int i, int first, int firstOffs, int last, int lastOffs) {
  TCustomRVItemInfo *item = D.GetItem(i);
  {
    std::string hooked;
    if (D.DoSaveItemToFile("", i, rvsfRTF, false, hooked)) {
      Out += hooked;
      return;
    }
    const int style = item->IsText() ? D.GetActualStyle(item) : -1;
    const TFontInfo *f = St && style >= 0 ? St->TextStyles().GetTextStyleSafe(style) : nullptr;
    const bool htmlCode = f && f->Options.Has(rvteoHTMLCode) && !f->Options.Has(rvteoRTFCode);
    if (!item->IsText() || htmlCode) {
      item->SaveRTF(Out, &D, i, D.GetItemTextRaw(i), Ctx);
      return;
    }
    // A raised or lowered run keeps its shift inside a group of its own:
    // LibreOffice loses the text after an ungrouped one.
    const bool shifted = f && f->VShift != 0;
    if (shifted) Out += "{";
    Out += "\\plain ";
    if (Ctx.Options.Has(rvrtfSaveStyleSheet) && St) Out += "\\cs" + std::to_string(St->ParaStyles().Count() + style);
    CharCodes(Out, style);
    const int w = item->IsUnicode() ? 2 : 1;
    const std::string &t = D.GetItemTextRaw(i);
    const int from = i == first ? firstOffs : 1, to = i == last ? lastOffs : D.GetItemEndOffset(i);
    const size_t a = size_t(std::max(0, from - 1)) * w, b = std::min(t.size(), size_t(std::max(0, to - 1)) * w);
    const std::string part = a < b ? t.substr(a, b - a) : std::string();
    const bool rtfCode = f && f->Options.Has(rvteoRTFCode);
    if (item->IsUnicode() && !rtfCode) {
      Out += UnicodeEscapes(part, D.GetStyleCodePage(style), Ctx.Options.Has(rvrtfDuplicateUnicode));
    } else {
      Out += RtfEscapeText(item->IsUnicode() ? UnicodeToAnsi(D.GetStyleCodePage(style), part) : part, rtfCode);
    }
    if (shifted) Out += "}";
  }
}

} // namespace

bool ExportRtfToStream(TCustomRVData &RVData, std::string &Stream, TColor BackgroundColor) {
  TRVRTFWriter w(RVData, BackgroundColor);
  return w.Write(Stream);
}

void ExportRtfBody(TCustomRVData &RVData, std::string &Stream, TRVRTFSaveContext &Context) {
  TRVRTFWriter w(RVData, Context);
  w.WriteBody(Stream);
}

bool ExportRtfToFile(TCustomRVData &RVData, const std::string &FileName, TColor BackgroundColor, std::string *Error) {
  std::string data;
  if (!ExportRtfToStream(RVData, data, BackgroundColor)) return false;
  return WriteFileAtomically(FileName, data, Error);
}

} // namespace kc
