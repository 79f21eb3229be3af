// The RVF reader: cuts the stream into records and turns them back into
// items, style sections, layout values and document properties. Streams
// come from files and from other copies on the network, so every count is
// checked against the bytes that remain before it is used.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVItemParts.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVScratchData.h"
#include "richtext/document/RVUni.h"

namespace kc {

using namespace rvitem;

namespace {

// Cuts lines off the stream the way the record being read needs them.
class TRVFLineCutter {
public:
  explicit TRVFLineCutter(std::string_view S) : FS(S) {}
  bool AtEnd() const { return FPos >= FS.size(); }
  size_t Remaining() const { return FS.size() - FPos; }
  bool LastEndedWithCRLF() const { return FCRLF; }
  // A line ran into the end of the stream without its terminator: what
  // was read of it may be only a part.
  bool Unterminated() const { return FUnterminated; }

  // An ordinary line: up to CR, LF or a zero byte.
  bool Line(std::string &Out) {
    if (AtEnd()) return false;
    size_t e = FPos;
    while (e < FS.size() && FS[e] != '\r' && FS[e] != '\n' && FS[e] != '\0') ++e;
    Out.assign(FS.substr(FPos, e - FPos));
    FUnterminated = FUnterminated || e >= FS.size();
    FCRLF = e + 1 < FS.size() && FS[e] == '\r' && FS[e + 1] == '\n';
    FPos = FCRLF ? e + 2 : std::min(FS.size(), e + 1);
    return true;
  }
  // A binary block: 4-byte little-endian count and that many bytes.
  bool Block(std::string &Out) {
    if (Remaining() < 4) return false;
    uint32_t n = 0;
    for (int i = 0; i < 4; ++i) n |= uint32_t(uint8_t(FS[FPos + i])) << (8 * i);
    if (n > Remaining() - 4) return false;
    Out.assign(FS.substr(FPos + 4, n));
    FPos += 4 + n;
    return true;
  }
  // A raw UTF-16 line: up to U+2029 or a zero unit.
  bool RawUnicode(std::string &Out) {
    if (AtEnd()) return false;
    size_t e = FPos;
    while (e + 1 < FS.size()) {
      const auto u = char16_t(uint8_t(FS[e]) | (uint8_t(FS[e + 1]) << 8));
      if (u == 0x2029 || u == 0) break;
      e += 2;
    }
    if (e + 1 >= FS.size() && e < FS.size()) return false; // an odd byte at the end
    FUnterminated = FUnterminated || e >= FS.size();
    Out.assign(FS.substr(FPos, e - FPos));
    FPos = std::min(FS.size(), e + 2);
    return true;
  }

private:
  std::string_view FS;
  size_t FPos = 0;
  bool FCRLF = false;
  bool FUnterminated = false;
};

// Token readers over one header line.
struct TRVFTokens {
  const std::string &S;
  size_t Pos = 0;

  bool AtEnd() const { return Pos >= S.size(); }
  void PassBlank() {
    if (Pos < S.size() && S[Pos] == ' ') ++Pos;
  }
  // Optional '-', decimal digits, then a blank or the end; values outside
  // 32 bits are refused.
  bool Integer(int32_t &Value) {
    size_t p = Pos;
    const bool neg = p < S.size() && S[p] == '-';
    if (neg) ++p;
    if (p >= S.size() || S[p] < '0' || S[p] > '9') return false;
    int64_t v = 0;
    while (p < S.size() && S[p] >= '0' && S[p] <= '9') {
      v = v * 10 + (S[p] - '0');
      if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) return false;
      ++p;
    }
    if (p < S.size() && S[p] != ' ') return false;
    if (neg) v = -v;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) return false;
    Value = int32_t(v);
    Pos = p;
    PassBlank();
    return true;
  }
  bool Word(std::string &Out) {
    size_t p = Pos;
    while (p < S.size() && S[p] != ' ') ++p;
    if (p == Pos) return false;
    Out = S.substr(Pos, p - Pos);
    Pos = p;
    PassBlank();
    return true;
  }
  bool Quoted(std::string &Out) {
    if (Pos >= S.size() || S[Pos] != '"') return false;
    Out.clear();
    size_t p = Pos + 1;
    for (;;) {
      if (p >= S.size()) return false;
      if (S[p] == '"') {
        if (p + 1 < S.size() && S[p + 1] == '"') {
          Out += '"';
          p += 2;
          continue;
        }
        break;
      }
      Out += S[p++];
    }
    Pos = p + 1;
    PassBlank();
    return true;
  }
  std::string Rest() const { return Pos < S.size() ? S.substr(Pos) : std::string(); }
};

