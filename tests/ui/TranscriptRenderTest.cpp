// Messages rendered into real transcripts: header variants, where the
// sender's picture goes, per-user styles (colour changes, names that must
// not touch the sheet's own styles, made-up senders), animated emoticons
// kept per transcript, presence lines as plain text, the contrast of users'
// colours on light and dark backgrounds, and the scroll to the end.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <chrono>

#include "MarkupFixture.h"
#include "core/ChatServicesUn.h"
#include "platform/Clock.h"
#include "platform/RecordingCanvas.h"

using namespace kc;
using kctest::ChatDesk;
using kctest::Describe;

namespace {

TTalkMessage message(const std::string &id, const std::string &body, TColor colour = clNavy,
                     const std::string &alias = "bob", const std::string &ip = "198.18.0.2", int picture = 12) {
  TTalkMessage m;
  m.SenderID = id;
  m.IP = ip;
  m.Body = body;
  m.Color = colour;
  m.ImageIndex = picture;
  m.Alias = alias;
  return m;
}

std::string gif(int n) { return "{[!CONTROL!]}" + std::to_string(n) + "{[/!CONTROL!]}"; }

// Tags of the GIF animators in a document, in item order.
std::vector<int> gifTags(const TCustomRichVista &doc) {
  std::vector<int> tags;
  for (int i = 0; i < doc.ItemCountOf(); ++i) {
    if (doc.ItemStyleOf(i) != rvsComponent) continue;
    std::string name;
    TControl *control = nullptr;
    TRVVAlign valign;
    TRVTag tag;
    doc.GetControlItemInfo(i, name, control, valign, tag);
    if (qobject_cast<TKcGIFAnimator *>(control)) tags.push_back(tag.AsInt());
  }
  return tags;
}

} // namespace

