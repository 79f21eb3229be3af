#pragma once
// The item tree of menus and toolbars. An item keeps state (caption, check
// mark, image, options, visibility), tells the views registered with it what
// changed, and runs its click; it never draws. Parents own their sub-items.
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/ImageList.h"

namespace kc::tb {

class ETBItemError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

using TTBItemOptions = std::uint8_t;
enum : TTBItemOptions {
  tboDefault = 1 << 0,
  tboDropdownArrow = 1 << 1,
  tboImageAboveCaption = 1 << 2,
  tboLongHintInMenuOnly = 1 << 3,
  tboNoRotation = 1 << 4,
  tboShowHint = 1 << 5,
  tboToolbarStyle = 1 << 6,
  tboToolbarSize = 1 << 7,
};

using TTBItemKind = std::uint16_t;
enum : TTBItemKind {
  ikSubmenu = 1 << 0,
  ikSelectable = 1 << 1,
  ikSeparator = 1 << 2,
  ikEmbeddedGroup = 1 << 3,
  ikIgnoresClicks = 1 << 4,
  ikCombo = 1 << 5,
  ikNoAutoOpen = 1 << 6,
  ikNoLineBreak = 1 << 8,
  ikRightAlign = 1 << 9,
  ikNeverFirst = 1 << 10,
  ikRedrawOnSelChange = 1 << 11,
  ikRedrawOnHotChange = 1 << 12,
};

enum TTBItemChangeKind : int {
  ckInserted = 0,
  ckDeleting = 1,
  ckSubitemsChanged = 2,
  ckBeginUpdate = 3,
  ckEndUpdate = 4,
  ckChanged = 5,
  ckChangedResize = 6,
  ckNameChanged = 8,
  ckSubmenuImagesChanged = 9,
};

enum TTBItemDisplayMode : std::uint8_t { nbdmDefault, nbdmTextOnly, nbdmTextOnlyInMenus, nbdmImageAndText };

// Shortcuts as 16-bit values: the key code in the low byte and these bits.
using TShortCut = std::uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
QString ShortCutToText(TShortCut ShortCut);
// The shortcut of a Qt key press (0 for keys a shortcut cannot name).
TShortCut ShortCutFromKey(int QtKey, Qt::KeyboardModifiers Modifiers);

class TTBCustomItem;
class TTBView;
class TTBItemViewer;

// What a view implements to hear about changes of an item's sub-items.
class TTBItemChangeListener {
public:
  virtual ~TTBItemChangeListener() = default;
  virtual void ItemNotification(TTBCustomItem *Ancestor, bool Relayed, TTBItemChangeKind Kind, int Index,
                                TTBCustomItem *Item) = 0;
  // The item is being destroyed; the listener must let go of it.
  virtual void ItemDestroying(TTBCustomItem *Item) = 0;
};

// A reference to an item that turns empty when the item is destroyed.
class TTBItemRef {
public:
  TTBItemRef() = default;
  explicit TTBItemRef(TTBCustomItem *Item);
  TTBCustomItem *get() const { return alive_.expired() ? nullptr : item_; }
  explicit operator bool() const { return get() != nullptr; }

private:
  TTBCustomItem *item_ = nullptr;
  std::weak_ptr<void> alive_;
};

class TTBCustomItemActionLink;

// A command shared by several items: its state is copied to every item
// linked to it while the item's value still equals the action's.
class TTBAction {
public:
  TTBAction() = default;
  ~TTBAction();
  TTBAction(const TTBAction &) = delete;
  TTBAction &operator=(const TTBAction &) = delete;

  const QString &Caption() const { return caption_; }
  const QString &Hint() const { return hint_; }
  bool Checked() const { return checked_; }
  bool Enabled() const { return enabled_; }
  bool Visible() const { return visible_; }
  bool AutoCheck() const { return autoCheck_; }
  int ImageIndex() const { return imageIndex_; }
  int HelpContext() const { return helpContext_; }
  TShortCut ShortCut() const { return shortCut_; }
  void SetCaption(const QString &v);
  void SetHint(const QString &v);
  void SetChecked(bool v);
  void SetEnabled(bool v);
  void SetVisible(bool v);
  void SetAutoCheck(bool v);
  void SetImageIndex(int v);
  void SetHelpContext(int v);
  void SetShortCut(TShortCut v);

