// RTF output: header, font and colour tables, then the paragraphs with
// their paragraph codes and the text items with their character codes;
// other items write themselves.
#include <cmath>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

// The colours every table starts with, after the automatic entry.
constexpr TColor kFixedColors[] = {clBlack, clBlue,  clAqua,   clLime, clFuchsia, clRed, clYellow, clWhite,
                                   clNavy,  clTeal,  clGreen,  clPurple, clMaroon, clOlive, clGray, clSilver};

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
    if (!isSurrogate && tryFromUtf16(CodePage, std::u16string(1, u), b) && b.size() == 1)
      r += RtfEscapeText(b);
    else
      r += '?';
  }
  return r;
}

class TRVRTFWriter {
public:
  TRVRTFWriter(TCustomRVData &D, TColor Back) : D(D), St(D.GetRVStyle()), Back(Back) {
    Ctx.Options = D.GetRTFOptions();
    Ctx.TwipsFactor = 1440.0 / screenPixelsPerInch();
    Ctx.ColorList = &Colors;
  }
  bool Write(std::string &Out);

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
  void ParaCodes(std::string &Out, int ParaNo);
  void CharCodes(std::string &Out, int StyleNo);

  TCustomRVData &D;
  TRVStyle *St;
  TColor Back;
  TRVColorList Colors;
  TRVRTFFontTable Fonts;
  TRVRTFSaveContext Ctx;
};

