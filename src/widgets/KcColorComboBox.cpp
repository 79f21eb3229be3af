#include "widgets/KcColorComboBox.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include "platform/Beep.h"
#include "platform/DesktopMetrics.h"
#include "platform/ProgramKey.h"
#include "widgets/KcDraw.h"

namespace kc {

namespace {

struct NamedColor {
  const char *ident;
  TColor value;
};

constexpr NamedColor kStandard[] = {
    {"clBlack", 0x000000},      {"clMaroon", 0x000080},  {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},       {"clPurple", 0x800080},  {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},     {"clRed", 0x0000FF},     {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},  {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
};

constexpr const char *kSystemIdents[] = {
    "clScrollBar",    "clBackground",     "clActiveCaption", "clInactiveCaption", "clMenu",
    "clWindow",       "clWindowFrame",    "clMenuText",      "clWindowText",      "clCaptionText",
    "clActiveBorder", "clInactiveBorder", "clAppWorkSpace",  "clHighlight",       "clHighlightText",
    "clBtnFace",      "clBtnShadow",      "clGrayText",      "clBtnText",         "clInactiveCaptionText",
    "clBtnHighlight", "cl3DDkShadow",     "cl3DLight",       "clInfoText",        "clInfoBk",
};

// The system colours of the list carry the class library's numbers for them.
constexpr TColor systemEntry(int i) { return static_cast<TColor>(0xFF000000u | static_cast<unsigned>(i)); }

constexpr int kColorRole = Qt::UserRole, kDialogRole = Qt::UserRole + 1;

class ColorItemDelegate : public QStyledItemDelegate {
public:
  explicit ColorItemDelegate(TKcColorComboBox *combo) : QStyledItemDelegate(combo), FCombo(combo) {}
  void paint(QPainter *p, const QStyleOptionViewItem &o, const QModelIndex &i) const override {
    FCombo->DrawItem(*p, o.rect, i.row(), o.state & QStyle::State_Selected);
  }
  QSize sizeHint(const QStyleOptionViewItem &o, const QModelIndex &i) const override {
    return QSize(QStyledItemDelegate::sizeHint(o, i).width(), std::max(9, QFontMetrics(FCombo->font()).height() + 1));
  }

private:
  TKcColorComboBox *FCombo;
};

} // namespace

QString ColorIdent(TColor c) {
  for (const NamedColor &n : kStandard)
    if (n.value == c) return QString::fromLatin1(n.ident);
  const auto u = static_cast<std::uint32_t>(c);
  if ((u & 0xFFFFFF00u) == 0xFF000000u || (u & 0xFFFFFF00u) == 0x80000000u) {
    const unsigned i = u & 0xFF;
    if (i < std::size(kSystemIdents)) return QString::fromLatin1(kSystemIdents[i]);
  }
  return {};
}

QStringList DefaultColorNameMap() {
  QStringList map;
  for (const NamedColor &n : kStandard) map << QString::fromLatin1(n.ident) + "=" + QString::fromLatin1(n.ident + 2);
  for (const char *s : kSystemIdents) map << QString::fromLatin1(s) + "=" + QString::fromLatin1(s + 2);
  return map;
}

// ------------------------------------------------------- TKcCustomComboBox

TKcCustomComboBox::TKcCustomComboBox(QWidget *parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString &t) { TextChanged(t); });
  connect(this, &QComboBox::currentIndexChanged, this, [this](int) {
    if (!FChanging && DropDownList()) saveValue();
  });
}

bool TKcCustomComboBox::autoSaveOn() const {
  return FAutoSave.Active && !FAutoSave.Registry.Key.isEmpty() && !FAutoSave.Registry.Path.isEmpty();
}

void TKcCustomComboBox::saveValue() {
  if (!autoSaveOn()) return;
  RegistryIni key(FAutoSave.Registry.Key.toStdString());
  const std::string name = FAutoSave.Registry.Path.toStdString();
  if (DropDownList()) key.writeInteger("", name, currentIndex());
  else key.writeString("", name, currentText().toStdString());
}

void TKcCustomComboBox::Loaded() {
  if (!autoSaveOn()) return;
  RegistryIni key(FAutoSave.Registry.Key.toStdString());
  const std::string name = FAutoSave.Registry.Path.toStdString();
  if (!key.valueExists("", name)) return;
  FChanging = true;
  if (DropDownList()) {
    const int i = key.readInteger("", name, -1);
    if (i >= -1 && i < count()) setCurrentIndex(i);
  } else {
    setEditText(QString::fromStdString(key.readString("", name)));
  }
  FChanging = false;
  if (OnAutoSaveRestore) OnAutoSaveRestore(this);
}