TEST(RenderTalkMessage, HeaderVariants) {
  // 2026-12-11 13:05:00 local time (TZ is UTC in the tests' environment or
  // not: the expected text is taken from the same clock).
  FixedClock clock(std::chrono::system_clock::from_time_t(1797080700));
  ClockOverride pin(clock);
  const DateTime now = nowLocal();
  char hhnn[8];
  std::snprintf(hhnn, sizeof hhnn, "%02d.%02d", now.hour, now.minute);
  const struct {
    const char *name;
    std::string alias, ip;
    bool showIP, showTime;
    std::string header;
  } rows[] = {
      {"alias", "bob", "198.18.0.2", false, false, "[bob]"},
      {"empty alias shows the IP", "", "198.18.0.2", false, false, "[198.18.0.2]"},
      {"no alias, no IP", "", "", false, false, "[]"},
      {"IP shown", "bob", "198.18.0.2", true, false, "[bob] IP:198.18.0.2"},
      {"time shown", "bob", "198.18.0.2", false, true, std::string("[bob] ") + hhnn},
      {"IP and time", "bob", "1.2.3.4", true, true, std::string("[bob] IP:1.2.3.4 ") + hhnn},
      {"ampersand stays", "a&b <i>", "", false, false, "[a&b <i>]"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    ChatDesk desk;
    desk.renderer->SetShowUserIP(row.showIP);
    desk.renderer->SetShowTime(row.showTime);
    TRichVistaEdit &t = desk.NewBox();
    desk.renderer->RenderTalkMessage(t, message("{peer}", "hi", clNavy, row.alias, row.ip));
    ASSERT_GE(t.ItemCountOf(), 3);
    EXPECT_EQ(t.ItemTextOf(1), row.header);
    EXPECT_EQ(t.ItemStyleOf(1), 1);
  }
}

TEST(RenderTalkMessage, PicturePlacement) {
  ChatDesk desk;
  TRichVistaEdit &t = desk.NewBox();
  desk.renderer->RenderTalkMessage(t, message("{peer}", "one", clNavy, "bob", "198.18.0.2", 12));
  desk.renderer->RenderTalkMessage(t, message("{peer}", "two", clNavy, "bob", "198.18.0.2", -1));
  desk.renderer->RenderTalkMessage(t, message("{peer}", "three", clNavy, "bob", "198.18.0.2", 99999));
  const int style = desk.renderer->FindUserTextStyle("{peer}");
  ASSERT_GE(style, 2);
  // Picture and header on one line, then the body in a paragraph of its
  // own; each later message starts a new paragraph with its picture.
  EXPECT_EQ(Describe(t), "|B12 \"[bob]\" |\"\" \"one\" "
                         "|B0 \"[bob]\" |\"\" \"two\" "
                         "|B0 \"[bob]\" |\"\" \"three\"");
  EXPECT_EQ(t.ItemParagraphOf(0, 0), 1);
  EXPECT_LT(t.ItemParagraphOf(3, 0), t.ItemParagraphOf(4, 0));
  EXPECT_EQ(t.ItemStyleOf(3), style);
}

TEST(RenderTalkMessage, FirstMessageContinuesTheOneItemOfAFreshTranscript) {
  ChatDesk desk;
  TRichVistaEdit &t = desk.NewBox();
  t.AddTextParagraph("", 0, 0);
  desk.renderer->RenderTalkMessage(t, message("{peer}", "x"));
  EXPECT_EQ(Describe(t).substr(0, 10), "|\"\" B12 \"[");
}

TEST(UserTextStyle, AColourChangeRecoloursWhatIsShown) {
  ChatDesk desk;
  TRichVistaEdit &t = desk.NewBox();
  desk.renderer->RenderTalkMessage(t, message("{peer}", "old", clRed));
  const int style = t.ItemStyleOf(3);
  desk.renderer->RenderTalkMessage(t, message("{peer}", "new", clBlue));
  EXPECT_EQ(t.ItemStyleOf(7), style);
  EXPECT_EQ(desk.sheet.TextStyles()[style]->Color, clBlue);
  EXPECT_EQ(desk.sheet.TextStyles()[style]->StyleName, "{peer}");
  // A colour a style cannot take leaves it as it was.
  EXPECT_EQ(desk.renderer->EnsureUserTextStyle("{peer}", clWindow), style);
  EXPECT_EQ(desk.sheet.TextStyles()[style]->Color, clBlue);
}

TEST(UserTextStyle, IDsNamingTheSheetsOwnStylesLeaveThemAlone) {
  for (const char *id : {"Normal text", "Header message", ""}) {
    SCOPED_TRACE(id);
    ChatDesk desk;
    TRichVistaEdit &t = desk.NewBox();
    desk.renderer->RenderTalkMessage(t, message(id, "body", clRed));
    EXPECT_EQ(desk.sheet.TextStyles()[0]->Color, clWindowText);
    EXPECT_EQ(desk.sheet.TextStyles()[1]->Color, clWindowText);
    EXPECT_EQ(desk.sheet.TextStyles()[0]->StyleName, "Normal text");
    const int style = desk.renderer->EnsureUserTextStyle(id, clRed);
    EXPECT_GE(style, 2);
    EXPECT_EQ(t.ItemStyleOf(3), style);
  }
}

TEST(UserTextStyle, MadeUpSendersLeaveTheStylesBounded) {
  const struct {
    const char *name;
    bool knownByDefault;
    int bound;
  } rows[] = {
      {"unknown senders", false, 2 + TTranscriptRenderer::kMaxSharedStyles},
      {"every ID taken as known", true,
       2 + TTranscriptRenderer::kMaxUserStyles + TTranscriptRenderer::kMaxSharedStyles},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    ChatDesk desk;
    if (!row.knownByDefault) desk.renderer->IsKnownUser = [](const std::string &) { return false; };
    for (int i = 0; i < 10000; ++i) {
      const TColor colour = RGB(i * 7, i * 13, i * 29);
      const int style = desk.renderer->EnsureUserTextStyle("{made-up-" + std::to_string(i) + "}", colour);
      ASSERT_GE(style, 2);
    }
    EXPECT_LE(desk.sheet.TextStyles().Count(), row.bound);
    // Shared styles keep their colour: a later sender never recolours
    // what others wrote.
    const int a = desk.renderer->EnsureUserTextStyle("{x}", clRed);
    const TColor before = desk.sheet.TextStyles()[a]->Color;
    for (int i = 0; i < 100; ++i) desk.renderer->EnsureUserTextStyle("{x}", RGB(i, 255 - i, i));
    desk.renderer->EnsureUserTextStyle("{y}", clBlue);
    EXPECT_EQ(desk.sheet.TextStyles()[a]->Color, before);
    EXPECT_LE(desk.sheet.TextStyles().Count(), row.bound);
  }
}

TEST(UserTextStyle, KnownUsersKeepTheirOwnStyle) {
  ChatDesk desk;
  desk.renderer->IsKnownUser = [](const std::string &id) { return id == "{friend}"; };
  const int own = desk.renderer->EnsureUserTextStyle("{friend}", clRed);
  const int shared = desk.renderer->EnsureUserTextStyle("{stranger}", clRed);
  EXPECT_NE(own, shared);
  EXPECT_EQ(desk.sheet.TextStyles()[own]->StyleName, "{friend}");
}

TEST(TranscriptGifs, TheSixthAnimationTrimsTheOldest) {
  ChatDesk desk;
  TRichVistaEdit &t = desk.NewBox();
  TRichVistaEdit &other = desk.NewBox();
  desk.renderer->RenderTalkMessage(other, message("{peer}", gif(9)));
  for (int n = 0; n < 6; ++n)
    desk.renderer->RenderTalkMessage(t, message("{peer}", "{[!BULLET!]}30{[/!BULLET!]}" + gif(n)));
  EXPECT_EQ(gifTags(t), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(TTranscriptRenderer::CountGifs(t), 5);
  // Still emoticons are never removed; other transcripts keep theirs.
  const std::string shown = Describe(t);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), 'B'), 12);
  EXPECT_EQ(gifTags(other), std::vector<int>{9});
  // One message carries at most five; the transcript still keeps five.
  desk.renderer->RenderTalkMessage(
      t, message("{peer}", gif(10) + gif(11) + gif(12) + gif(13) + gif(14) + gif(15) + gif(16)));
  EXPECT_EQ(gifTags(t), (std::vector<int>{10, 11, 12, 13, 14}));
  EXPECT_EQ(desk.renderer->TranscriptGifs(t).size(), 5u);
}