  std::function<void(TTBCustomItem *Sender)> OnExecute;
  std::function<void(TTBAction *)> OnUpdate;
  bool Execute(TTBCustomItem *Component);
  void Update();

private:
  friend class TTBCustomItemActionLink;
  friend class TTBCustomItem;
  QString caption_, hint_;
  bool checked_ = false, enabled_ = true, visible_ = true, autoCheck_ = false;
  int imageIndex_ = -1, helpContext_ = 0;
  TShortCut shortCut_ = 0;
  std::vector<TTBCustomItemActionLink *> links_;
};

class TTBCustomItemActionLink {
public:
  TTBCustomItemActionLink(TTBCustomItem *Client, TTBAction *Action);
  ~TTBCustomItemActionLink();
  TTBAction *Action() const { return action_; }
  bool IsCaptionLinked() const;
  bool IsCheckedLinked() const;
  bool IsEnabledLinked() const;
  bool IsHelpContextLinked() const;
  bool IsHintLinked() const;
  bool IsImageIndexLinked() const;
  bool IsShortCutLinked() const;
  bool IsVisibleLinked() const;
  bool IsAutoCheckLinked() const;

private:
  friend class TTBAction;
  friend class TTBCustomItem;
  TTBCustomItem *client_;
  TTBAction *action_;
};

class TTBCustomItem {
public:
  TTBCustomItem();
  virtual ~TTBCustomItem();
  TTBCustomItem(const TTBCustomItem &) = delete;
  TTBCustomItem &operator=(const TTBCustomItem &) = delete;

  // ---- the tree
  int Count() const { return int(items_.size()); }
  TTBCustomItem *ItemAt(int Index) const;
  void Add(TTBCustomItem *Item) { Insert(Count(), Item); }
  // Takes ownership of Item.
  void Insert(int Index, TTBCustomItem *Item);
  // Takes Item out of the tree without freeing it; the caller owns it then.
  void Delete(int Index);
  int IndexOf(const TTBCustomItem *Item) const;
  void Remove(TTBCustomItem *Item);
  // Frees every sub-item, the last first.
  void Clear();
  void Move(int CurIndex, int NewIndex);
  TTBCustomItem *Parent() const { return parent_; }

  // ---- state
  const QString &Name() const { return name_; }
  void SetName(const QString &v);
  const QString &Caption() const { return caption_; }
  void SetCaption(const QString &v);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool v) { autoCheck_ = v; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int v) { helpContext_ = v; }
  const QString &Hint() const { return hint_; }
  void SetHint(const QString &v) { hint_ = v; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  TTBItemDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TTBItemDisplayMode v);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut v) { shortCut_ = v; }
  TTBItemOptions Options() const { return options_; }
  void SetOptions(TTBItemOptions v);
  TTBItemOptions MaskOptions() const { return maskOptions_; }
  void SetMaskOptions(TTBItemOptions v);
  bool InheritOptions() const { return inheritOptions_; }
  void SetInheritOptions(bool v);
  TTBItemOptions ResolvedOptions() const { return resolvedOptions_; }
  TTBItemKind ItemKind() const { return kind_; }
  bool Has(TTBItemKind Flags) const { return (kind_ & Flags) != 0; }
  void SetItemKind(TTBItemKind v) { kind_ = v; }
  bool DropdownCombo() const { return Has(ikCombo); }
  void SetDropdownCombo(bool v);
  // Images are not owned and must outlive the item or be set to nil first.
  TCustomImageList *Images() const { return images_; }
  void SetImages(TCustomImageList *v);
  TCustomImageList *SubMenuImages() const { return subMenuImages_; }
  void SetSubMenuImages(TCustomImageList *v);
  TTBCustomItem *LinkSubitems() const { return linkSubitems_; }
  void SetLinkSubitems(TTBCustomItem *v);
  const std::vector<TTBCustomItem *> &LinkedBy() const { return linkedBy_; }
  TTBAction *Action() const { return actionLink_ ? actionLink_->action_ : nullptr; }
  void SetAction(TTBAction *v);
  TTBCustomItemActionLink *ActionLink() const { return actionLink_.get(); }
  int Tag = 0;

  // The item whose sub-items this item shows: LinkSubitems, else itself.
  TTBCustomItem *EffectiveSource() { return linkSubitems_ ? linkSubitems_ : this; }
  // Caption cut at its first tab.
  QString CaptionText() const;
  // The part of Caption after its first tab, else the shortcut's text.
  QString ShortCutText() const;
  // The short hint (before a bar).
  QString ShortHint() const;
  QString LongHint() const;

  // ---- notifications
  void AddChangeHandler(TTBItemChangeListener *Listener);
  void RemoveChangeHandler(TTBItemChangeListener *Listener);
  void Change(bool NeedResize);
  void Invalidate() { Change(false); }

  // ---- behaviour
  virtual void Click();
  virtual void DoPopup(TTBCustomItem *Sender, bool FromLink);
  virtual void InitiateAction();
  virtual std::unique_ptr<TTBItemViewer> CreateViewer(TTBView *View);
  // The toolbar view whose pushed-off items this item's popup lists (a
  // toolbar's chevron); null for ordinary items.
  virtual TTBView *ChevronParentView() const { return nullptr; }

  std::function<void(TTBCustomItem *Sender)> OnClick;
  std::function<void(TTBCustomItem *Sender, bool FromLink)> OnPopup;
  std::function<void(TTBCustomItem *Sender, TTBItemViewer *Viewer, bool Selecting)> OnSelect;

  // Called by an action link when the action changed.
  void ActionChange(TTBAction *Sender, bool CheckDefaults);
  bool OnClickFromAction() const { return onClickFromAction_; }