struct TRVFHeader {
  int32_t StyleNo = 0, LineCount = 0, ParaNo = 0, Options = 0, Mode = 0;
  TRVTag Tag;
  int32_t Kind = 0, BackStyle = 0, BackColor = 0, Event = 0, Persistent = 0;
  std::unique_ptr<TCustomRVItemInfo> Item;
};

struct TVersion {
  int Major = 1, Minor = 0;
  bool AtLeast(int a, int b) const { return Major > a || (Major == a && Minor >= b); }
  bool Above(int a, int b) const { return Major > a || (Major == a && Minor > b); }
};

class TRVFReader {
public:
  TRVFReader(TCustomRVData &D, std::string_view S, bool Whole, TRVLayoutInfo *Layout, TRVFBackground *Back)
      : D(D), Cut(S), Whole(Whole), Layout(Layout), Back(Back), St(D.GetRVStyle()), O(D.GetRVFOptions()) {}
  // The items of a document nested in an item that Outer is reading (a
  // table cell): read as Outer reads, through its style mappings.
  TRVFReader(TCustomRVData &D, std::string_view S, const TRVFReader &Outer)
      : D(D), Cut(S), Whole(Outer.Whole), Layout(nullptr), Back(nullptr), St(D.GetRVStyle()), O(D.GetRVFOptions()),
        Outer(&Outer) {}

  // Finish: complete a trailing marker's paragraph and unify the last
  // paragraph; an insertion does that where the items end up instead.
  TRVFReadResult Run(bool Finish = true);
  // The first item read was written as continuing a paragraph.
  bool FirstContinues() const { return FFirstContinues; }

private:
  bool Fail(std::string Why) {
    if (Error.empty()) Error = std::move(Why);
    return false;
  }
  bool ReadHeader(const std::string &Line, TRVFHeader &H);
  bool MapStyle(int32_t &No, const TRVIntegerList *Map, int Count);
  bool RecheckItemStyles(TCustomRVData &Data);
  // The mappings of the stream's styles: an outer reading's for a nested one.
  const TRVIntegerList *TextMapping() const { return Outer ? Outer->TextMapping() : TextMap.get(); }
  const TRVIntegerList *ParaMapping() const { return Outer ? Outer->ParaMapping() : ParaMap.get(); }
  const TRVIntegerList *ListMapping() const { return Outer ? Outer->ListMapping() : ListMap.get(); }
  bool ReadRecord(TRVFHeader &H);
  bool ReadSection(TRVFHeader &H);
  bool ReadBackground(TRVFHeader &H);
  bool ReadText(TRVFHeader &H);
  bool ReadItem(TRVFHeader &H);
  bool SkipLines(const TRVFHeader &H, int From);
  bool DataLine(int LineState, std::string &Out) {
    if (LineState == 2) return Cut.Block(Out) || Fail("a binary block is cut short");
    if (LineState == 4) return Cut.RawUnicode(Out) || Fail("a text line is cut short");
    return Cut.Line(Out) || Fail("the stream ends inside a record");
  }
  void Insert(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item) {
    if (Read == 0) FFirstContinues = Item->ParaNo == -1;
    D.AddItem(std::move(Text), std::move(Item));
    ++Read;
  }