TEST(TranscriptGifs, OptionsApplyToNewAnimations) {
  ChatDesk desk;
  TRichVistaEdit &t = desk.NewBox();
  t.show();
  desk.renderer->SetStopGifAnimation(true);
  desk.renderer->SetHideGifAnimation(true);
  desk.renderer->RenderTalkMessage(t, message("{peer}", gif(3)));
  ASSERT_EQ(desk.renderer->TranscriptGifs(t).size(), 1u);
  TKcGIFAnimator *a = desk.renderer->TranscriptGifs(t)[0];
  EXPECT_FALSE(a->KcxAnimate());
  EXPECT_FALSE(a->isVisible());
  TTranscriptRenderer::SetGifState(t, true, true);
  TTranscriptRenderer::SetGifState(t, true, false);
  EXPECT_TRUE(a->KcxAnimate());
  EXPECT_TRUE(a->isVisible());
  // Clearing the transcript leaves no dangling animator behind.
  t.ClearDocument();
  EXPECT_TRUE(desk.renderer->TranscriptGifs(t).empty());
  desk.renderer->RenderTalkMessage(t, message("{peer}", gif(4)));
  EXPECT_EQ(gifTags(t), std::vector<int>{4});
}

TEST(RenderTalkMessage, PresenceLinesAreShownAsText) {
  ChatDesk desk;
  int offers = 0;
  desk.renderer->OnFilesOffered = [&](const std::vector<int> &, const TTalkMessage &) { ++offers; };
  TRichVistaEdit &t = desk.NewBox();
  TTalkMessage m =
      message("{peer}", "User \"[{[!CONTROLFILE!]}{[!/CONTROLFILE!]}{[!CONTROL!]}1{[/!CONTROL!]}\x0A\x0D]\" is "
                        "connect...");
  m.Presence = true;
  desk.renderer->RenderTalkMessage(t, m);
  EXPECT_EQ(Describe(t),
            "|B12 \"[bob]\" |\"\" \"User \"[{[!CONTROLFILE!]}{[!/CONTROLFILE!]}{[!CONTROL!]}1{[/!CONTROL!]}  "
            "]\" is connect...\"");
  EXPECT_EQ(desk.files.NextIndex(), 0);
  EXPECT_EQ(offers, 0);
}