void TKcCustomComboBox::TextChanged(const QString &typed) {
  if (FAutoCompleting || !lineEdit()) return;
  if (FMaxPixel.Length > 0) {
    const QFontMetrics fm(FMaxPixel.UseControlFont ? font() : FMaxPixel.Font);
    if (fm.horizontalAdvance(typed) > FMaxPixel.Length) {
      Beep();
      QString cut = typed;
      while (!cut.isEmpty() && fm.horizontalAdvance(cut) > FMaxPixel.Length) cut.chop(1);
      FAutoCompleting = true;
      lineEdit()->setText(cut);
      FAutoCompleting = false;
      return;
    }
  }
  if (FLastKey != Qt::Key_Backspace && FLastKey != Qt::Key_Delete && FLastKey != Qt::Key_Return &&
      FLastKey != Qt::Key_Enter && !typed.isEmpty()) {
    const int i = findText(typed, Qt::MatchStartsWith);
    if (i >= 0) {
      FAutoCompleting = true;
      const QString full = itemText(i);
      setCurrentIndex(i);
      lineEdit()->setText(full);
      lineEdit()->setSelection(static_cast<int>(typed.size()), static_cast<int>(full.size() - typed.size()));
      FAutoCompleting = false;
    }
  }
  saveValue();
  if (OnChange) OnChange(this);
}

void TKcCustomComboBox::SetReadOnly(bool on) {
  FReadOnly = on;
  if (lineEdit()) lineEdit()->setReadOnly(on);
}

void TKcCustomComboBox::showPopup() {
  if (!FReadOnly) QComboBox::showPopup();
}

void TKcCustomComboBox::keyPressEvent(QKeyEvent *e) {
  FLastKey = e->key();
  if (FReadOnly) {
    // Nothing the keyboard offers may change the value.
    switch (e->key()) {
    case Qt::Key_F4:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: return;
    default:
      if (!e->text().isEmpty() && e->text().at(0).isPrint()) return;
    }
  }
  QComboBox::keyPressEvent(e);
}

void TKcCustomComboBox::wheelEvent(QWheelEvent *e) {
  if (!FReadOnly) QComboBox::wheelEvent(e);
}

void TKcCustomComboBox::enterEvent(QEnterEvent *e) {
  FSavedHintColor = applicationHintColor();
  setApplicationHintColor(FHintColor);
  if (OnMouseEnter) OnMouseEnter(this);
  QComboBox::enterEvent(e);
}

void TKcCustomComboBox::leaveEvent(QEvent *e) {
  setApplicationHintColor(FSavedHintColor);
  if (OnMouseLeave) OnMouseLeave(this);
  QComboBox::leaveEvent(e);
}

// -------------------------------------------------------- TKcColorComboBox

TKcColorComboBox::TKcColorComboBox(QWidget *parent) : TKcCustomComboBox(parent) {
  setEditable(false);
  setItemDelegate(new ColorItemDelegate(this));
  ExecuteColorDialog = [](TKcColorComboBox *self, TColor initial) -> std::optional<TColor> {
    const QColor c = QColorDialog::getColor(QColorOf(initial), self);
    if (!c.isValid()) return std::nullopt;
    return TColorOf(c);
  };
  connect(this, &QComboBox::activated, this, [this](int i) { Choose(i); });
  buildList();
}

TColor TKcColorComboBox::ItemColor(int i) const { return static_cast<TColor>(itemData(i, kColorRole).toInt()); }
bool TKcColorComboBox::IsDialogEntry(int i) const { return itemData(i, kDialogRole).toBool(); }

int TKcColorComboBox::indexOfColor(TColor c) const {
  for (int i = 0; i < count(); ++i)
    if (!IsDialogEntry(i) && ItemColor(i) == c) return i;
  return -1;
}

QString TKcColorComboBox::DisplayName(int i) const {
  QString name = itemText(i);
  if (OnGetDisplayName && !IsDialogEntry(i))
    OnGetDisplayName(const_cast<TKcColorComboBox *>(this), i, ItemColor(i), name);
  return name;
}