  TCustomRVData &D;
  TRVFLineCutter Cut;
  bool Whole;
  TRVLayoutInfo *Layout;
  TRVFBackground *Back;
  TRVStyle *St;
  TRVFOptions O;
  TVersion Version;
  std::unique_ptr<TRVIntegerList> TextMap, ParaMap, ListMap;
  const TRVFReader *Outer = nullptr;
  std::string Error;
  int Read = 0;
  bool FFirstContinues = false;

public:
  // The reading running on this thread, whose items may read nested ones.
  static thread_local TRVFReader *Current;
};

thread_local TRVFReader *TRVFReader::Current = nullptr;

bool TRVFReader::MapStyle(int32_t &No, const TRVIntegerList *Map, int Count) {
  if (Map) {
    if (No >= Map->Count()) {
      AddWarning(&D, rvfwConvUnknownStyles);
      if (!O.Has(rvfoConvUnknownStylesToZero)) return Fail("a style number is beyond the stream's styles");
      No = 0;
      return true;
    }
    No = (*Map)[No];
  }
  if (No >= Count) {
    AddWarning(&D, rvfwConvUnknownStyles);
    if (!O.Has(rvfoConvUnknownStylesToZero)) return Fail("a style number is beyond the style sheet");
    No = 0;
  }
  return true;
}

// A style sheet may come after items that were read against the one before
// it: they must name styles of the new one, by the rule items are read by,
// or the document would be saved into a stream no reader takes. Items in
// the documents nested in items (table cells) too.
bool TRVFReader::RecheckItemStyles(TCustomRVData &Data) {
  if (!St) return true;
  const int texts = St->TextStyles().Count(), paras = St->ParaStyles().Count(), lists = St->ListStyles().Count();
  for (int i = 0; i < Data.GetItemCount(); ++i) {
    TCustomRVItemInfo *item = Data.GetItem(i);
    int location = 0;
    for (TCustomRVData *sub = item->GetSubRVData(location, rvdFirst); sub; sub = item->GetSubRVData(location, rvdNext))
      if (!RecheckItemStyles(*sub)) return false;
    if (item->StyleNo >= 0 && item->StyleNo != rvsDefStyle && !MapStyle(item->StyleNo, nullptr, texts)) return false;
    if (item->ParaNo >= 0 && !MapStyle(item->ParaNo, nullptr, paras)) return false;
    if (item->StyleNo == rvsListMarker) {
      auto *m = static_cast<TRVMarkerItemInfo *>(item);
      if (m->ListNo >= lists) {
        AddWarning(&D, rvfwConvUnknownStyles);
        m->ListNo = lists > 0 ? 0 : -1;
      }
    }
  }
  return true;
}