TEST(RenderTalkMessage, FilesOfferedByOthersAreReported) {
  ChatDesk desk;
  std::vector<std::vector<int>> offers;
  desk.renderer->OnFilesOffered = [&](const std::vector<int> &files, const TTalkMessage &) { offers.push_back(files); };
  TRichVistaEdit &t = desk.NewBox();
  const std::string sep(markup::kFileInfoSeparator);
  const std::string block =
      "{[!CONTROLFILE!]}" + sep + "{peer}" + sep + "198.18.0.2" + sep + "0" + sep + "/a/b{[!/CONTROLFILE!]}";
  desk.renderer->RenderTalkMessage(t, message("{peer}", block + block));
  desk.renderer->RenderTalkMessage(t, message(ChatDesk::kLocalID, block));
  ASSERT_EQ(offers.size(), 1u);
  EXPECT_EQ(offers[0], (std::vector<int>{0, 1}));
  EXPECT_EQ(OfferedFileIndexOfItem(t, 4), 0);
}

TEST(RenderTalkMessage, ScrollsToTheEnd) {
  ChatDesk desk;
  TRichVistaEdit &t = desk.NewBox(300, 100);
  t.show();
  for (int i = 0; i < 40; ++i) desk.renderer->RenderTalkMessage(t, message("{peer}", "line " + std::to_string(i)));
  ASSERT_NE(t.VerticalBar(), nullptr);
  EXPECT_GT(t.VerticalBar()->maximum(), 0);
  EXPECT_EQ(t.VScrollPos(), t.VerticalBar()->maximum());
}

// ---------------------------------------------------------------------------
// Contrast

TEST(Contrast, ColoursTooCloseToTheBackgroundAreDrawnReadable) {
  const struct {
    const char *name;
    TColor text, back;
    bool unchanged;
  } rows[] = {
      {"navy on white", clNavy, clWhite, true},
      {"white on white", clWhite, clWhite, false},
      {"yellow on white", clYellow, clWhite, false},
      {"light grey on the window colour", RGB(240, 240, 240), clWindow, false},
      {"black on a dark theme", clBlack, RGB(30, 30, 30), false},
      {"navy on a dark theme", clNavy, RGB(30, 30, 30), false},
      {"white on a dark theme", clWhite, RGB(30, 30, 30), true},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    const TColor shown = ContrastColor(row.text, row.back);
    EXPECT_GE(ContrastRatio(shown, row.back), kMinTextContrast);
    if (row.unchanged) EXPECT_EQ(shown, row.text);
    else EXPECT_NE(shown, row.text);
  }
}

TEST(Contrast, TheStyleKeepsTheUsersColourAndTheScreenAdjusts) {
  ChatDesk desk;
  desk.sheet.Color = RGB(20, 20, 20); // a dark transcript
  const int style = desk.renderer->EnsureUserTextStyle("{peer}", clBlack);
  RecordingCanvas canvas;
  desk.sheet.ApplyStyleColor(canvas, style, TRVTextDrawStates(), false, 0);
  EXPECT_EQ(desk.sheet.TextStyles()[style]->Color, clBlack);
  EXPECT_GE(ContrastRatio(canvas.fontColor(), desk.sheet.Color), kMinTextContrast);
  // The sheet's own styles are drawn as they are.
  desk.sheet.ApplyStyleColor(canvas, 0, TRVTextDrawStates(), false, 0);
  EXPECT_EQ(canvas.fontColor(), clWindowText);
}
