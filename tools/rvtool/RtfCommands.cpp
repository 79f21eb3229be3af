// The RTF reader subcommands.
#include "RvTool.h"

#include <cstdio>
#include <string>

#include "platform/CodePage.h"
#include "richtext/controls/RVRTF.h"

namespace rvtool {

namespace {

const char *positionName(kc::TRVRTFPosition p) {
  switch (p) {
  case kc::rtf_ts_NewPara: return "NewPara";
  case kc::rtf_ts_NewLine: return "NewLine";
  default: return "ContinuePara";
  }
}

const char *tableEventName(kc::TRVRTFTableEventKind k) {
  switch (k) {
  case kc::rvf_tbl_TableStart: return "TableStart";
  case kc::rvf_tbl_TableEnd: return "TableEnd";
  case kc::rvf_tbl_RowEnd: return "RowEnd";
  default: return "CellEnd";
  }
}

// Bytes in double quotes; quote, backslash, controls and bytes above 0x7E
// escaped so that every event stays on one line.
std::string quoted(std::string_view s) {
  std::string r = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      r += '\\';
      r += char(c);
    } else if (c < 0x20 || c > 0x7E) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      r += buf;
    } else {
      r += char(c);
    }
  }
  return r + "\"";
}

int openAndRead(kc::TRVRTFReader &reader, const char *path) {
  std::string data;
  if (!readFile(path, data)) return -1;
  return reader.ReadRTFData(data);
}

} // namespace

int rtfEvents(int argc, char **argv) {
  if (argc != 1) {
    std::fputs("usage: rvtool rtf-events FILE\n", stderr);
    return 2;
  }
  kc::TRVRTFReader reader;
  std::string out;
  auto line = [&](const std::string &s) {
    out += s;
    out += '\n';
  };
  reader.OnNewText = [&](kc::TRVRTFReader &r, const std::string &text, kc::TRVRTFPosition pos) {
    line(std::string("text ") + positionName(pos) + (r.CharProps().Hidden ? " hidden " : " ") + quoted(text));
  };
  reader.OnNewUnicodeText = [&](kc::TRVRTFReader &r, const std::u16string &text, kc::TRVRTFPosition pos) {
    line(std::string("utext ") + positionName(pos) + (r.CharProps().Hidden ? " hidden " : " ") +
         quoted(kc::utf16ToUtf8(text)));
  };
  reader.OnNewPicture = [&](kc::TRVRTFReader &, kc::TRVRTFPicture *pic, std::unique_ptr<kc::TGraphic> &g,
                            kc::TRVRTFPosition pos, bool &) {
    std::string s = "picture ";
    s += positionName(pos);
    s += " kind " + std::to_string(pic ? int(pic->Kind) : -1);
    s += std::string(" ") + (g ? g->className() : "none");
    s += " " + std::to_string(g ? g->width() : 0) + "x" + std::to_string(g ? g->height() : 0);
    if (pic && pic->Invalid) s += " invalid";
    line(s);
  };
  reader.OnImportPicture = [&](kc::TRVRTFReader &, const std::string &loc, std::unique_ptr<kc::TGraphic> &) {
    line("importpicture " + quoted(loc));
  };
  reader.OnNewObject = [&](kc::TRVRTFReader &, kc::TRVRTFObject &o, kc::TRVRTFPosition pos, bool &) {
    line(std::string("object ") + positionName(pos) + " kind " + std::to_string(o.Kind) + " " +
         std::to_string(o.Width) + "x" + std::to_string(o.Height) + " bytes " + std::to_string(o.Data.size()));
  };
  reader.OnTable = [&](kc::TRVRTFReader &, kc::TRVRTFTableEventKind k) {
    line(std::string("table ") + tableEventName(k));
  };
  reader.OnRequiredPageBreak = [&](kc::TRVRTFReader &) { line("pagebreak"); };
  reader.OnHeaderFooter = [&](kc::TRVRTFReader &, kc::TRVRTFHeaderFooterType t, bool starting, bool &) {
    line(std::string(t == kc::rtf_hf_Header ? "header " : "footer ") + (starting ? "start" : "end"));
  };
  reader.OnUpdateMarker = [&](kc::TRVRTFReader &r) {
    const auto &pp = r.ParaProps();
    if (pp.Marker || pp.ListOverrideIndex >= 0)
      line("marker list " + std::to_string(pp.ListOverrideIndex) + " level " + std::to_string(pp.ListLevel) +
           (pp.Marker ? " old-style" : ""));
    else line("marker none");
  };
  int code = openAndRead(reader, argv[0]);
  if (code < 0) return 1;
  line("code " + std::to_string(code));
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int rtfText(int argc, char **argv) {
  if (argc != 1) {
    std::fputs("usage: rvtool rtf-text FILE\n", stderr);
    return 2;
  }
  kc::TRVRTFReader reader;
  std::string out;
  bool lineOpen = false; // the last line has text and no newline yet
  auto breakLine = [&] {
    if (lineOpen) out += '\n';
    lineOpen = false;
  };
  auto addText = [&](kc::TRVRTFPosition pos, const std::string &utf8) {
    if (pos != kc::rtf_ts_ContinuePara) breakLine();
    out += utf8;
    if (!utf8.empty()) lineOpen = true;
  };
  reader.OnNewText = [&](kc::TRVRTFReader &r, const std::string &text, kc::TRVRTFPosition pos) {
    if (r.CharProps().Hidden) return;
    std::string t;
    for (char c : text)
      if (c == '\t') t += ' ';
      else t += c;
    addText(pos, kc::ansiToUtf8(t, r.CodePageOfFont(r.CharProps().FontIndex)));
  };
  reader.OnNewUnicodeText = [&](kc::TRVRTFReader &r, const std::u16string &text, kc::TRVRTFPosition pos) {
    if (r.CharProps().Hidden) return;
    std::u16string t = text;
    for (char16_t &c : t)
      if (c == u'\t') c = u' ';
    addText(pos, kc::utf16ToUtf8(t));
  };
  reader.OnTable = [&](kc::TRVRTFReader &, kc::TRVRTFTableEventKind) { breakLine(); };
  int code = openAndRead(reader, argv[0]);
  if (code < 0) return 1;
  breakLine();
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (code != 0) {
    std::fprintf(stderr, "rvtool: RTF reader result code %d\n", code);
    return 1;
  }
  return 0;
}

} // namespace rvtool
