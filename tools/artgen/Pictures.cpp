// Toolbar, tab, history and tray pictures.
#include "Pictures.h"

#include <QPainterPathStroker>
#include <cmath>

namespace artgen {

namespace {

// Figures shared by several lists.
void TalkPicture(const TArt &A) {
  Bubble(A, QRectF(1, 3, 20, 14), true, pal::Blue);
  Bubble(A, QRectF(11, 12, 20, 13), false, pal::Green);
  for (int i = 0; i < 3; ++i)
    A.Flat(Circle(QPointF(16.5 + 4.5 * i, 18.5), 1.4 * std::max(1.0, A.Lp * 0.8)), pal::Paper);
}

void TalkGroupPicture(const TArt &A) {
  Group(A, QRectF(0, 8, 32, 32).adjusted(0, 0, 0, -8), pal::Teal);
  Bubble(A, QRectF(14, 0, 17, 10), false, pal::Blue);
}

void UserListPicture(const TArt &A) {
  A.Shape(RoundRect(QRectF(3, 1, 22, 30), 2.5), pal::Paper);
  for (int i = 0; i < 3; ++i) {
    const double y = 5 + i * 9;
    A.Shape(Circle(QPointF(9, y + 2.5), 3), i == 0 ? pal::Blue : i == 1 ? pal::Green : pal::Orange);
    A.Line(QPointF(14, y + 2.5), QPointF(21, y + 2.5), pal::Grey, 1.5);
  }
  Person(A, QPointF(24, 19), 0.75, pal::Blue);
}

void MyProfilePicture(const TArt &A) {
  Person(A, QPointF(13, 10), 1.15, pal::Blue);
  Pencil(A, QPointF(17, 29), 15);
}

void UserProfilePicture(const TArt &A) {
  A.Shape(RoundRect(QRectF(1, 5, 30, 22), 3), pal::Paper);
  QPainterPath clip = RoundRect(QRectF(2, 6, 12, 20), 2);
  A.Shape(clip, QColor(0xDC, 0xE9, 0xFB), Edge(pal::Paper));
  Person(A, QPointF(8, 13), 0.62, pal::Blue);
  for (int i = 0; i < 3; ++i) A.Line(QPointF(17, 11 + 5 * i), QPointF(i == 2 ? 23 : 27, 11 + 5 * i), pal::Grey, 1.5);
}

void HelpPicture(const TArt &A) {
  A.Shape(Circle(QPointF(16, 16), 14), pal::Blue);
  A.Arc(QRectF(11, 7, 10, 10), -60, 230, pal::Paper, 2.4 / A.Lp * (A.Lp > 1 ? 1.2 : 1));
  A.Line(QPointF(18.5, 15.6), QPointF(16, 18.5), pal::Paper, 2.4 / A.Lp * (A.Lp > 1 ? 1.2 : 1));
  A.Flat(Circle(QPointF(16, 23.5), 2), pal::Paper);
}

void InfoPicture(const TArt &A) {
  A.Shape(Circle(QPointF(16, 16), 14), pal::Blue);
  A.Flat(Circle(QPointF(16, 9.5), 2.2), pal::Paper);
  A.Flat(RoundRect(QRectF(14, 13.5, 4, 11), 1.5), pal::Paper);
}

void GroupClosedPicture(const TArt &A) {
  Group(A, QRectF(0, 4, 32, 32).adjusted(0, 0, 0, -4), pal::Teal);
  Badge(A, TBadge::Cross, QPointF(24.5, 24.5), 7);
}

void PrivateClosedPicture(const TArt &A) {
  Bubble(A, QRectF(1, 2, 26, 18), true, pal::Blue);
  Person(A, QPointF(12, 8.5), 0.55, pal::Paper, QColor(0xF6, 0xC8, 0x9F));
  Badge(A, TBadge::Cross, QPointF(24.5, 24.5), 7);
}

void FilePicture(const TArt &A) { Sheet(A, QRectF(6, 2, 20, 28)); }

void WebPicture(const TArt &A) { Globe(A, QPointF(16, 16), 14); }

void SitePicture(const TArt &A) {
  A.Shape(RoundRect(QRectF(6, 14, 20, 16), 1), pal::Paper);
  A.Shape(Polygon({QPointF(2, 16), QPointF(16, 3), QPointF(30, 16)}), pal::Red);
  A.Shape(RoundRect(QRectF(13, 20, 6, 10), 1), pal::Brown);
  A.Shape(RoundRect(QRectF(21, 4.5, 4, 7), 0.5), pal::Red.darker(120));
}

void SupportPicture(const TArt &A) {
  QPainterPath ring = Circle(QPointF(16, 16), 14).subtracted(Circle(QPointF(16, 16), 7));
  A.Shape(ring, pal::Paper, pal::Red.darker(140));
  for (int i = 0; i < 4; ++i) {
    QPainterPath seg;
    seg.moveTo(16, 16);
    seg.arcTo(QRectF(2, 2, 28, 28), 45 + 90 * i - 20, 40);
    seg.closeSubpath();
    A.Flat(seg.intersected(Circle(QPointF(16, 16), 14 - A.Lp)).subtracted(Circle(QPointF(16, 16), 7 + A.Lp)), pal::Red);
  }
}

void AutoReplyPicture(const TArt &A) {
  Bubble(A, QRectF(1, 2, 24, 17), true, pal::Purple);
  for (int i = 0; i < 3; ++i) A.Line(QPointF(6, 7 + 4 * i), QPointF(i == 2 ? 13 : 20, 7 + 4 * i), pal::Paper, 1.5);
  Badge(A, TBadge::Clock, QPointF(24, 24), 7.5);
}

void AutoReplyOptionsPicture(const TArt &A) {
  Bubble(A, QRectF(1, 2, 24, 17), true, pal::Purple);
  for (int i = 0; i < 3; ++i) A.Line(QPointF(6, 7 + 4 * i), QPointF(i == 2 ? 13 : 20, 7 + 4 * i), pal::Paper, 1.5);
  Gear(A, QPointF(24, 24), 7.5, pal::Grey);
}

void MailUserPicture(const TArt &A) { Envelope(A, QRectF(2, 7, 28, 19)); }

void MailGroupPicture(const TArt &A) {
  Envelope(A, QRectF(1, 3, 24, 17));
  Group(A, QRectF(12, 13, 20, 20).adjusted(0, 0, 0, -1), pal::Teal);
}

void MailAllPicture(const TArt &A) {
  Envelope(A, QRectF(7, 2, 23, 15), QColor(0xE3, 0xEA, 0xF3));
  Envelope(A, QRectF(4, 8, 23, 15), QColor(0xF1, 0xF5, 0xFA));
  Envelope(A, QRectF(1, 14, 23, 15));
}

void MailEmptyPicture(const TArt &A) {
  Envelope(A, QRectF(2, 13, 28, 17), pal::Paper, true);
  Badge(A, TBadge::Plus, QPointF(25, 7), 6.5);
}

void NotTalkPrivatePicture(const TArt &A) {
  Bubble(A, QRectF(1, 2, 24, 17), true, pal::Blue);
  Person(A, QPointF(13, 8), 0.5, pal::Paper, QColor(0xF6, 0xC8, 0x9F));
  Badge(A, TBadge::NoEntry, QPointF(24.5, 24.5), 7);
}

void NotTalkGroupPicture(const TArt &A) {
  Group(A, QRectF(0, 2, 30, 30).adjusted(0, 0, 0, -4), pal::Teal);
  Badge(A, TBadge::NoEntry, QPointF(24.5, 24.5), 7);
}

void HistoryPicture(const TArt &A) {
  Book(A, QRectF(4, 2, 20, 27), pal::Brown);
  Badge(A, TBadge::Clock, QPointF(24, 23), 7.5);
}

void LanguagePicture(const TArt &A) {
  Bubble(A, QRectF(1, 2, 20, 16), true, pal::Blue);
  A.Polyline({QPointF(7, 14), QPointF(11, 5), QPointF(15, 14)}, pal::Paper, 1.6);
  A.Line(QPointF(8.5, 11), QPointF(13.5, 11), pal::Paper, 1.4);
  Bubble(A, QRectF(12, 13, 19, 13), false, pal::Orange);
  A.Line(QPointF(17, 19.5), QPointF(26, 19.5), pal::Paper, 1.6);
}

void PinPicture(const TArt &A, QPointF At) {
  QTransform t;
  t.translate(At.x(), At.y());
  t.rotate(35);
  A.Line(t.map(QPointF(0, 0)), t.map(QPointF(0, 9)), pal::DarkGrey, 1.4);
  A.Shape(
      t.map(Polygon({QPointF(-5, 0), QPointF(5, 0), QPointF(3, -4), QPointF(3, -8), QPointF(-3, -8), QPointF(-3, -4)})),
      pal::Red);
  A.Shape(t.map(RoundRect(QRectF(-4.5, -11, 9, 3.5), 1.2)), pal::Red);
}

void StayOnTopPicture(const TArt &A) {
  Window(A, QRectF(1, 8, 24, 22), pal::Blue);
  PinPicture(A, QPointF(20, 13));
}

void StayOnTopUserListPicture(const TArt &A) {
  A.Shape(RoundRect(QRectF(3, 6, 18, 25), 2), pal::Paper);
  for (int i = 0; i < 3; ++i) {
    A.Shape(Circle(QPointF(8, 11 + 7 * i), 2.5), i == 0 ? pal::Blue : i == 1 ? pal::Green : pal::Orange);
    A.Line(QPointF(12, 11 + 7 * i), QPointF(17, 11 + 7 * i), pal::Grey, 1.4);
  }
  PinPicture(A, QPointF(21, 12));
}

void HideInTrayPicture(const TArt &A) {
  Window(A, QRectF(3, 1, 22, 17), pal::Blue);
  A.Shape(RoundRect(QRectF(1, 24, 30, 7), 1.5), pal::DarkGrey);
  A.Flat(RoundRect(QRectF(23, 26, 5, 3), 0.8), pal::Green.lighter(120));
  Arrow(A, QPointF(25, 10), QPointF(25, 23), pal::Green, 1.6);
}

void ShowHintPicture(const TArt &A) {
  QPainterPath b =
      RoundRect(QRectF(1, 4, 28, 16), 3).united(Polygon({QPointF(7, 18), QPointF(14, 18), QPointF(6, 27)}));
  A.Shape(b, QColor(0xFF, 0xF3, 0xB0), QColor(0xB5, 0x8F, 0x18));
  for (int i = 0; i < 2; ++i)
    A.Line(QPointF(6, 9 + 5 * i), QPointF(i ? 17 : 24, 9 + 5 * i), QColor(0x8A, 0x6D, 0x12), 1.4);
}

void SoundsPicture(const TArt &A) {
  A.Shape(Polygon({QPointF(3, 12), QPointF(9, 12), QPointF(16, 5), QPointF(16, 27), QPointF(9, 20), QPointF(3, 20)}),
          pal::Grey);
  A.Arc(QRectF(12, 10, 10, 12), -50, 100, pal::Blue, 1.8);
  A.Arc(QRectF(12, 5, 17, 22), -55, 110, pal::Blue, 1.8);
}

void MessageFormatPicture(const TArt &A) {
  A.Shape(RoundRect(QRectF(2, 3, 28, 26), 3), pal::Paper);
  A.Shape(RoundRect(QRectF(5, 7, 6, 6), 1.5), pal::Orange);
  A.Line(QPointF(14, 8.5), QPointF(26, 8.5), pal::Ink, 1.6);
  A.Line(QPointF(14, 12), QPointF(22, 12), pal::Grey, 1.4);
  A.Line(QPointF(6, 18), QPointF(26, 18), pal::Blue, 1.6);
  A.Line(QPointF(6, 23), QPointF(20, 23), pal::Red, 1.6);
}

void GifAnimationPicture(const TArt &A) {
  A.Shape(RoundRect(QRectF(1, 5, 30, 22), 2), pal::DarkGrey);
  for (int i = 0; i < 6; ++i) {
    A.Flat(RoundRect(QRectF(3 + 4.7 * i, 6.5, 2.5, 2.5), 0.5), pal::Paper);
    A.Flat(RoundRect(QRectF(3 + 4.7 * i, 23, 2.5, 2.5), 0.5), pal::Paper);
  }
  TFace f;
  f.EyesKind = TFace::Wink;
  Face(A, QPointF(16, 16), 6.5, f, 1.2 * A.Lp);
}

void ButtonsPicture(const TArt &A) {
  A.Shape(RoundRect(QRectF(1, 2, 19, 19), 3), pal::Blue);
  A.Shape(RoundRect(QRectF(20, 18, 11, 11), 2), pal::Green);
  A.Shape(RoundRect(QRectF(5, 23, 8, 8), 1.5), pal::Orange);
}

void PanelsPicture(const TArt &A) {
  Window(A, QRectF(1, 3, 30, 26), pal::Blue);
  A.Shape(RoundRect(QRectF(4, 10, 24, 5), 1), QColor(0xE4, 0xEA, 0xF2));
  for (int i = 0; i < 4; ++i)
    A.Flat(RoundRect(QRectF(6 + 5.5 * i, 11.3, 3, 2.6), 0.5), i % 2 ? pal::Green : pal::Orange);
  A.Shape(RoundRect(QRectF(4, 22, 24, 5), 1), QColor(0xE4, 0xEA, 0xF2));
}

void ResetDialogsPicture(const TArt &A) {
  Window(A, QRectF(1, 2, 24, 20), pal::Purple);
  A.Shape(RoundRect(QRectF(12, 14, 10, 5), 1), pal::Paper);
  A.Shape(Circle(QPointF(24, 24), 7.5), pal::Green);
  A.Arc(QRectF(20, 20, 8, 8), 90, 270, pal::Paper, 1.5);
  A.Flat(Polygon({QPointF(24, 18.3), QPointF(27.2, 20.3), QPointF(24, 22.3)}), pal::Paper);
}

void OpenPicture(const TArt &A) {
  A.Shape(RoundRect(QRectF(1, 25, 30, 6), 1.5), pal::DarkGrey);
  Window(A, QRectF(5, 4, 24, 17), pal::Blue);
  Arrow(A, QPointF(8, 26), QPointF(8, 12), pal::Green, 1.6);
}

void ClosePicture(const TArt &A) {
  A.Shape(Circle(QPointF(16, 16), 14), pal::Red);
  A.Arc(QRectF(9.5, 9.5, 13, 13), 125, 290, pal::Paper, 2.2);
  A.Line(QPointF(16, 7.5), QPointF(16, 15), pal::Paper, 2.2);
}

void SendPicture(const TArt &A) { Plane(A, QRectF(2, 4, 28, 24)); }

void StillEmoticonPicture(const TArt &A) {
  TFace f;
  f.MouthKind = TFace::Grin;
  Face(A, QPointF(16, 16), 14, f, 1.6 * A.Lp);
}

void AnimatedEmoticonPicture(const TArt &A) {
  TFace f;
  f.EyesKind = TFace::Wink;
  f.MouthKind = TFace::Tongue;
  Face(A, QPointF(18, 18), 12.5, f, 1.5 * A.Lp);
  A.Shape(Star(QPointF(5.5, 6), 5.5, 2.2, 4), pal::Orange);
  A.Shape(Star(QPointF(4.5, 19), 3.5, 1.4, 4), pal::Orange);
}

void InsertFilePicture(const TArt &A) {
  Sheet(A, QRectF(3, 1, 20, 27));
  Badge(A, TBadge::Plus, QPointF(24.5, 24.5), 7);
}

void InsertFolderPicture(const TArt &A) {
  FolderShape(A, QRectF(1, 4, 28, 22));
  Badge(A, TBadge::Plus, QPointF(24.5, 24.5), 7);
}

void ClearTextPicture(const TArt &A) {
  A.Line(QPointF(3, 29), QPointF(29, 29), pal::Grey, 1.5);
  Eraser(A, QRectF(3, 4, 26, 22));
}

void CloseTalkPicture(const TArt &A) {
  Bubble(A, QRectF(1, 2, 26, 18), true, pal::Blue);
  for (int i = 0; i < 3; ++i) A.Flat(Circle(QPointF(8 + 6 * i, 11), 1.8), pal::Paper);
  Badge(A, TBadge::Cross, QPointF(24.5, 24.5), 7);
}

void CopyPicture(const TArt &A) {
  Sheet(A, QRectF(2, 1, 18, 23), false);
  Sheet(A, QRectF(12, 8, 18, 23));
}

void CutPicture(const TArt &A) {
  A.Line(QPointF(9, 2), QPointF(21, 20), pal::DarkGrey, 2);
  A.Line(QPointF(23, 2), QPointF(11, 20), pal::Grey, 2);
  QPainterPath ring = Circle(QPointF(9, 24), 5).subtracted(Circle(QPointF(9, 24), 2.6));
  QPainterPath ring2 = Circle(QPointF(23, 24), 5).subtracted(Circle(QPointF(23, 24), 2.6));
  A.Shape(ring, pal::Red);
  A.Shape(ring2, pal::Red);
}

void PastePicture(const TArt &A) {
  A.Shape(RoundRect(QRectF(3, 4, 22, 27), 2.5), pal::Brown);
  A.Shape(RoundRect(QRectF(9, 1.5, 10, 6), 1.5), pal::Grey);
  Sheet(A, QRectF(13, 11, 17, 20));
}

void DeletePicture(const TArt &A) {
  A.Line(QPointF(7, 7), QPointF(25, 25), pal::Red, 4.5 / A.Lp * (A.Lp > 1 ? 1.0 : 0.8));
  A.Line(QPointF(25, 7), QPointF(7, 25), pal::Red, 4.5 / A.Lp * (A.Lp > 1 ? 1.0 : 0.8));
}

void SelectAllPicture(const TArt &A) {
  A.Shape(RoundRect(QRectF(2, 2, 28, 28), 2), pal::Paper);
  A.Flat(RoundRect(QRectF(5, 6, 22, 20), 1), QColor(0xC9, 0xDA, 0xF8));
  for (int i = 0; i < 4; ++i)
    A.Line(QPointF(8, 9.5 + 4.5 * i), QPointF(i == 3 ? 16 : 24, 9.5 + 4.5 * i), pal::Navy, 1.4);
}

void UndoPicture(const TArt &A) {
  // A hook bending back to the left, its head at the left end.
  QPainterPath hook;
  hook.moveTo(11, 9);
  hook.lineTo(19, 9);
  hook.cubicTo(32, 9, 32, 28, 19, 28);
  hook.lineTo(12, 28);
  QPainterPathStroker st;
  st.setWidth(5);
  st.setCapStyle(Qt::FlatCap);
  st.setJoinStyle(Qt::RoundJoin);
  A.Shape(st.createStroke(hook).united(Polygon({QPointF(2, 9), QPointF(12, 1.5), QPointF(12, 16.5)})).simplified(),
          pal::Blue);
}

void OpenFilePicture(const TArt &A) {
  FolderShape(A, QRectF(1, 8, 28, 22), true);
  Arrow(A, QPointF(24, 14), QPointF(24, 1), pal::Green, 1.6);
}

void SaveAsPicture(const TArt &A) {
  Disk(A, QRectF(2, 2, 24, 24));
  Pencil(A, QPointF(15, 31), 17);
}

void GetFilePicture(const TArt &A) {
  Sheet(A, QRectF(3, 1, 20, 27));
  Badge(A, TBadge::Down, QPointF(24.5, 24.5), 7);
}

void OptionsPicture(const TArt &A) { Gear(A, QPointF(16, 16), 14.5, pal::Grey); }

void NoPicture(const TArt &A) {
  A.Shape(Circle(QPointF(16, 16), 15), QColor(0xDD, 0xE2, 0xE8), QColor(0x9A, 0xA3, 0xAE));
  QPainterPath clip = Circle(QPointF(16, 16), 15 - A.Lp);
  QPainterPath head = Circle(QPointF(16, 12.5), 5.5);
  QPainterPath body = Ellipse(QRectF(6, 19.5, 20, 16));
  A.Flat(head.united(body).intersected(clip), QColor(0xA7, 0xB0, 0xBB));
}

void AllUsersPicture(const TArt &A) {
  Globe(A, QPointF(12, 12), 11);
  Group(A, QRectF(10, 12, 22, 22).adjusted(0, 0, 0, -2), pal::Orange);
}

void OwnGroupPicture(const TArt &A) { Group(A, QRectF(0, 2, 32, 30), pal::Teal); }

} // namespace

std::vector<TListPicture> HotPictures() {
  return {
      {"talk with user", TalkPicture},
      {"talk with group", TalkGroupPicture},
      {"user list", UserListPicture},
      {"my profile", MyProfilePicture},
      {"user profile", UserProfilePicture},
      {"options", OptionsPicture},
      {"help", HelpPicture},
      {"group talk closed", GroupClosedPicture},
      {"private talk closed", PrivateClosedPicture},
      {"offered file", FilePicture},
      {"about", InfoPicture},
      {"on the web", WebPicture},
      {"maker's site", SitePicture},
      {"technical support", SupportPicture},
      {"auto-reply", AutoReplyPicture},
      {"auto-reply options", AutoReplyOptionsPicture},
      {"mail user", MailUserPicture},
      {"mail group", MailGroupPicture},
      {"mail all", MailAllPicture},
      {"empty mail", MailEmptyPicture},
      {"not talk private", NotTalkPrivatePicture},
      {"not talk group", NotTalkGroupPicture},
      {"history", HistoryPicture},
      {"language", LanguagePicture},
      {"stay on top", StayOnTopPicture},
      {"stay on top user list", StayOnTopUserListPicture},
      {"hide in tray", HideInTrayPicture},
      {"show hint", ShowHintPicture},
      {"sounds", SoundsPicture},
      {"message format", MessageFormatPicture},
      {"gif animation", GifAnimationPicture},
      {"buttons", ButtonsPicture},
      {"panels of tools", PanelsPicture},
      {"reset dialogues", ResetDialogsPicture},
      {"open", OpenPicture},
      {"close", ClosePicture},
      {"send", SendPicture},
      {"still emoticon", StillEmoticonPicture},
      {"animated emoticon", AnimatedEmoticonPicture},
      {"insert file", InsertFilePicture},
      {"insert folder", InsertFolderPicture},
      {"clear text", ClearTextPicture},
      {"close talk", CloseTalkPicture},
      {"copy", CopyPicture},
      {"cut", CutPicture},
      {"paste", PastePicture},
      {"delete", DeletePicture},
      {"select all", SelectAllPicture},
      {"undo", UndoPicture},
      {"open file", OpenFilePicture},
      {"save as", SaveAsPicture},
      {"get file", GetFilePicture},
  };
}

std::vector<TListPicture> ProfilePictures() {
  std::vector<TListPicture> v = {
      {"no picture", NoPicture},
      {"all users", AllUsersPicture},
      {"own group", OwnGroupPicture},
      {"auto-reply", AutoReplyPicture},
      {"send", SendPicture},
      {"file", FilePicture},
      {"folder", [](const TArt &A) { FolderShape(A, QRectF(1, 4, 30, 24)); }},
      {"still emoticons", StillEmoticonPicture},
      {"animated emoticons", AnimatedEmoticonPicture},
      {"clear text", ClearTextPicture},
      {"close talk", CloseTalkPicture},
  };
  for (TListPicture &u : UserPictures()) v.push_back(u);
  for (TListPicture &e : StillEmoticons()) v.push_back(e);
  return v;
}

std::vector<TListPicture> StoryPictures() {
  return {
      {"open",
       [](const TArt &A) {
         Book(A, QRectF(4, 2, 22, 28), pal::Blue);
         Arrow(A, QPointF(14, 16), QPointF(29, 16), pal::Green, 1.6);
       }},
      {"save as", SaveAsPicture},
      {"move",
       [](const TArt &A) {
         Sheet(A, QRectF(2, 1, 18, 25));
         Arrow(A, QPointF(12, 24), QPointF(30, 24), pal::Green, 1.8);
       }},
      {"delete", [](const TArt &A) { Bin(A, QRectF(5, 3, 22, 27)); }},
      {"history file",
       [](const TArt &A) {
         Sheet(A, QRectF(5, 1, 20, 28));
         Badge(A, TBadge::Clock, QPointF(24, 24), 7);
       }},
  };
}

std::vector<TListPicture> TreyPictures() {
  std::vector<TListPicture> v;
  for (int i = 0; i < 4; ++i)
    v.push_back({i ? QStringLiteral("tray, notice %1").arg(i) : QStringLiteral("tray, resting"),
                 [i](const TArt &A) { DrawProgramIcon(A, i); }});
  return v;
}

QImage Render(const TDrawFn &Draw, int Size, int ListSize) {
  QImage img(Size, Size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.scale(Size / 32.0, Size / 32.0);
  const TArt a{p, 32.0 / ListSize};
  Draw(a);
  p.end();
  return img;
}

} // namespace artgen
