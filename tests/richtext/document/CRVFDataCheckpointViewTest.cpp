// Which checkpoint a scrolled view reports, on ten 10-px paragraphs with
// counting checkpoints before items 2, 5 and 8 (tops 20, 50, 80), a silent
// one before item 6 and, in some cases, a counting one at the end.
#include <gtest/gtest.h>

#include "FormatFixture.h"

using namespace kc;

namespace {

struct ReportingHost : TRVFixedHost {
  using TRVFixedHost::TRVFixedHost;
  std::vector<std::string> Reports;
  bool HasCheckpointVisibleHandler() const override { return true; }
  void DoCheckpointVisible(TRVCPInfo *CP) override { Reports.push_back(CP ? CP->Name : "nil"); }
};

struct Doc {
  explicit Doc(bool EndCheckpoint) {
    RecordingCanvas::Metrics m;
    m.charWidth = 10;
    m.ascent = 8;
    m.descent = 2;
    canvas = std::make_unique<RecordingCanvas>(m);
    host = std::make_unique<ReportingHost>(canvas.get(), 200, 30);
    host->LeftMargin = host->RightMargin = host->TopMargin = host->BottomMargin = 0;
    host->Style = &style;
    doc = std::make_unique<TRichVistaRVData>(host.get());
    for (int i = 0; i < 10; ++i) {
      if (i == 2 || i == 5 || i == 8) doc->AddCheckpointTag("cp" + std::to_string(i), true, 0);
      if (i == 6) doc->AddCheckpointTag("silent", false, 0);
      doc->AddText("line", 0, 0);
    }
    if (EndCheckpoint) doc->AddCheckpointTag("end", true, 0);
    doc->ReformatAllForced(true);
  }
  // Shows the document from Y with a client of Height and checks.
  void ScrollTo(int Y, int Height, TCPEventKind Kind) {
    host->SetClientSize(200, Height);
    host->ScrollTo(Y, false);
    doc->CheckCheckpointVisibility(Kind);
  }
  TRVStyle style;
  std::unique_ptr<RecordingCanvas> canvas;
  std::unique_ptr<ReportingHost> host;
  std::unique_ptr<TRichVistaRVData> doc;
};

struct Step {
  int y, height;
};

} // namespace

TEST(CheckpointView, ReportsEachChangeOnceAsTheKindSays) {
  struct Case {
    const char *name;
    TCPEventKind kind;
    bool endCheckpoint;
    std::vector<Step> steps;
    std::vector<std::string> reports;
  } cases[] = {
      {"section start: the first checkpoint at or below the top",
       cpeAsSectionStart,
       false,
       {{0, 30}, {30, 30}, {40, 30}, {60, 30}},
       {"cp2", "cp5", "cp8"}},
      {"section start: one below the view gives the one before it", cpeAsSectionStart, false, {{30, 15}}, {"cp2"}},
      {"section start: past the last, the end checkpoint when the end shows",
       cpeAsSectionStart,
       true,
       {{90, 30}},
       {"end"}},
      {"section start: past the last without an end checkpoint keeps the last",
       cpeAsSectionStart,
       false,
       {{90, 30}},
       {"cp8"}},
      {"when visible: nil once while none is in sight",
       cpeWhenVisible,
       false,
       {{0, 30}, {30, 15}, {30, 15}, {40, 15}},
       {"cp2", "nil", "cp5"}},
      {"none: nothing", cpeNone, true, {{0, 30}, {90, 30}}, {}},
  };
  for (const auto &c : cases) {
    Doc d(c.endCheckpoint);
    for (const Step &s : c.steps) d.ScrollTo(s.y, s.height, c.kind);
    EXPECT_EQ(d.host->Reports, c.reports) << c.name;
  }
}

TEST(CheckpointView, ACheckpointNotLaidOutYetStopsTheWalk) {
  Doc d(false);
  d.doc->AddCheckpointTag("late", true, 0);
  d.doc->AddText("appended", 0, 0); // not formatted
  d.ScrollTo(90, 30, cpeAsSectionStart);
  EXPECT_EQ(d.host->Reports, (std::vector<std::string>{}));
}
