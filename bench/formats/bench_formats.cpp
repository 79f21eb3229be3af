// Format speed: a transcript-like document of about 10 MB (and one twice as
// large) written as RVF text and binary, RTF, HTML and text, and read back
// from RVF; beside QTextDocument::toHtml() and QTextDocumentWriter (ODF) on
// the same text. Prints MB/s, the ratio to toHtml and the 2x-size time ratio.
//
// usage: bench_formats [MEGABYTES [NAME]]   (default 10; NAME picks the rows
// whose name contains it, toHtml always runs as the reference)
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <QBuffer>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>

#include "richtext/document/CRVDataFormats.h"

namespace {

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

// Processor time of the process (user and system, so page faults count):
// on a shared machine wall time would mostly measure the neighbours. Before
// runs untimed ahead of each run.
double timeOf(const std::function<void()> &f, const std::function<void()> &Before) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    if (Before) Before();
    const std::clock_t a = std::clock();
    f();
    best = std::min(best, double(std::clock() - a) / CLOCKS_PER_SEC);
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
  const std::string only = argc > 2 ? argv[2] : "";
  TTranscript small(mb << 20), large((2 * mb) << 20);
  std::vector<TRow> rows;
  // Every writer appends to one output string that keeps its capacity from
  // run to run: a fresh string of more than 32 MB comes from the system
  // page by page each time while a smaller one is served from memory the
  // allocator kept, which would make the larger document look super-linear
  // for reasons that are not the writer's.
  std::string sink;
  auto measure = [&](const char *name, const std::function<void(TTranscript &)> &f,
                     const std::function<void(TTranscript &)> &before = {}) {
    if (std::string(name).find(only) == std::string::npos && std::string(name) != "QTextDocument::toHtml") return;
    auto run = [&](TTranscript &t) {
      return timeOf([&] { f(t); },
                    [&] {
                      sink.clear();
                      if (before) before(t);
                    });
    };
    rows.push_back({name, run(small), run(large)});
  };
  measure("RVF text write", [&](TTranscript &t) {
    t.host.RVFOptions = kc::TRVFOptions{kc::rvfoSaveTextStyles, kc::rvfoSaveParaStyles};
    kc::SaveRvfToStream(t.doc, sink, false);
  });
  measure("RVF binary write", [&](TTranscript &t) {
    t.host.RVFOptions = kc::TRVFOptions{kc::rvfoSaveBinary, kc::rvfoSaveTextStyles, kc::rvfoSaveParaStyles};
    kc::SaveRvfToStream(t.doc, sink, false);
  });
  // The stream is written, and the previous reading emptied, untimed.
  kc::TRVStyle readStyle;
  kc::TRVDataHost readHost;
  readHost.Style = &readStyle;
  kc::TCustomRVData readDoc;
  readDoc.SetHost(&readHost);
  measure(
      "RVF read", [&](TTranscript &) { kc::LoadRvfFromStream(readDoc, sink); },
      [&](TTranscript &t) {
        readDoc.Clear();
        t.host.RVFOptions = kc::TRVFOptions{kc::rvfoSaveBinary};
        kc::SaveRvfToStream(t.doc, sink, false);
      });
  readDoc.Clear();
  measure("RTF write", [&](TTranscript &t) { kc::ExportRtfToStream(t.doc, sink); });
  measure("HTML write", [&](TTranscript &t) { kc::ExportHtmlEx(t.doc, sink, "", "t", "img", {}, kc::clNone, false); });
  measure("HTML+CSS write",
          [&](TTranscript &t) { kc::ExportHtmlEx(t.doc, sink, "", "t", "img", {}, kc::clNone, true); });
  measure("text write",
          [&](TTranscript &t) { kc::ExportTextToStream(t.doc, "", sink, 80, false, false, false, false); });
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
  return 0;
}