bool TRVFReader::ReadHeader(const std::string &Line, TRVFHeader &H) {
  TRVFTokens t{Line};
  std::string name;
  if (t.Quoted(name)) {
    H.StyleNo = 0;
    if (St)
      for (int i = 0; i < St->TextStyles().Count(); ++i)
        if (St->TextStyles()[i]->StyleName == name) {
          H.StyleNo = i;
          break;
        }
  } else if (!t.Integer(H.StyleNo)) return Fail("a record header does not start with a number");
  if (H.StyleNo == -8) {
    int32_t a = 0, b = 0;
    if (!t.Integer(a) || !t.Integer(b)) return Fail("a version record is malformed");
    Version = TVersion{a, b};
    H.LineCount = 0;
    return true;
  }
  if (!t.Integer(H.LineCount) || H.LineCount < 0) return Fail("a record header has no line count");
  // Every data line takes at least its terminator, except the last.
  if (size_t(H.LineCount) > Cut.Remaining() + 1) return Fail("a record counts more lines than the stream holds");
  if (t.Quoted(name)) {
    H.ParaNo = 0;
    if (St)
      for (int i = 0; i < St->ParaStyles().Count(); ++i)
        if (St->ParaStyles()[i]->StyleName == name) {
          H.ParaNo = i;
          break;
        }
  } else if (!t.Integer(H.ParaNo)) return Fail("a record header has no paragraph");
  if (H.ParaNo < -1) return Fail("a paragraph number is below -1");
  const bool special = H.StyleNo == -7 || H.StyleNo == -2 || H.StyleNo == -9;
  if (!special) {
    H.Item = CreateItemByStyleNo(H.StyleNo, &D);
    if (H.Item) H.Item->StyleNo = H.StyleNo;
  }
  if (Version.AtLeast(1, 2) && !t.Integer(H.Options)) return Fail("a record header has no options");
  if (!t.Integer(H.Mode)) return Fail("a record header has no mode");
  // The tag.
  const bool tagsText = D.TagsArePChars();
  std::string tag;
  if (Version.Above(1, 2) && t.Quoted(tag)) {
    if (tagsText) H.Tag = TRVTag::FromText(tag);
  } else if (t.Word(tag)) {
    if (tagsText) {
      if (tag != "0") H.Tag = TRVTag::FromText(tag);
    } else {
      TRVFTokens n{tag};
      int32_t v = 0;
      if (!n.Integer(v) || !n.AtEnd()) return Fail("a tag is not a number");
      H.Tag = v;
    }
  } else return Fail("a record header has no tag");
  if (H.StyleNo == -9) {
    if (!t.Integer(H.Kind)) return Fail("a style section has no kind");
    return true;
  }
  if (H.StyleNo == -7) {
    if (!t.Integer(H.BackStyle) || !t.Integer(H.BackColor)) return Fail("a background record is malformed");
    return true;
  }
  if (H.StyleNo == -2) {
    if (!t.AtEnd() && !t.Integer(H.Event)) return Fail("a checkpoint record is malformed");
    if (!t.AtEnd() && !t.Integer(H.Persistent)) return Fail("a checkpoint record is malformed");
    return true;
  }
  if (H.StyleNo >= 0 && H.StyleNo != rvsDefStyle &&
      !MapStyle(H.StyleNo, TextMapping(), St ? St->TextStyles().Count() : 1))
    return false;
  if (H.ParaNo >= 0 && !MapStyle(H.ParaNo, ParaMapping(), St ? St->ParaStyles().Count() : 1)) return false;
  if (H.Item) {
    H.Item->StyleNo = H.StyleNo;
    H.Item->ParaNo = H.ParaNo;
    H.Item->ItemOptions = TRVItemOptions::FromRaw(uint8_t(H.Options & 0xFF));
    H.Item->Tag = CopyTag(H.Tag, tagsText);
    if (!H.Item->ReadRvfHeaderTail(t.Rest(), &D)) return Fail("an item's header is malformed");
  }
  return true;
}

bool TRVFReader::SkipLines(const TRVFHeader &H, int From) {
  std::string s;
  for (int i = From; i < H.LineCount; ++i)
    if (!DataLine(H.Mode == 2 && i == H.LineCount - 1 ? 2 : 0, s)) return false;
  return true;
}