protected:
  void Notify(TTBItemChangeKind Kind, int Index, TTBCustomItem *Item);
  void Notify(TTBItemChangeKind Kind, int Index, TTBCustomItem *Item, TTBCustomItem *Origin);
  void RecalcOptions();
  void UncheckGroupSiblings();

  TTBItemKind kind_ = ikSelectable | ikRedrawOnSelChange | ikRedrawOnHotChange;

private:
  friend class TTBItemRef;
  friend class TTBCustomItemActionLink;
  friend class TTBAction;
  struct Handler {
    TTBItemChangeListener *listener;
    int refs;
  };
  std::shared_ptr<char> alive_ = std::make_shared<char>(0);
  TTBCustomItem *parent_ = nullptr;
  std::vector<TTBCustomItem *> items_;
  std::vector<Handler> handlers_;
  std::vector<TTBCustomItem *> linkedBy_;
  TTBCustomItem *linkSubitems_ = nullptr;
  std::unique_ptr<TTBCustomItemActionLink> actionLink_;
  TCustomImageList *images_ = nullptr;
  TCustomImageList *subMenuImages_ = nullptr;
  QString name_, caption_, hint_;
  bool checked_ = false, enabled_ = true, visible_ = true, autoCheck_ = false, inheritOptions_ = true;
  bool onClickFromAction_ = false;
  int groupIndex_ = 0, helpContext_ = 0, imageIndex_ = -1;
  TTBItemDisplayMode displayMode_ = nbdmDefault;
  TShortCut shortCut_ = 0;
  TTBItemOptions options_ = 0, maskOptions_ = 0, resolvedOptions_ = 0;
};

class TTBRootItem : public TTBCustomItem {};

class TTBItem : public TTBCustomItem {};

class TTBSubmenuItem : public TTBCustomItem {
public:
  TTBSubmenuItem() { kind_ |= ikSubmenu; }
};

class TTBSeparatorItem : public TTBCustomItem {
public:
  TTBSeparatorItem() {
    kind_ = TTBItemKind((kind_ & ~(ikSelectable | ikRedrawOnSelChange | ikRedrawOnHotChange)) | ikSeparator |
                        ikIgnoresClicks);
  }
  bool Blank() const { return blank_; }
  void SetBlank(bool v) {
    if (v == blank_) return;
    blank_ = v;
    Change(false);
  }
  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView *View) override;

private:
  bool blank_ = false;
};

// An item that shows an ordinary widget in its place.
class TTBControlItem : public TTBCustomItem {
public:
  explicit TTBControlItem(QWidget *Control = nullptr);
  ~TTBControlItem() override;
  QWidget *Control() const { return control_; }
  void SetControl(QWidget *v);
  bool KeepControl = false;

private:
  QPointer<QWidget> control_;
  QMetaObject::Connection destroyed_;
};

// ---- commands run after the menu that chose them has closed

// Queues a click of Item (played with the command sound when Sound); runs
// on the GUI thread after the current event. Clicks queue up in order; an
// item freed meanwhile is passed over.
void PostItemClick(TTBCustomItem *Item, bool Sound);
// Runs the queued clicks now (used when the event loop is not running).
void RunPendingClicks();
int PendingClickCount();

// Items alive on this thread (diagnostics and tests).
int LiveItemCount();

} // namespace kc::tb
