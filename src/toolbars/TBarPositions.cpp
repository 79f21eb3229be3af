#include "toolbars/TBarPositions.h"

#include <algorithm>
#include <climits>

#include "platform/ProgramKey.h"
#include "toolbars/TBarConsts.h"

namespace kc::tb {

namespace {

const QString kRev = QStringLiteral("Rev");
const QString kVisible = QStringLiteral("Visible");
const QString kDockedTo = QStringLiteral("DockedTo");
const QString kLastDock = QStringLiteral("LastDock");
const QString kDockRow = QStringLiteral("DockRow");
const QString kDockPos = QStringLiteral("DockPos");
const QString kFloatLeft = QStringLiteral("FloatLeft");
const QString kFloatTop = QStringLiteral("FloatTop");
const QString kFloating = QStringLiteral("+");

QString NameOf(const TTBPositionsBar &Bar) {
  QString name = Bar.BarName();
  if (name.isEmpty()) throw ETBPositionsError(STBSaveNameNotSet);
  return name;
}

// The dock a stored name leads to, when the window may go there.
TTBPositionsDock *UsableDock(const TTBPositionsOwner &Owner, const TTBPositionsBar &Bar, const QString &Name) {
  TTBPositionsDock *dock = FindDockByName(Owner, Name);
  if (!dock || !dock->DockAllowsDrag() || !Bar.BarMayDockIn(dock)) return nullptr;
  return dock;
}

void ApplyDockablePosition(const TTBPositionsOwner &Owner, TTBPositionsBar &Bar, const QString &Section,
                           const TTBPositionReader &Reader, TTBPositionsDock *Dock) {
  Bar.SetBarDockRow(StoredDockRow(Reader.ReadInteger(Section, kDockRow, Bar.BarDockRow())));
  Bar.SetBarDockPos(StoredCoordinate(Reader.ReadInteger(Section, kDockPos, Bar.BarDockPos())));
  const QPoint floatAt(StoredCoordinate(Reader.ReadInteger(Section, kFloatLeft, 0)),
                       StoredCoordinate(Reader.ReadInteger(Section, kFloatTop, 0)));
  Bar.ReadOwnPositions(Reader, Section);
  Bar.SetBarFloatingPosition(floatAt);
  if (Dock) {
    Bar.SetBarDock(Dock);
  } else {
    Bar.SetBarDock(nullptr);
    Bar.KeepBarOnScreen();
    if (Bar.BarUsesLastDock())
      if (TTBPositionsDock *last = UsableDock(Owner, Bar, Reader.ReadString(Section, kLastDock, QString())))
        Bar.SetBarLastDock(last);
  }
  Bar.ArrangeBar();
  Bar.BarPlaced();
}

// Holds every dock in update mode for a read; they leave it last first,
// also when the read stops with an error.
class DockUpdates {
public:
  explicit DockUpdates(const TTBPositionsOwner &Owner) {
    for (TTBPositionsDock *d : Owner.PositionsDocks()) {
      d->DockBeginUpdate();
      docks_.push_back(d);
    }
  }
  ~DockUpdates() {
    for (auto it = docks_.rbegin(); it != docks_.rend(); ++it) (*it)->DockEndUpdate();
  }
  DockUpdates(const DockUpdates &) = delete;
  DockUpdates &operator=(const DockUpdates &) = delete;

private:
  std::vector<TTBPositionsDock *> docks_;
};

} // namespace

int StoredDockRow(int Value) { return std::clamp(Value, 0, kMaxStoredDockRow); }

int StoredCoordinate(int Value) { return std::clamp(Value, -kMaxStoredCoordinate, kMaxStoredCoordinate); }

int StoredFloatingWidth(int Value) { return Value < 0 || Value > kMaxStoredCoordinate ? 0 : Value; }

TTBPositionsDock *FindDockByName(const TTBPositionsOwner &Owner, const QString &Name) {
  for (TTBPositionsDock *d : Owner.PositionsDocks())
    if (d->DockName().compare(Name, Qt::CaseInsensitive) == 0) return d;
  return nullptr;
}

void WriteDockablePositions(const TTBPositionsOwner &Owner, const TTBPositionWriter &Writer) {
  for (TTBPositionsBar *bar : Owner.PositionsBars()) {
    const QString section = NameOf(*bar);
    QString dockedTo;
    if (bar->BarFloating()) {
      dockedTo = kFloating;
    } else if (TTBPositionsDock *dock = bar->BarDock()) {
      if (dock->DockAllowsDrag()) {
        dockedTo = dock->DockName();
        if (dockedTo.isEmpty()) throw ETBPositionsError(STBSaveDockedToNameNotSet);
      }
    } else {
      continue;
    }
    const TTBPositionsDock *last = bar->BarLastDock();
    const QPoint floatAt = bar->BarFloatingPosition();
    Writer.WriteInteger(section, kRev, kPositionsRevision);
    Writer.WriteInteger(section, kVisible, bar->BarVisible() ? 1 : 0);
    Writer.WriteString(section, kDockedTo, dockedTo);
    Writer.WriteString(section, kLastDock, last ? last->DockName() : QString());
    Writer.WriteInteger(section, kDockRow, bar->BarDockRow());
    Writer.WriteInteger(section, kDockPos, bar->BarDockPos());
    Writer.WriteInteger(section, kFloatLeft, floatAt.x());
    Writer.WriteInteger(section, kFloatTop, floatAt.y());
    bar->WriteOwnPositions(Writer, section);
  }
}

void ReadDockablePositions(const TTBPositionsOwner &Owner, const TTBPositionReader &Reader) {
  DockUpdates updates(Owner);
  for (TTBPositionsBar *bar : Owner.PositionsBars()) {
    const QString section = NameOf(*bar);
    if (Reader.ReadInteger(section, kRev, 0) != kPositionsRevision) continue;
    bar->SetBarVisible(Reader.ReadInteger(section, kVisible, bar->BarVisible() ? 1 : 0) != 0);
    const QString dockedTo = Reader.ReadString(section, kDockedTo, QString());
    if (dockedTo.isEmpty()) continue;
    if (dockedTo == kFloating) {
      // A window that may not float stays where it was designed to be.
      if (!bar->BarMayFloat()) continue;
      ApplyDockablePosition(Owner, *bar, section, Reader, nullptr);
    } else if (TTBPositionsDock *dock = UsableDock(Owner, *bar, dockedTo)) {
      ApplyDockablePosition(Owner, *bar, section, Reader, dock);
    }
  }
}

void SaveDockablePositions(const TTBPositionsOwner &Owner, std::string_view KeyText) {
  RegistryIni ini(KeyText);
  TTBPositionWriter writer;
  writer.WriteInteger = [&ini](const QString &Section, const QString &Name, int Value) {
    // Stored as decimal text, as the layout has always been kept.
    ini.writeString(Section.toStdString(), Name.toStdString(), std::to_string(Value));
  };
  writer.WriteString = [&ini](const QString &Section, const QString &Name, const QString &Value) {
    ini.writeString(Section.toStdString(), Name.toStdString(), Value.toStdString());
  };
  WriteDockablePositions(Owner, writer);
}

void LoadDockablePositions(const TTBPositionsOwner &Owner, std::string_view KeyText) {
  const RegistryIni ini(KeyText);
  TTBPositionReader reader;
  reader.ReadInteger = [&ini](const QString &Section, const QString &Name, int Default) {
    return ini.readInteger(Section.toStdString(), Name.toStdString(), Default);
  };
  reader.ReadString = [&ini](const QString &Section, const QString &Name, const QString &Default) {
    return QString::fromStdString(ini.readString(Section.toStdString(), Name.toStdString(), Default.toStdString()));
  };
  ReadDockablePositions(Owner, reader);
}

namespace {
long long Gap(int ALow, int AHigh, int BLow, int BHigh) {
  if (AHigh < BLow) return (long long)BLow - AHigh;
  if (BHigh < ALow) return (long long)ALow - BHigh;
  return 0;
}
} // namespace

QPoint OnScreenPosition(const QRect &Window, const std::vector<QRect> &WorkAreas) {
  const QRect *nearest = nullptr;
  long long best = LLONG_MAX;
  for (const QRect &area : WorkAreas) {
    if (area.isEmpty()) continue;
    if (area.intersects(Window)) return Window.topLeft();
    const long long dx = Gap(Window.left(), Window.right(), area.left(), area.right());
    const long long dy = Gap(Window.top(), Window.bottom(), area.top(), area.bottom());
    if (dx * dx + dy * dy < best) {
      best = dx * dx + dy * dy;
      nearest = &area;
    }
  }
  if (!nearest) return Window.topLeft();
  // Right and bottom edges first, then left and top, so that a window larger
  // than the area keeps its top-left corner inside it.
  QPoint p = Window.topLeft();
  if (p.x() + Window.width() > nearest->left() + nearest->width())
    p.setX(nearest->left() + nearest->width() - Window.width());
  if (p.y() + Window.height() > nearest->top() + nearest->height())
    p.setY(nearest->top() + nearest->height() - Window.height());
  p.setX(std::max(p.x(), nearest->left()));
  p.setY(std::max(p.y(), nearest->top()));
  return p;
}

} // namespace kc::tb