bool TRVFReader::ReadSection(TRVFHeader &H) {
  // Style sheets, layout and document properties belong to the document
  // being read, never to one nested in its items.
  if (Outer) return SkipLines(H, 0);
  std::string s;
  if (H.Kind == 5) {
    for (int i = 0; i < H.LineCount; ++i) {
      if (!DataLine(0, s)) return false;
      if (Whole && O.Has(rvfoLoadDocProperties)) D.DocProperties().push_back(RVFDecodeLineBreaks(s));
    }
    return true;
  }
  if (H.Kind < 1 || H.Kind > 6 || H.LineCount < 2) return SkipLines(H, 0);
  if (!DataLine(0, s)) return false;
  if (!DataLine(H.Mode == 2 ? 2 : 0, s)) return false;
  std::string bytes;
  if (H.Mode == 2) bytes = std::move(s);
  else if (!RVFHexToString(s, bytes)) return Fail("a style section's hexadecimal data is malformed");
  if (H.Kind == 3) {
    if (Layout && Whole && O.Has(rvfoLoadLayout)) {
      if (bytes.size() < 8 || (uint8_t(bytes[4]) | uint8_t(bytes[5]) << 8 | uint8_t(bytes[6]) << 16 |
                               uint32_t(uint8_t(bytes[7])) << 24) < 25)
        return Fail("Invalid RVF format");
      Layout->LoadBinary(bytes);
      Layout->Loaded = 1;
    }
  } else if (H.Kind == 6) {
    if (Whole && O.Has(rvfoLoadLayout))
      if (TRVMarkerList *m = D.GetMarkers(true); m && !m->LoadBinary(bytes))
        return Fail("the marker numbering is malformed");
  } else if (St) {
    if (bytes.empty() || uint8_t(bytes[0]) != 14) return Fail("a style section is not a collection");
    std::unique_ptr<TCustomRVInfos> c;
    if (H.Kind == 1) c = std::make_unique<TFontInfos>(St);
    else if (H.Kind == 2) c = std::make_unique<TParaInfos>(St);
    else c = std::make_unique<TRVListInfos>(St);
    bool unknown = false;
    if (!c->LoadFromStream(bytes, unknown)) return Fail("a style section is malformed");
    if (unknown) AddWarning(&D, rvfwUnknownStyleProperties);
    const TRVFReaderStyleMode mode = H.Kind == 1 ? D.GetRVFTextStylesReadMode() : D.GetRVFParaStylesReadMode();
    TCustomRVInfos &target = H.Kind == 1   ? static_cast<TCustomRVInfos &>(St->TextStyles())
                             : H.Kind == 2 ? static_cast<TCustomRVInfos &>(St->ParaStyles())
                                           : static_cast<TCustomRVInfos &>(St->ListStyles());
    if (mode != rvf_sIgnore && c->Count() > 0) {
      if (Whole) {
        // Read again into the sheet itself: copying would renew the list
        // identities that RTF and later readings rely on.
        bool again = false;
        target.LoadFromStream(bytes, again);
        if (!RecheckItemStyles(D)) return false;
      } else {
        auto map = std::make_unique<TRVIntegerList>();
        target.MergeWith(*c, mode == rvf_sInsertMap ? rvs_merge_Map : rvs_merge_SmartMerge, *map,
                         H.Kind == 2 ? TextMap.get() : nullptr);
        (H.Kind == 1 ? TextMap : H.Kind == 2 ? ParaMap : ListMap) = std::move(map);
      }
    }
  }
  return SkipLines(H, 2);
}

bool TRVFReader::ReadBackground(TRVFHeader &H) {
  if (Back && O.Has(rvfoLoadBack)) {
    Back->Style = H.BackStyle;
    Back->Color = TColor(H.BackColor);
    Back->Picture.reset();
  }
  if (H.LineCount < 2) return SkipLines(H, 0);
  std::string cls, data;
  if (!DataLine(0, cls) || !DataLine(H.Mode == 2 ? 2 : 0, data)) return false;
  std::string bytes = H.Mode == 2 ? data : std::string();
  if (H.Mode != 2 && !RVFHexToString(data, bytes)) return Fail("the background picture is malformed");
  if (Back && O.Has(rvfoLoadBack)) {
    Back->Picture = createGraphic(cls);
    if (Back->Picture && !Back->Picture->loadFromBytes(bytes)) Back->Picture.reset();
  }
  return SkipLines(H, 2);
}

