// Any ini file must load as text, paragraph and list styles without harm, and
// the same bytes as the stored form of the style tables too;
// what was loaded must come back equal after it is written and read again,
// and the styles must merge, write their CSS and paint without harm.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/IniStore.h"
#include "FuzzFolder.h"
#include "platform/RecordingCanvas.h"
#include "richtext/document/RVStyle.h"

namespace {

const std::string &filePath() {
  static const kcfuzz::Folder folder("kc-fuzz-styleini");
  static const std::string path = folder.path() + "/s.ini";
  return path;
}

template <class T> void roundTrip(const T &loaded) {
  auto mem = kc::IniStore::open("");
  loaded.SaveToINI(*mem, "R", "%s");
  T again;
  again.LoadFromINI(*mem, "R", "%s");
  if (!again.IsEqualTo(loaded, false) || again.StyleName != loaded.StyleName ||
      again.BaseStyleNo != loaded.BaseStyleNo || again.Standard != loaded.Standard)
    std::abort();
}

void paint(kc::TRVStyle &sheet) {
  kc::RecordingCanvas cv;
  for (uint8_t mode = 0; mode <= 4; ++mode) {
    sheet.ApplyStyle(cv, 0, kc::rvbdUnspecified);
    sheet.ApplyStyleColor(cv, 0, {}, mode != 0, mode);
    sheet.DrawStyleText("ab c", cv, 0, 1, 0, nullptr, 3, 0, 0, 40, 14, {kc::rvtsSpecialCharacters}, mode != 0, true,
                        mode, kc::rvbdUnspecified);
    kc::TRect r{0, 0, 50, 20};
    sheet.DrawParaBack(cv, 0, r, mode != 0, mode);
    sheet.ParaStyles()[0]->Border.Draw(r, cv, mode, kc::TRVScreenAndDevice{96, 96, 300, 300});
    sheet.ParaStyles()[0]->Border.DrawSimple(r, cv);
    cv.clearLog();
  }
}

} // namespace

template <class Table> void streamForm(std::string_view bytes) {
  Table t(nullptr);
  bool unknown = false;
  if (!t.LoadFromStream(bytes, unknown)) return;
  Table again(nullptr);
  if (!again.LoadFromStream(t.SaveToStream(), unknown) || again.Count() != t.Count()) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char *>(data), size);
  streamForm<kc::TFontInfos>(bytes);
  streamForm<kc::TParaInfos>(bytes);
  streamForm<kc::TRVListInfos>(bytes);
  const std::string &path = filePath();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
  }
  auto ini = kc::IniStore::open(path);
  std::vector<std::string> sections = ini->sections();
  sections.insert(sections.begin(), "");
  if (sections.size() > 4) sections.resize(4);
  for (const std::string &section : sections) {
    kc::TFontInfo font;
    font.LoadFromINI(*ini, section, "%s");
    roundTrip(font);
    kc::TParaInfo para;
    para.LoadFromINI(*ini, section, "%s");
    roundTrip(para);
    kc::TRVListInfo list;
    list.LoadFromINI(*ini, section, "%s");
    roundTrip(list);
    const std::vector<std::string> args = {"1", "b", "iii"};
    for (int i = 0; i < list.Levels.Count(); ++i) {
      kc::TRVListLevel *l = list.Levels.Items(i);
      (void)kc::RVFormatMarkerString(l->FormatString, args);
      std::string html;
      l->HTMLOpenTag(html, true);
      l->HTMLCloseTag(html);
    }

    // The loaded styles as a sheet of their own, merged into a default sheet.
    kc::TRVStyle source;
    source.TextStyles()[0]->Assign(font);
    source.TextStyles()[3]->Assign(font);
    source.ParaStyles()[0]->Assign(para);
    source.ListStyles().Add()->Assign(list);
    source.ListStyles().Add()->Assign(list);
    for (int mode = 0; mode <= 2; ++mode) {
      kc::TRVStyle target;
      kc::TRVIntegerList textMap, paraMap, listMap;
      auto m = static_cast<kc::TRVStyleMergeMode>(mode);
      target.TextStyles().MergeWith(source.TextStyles(), m, textMap, nullptr);
      target.ParaStyles().MergeWith(source.ParaStyles(), m, paraMap, &textMap);
      target.ListStyles().MergeWith(source.ListStyles(), m, listMap, nullptr);
      if (textMap.Count() != source.TextStyles().Count() || paraMap.Count() != source.ParaStyles().Count() ||
          listMap.Count() != source.ListStyles().Count())
        std::abort();
    }
    std::string css;
    for (int options = 0; options < 8; ++options) source.WriteCssStyleSheet(css, options);
    paint(source);
  }
  return 0;
}
