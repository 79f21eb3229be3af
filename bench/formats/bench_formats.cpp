// Format speed: a transcript-like document of about 10 MB (and one twice as
// large) written as RVF text and binary, RTF, HTML and text, and read back
// from RVF; beside QTextDocument::toHtml() and QTextDocumentWriter (ODF) on
// the same text. Prints MB/s, the ratio to toHtml and the 2x-size time ratio.
//
// usage: bench_formats [MEGABYTES]   (default 10)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <QBuffer>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>

#include "richtext/document/CRVDataFormats.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TTranscript {
  kc::TRVStyle style;
  kc::TRVDataHost host;
  kc::TCustomRVData doc;
  QTextDocument qt;
  size_t bytes = 0;

  explicit TTranscript(size_t Target) {
    host.Style = &style;
    host.Flags = 0x100;
    doc.SetHost(&host);
    style.TextStyles()[1]->Unicode = true;
    QTextCursor cur(&qt);
    QTextCharFormat nick, body;
    nick.setFontWeight(QFont::Bold);
    int n = 0;
    while (bytes < Target) {
      const std::string who = "user" + std::to_string(n % 17);
      const std::string text =
          "message number " + std::to_string(n) + " with some words & <marks> in it, as people write them in a chat";
      doc.AddText("[12:" + std::to_string(10 + n % 50) + "] ", 0, 0);
      doc.AddText(who + ": ", 2, -1);
      doc.AddText(text, n % 5 == 0 ? 3 : 0, -1);
      if (n > 0) cur.insertBlock();
      cur.insertText(QString::fromStdString("[12:" + std::to_string(10 + n % 50) + "] "), body);
      cur.insertText(QString::fromStdString(who + ": "), nick);
      cur.insertText(QString::fromStdString(text), body);
      bytes += 12 + who.size() + text.size();
      ++n;
    }
  }
};

double timeOf(const std::function<void()> &f) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    const auto a = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - a).count());
  }
  return best;
}

struct TRow {
  const char *name;
  double s1, s2;
};

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  const size_t mb = argc > 1 ? size_t(std::atoi(argv[1])) : 10;
  TTranscript small(mb << 20), large((2 * mb) << 20);
  std::vector<TRow> rows;
  auto measure = [&](const char *name, const std::function<void(TTranscript &)> &f) {
    rows.push_back({name, timeOf([&] { f(small); }), timeOf([&] { f(large); })});
  };
  std::string sink;
  measure("RVF text write", [&](TTranscript &t) {
    std::string s;
    t.host.RVFOptions = kc::TRVFOptions{kc::rvfoSaveTextStyles, kc::rvfoSaveParaStyles};
    kc::SaveRvfToStream(t.doc, s, false);
    sink.swap(s);
  });
  measure("RVF binary write", [&](TTranscript &t) {
    std::string s;
    t.host.RVFOptions = kc::TRVFOptions{kc::rvfoSaveBinary, kc::rvfoSaveTextStyles, kc::rvfoSaveParaStyles};
    kc::SaveRvfToStream(t.doc, s, false);
    sink.swap(s);
  });
  measure("RVF read", [&](TTranscript &t) {
    std::string s;
    t.host.RVFOptions = kc::TRVFOptions{kc::rvfoSaveBinary};
    kc::SaveRvfToStream(t.doc, s, false);
    kc::TRVStyle st;
    kc::TRVDataHost h;
    h.Style = &st;
    kc::TCustomRVData d;
    d.SetHost(&h);
    kc::LoadRvfFromStream(d, s);
  });
  measure("RTF write", [&](TTranscript &t) {
    std::string s;
    kc::ExportRtfToStream(t.doc, s);
    sink.swap(s);
  });
  measure("HTML write", [&](TTranscript &t) {
    std::string s;
    kc::ExportHtmlEx(t.doc, s, "", "t", "img", {}, kc::clNone, false);
    sink.swap(s);
  });
  measure("HTML+CSS write", [&](TTranscript &t) {
    std::string s;
    kc::ExportHtmlEx(t.doc, s, "", "t", "img", {}, kc::clNone, true);
    sink.swap(s);
  });
  measure("text write", [&](TTranscript &t) {
    std::string s;
    kc::ExportTextToStream(t.doc, "", s, 80, false, false, false, false);
    sink.swap(s);
  });
  measure("QTextDocument::toHtml", [&](TTranscript &t) { sink = t.qt.toHtml().toStdString(); });
  measure("QTextDocumentWriter ODF", [&](TTranscript &t) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    QTextDocumentWriter w(&buf, "odf");
    w.write(&t.qt);
  });
  double toHtml = 0;
  for (const TRow &r : rows)
    if (std::string(r.name) == "QTextDocument::toHtml") toHtml = r.s1;
  std::printf("document of %.1f MB of text (and %.1f MB for the 2x column)\n", small.bytes / 1048576.0,
              large.bytes / 1048576.0);
  std::printf("%-26s %10s %12s %10s\n", "", "MB/s", "vs toHtml", "2x time");
  for (const TRow &r : rows)
    std::printf("%-26s %10.1f %11.2fx %9.2fx\n", r.name, small.bytes / 1048576.0 / r.s1, toHtml / r.s1, r.s2 / r.s1);
  return sink.empty() ? 0 : 0;
}