bool TRVFReader::ReadText(TRVFHeader &H) {
  const bool unicode = (H.Options & 8) != 0;
  const bool raw = unicode && H.Mode != 3;
  if (raw && H.LineCount > 0 && !Cut.LastEndedWithCRLF()) return Fail("raw text lines must follow a CR LF");
  const bool tagsText = D.TagsArePChars();
  for (int i = 0; i < H.LineCount; ++i) {
    std::string s;
    if (!DataLine(raw ? 4 : 0, s)) return false;
    if (H.Mode == 3) {
      std::string bytes;
      if (s.size() % 4 != 0 || !RVFHexToString(s, bytes)) return Fail("a text line's hexadecimal form is malformed");
      s = std::move(bytes);
    }
    if (St && Whole == false && H.StyleNo >= 0 && H.StyleNo != rvsDefStyle &&
        St->TextStyles()[H.StyleNo]->Protection.Has(rvprRVFInsertProtect))
      continue;
    auto item = CopyItem(*H.Item, &D, false);
    item->Tag = CopyTag(H.Tag, tagsText);
    if (St) {
      const int actual = item->GetActualStyleNo(St);
      const bool styleW = St->TextStyles().GetTextStyleSafe(actual)->Unicode;
      if (unicode && !styleW) {
        s = UnicodeToAnsi(D.GetStyleCodePage(actual), s);
        item->ItemOptions.Exclude(rvioUnicode);
        AddWarning(&D, rvfwConvFromUnicode);
      } else if (!unicode && styleW) {
        s = AnsiToUnicode(D.GetStyleCodePage(actual), s);
        item->ItemOptions.Include(rvioUnicode);
        AddWarning(&D, rvfwConvToUnicode);
      }
    }
    Insert(std::move(s), std::move(item));
  }
  return true;
}

bool TRVFReader::ReadItem(TRVFHeader &H) {
  std::string name;
  if (!H.Item || !H.Item->GetFlag(rvbpRequiresRVFLines)) {
    if (!SkipLines(H, 0)) return false;
  } else {
    int lineState = 0;
    for (int i = 0; i < H.LineCount; ++i) {
      std::string s;
      if (!DataLine(lineState == 1 ? 2 : 0, s)) return false;
      lineState = 0;
      if (!H.Item->ReadRVF(s, &D, H.Mode, i, H.LineCount, name, lineState))
        return Fail("an item's data lines are malformed");
    }
  }
  if (!H.Item) return true;
  // A control record that brought no control (a record without data lines)
  // would be written back as one that names no class, which no reader
  // takes: it is dropped here, as an unknown control is.
  if (auto *c = dynamic_cast<TRVControlItemInfo *>(H.Item.get()); c && !c->Control()) {
    AddWarning(&D, rvfwUnknownCtrls);
    return true;
  }
  if (H.StyleNo == rvsListMarker) {
    auto *m = static_cast<TRVMarkerItemInfo *>(H.Item.get());
    if (const TRVIntegerList *lists = ListMapping(); lists && m->ListNo >= 0) {
      if (m->ListNo < lists->Count()) m->ListNo = (*lists)[m->ListNo];
      else {
        AddWarning(&D, rvfwConvUnknownStyles);
        m->ListNo = 0;
      }
    }
    const int lists = St ? St->ListStyles().Count() : 0;
    if (m->ListNo >= lists) {
      AddWarning(&D, rvfwConvUnknownStyles);
      m->ListNo = lists > 0 ? 0 : -1;
    }
  }
  Insert(std::move(name), std::move(H.Item));
  return true;
}

bool TRVFReader::ReadRecord(TRVFHeader &H) {
  switch (H.StyleNo) {
  case -8: return true;
  case -9: return ReadSection(H);
  case -7: return ReadBackground(H);
  case -2: {
    std::string s;
    if (H.LineCount < 1) return true;
    if (!DataLine(0, s)) return false;
    if (!D.NotAddedCP) {
      D.AddCheckpointTag(s, H.Event != 0, H.Tag);
      D.NotAddedCP->Persistent = H.Persistent != 0;
    }
    return SkipLines(H, 1);
  }
  default: return H.StyleNo >= 0 ? ReadText(H) : ReadItem(H);
  }
}

