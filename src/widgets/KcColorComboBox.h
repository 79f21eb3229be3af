#pragma once
// The combo boxes of the profile dialog: a base that limits typed text to a
// width in pixels, completes it from the list, can be read-only and can keep
// its value in the program key; and the colour picker built on it, with the
// standard colours, optional system colours and colours of the user's own.
#include <QComboBox>
#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "platform/CanvasTypes.h"

namespace kc {

class TKcMaxPixel {
public:
  int Length = 0; // pixels; 0 = no limit
  bool UseControlFont = true;
  QFont Font;
};

class TKcRegAutoSave {
public:
  QString Key, Path;
};

class TKcAutoSave {
public:
  bool Active = false;
  TKcRegAutoSave Registry;
};

class TKcCustomComboBox : public QComboBox {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TKcCustomComboBox *)>;

  explicit TKcCustomComboBox(QWidget *parent = nullptr);

  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor c) { FHintColor = c; }
  TKcMaxPixel &MaxPixel() { return FMaxPixel; }
  TKcAutoSave &AutoSave() { return FAutoSave; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool on);
  // A drop-down list (no typing) stores its index, any other its text.
  bool DropDownList() const { return !isEditable(); }

  TNotifyEvent OnMouseEnter, OnMouseLeave, OnAutoSaveRestore, OnChange;

  // What the class library does after loading: the stored value comes back.
  void Loaded();
  // The typed text changed (what the edit part reports).
  void TextChanged(const QString &text);

  void showPopup() override;

protected:
  void keyPressEvent(QKeyEvent *e) override;
  void wheelEvent(QWheelEvent *e) override;
  void enterEvent(QEnterEvent *e) override;
  void leaveEvent(QEvent *e) override;
  void saveValue();
  bool autoSaveOn() const;

  bool FChanging = false;

private:
  TColor FHintColor = clInfoBk, FSavedHintColor = clInfoBk;
  TKcMaxPixel FMaxPixel;
  TKcAutoSave FAutoSave;
  bool FReadOnly = false;
  bool FAutoCompleting = false;
  int FLastKey = 0;
};

enum TKcColorComboOption : unsigned { coText = 1, coHex = 2, coRGB = 4, coSysColors = 8, coCustomColors = 16 };
using TKcColorComboOptions = unsigned;

// The class library's name of a colour ("clBlack", "clBtnFace"); empty for
// a colour without one.
QString ColorIdent(TColor c);
// The 45 lines a new colour picker's name map starts with in the designer.
QStringList DefaultColorNameMap();

class TKcColorComboBox : public TKcCustomComboBox {
  Q_OBJECT
public:
  using TNewColorEvent = std::function<void(TKcColorComboBox *, TColor, bool &allow)>;
  using TInsertColorEvent = std::function<void(TKcColorComboBox *, TColor, QString &displayName, bool &allow)>;
  using TGetDisplayNameEvent = std::function<void(TKcColorComboBox *, int index, TColor, QString &displayName)>;
  using TColorDialog = std::function<std::optional<TColor>(TKcColorComboBox *, TColor initial)>;
  static constexpr int kStandardCount = 20, kSystemCount = 25;

  explicit TKcColorComboBox(QWidget *parent = nullptr);

  TColor ColorValue() const { return FColorValue; }
  void SetColorValue(TColor c);
  TKcColorComboOptions Options() const { return FOptions; }
  void SetOptions(TKcColorComboOptions o);
  QStringList ColorNameMap() const { return FColorNameMap; }
  void SetColorNameMap(const QStringList &map);
  QString ColorDialogText() const { return FColorDialogText; }
  void SetColorDialogText(const QString &t);
  QString NewColorText = QStringLiteral("Custom");
  int ColorWidth = 21;
  TColor HiliteColor = clHighlight, HiliteText = clHighlightText;
  int DroppedDownWidth() const;
  void SetDroppedDownWidth(int w);

  TNewColorEvent OnNewColor;
  TInsertColorEvent OnInsertColor;
  TGetDisplayNameEvent OnGetDisplayName;
  TNotifyEvent OnBeforeCustom, OnClick;
  // The colour dialog (full open, starting at the current colour); a test
  // puts its own in place. None when cancelled.
  TColorDialog ExecuteColorDialog;

  TColor ItemColor(int i) const;
  bool IsDialogEntry(int i) const;
  QString DisplayName(int i) const;
  // The text drawn for item i by the options (name, hex, RGB).
  QString ItemText(int i) const;
  int CustomCount() const { return FCustomCount; }
  // The user picks entry i (what choosing in the list does).
  void Choose(int i);
  void DrawItem(QPainter &p, const QRect &r, int i, bool selected) const;

protected:
  void paintEvent(QPaintEvent *) override;

private:
  void buildList();
  int indexOfColor(TColor c) const;
  int addCustom(TColor c);
  QString customName() const;

  TColor FColorValue = clBlack;
  TKcColorComboOptions FOptions = coText;
  QStringList FColorNameMap;
  QString FColorDialogText = QStringLiteral("Custom...");
  int FCustomCount = 0;
};

} // namespace kc
