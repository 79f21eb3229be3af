#pragma once
// A view measured on a fixed-pitch canvas (every character 10 px wide,
// lines 10 px high, no margins), so that tests can press on a character by
// its coordinates, with counters of the events it fires.
#include <memory>
#include <string>
#include <vector>

#include "platform/RecordingCanvas.h"
#include "richtext/controls/RichVista.h"
#include "richtext/document/RVItem.h"

namespace kctest {

class FixedPitchView : public kc::TRichVista {
public:
  explicit FixedPitchView(kc::TRVStyle &Sheet, int Width = 300, int Height = 100) {
    kc::RecordingCanvas::Metrics m;
    m.charWidth = 10;
    m.ascent = 8;
    m.descent = 2;
    FCanvas = std::make_unique<kc::RecordingCanvas>(m);
    LeftMargin = RightMargin = TopMargin = BottomMargin = 0;
    Style = &Sheet;
    resize(Width, Height);
  }
  kc::TCanvas *FormatCanvas() override { return FCanvas.get(); }

private:
  std::unique_ptr<kc::RecordingCanvas> FCanvas;
};

// What a view fired, in order: "jump 0", "select", "dblclick word 0", ...
struct EventLog {
  std::vector<std::string> Events;
  void Attach(kc::TCustomRichVista &V) {
    V.OnJump = [this](kc::TCustomRichVista *, int Id) { Events.push_back("jump " + std::to_string(Id)); };
    V.OnSelect = [this](kc::TCustomRichVista *) { Events.push_back("select"); };
    V.OnRVDblClick = [this](kc::TCustomRichVista *, const std::string &W, int S) {
      Events.push_back("dblclick " + W + " " + std::to_string(S));
    };
    V.OnRVRightClick = [this](kc::TCustomRichVista *, const std::string &W, int, int, int) {
      Events.push_back("rightclick " + W);
    };
    V.OnRVMouseDown = [this](kc::TCustomRichVista *, kc::TRVMouseButton B, kc::TRVShiftState, int Item, int, int) {
      Events.push_back("down " + std::to_string(int(B)) + " " + std::to_string(Item));
    };
    V.OnRVMouseUp = [this](kc::TCustomRichVista *, kc::TRVMouseButton B, kc::TRVShiftState, int Item, int, int) {
      Events.push_back("up " + std::to_string(int(B)) + " " + std::to_string(Item));
    };
    V.OnClick = [this](kc::TCustomRichVista *) { Events.push_back("click"); };
  }
  int Count(const std::string &Prefix) const {
    int n = 0;
    for (const auto &e : Events) n += e.rfind(Prefix, 0) == 0;
    return n;
  }
};

// Text style 1 is a hyperlink.
inline int AddLinkStyle(kc::TRVStyle &Sheet) {
  Sheet.TextStyles().Add()->Jump = true;
  return Sheet.TextStyles().Count() - 1;
}

} // namespace kctest