TRVFReadResult TRVFReader::Run(bool Finish) {
  // The warnings are the whole reading's: a nested one adds to them.
  if (!Outer) D.SetRVFWarnings(TRVFWarnings{});
  if (Whole && !Outer) D.DocProperties().clear();
  TRVFReader *const outer = Current;
  Current = this;
  struct Restore {
    TRVFReader *Was;
    ~Restore() { Current = Was; }
  } restore{outer};
  bool ok = true;
  std::string line;
  while (ok && !Cut.AtEnd()) {
    if (!Cut.Line(line)) break;
    TRVFHeader h;
    try {
      ok = ReadHeader(line, h) && ReadRecord(h);
    } catch (const ERichVistaError &e) {
      // Item, style and layout readers refuse a record whose own counts
      // contradict it; the stream cannot be read on from there.
      ok = Fail(e.what());
    }
  }
  if (ok && Finish) {
    const int n = D.GetItemCount();
    if (n > 0 && D.GetItem(n - 1)->StyleNo == rvsListMarker) D.AddTextItem(std::string(), 0, -1, 0);
    if (n > 0) D.UnifyParaNo(D.GetItemCount() - 1);
  }
  TRVFReadResult r;
  r.Ok = ok;
  r.Error = ok ? std::string() : Error;
  r.ItemsRead = Read;
  r.CutShort = ok && Cut.Unterminated();
  return r;
}

} // namespace

TRVFReadResult LoadRvfFromStream(TCustomRVData &RVData, std::string_view Stream, TRVLayoutInfo *Layout,
                                 TRVFBackground *Background) {
  RVData.Clear();
  TRVFReader r(RVData, Stream, true, Layout, Background);
  return r.Run();
}

TRVFReadResult LoadRvfNested(TCustomRVData &RVData, std::string_view Stream) {
  RVData.Clear();
  if (!TRVFReader::Current) {
    TRVFReader r(RVData, Stream, true, nullptr, nullptr);
    return r.Run();
  }
  TRVFReader r(RVData, Stream, *TRVFReader::Current);
  return r.Run();
}

namespace {

// Entries that a failed insertion added to the style sheet go again.
class TRVStyleCounts {
public:
  explicit TRVStyleCounts(TRVStyle *St) : St(St) {
    if (St) Counts = {St->TextStyles().Count(), St->ParaStyles().Count(), St->ListStyles().Count()};
  }
  void Restore() const {
    if (!St) return;
    TCustomRVInfos *infos[] = {&St->TextStyles(), &St->ParaStyles(), &St->ListStyles()};
    for (size_t k = 0; k < 3; ++k)
      while (infos[k]->Count() > Counts[k]) infos[k]->Delete(infos[k]->Count() - 1);
  }

private:
  TRVStyle *St;
  std::array<int, 3> Counts{};
};

// Whether Item may continue the paragraph of Prev.
bool MayContinue(const TCustomRVItemInfo *Prev, const TCustomRVItemInfo *Item) {
  return Prev && !Prev->GetFlag(rvbpFullWidth) && Item->StyleNo != rvsListMarker && !Item->GetFlag(rvbpFullWidth);
}

// A marker needs an item after it in its own paragraph; true when one was
// inserted.
bool CompleteMarker(TCustomRVData &D, int ItemNo) {
  if (ItemNo < 0 || ItemNo >= D.GetItemCount() || D.GetItem(ItemNo)->StyleNo != rvsListMarker) return false;
  if (ItemNo + 1 < D.GetItemCount() && !D.IsParaStart(ItemNo + 1)) return false;
  auto item = RichVistaTextItemClass(&D);
  item->StyleNo = 0;
  item->ParaNo = D.GetItem(ItemNo)->ParaNo;
  item->SetContinuePara(true);
  const TRVStyle *st = D.GetRVStyle();
  if (st && st->TextStyles().GetTextStyleSafe(0)->Unicode) item->ItemOptions.Include(rvioUnicode);
  std::string text;
  bool full = false;
  int list = -1;
  int at = ItemNo + 1;
  D.InsertItemAt(at, text, item, full, list);
  return true;
}

} // namespace