QString TKcColorComboBox::ItemText(int i) const {
  if (IsDialogEntry(i)) return itemText(i);
  const TColor rgb = ColorToRGB(ItemColor(i));
  QStringList parts;
  if (FOptions & coText) parts << DisplayName(i);
  if (FOptions & coHex) parts << QString::asprintf("0x%.6x", static_cast<unsigned>(rgb & 0xFFFFFF));
  if (FOptions & coRGB) parts << QString::asprintf("(%d,%d,%d)", GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
  return parts.join(' ');
}

void TKcColorComboBox::buildList() {
  FChanging = true;
  clear();
  FCustomCount = 0;
  auto add = [this](const QString &ident, TColor c) {
    QString name = ident;
    for (const QString &line : FColorNameMap)
      if (line.section('=', 0, 0) == ident) {
        name = line.section('=', 1);
        break;
      }
    if (name == ident && name.startsWith("cl")) name = name.mid(2);
    addItem(name);
    setItemData(count() - 1, static_cast<int>(c), kColorRole);
  };
  for (const NamedColor &n : kStandard) add(QString::fromLatin1(n.ident), n.value);
  if (FOptions & coSysColors)
    for (int i = 0; i < kSystemCount; ++i) add(QString::fromLatin1(kSystemIdents[i]), systemEntry(i));
  if (FOptions & coCustomColors) {
    addItem(FColorDialogText);
    setItemData(count() - 1, true, kDialogRole);
  }
  FChanging = false;
  SetColorValue(FColorValue);
}

QString TKcColorComboBox::customName() const {
  QString name = NewColorText;
  return name.replace(QLatin1String("%d"), QString::number(FCustomCount));
}

int TKcColorComboBox::addCustom(TColor c) {
  ++FCustomCount;
  QString name = customName();
  bool allow = true;
  if (OnInsertColor) OnInsertColor(this, c, name, allow);
  if (!allow) return -1;
  const bool beforeDialog = (FOptions & coCustomColors) && count() > 0 && IsDialogEntry(count() - 1);
  const int at = beforeDialog ? count() - 1 : count();
  insertItem(at, name);
  setItemData(at, static_cast<int>(c), kColorRole);
  return at;
}

void TKcColorComboBox::SetColorValue(TColor c) {
  FColorValue = c;
  const bool was = FChanging;
  FChanging = true;
  int i = indexOfColor(c);
  if (i < 0) i = addCustom(c);
  setCurrentIndex(i);
  FChanging = was;
  if (!was && OnChange) OnChange(this);
}

void TKcColorComboBox::Choose(int i) {
  if (FChanging || i < 0 || i >= count()) return;
  FChanging = true;
  if ((FOptions & coCustomColors) && IsDialogEntry(i)) {
    if (OnBeforeCustom) OnBeforeCustom(this);
    const std::optional<TColor> chosen = ExecuteColorDialog ? ExecuteColorDialog(this, FColorValue) : std::nullopt;
    if (chosen) {
      bool allow = indexOfColor(*chosen) < 0;
      if (OnNewColor) OnNewColor(this, *chosen, allow);
      FChanging = false;
      if (allow) {
        const int at = addCustom(*chosen);
        FColorValue = *chosen;
        FChanging = true;
        setCurrentIndex(at >= 0 ? at : indexOfColor(*chosen));
        FChanging = false;
      } else {
        FChanging = true;
        FColorValue = *chosen;
        const int at = indexOfColor(*chosen);
        setCurrentIndex(at >= 0 ? at : addCustom(*chosen));
        FChanging = false;
      }
    } else {
      // Cancelled: back to the entry of the colour there was.
      setCurrentIndex(indexOfColor(FColorValue));
    }
  } else {
    FColorValue = ItemColor(i);
    setCurrentIndex(i);
  }
  FChanging = false;
  saveValue();
  if (OnClick) OnClick(this);
  if (OnChange) OnChange(this);
}

void TKcColorComboBox::SetOptions(TKcColorComboOptions o) {
  const TKcColorComboOptions old = FOptions;
  FOptions = o;
  if ((old ^ o) & coSysColors) {
    buildList();
  } else if ((old & coCustomColors) && !(o & coCustomColors)) {
    if (count() > 0 && IsDialogEntry(count() - 1)) removeItem(count() - 1);
  } else if (!(old & coCustomColors) && (o & coCustomColors)) {
    addItem(FColorDialogText);
    setItemData(count() - 1, true, kDialogRole);
  }
  update();
}

void TKcColorComboBox::SetColorNameMap(const QStringList &map) {
  FColorNameMap = map;
  buildList();
}

void TKcColorComboBox::SetColorDialogText(const QString &t) {
  for (int i = 0; i < count(); ++i)
    if (itemText(i) == FColorDialogText) setItemText(i, t);
  FColorDialogText = t;
}

int TKcColorComboBox::DroppedDownWidth() const { return view()->minimumWidth(); }
void TKcColorComboBox::SetDroppedDownWidth(int w) { view()->setMinimumWidth(w); }

void TKcColorComboBox::DrawItem(QPainter &p, const QRect &r, int i, bool selected) const {
  if (i < 0 || i >= count()) return;
  p.save();
  p.fillRect(r, QColorOf(selected ? HiliteColor : clWindow));
  p.setPen(QColorOf(selected ? HiliteText : clWindowText));
  QRect text = r.adjusted(2, 0, 0, 0);
  if (!IsDialogEntry(i)) {
    const QRect box(r.left() + 2, r.top() + 2, ColorWidth, std::max(1, r.height() - 4));
    p.fillRect(box, QColorOf(ItemColor(i)));
    p.setPen(QColorOf(clBlack));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(QColorOf(selected ? HiliteText : clWindowText));
    text.setLeft(box.right() + 5);
  }
  p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ItemText(i));
  p.restore();
}

void TKcColorComboBox::paintEvent(QPaintEvent *) {
  QStylePainter p(this);
  QStyleOptionComboBox opt;
  initStyleOption(&opt);
  opt.currentText.clear();
  opt.currentIcon = QIcon();
  p.drawComplexControl(QStyle::CC_ComboBox, opt);
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
  DrawItem(p, field, currentIndex(), hasFocus());
}

} // namespace kc