void TRVRTFWriter::MakeTables() {
  Colors.Clear();
  Colors.Add(clWindowText);
  for (TColor c : kFixedColors)
    Colors.Add(c);
  if (St) {
    RVMakeRTFFontTable(*St, Fonts);
    for (int i = 0; i < St->TextStyles().Count(); ++i) {
      const TFontInfo *f = St->TextStyles()[i];
      for (TColor c : {f->Color, f->BackColor, f->HoverColor, f->HoverBackColor})
        if (c != clNone) Colors.AddUnique(c);
    }
    for (int i = 0; i < St->ParaStyles().Count(); ++i) {
      const TParaInfo *p = St->ParaStyles()[i];
      if (p->Background.Color != clNone) Colors.AddUnique(p->Background.Color);
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
  std::string extra;
  D.DoSaveRTFExtra(2, extra);
  if (!extra.empty()) Out += extra + "\r\n";
  Out += Ctx.Options.Has(rvrtfDuplicateUnicode) ? "\\uc1" : "\\uc0";
}

void TRVRTFWriter::ParaCodes(std::string &Out, int ParaNo) {
  if (!St) return;
  const TParaInfo *p = St->ParaStyles().GetParaStyleSafe(ParaNo);
  if (p->LineSpacingType == rvlsPercent && p->LineSpacing > 100)
    Out += "\\sl" + std::to_string(p->LineSpacing * 240 / 100) + "\\slmult1";
  Out += "\\fi" + std::to_string(Twips(p->FirstIndent)) + "\\li" + std::to_string(Twips(p->LeftIndent));
  static const char *const align[] = {"l", "r", "c", "j"};
  Out += std::string("\\q") + align[int(p->Alignment) & 3] + "\\ri" + std::to_string(Twips(p->RightIndent)) +
         "\\sb" + std::to_string(Twips(p->SpaceBefore)) + "\\sa" + std::to_string(Twips(p->SpaceAfter));
  if (p->BiDiMode == rvbdLeftToRight) Out += "\\ltrpar";
  if (p->BiDiMode == rvbdRightToLeft) Out += "\\rtlpar";
  if (p->Background.Color != clNone) Out += "\\cbpat" + std::to_string(ColorNo(p->Background.Color));
  std::string extra;
  D.DoSaveRTFExtra(1, extra);
  Out += extra + " ";
}

void TRVRTFWriter::CharCodes(std::string &Out, int StyleNo) {
  if (!St) return;
  const TFontInfo *f = St->TextStyles().GetTextStyleSafe(StyleNo);
  Out += "\\f" + std::to_string(std::max(0, Fonts.Find(f->FontName, f->Charset)));
  if (f->Style & 1) Out += "\\b";
  if (f->Style & 2) Out += "\\i";
  if (f->Style & 4) Out += "\\ul";
  if (f->Style & 8) Out += "\\strike";
  if (f->VShift < 0) Out += "\\sub";
  if (f->VShift > 0) Out += "\\super";
  if (f->CharScale != 100) Out += "\\charscalex" + std::to_string(f->CharScale);
  if (f->CharSpacing != 0) Out += "\\expndtw" + std::to_string(Twips(f->CharSpacing));
  if (f->StyleEx.Has(rvfsAllCaps)) Out += "\\caps";
  if (f->BiDiMode == rvbdLeftToRight) Out += "\\ltrch";
  if (f->BiDiMode == rvbdRightToLeft) Out += "\\rtlch";
  // Our own reader halves the size of shifted text again: both keep it.
  Out += "\\fs" + std::to_string(f->Size * (f->VShift != 0 ? 4 : 2));
  if (f->BackColor != clNone) Out += "\\chcbpat" + std::to_string(ColorNo(f->BackColor));
  if (f->Color != clWindowText) Out += "\\cf" + std::to_string(ColorNo(f->Color));
  std::string extra;
  D.DoSaveRTFExtra(0, extra);
  Out += extra + " ";
}

bool TRVRTFWriter::Write(std::string &Out) {
  int first = -1, firstOffs = 0, last = -1, lastOffs = 0, d1 = 0, d2 = 0;
  D.GetExportRange(first, firstOffs, last, lastOffs, d1, d2);
  if (first < 0 || first > last) return true;
  MakeTables();
  Header(Out);
  int cpNo = 0;
  bool firstPara = true, prevMarker = false;
  auto bookmark = [&](const TRVCPInfo &cp) {
    std::string name = cp.Name.empty() ? "RichVistaCheckpoint" + std::to_string(cpNo++) : RtfEscapeName(cp.Name);
    Out += "{\\*\\bkmkstart " + name + "}{\\*\\bkmkend " + name + "}";
  };
  for (int i = first; i <= last; ++i) {
    TCustomRVItemInfo *item = D.GetItem(i);
    if (i == first || !item->GetContinuePara()) {
      Out += "\r\n";
      if (item->GetLineBreakBefore() && i != first)
        Out += "\\line";
      else {
        if (!firstPara) Out += std::string(prevMarker ? "\\plain" : "") + "\\par";
        if (item->GetPageBreakBefore()) Out += "\\page";
        Out += "\\pard";
        if (Ctx.Options.Has(rvrtfSaveStyleSheet)) Out += "\\s" + std::to_string(item->ParaNo);
        ParaCodes(Out, item->ParaNo);
        firstPara = false;
        prevMarker = item->StyleNo == rvsListMarker;
      }
    }
    if (item->Checkpoint) bookmark(*item->Checkpoint);
    std::string hooked;
    if (D.DoSaveItemToFile("", i, rvsfRTF, false, hooked)) {
      Out += hooked;
      continue;
    }
    const int style = item->IsText() ? D.GetActualStyle(item) : -1;
    const TFontInfo *f = St && style >= 0 ? St->TextStyles().GetTextStyleSafe(style) : nullptr;
    const bool htmlCode = f && f->Options.Has(rvteoHTMLCode) && !f->Options.Has(rvteoRTFCode);
    if (!item->IsText() || htmlCode) {
      item->SaveRTF(Out, &D, i, D.GetItemTextRaw(i), Ctx);
      continue;
    }
    Out += "\\plain ";
    if (Ctx.Options.Has(rvrtfSaveStyleSheet) && St)
      Out += "\\cs" + std::to_string(St->ParaStyles().Count() + style);
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
  }
  if (last == D.GetItemCount() - 1 && D.NotAddedCP) bookmark(*D.NotAddedCP);
  if (last > first && D.GetItem(last)->IsText() && D.GetItemTextRaw(last).empty() && D.IsParaStart(last))
    Out += "\\par";
  Out += "}";
  return true;
}

} // namespace

bool ExportRtfToStream(TCustomRVData &RVData, std::string &Stream, TColor BackgroundColor) {
  TRVRTFWriter w(RVData, BackgroundColor);
  return w.Write(Stream);
}

bool ExportRtfToFile(TCustomRVData &RVData, const std::string &FileName, TColor BackgroundColor,
                     std::string *Error) {
  std::string data;
  if (!ExportRtfToStream(RVData, data, BackgroundColor)) return false;
  return WriteFileAtomically(FileName, data, Error);
}

} // namespace kc
