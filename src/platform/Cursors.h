#pragma once
// Mouse cursors by number, as the class library's screen object keeps them:
// the built-in numbers from 0 down (crDefault, crArrow, ...) and the numbers
// above them that components register at run time for their own cursors.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <QCursor>
#include <QImage>
#include <QPoint>

namespace kc {

using TCursor = std::int16_t;

constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6, crSizeNS = -7,
                  crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                  crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19,
                  crHelp = -20, crHandPoint = -21, crSizeAll = -22, crSize = crSizeAll;

// A cursor as the system or a resource gives it: one of the shapes Qt draws,
// or an image (shape Qt::BitmapCursor) with its hot spot.
struct CursorImage {
  Qt::CursorShape shape = Qt::ArrowCursor;
  QImage image;
  QPoint hotSpot;
};

// The system's hand cursor for hyperlinks; none on a system without one.
std::optional<CursorImage> systemHandCursor();
// The cursor kept in the program's resources under Name; none when there is
// no cursor by that name (names are matched without case). The program's own cursors: "RV_JUMP_CURSOR" (a
// pointing hand), "RV_FLIPARROW_CURSOR" (the arrow pointing up and to the
// right that selects lines), "RV_SELECTCOL_CURSOR" and "RV_SELECTROW_CURSOR"
// (black arrows pointing down and to the right that select table columns and
// rows).
std::optional<CursorImage> loadCursorResource(std::string_view Name);

// Registers a cursor under a number; none takes the number's registration
// away, so that it shows the default cursor again. The built-in numbers
// cannot be replaced.
void setScreenCursor(TCursor Id, const std::optional<CursorImage> &Cursor);
// What a number shows: a built-in shape, a registered cursor, else the default
// arrow.
CursorImage screenCursorImage(TCursor Id);
// The same as a Qt cursor; an image cursor needs the GUI application.
QCursor screenCursor(TCursor Id);

// The class library's names of the built-in numbers ("crHandPoint"), used
// where cursors are stored; false for any other number or name.
bool cursorToIdent(TCursor Cursor, std::string &Ident);
bool identToCursor(std::string_view Ident, TCursor &Cursor);

} // namespace kc