TRVFReadResult InsertRvfFromStream(TCustomRVData &RVData, std::string_view Stream, int Index) {
  const int count = RVData.GetItemCount();
  Index = std::clamp(Index, 0, count);
  const bool atEnd = Index == count;
  const bool tagsText = RVData.TagsArePChars();
  const TRVStyleCounts styles(RVData.GetRVStyle());
  TRVFScratchData scratch(RVData);
  // Appended items take the document's checkpoint after its last item
  // along to the first of them (a copy, until the reading has succeeded).
  if (atEnd && RVData.NotAddedCP) {
    scratch.NotAddedCP = RVData.NotAddedCP->CreateCopy(tagsText);
    scratch.CPCount = 1;
  }
  TRVFReader r(scratch, Stream, false, nullptr, nullptr);
  TRVFReadResult result = r.Run(false);
  if (!result.Ok) {
    styles.Restore();
    return result;
  }
  const int n = scratch.GetItemCount();
  // The markers leave the scratch list; each joins the document's list
  // where it is inserted.
  scratch.DestroyMarkers();
  if (atEnd && n > 0) RVData.FreePendingCheckpoint();
  int at = Index;
  int k = 0;
  for (TCustomRVData::TRVItemEntry &e : scratch.Items.TakeAll()) {
    std::string &text = e.Text;
    std::unique_ptr<TCustomRVItemInfo> &item = e.Item;
    const bool first = k++ == 0;
    TRVCPInfo *cp = item->Checkpoint.get();
    if (cp) cp->Prev = cp->Next = nullptr;
    const bool continues = first ? r.FirstContinues() : item->GetContinuePara();
    if (atEnd) {
      // Appending gives continuation, checkpoints and markers their usual
      // treatment at the end of a document.
      if (continues) item->ParaNo = -1;
      if (cp) cp->ItemInfo = nullptr;
      RVData.AddItem(std::move(text), std::move(item));
      continue;
    }
    std::unique_ptr<TRVCPInfo> ownCP = std::move(item->Checkpoint);
    if (first) {
      if (continues && at > 0 && MayContinue(RVData.GetItem(at - 1), item.get())) {
        item->SetContinuePara(true);
        item->ParaNo = RVData.GetItem(at - 1)->ParaNo;
      } else {
        item->SetContinuePara(false);
        if (item->ParaNo < 0) item->ParaNo = 0;
      }
    }
    TCustomRVItemInfo *placed = item.get();
    bool full = false;
    int list = -1;
    RVData.InsertItemAt(at, text, item, full, list);
    if (cp) {
      RVData.InsertCheckpointSorted(cp, at);
      cp->ItemInfo = placed;
      placed->Checkpoint = std::move(ownCP);
      ++RVData.CPCount;
    }
    ++at;
  }
  scratch.FirstCP = scratch.LastCP = nullptr;
  scratch.CPCount = scratch.NotAddedCP ? 1 : 0;
  if (atEnd) at = RVData.GetItemCount();
  // The paragraph the inserted items end in takes the items after them
  // that continued the paragraph of the insertion point.
  if (!atEnd && at < RVData.GetItemCount() && RVData.GetItem(at)->GetContinuePara() &&
      !MayContinue(RVData.GetItem(at - 1), RVData.GetItem(at)))
    RVData.GetItem(at)->SetContinuePara(false);
  if (n > 0) {
    CompleteMarker(RVData, at - 1);
    if (Index > 0 && CompleteMarker(RVData, Index - 1)) ++at;
    if (Index < RVData.GetItemCount()) RVData.UnifyParaNo(Index);
    RVData.UnifyParaNo(std::min(at, RVData.GetItemCount() - 1));
  }
  // A checkpoint that stands after the stream's last item stays only at
  // the end of a document that has none.
  if (atEnd && scratch.NotAddedCP && !RVData.NotAddedCP) {
    RVData.NotAddedCP = std::move(scratch.NotAddedCP);
    ++RVData.CPCount;
    scratch.CPCount = 0;
  }
  return result;
}

} // namespace kc
