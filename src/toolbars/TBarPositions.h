#pragma once
// Saved toolbar positions: where every dockable window of a form stands
// (visible or not, which dock, row and position, or floating at which point)
// kept as one section per window, named by the window's name. The values are
// a stored format that existing users' settings must keep loading:
//   "Rev" 2000, "Visible" 1/0, "DockedTo" ("+" floating, the dock's name,
//   empty in a dock that does not let bars be dragged), "LastDock",
//   "DockRow", "DockPos", "FloatLeft", "FloatTop"; a toolbar adds
//   "FloatRightX" (its floating width).
//
// The reader and writer work over the form's layout as seen through
// TTBPositionsOwner, and over any store offering the four callbacks, so
// that tests run them on plain objects. Stored values are checked before
// they are used: they come from a file a user (or anything) may have edited.
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace kc::tb {

class ETBPositionsError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

inline constexpr int kPositionsRevision = 2000;
// Rows past this many are never needed (empty rows vanish when a dock
// arranges) and a dock walks every row up to the highest asked for.
inline constexpr int kMaxStoredDockRow = 255;
// Coordinates and widths are kept within what a screen can hold, so that
// the arithmetic of placing a window never overflows.
inline constexpr int kMaxStoredCoordinate = 32767;

// The four store callbacks (section = the window's name).
struct TTBPositionReader {
  std::function<int(const QString &Section, const QString &Name, int Default)> ReadInteger;
  std::function<QString(const QString &Section, const QString &Name, const QString &Default)> ReadString;
};
struct TTBPositionWriter {
  std::function<void(const QString &Section, const QString &Name, int Value)> WriteInteger;
  std::function<void(const QString &Section, const QString &Name, const QString &Value)> WriteString;
};

// Dock edges, as a dock names its own.
enum TTBPositionEdge : int { peTop = 0, peBottom = 1, peLeft = 2, peRight = 3 };

// What the positions code needs of a dock.
class TTBPositionsDock {
public:
  virtual ~TTBPositionsDock() = default;
  virtual QString DockName() const = 0;
  virtual bool DockAllowsDrag() const = 0;
  virtual TTBPositionEdge DockEdge() const = 0;
  // While any update is open the dock arranges once, at the last end.
  virtual void DockBeginUpdate() = 0;
  virtual void DockEndUpdate() = 0;
};

// What the positions code needs of a dockable window.
class TTBPositionsBar {
public:
  virtual ~TTBPositionsBar() = default;
  virtual QString BarName() const = 0;
  virtual bool BarVisible() const = 0;
  virtual void SetBarVisible(bool Visible) = 0;
  virtual bool BarFloating() const = 0;
  virtual TTBPositionsDock *BarDock() const = 0; // null when not docked
  virtual TTBPositionsDock *BarLastDock() const = 0;
  virtual bool BarUsesLastDock() const = 0;
  virtual int BarDockRow() const = 0;
  virtual int BarDockPos() const = 0;
  virtual QPoint BarFloatingPosition() const = 0;
  // Whether the window may float, and may be docked on that edge or in a
  // dock other than its present one.
  virtual bool BarMayFloat() const = 0;
  virtual bool BarMayDockIn(const TTBPositionsDock *Dock) const = 0;

  // Placing: row and position first, then the floating point, then the dock
  // (null: float). SetBarLastDock only runs for a floating window.
  virtual void SetBarDockRow(int Row) = 0;
  virtual void SetBarDockPos(int Pos) = 0;
  virtual void SetBarFloatingPosition(QPoint P) = 0;
  virtual void SetBarDock(TTBPositionsDock *Dock) = 0;
  virtual void SetBarLastDock(TTBPositionsDock *Dock) = 0;
  // A floating window off every screen is brought onto the nearest one.
  virtual void KeepBarOnScreen() = 0;
  virtual void ArrangeBar() = 0;

  // The window's own values, after the common ones; and a notice once the
  // window has been placed.
  virtual void WriteOwnPositions(const TTBPositionWriter &, const QString &) {}
  virtual void ReadOwnPositions(const TTBPositionReader &, const QString &) {}
  virtual void BarPlaced() {}
};

// The docks and dockable windows of one form, in the form's order.
class TTBPositionsOwner {
public:
  virtual ~TTBPositionsOwner() = default;
  virtual std::vector<TTBPositionsDock *> PositionsDocks() const = 0;
  virtual std::vector<TTBPositionsBar *> PositionsBars() const = 0;
};

// The first dock whose name matches, regardless of case; null when none.
TTBPositionsDock *FindDockByName(const TTBPositionsOwner &Owner, const QString &Name);

// Walk the owner's windows. A window without a name stops the walk with
// ETBPositionsError; those handled before it keep their new state.
void WriteDockablePositions(const TTBPositionsOwner &Owner, const TTBPositionWriter &Writer);
void ReadDockablePositions(const TTBPositionsOwner &Owner, const TTBPositionReader &Reader);

// The same on the per-user settings store, under the registry key KeyText
// (for instance the program key + "\TBPAP"), one subkey per window.
void SaveDockablePositions(const TTBPositionsOwner &Owner, std::string_view KeyText);
void LoadDockablePositions(const TTBPositionsOwner &Owner, std::string_view KeyText);

// Range checks of stored numbers (a value outside the range is brought to
// its nearest end; a floating width outside it means "natural width").
int StoredDockRow(int Value);
int StoredCoordinate(int Value);
int StoredFloatingWidth(int Value);

// Where a floating window's rectangle goes when it lies off every work
// area: moved into the nearest one (kept whole where it fits, its top-left
// corner inside where it does not). A rectangle that meets any work area,
// or an empty list, stays.
QPoint OnScreenPosition(const QRect &Window, const std::vector<QRect> &WorkAreas);

} // namespace kc::tb
