#include "ui/UnsendableTextUn.h"

#include "platform/CodePage.h"
#include "platform/GraphemeClusters.h"
#include "richtext/controls/RichVista.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

// Whether one character goes out as typed: converted without a "?" and
// read back as the same text (a mark left out reads back shorter).
bool Carried(std::u16string_view Cluster, int CodePage) {
  std::string bytes;
  bool usedDefault = false;
  if (!tryFromUtf16Composed(CodePage, Cluster, bytes, &usedDefault)) {
    bytes = fromUtf16(Cluster, CodePage);
    usedDefault = bytes.find('?') != std::string::npos && Cluster.find(u'?') == std::u16string_view::npos;
  }
  if (usedDefault) return false;
  const QString typed = QString::fromUtf16(Cluster.data(), qsizetype(Cluster.size()));
  const std::u16string back = toUtf16(bytes, CodePage);
  const QString read = QString::fromUtf16(back.data(), qsizetype(back.size()));
  return typed.normalized(QString::NormalizationForm_C) == read.normalized(QString::NormalizationForm_C);
}

void Collect(std::u16string_view Text, int CodePage, TUnsendableText &Lost) {
  // Text the code page holds whole (the usual case) costs one conversion.
  if (Carried(Text, CodePage)) return;
  const std::vector<int> bounds = GraphemeBoundaryList(Text);
  for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
    const std::u16string_view cluster = Text.substr(bounds[i], bounds[i + 1] - bounds[i]);
    if (Carried(cluster, CodePage)) continue;
    ++Lost.Count;
    // Distinct characters only, each once: a match must start and end on
    // a boundary of what is shown.
    if (Lost.Shown >= TUnsendableText::kShown) continue;
    const std::u16string &shown = Lost.Characters;
    bool seen = false;
    for (std::size_t at = shown.find(cluster); at != std::u16string::npos && !seen; at = shown.find(cluster, at + 1))
      seen = IsGraphemeBoundary(shown, at) && IsGraphemeBoundary(shown, at + cluster.size());
    if (seen) continue;
    Lost.Characters.append(cluster);
    ++Lost.Shown;
  }
}

} // namespace

TUnsendableText FindUnsendableText(std::u16string_view Text, int CodePage) {
  TUnsendableText lost;
  if (!Text.empty()) Collect(Text, CodePage, lost);
  return lost;
}

TUnsendableText FindUnsendableText(const TCustomRichVista &InputBox) {
  TUnsendableText lost;
  const TCustomRVData *data = InputBox.RVData();
  const int count = InputBox.ItemCountOf();
  for (int i = 0; i < count; ++i) {
    if (InputBox.ItemStyleOf(i) < 0) continue;
    const TCustomRVItemInfo *item = InputBox.GetItem(i);
    if (!item || !item->IsUnicode()) continue; // 8-bit text goes out as it is
    const std::string &raw = data->Items.Strings(i);
    if (raw.size() % 2 != 0) continue;
    const std::u16string text = RawToWideString(raw);
    Collect(text, data->GetStyleCodePage(data->GetActualStyle(item)), lost);
  }
  return lost;
}

QString UnsendableNotice(const TUnsendableText &Lost) {
  if (Lost.Count <= 0) return {};
  const QString shown = QString::fromUtf16(Lost.Characters.data(), qsizetype(Lost.Characters.size()));
  const int codePage = ansiCodePage();
  if (Lost.Count == 1)
    return QStringLiteral("1 character could not be sent (code page %1), sent as \"?\": %2").arg(codePage).arg(shown);
  return QStringLiteral("%1 characters could not be sent (code page %2), sent as \"?\": %3")
      .arg(Lost.Count)
      .arg(codePage)
      .arg(shown);
}

} // namespace kc
