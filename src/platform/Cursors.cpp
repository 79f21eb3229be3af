#include "platform/Cursors.h"

#include <QPixmap>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <mutex>

#include "platform/AsciiCase.h"

namespace kc {

namespace {

struct BuiltIn {
  TCursor Id;
  const char *Ident;
  Qt::CursorShape Shape;
};

// In the order of the class library's name table.
const BuiltIn BuiltIns[] = {
    {crDefault, "crDefault", Qt::ArrowCursor},
    {crArrow, "crArrow", Qt::ArrowCursor},
    {crCross, "crCross", Qt::CrossCursor},
    {crIBeam, "crIBeam", Qt::IBeamCursor},
    {crSizeNESW, "crSizeNESW", Qt::SizeBDiagCursor},
    {crSizeNS, "crSizeNS", Qt::SizeVerCursor},
    {crSizeNWSE, "crSizeNWSE", Qt::SizeFDiagCursor},
    {crSizeWE, "crSizeWE", Qt::SizeHorCursor},
    {crUpArrow, "crUpArrow", Qt::UpArrowCursor},
    {crHourGlass, "crHourGlass", Qt::WaitCursor},
    {crDrag, "crDrag", Qt::DragMoveCursor},
    {crNoDrop, "crNoDrop", Qt::ForbiddenCursor},
    {crHSplit, "crHSplit", Qt::SplitHCursor},
    {crVSplit, "crVSplit", Qt::SplitVCursor},
    {crMultiDrag, "crMultiDrag", Qt::DragCopyCursor},
    {crSQLWait, "crSQLWait", Qt::BusyCursor},
    {crNo, "crNo", Qt::ForbiddenCursor},
    {crAppStart, "crAppStart", Qt::BusyCursor},
    {crHelp, "crHelp", Qt::WhatsThisCursor},
    {crHandPoint, "crHandPoint", Qt::PointingHandCursor},
    {crSizeAll, "crSizeAll", Qt::SizeAllCursor},
    {crNone, "crNone", Qt::BlankCursor},
};

const BuiltIn *FindBuiltIn(TCursor Id) {
  for (const BuiltIn &b : BuiltIns)
    if (b.Id == Id) return &b;
  return nullptr;
}

// The cursor images: '#' black, 'o' white, anything else clear.
struct Art {
  const char *Name;
  int HotX, HotY;
  std::initializer_list<const char *> Rows;
};

const Art Arts[] = {
    {"RV_JUMP_CURSOR",
     5,
     0,
     {"     ##         ", "    #oo#        ", "    #oo#        ", "    #oo#        ", "    #oo###      ",
      "    #oo#oo###   ", "    #oo#oo#oo## ", " ## #oo#oo#oo#o#", "#oo##oooooooo#o#", "#ooo#oooooooooo#",
      " #oooooooooooooo#", "  #ooooooooooooo#", "  #oooooooooooo# ", "   #ooooooooooo# ", "   #oooooooooo#  ",
      "    #ooooooooo#  ", "    ###########  "}},
    {"RV_FLIPARROW_CURSOR",
     11,
     0,
     {"           #", "          ##", "         #o#", "        #oo#", "       #ooo#", "      #oooo#", "     #ooooo#",
      "    #oooooo#", "   #ooooooo#", "  #oooooooo#", " #####ooooo#", "     #oo#oo#", "    #oo# #o#", "    #oo#  ##",
      "   #oo#    #", "   #oo#     ", "  #oo#      ", "  #oo#      ", "   ##       "}},
    {"RV_SELECTCOL_CURSOR",
     4,
     8,
     {"   ###   ", "   ###   ", "   ###   ", "   ###   ", "#########", " ####### ", "  #####  ", "   ###   ",
      "    #    "}},
    {"RV_SELECTROW_CURSOR",
     8,
     4,
     {"    #    ", "    ##   ", "    ###  ", "########", "#########", "######## ", "    ###  ", "    ##   ",
      "    #    "}},
};

CursorImage FromArt(const Art &a) {
  int w = 0;
  for (const char *r : a.Rows) w = std::max<int>(w, int(std::char_traits<char>::length(r)));
  QImage img(w, int(a.Rows.size()), QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  int y = 0;
  for (const char *r : a.Rows) {
    for (int x = 0; r[x] != 0; ++x) {
      if (r[x] == '#') img.setPixel(x, y, qRgba(0, 0, 0, 255));
      else if (r[x] == 'o') img.setPixel(x, y, qRgba(255, 255, 255, 255));
    }
    ++y;
  }
  return CursorImage{Qt::BitmapCursor, img, QPoint(a.HotX, a.HotY)};
}

std::mutex &RegistryLock() {
  static std::mutex m;
  return m;
}

std::map<TCursor, CursorImage> &Registry() {
  static std::map<TCursor, CursorImage> r;
  return r;
}

} // namespace

std::optional<CursorImage> systemHandCursor() { return CursorImage{Qt::PointingHandCursor, {}, {}}; }

std::optional<CursorImage> loadCursorResource(std::string_view Name) {
  for (const Art &a : Arts)
    if (asciiEqualNoCase(Name, a.Name)) // resource names are matched without case
      return FromArt(a);
  return std::nullopt;
}

void setScreenCursor(TCursor Id, const std::optional<CursorImage> &Cursor) {
  if (FindBuiltIn(Id)) return;
  std::lock_guard<std::mutex> g(RegistryLock());
  if (Cursor) Registry()[Id] = *Cursor;
  else Registry().erase(Id);
}

CursorImage screenCursorImage(TCursor Id) {
  if (const BuiltIn *b = FindBuiltIn(Id)) return CursorImage{b->Shape, {}, {}};
  std::lock_guard<std::mutex> g(RegistryLock());
  auto it = Registry().find(Id);
  return it != Registry().end() ? it->second : CursorImage{};
}

QCursor screenCursor(TCursor Id) {
  CursorImage c = screenCursorImage(Id);
  if (c.shape != Qt::BitmapCursor) return QCursor(c.shape);
  return QCursor(QPixmap::fromImage(c.image), c.hotSpot.x(), c.hotSpot.y());
}

bool cursorToIdent(TCursor Cursor, std::string &Ident) {
  const BuiltIn *b = FindBuiltIn(Cursor);
  if (!b) return false;
  Ident = b->Ident;
  return true;
}

bool identToCursor(std::string_view Ident, TCursor &Cursor) {
  for (const BuiltIn &b : BuiltIns)
    if (asciiEqualNoCase(Ident, b.Ident)) {
      Cursor = b.Id;
      return true;
    }
  return false;
}

} // namespace kc
