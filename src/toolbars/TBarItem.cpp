#include "toolbars/TBarItem.h"

#include <algorithm>
#include <deque>

#include "platform/TbSystemSettings.h"
#include "platform/GuiTimer.h"
#include "platform/ScopeGuard.h"
#include "toolbars/TBarConsts.h"
#include "toolbars/TBarItemViewer.h"

namespace kc::tb {

namespace {
int g_liveItems = 0;

struct PendingClick {
  TTBItemRef item;
};
std::deque<PendingClick> g_pendingClicks;
bool g_clickRunPosted = false;

constexpr TTBItemOptions kLayoutOptions =
    tboDefault | tboDropdownArrow | tboImageAboveCaption | tboNoRotation | tboToolbarStyle | tboToolbarSize;
} // namespace

QString ShortCutToText(TShortCut ShortCut) {
  if (ShortCut == 0) return {};
  const int key = ShortCut & 0xFF;
  QString name;
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) name = QChar(key);
  else if (key >= 0x70 && key <= 0x87) name = QStringLiteral("F%1").arg(key - 0x6F);
  else {
    switch (key) {
    case 0x08: name = QStringLiteral("BkSp"); break;
    case 0x09: name = QStringLiteral("Tab"); break;
    case 0x0D: name = QStringLiteral("Enter"); break;
    case 0x1B: name = QStringLiteral("Esc"); break;
    case 0x20: name = QStringLiteral("Space"); break;
    case 0x2D: name = QStringLiteral("Ins"); break;
    case 0x2E: name = QStringLiteral("Del"); break;
    default: return {};
    }
  }
  QString text;
  if (ShortCut & scShift) text += QStringLiteral("Shift+");
  if (ShortCut & scCtrl) text += QStringLiteral("Ctrl+");
  if (ShortCut & scAlt) text += QStringLiteral("Alt+");
  return text + name;
}

TShortCut ShortCutFromKey(int QtKey, Qt::KeyboardModifiers Modifiers) {
  int vk = 0;
  if ((QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z) || (QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9))
    vk = QtKey; // the same codes
  else if (QtKey >= Qt::Key_F1 && QtKey <= Qt::Key_F24) vk = 0x70 + (QtKey - Qt::Key_F1);
  else {
    switch (QtKey) {
    case Qt::Key_Backspace: vk = 0x08; break;
    case Qt::Key_Tab: vk = 0x09; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: vk = 0x0D; break;
    case Qt::Key_Escape: vk = 0x1B; break;
    case Qt::Key_Space: vk = 0x20; break;
    case Qt::Key_Insert: vk = 0x2D; break;
    case Qt::Key_Delete: vk = 0x2E; break;
    default: return 0;
    }
  }
  TShortCut sc = TShortCut(vk);
  if (Modifiers & Qt::ShiftModifier) sc |= scShift;
  if (Modifiers & Qt::ControlModifier) sc |= scCtrl;
  if (Modifiers & Qt::AltModifier) sc |= scAlt;
  return sc;
}

TTBItemRef::TTBItemRef(TTBCustomItem *Item) : item_(Item) {
  if (Item) alive_ = Item->alive_;
}

// ------------------------------------------------------------------ actions

TTBAction::~TTBAction() {
  // Items linked to this action drop their link.
  while (!links_.empty()) links_.back()->client_->SetAction(nullptr);
}

#define KC_TB_ACTION_SETTER(Name, Type, field, ItemSetter, Linked)                                                     \
  void TTBAction::Set##Name(Type v) {                                                                                  \
    if (v == field) return;                                                                                            \
    const std::vector<TTBCustomItemActionLink *> links = links_;                                                       \
    for (TTBCustomItemActionLink * l : links)                                                                          \
      if (l->Linked()) l->client_->ItemSetter(v);                                                                      \
    field = v;                                                                                                         \
  }
KC_TB_ACTION_SETTER(Caption, const QString &, caption_, SetCaption, IsCaptionLinked)
KC_TB_ACTION_SETTER(Hint, const QString &, hint_, SetHint, IsHintLinked)
KC_TB_ACTION_SETTER(Checked, bool, checked_, SetChecked, IsCheckedLinked)
KC_TB_ACTION_SETTER(Enabled, bool, enabled_, SetEnabled, IsEnabledLinked)
KC_TB_ACTION_SETTER(Visible, bool, visible_, SetVisible, IsVisibleLinked)
KC_TB_ACTION_SETTER(AutoCheck, bool, autoCheck_, SetAutoCheck, IsAutoCheckLinked)
KC_TB_ACTION_SETTER(ImageIndex, int, imageIndex_, SetImageIndex, IsImageIndexLinked)
KC_TB_ACTION_SETTER(HelpContext, int, helpContext_, SetHelpContext, IsHelpContextLinked)
KC_TB_ACTION_SETTER(ShortCut, TShortCut, shortCut_, SetShortCut, IsShortCutLinked)
#undef KC_TB_ACTION_SETTER

bool TTBAction::Execute(TTBCustomItem *Component) {
  if (!OnExecute) return false;
  OnExecute(Component);
  return true;
}

void TTBAction::Update() {
  if (OnUpdate) OnUpdate(this);
}

TTBCustomItemActionLink::TTBCustomItemActionLink(TTBCustomItem *Client, TTBAction *Action)
    : client_(Client), action_(Action) {
  action_->links_.push_back(this);
}

TTBCustomItemActionLink::~TTBCustomItemActionLink() { std::erase(action_->links_, this); }

bool TTBCustomItemActionLink::IsCaptionLinked() const { return client_->Caption() == action_->caption_; }
bool TTBCustomItemActionLink::IsCheckedLinked() const { return client_->Checked() == action_->checked_; }
bool TTBCustomItemActionLink::IsEnabledLinked() const { return client_->Enabled() == action_->enabled_; }
bool TTBCustomItemActionLink::IsHelpContextLinked() const { return client_->HelpContext() == action_->helpContext_; }
bool TTBCustomItemActionLink::IsHintLinked() const { return client_->Hint() == action_->hint_; }
bool TTBCustomItemActionLink::IsImageIndexLinked() const { return client_->ImageIndex() == action_->imageIndex_; }
bool TTBCustomItemActionLink::IsShortCutLinked() const { return client_->ShortCut() == action_->shortCut_; }
bool TTBCustomItemActionLink::IsVisibleLinked() const { return client_->Visible() == action_->visible_; }
bool TTBCustomItemActionLink::IsAutoCheckLinked() const { return client_->AutoCheck() == action_->autoCheck_; }

// -------------------------------------------------------------------- items

TTBCustomItem::TTBCustomItem() { ++g_liveItems; }

TTBCustomItem::~TTBCustomItem() {
  while (!items_.empty()) delete items_.back(); // each removes itself
  if (parent_) parent_->Remove(this);
  SetLinkSubitems(nullptr);
  // Items that showed this item's sub-items show their own again.
  while (!linkedBy_.empty()) linkedBy_.back()->SetLinkSubitems(nullptr);
  actionLink_.reset();
  // Listeners let go of the item; a snapshot, since they unregister.
  const std::vector<Handler> handlers = handlers_;
  for (const Handler &h : handlers)
    if (std::any_of(handlers_.begin(), handlers_.end(), [&](const Handler &x) { return x.listener == h.listener; }))
      h.listener->ItemDestroying(this);
  handlers_.clear();
  --g_liveItems;
}

TTBCustomItem *TTBCustomItem::ItemAt(int Index) const {
  if (Index < 0 || Index >= Count()) throw ETBItemError(STBToolbarIndexOutOfBounds);
  return items_[size_t(Index)];
}

void TTBCustomItem::Insert(int Index, TTBCustomItem *Item) {
  if (!Item) throw ETBItemError(STBToolbarIndexOutOfBounds);
  if (Item->parent_) throw ETBItemError(STBToolbarItemReinserted);
  // An item cannot be placed under itself: the tree would become a loop.
  for (const TTBCustomItem *p = this; p; p = p->parent_)
    if (p == Item) throw ETBItemError(STBToolbarItemReinserted);
  if (Index < 0 || Index > Count()) throw ETBItemError(STBToolbarIndexOutOfBounds);
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
  // A handler may free this item (and with it the new one): stop then.
  const std::weak_ptr<char> alive = alive_;
  const std::weak_ptr<char> itemAlive = Item->alive_;
  Notify(ckBeginUpdate, 0, nullptr);
  if (alive.expired()) return;
  const ScopeGuard endUpdate([&] {
    if (!alive.expired()) Notify(ckEndUpdate, 0, nullptr);
  });
  Notify(ckInserted, Index, Item);
  if (!alive.expired() && !itemAlive.expired()) Item->RecalcOptions();
}

void TTBCustomItem::Delete(int Index) {
  TTBCustomItem *item = ItemAt(Index);
  const std::weak_ptr<char> alive = alive_;
  const std::weak_ptr<char> itemAlive = item->alive_;
  Notify(ckDeleting, Index, item);
  if (alive.expired() || itemAlive.expired()) return;
  // A handler may have changed the list: take out the item where it is now.
  item->parent_ = nullptr;
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it != items_.end()) items_.erase(it);
}

int TTBCustomItem::IndexOf(const TTBCustomItem *Item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == Item) return int(i);
  return -1;
}

void TTBCustomItem::Remove(TTBCustomItem *Item) {
  const int i = IndexOf(Item);
  if (i >= 0) Delete(i);
}

void TTBCustomItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

void TTBCustomItem::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= Count()) throw ETBItemError(STBToolbarIndexOutOfBounds);
  TTBCustomItem *item = ItemAt(CurIndex);
  const std::weak_ptr<char> alive = alive_;
  Notify(ckBeginUpdate, 0, nullptr);
  if (alive.expired()) return;
  const ScopeGuard endUpdate([&] {
    if (!alive.expired()) Notify(ckEndUpdate, 0, nullptr);
  });
  Delete(CurIndex);
  if (!alive.expired() && !item->parent_) Insert(NewIndex, item);
}

// ------------------------------------------------------------ notifications

void TTBCustomItem::AddChangeHandler(TTBItemChangeListener *Listener) {
  for (Handler &h : handlers_)
    if (h.listener == Listener) {
      ++h.refs;
      return;
    }
  handlers_.push_back({Listener, 1});
}

void TTBCustomItem::RemoveChangeHandler(TTBItemChangeListener *Listener) {
  for (auto it = handlers_.begin(); it != handlers_.end(); ++it)
    if (it->listener == Listener) {
      if (--it->refs <= 0) handlers_.erase(it);
      return;
    }
}

void TTBCustomItem::Notify(TTBItemChangeKind Kind, int Index, TTBCustomItem *Item) { Notify(Kind, Index, Item, this); }

void TTBCustomItem::Notify(TTBItemChangeKind Kind, int Index, TTBCustomItem *Item, TTBCustomItem *Origin) {
  const std::weak_ptr<char> alive = alive_;
  if (Origin == this) {
    if (Has(ikEmbeddedGroup) && parent_) parent_->Notify(Kind, Index, Item, this);
    if (alive.expired()) return;
    const std::vector<TTBCustomItem *> linkers = linkedBy_;
    for (TTBCustomItem *l : linkers) {
      if (alive.expired()) return;
      if (std::find(linkedBy_.begin(), linkedBy_.end(), l) == linkedBy_.end()) continue;
      if (l != parent_ && l->Has(ikEmbeddedGroup) && l->parent_) l->parent_->Notify(Kind, Index, Item, l);
    }
  }
  // A snapshot of the listeners: a handler may unregister itself or others,
  // or free views and items, while the walk goes on.
  const std::vector<Handler> snapshot = handlers_;
  for (const Handler &h : snapshot) {
    if (alive.expired()) return;
    const bool stillThere =
        std::any_of(handlers_.begin(), handlers_.end(), [&](const Handler &x) { return x.listener == h.listener; });
    if (stillThere) h.listener->ItemNotification(Origin, Origin != this, Kind, Index, Item);
  }
}

void TTBCustomItem::Change(bool NeedResize) {
  if (parent_) parent_->Notify(NeedResize ? ckChangedResize : ckChanged, 0, this);
}

// --------------------------------------------------------------- properties

void TTBCustomItem::SetName(const QString &v) {
  if (v == name_) return;
  name_ = v;
  if (parent_) parent_->Notify(ckNameChanged, 0, this);
}

void TTBCustomItem::SetCaption(const QString &v) {
  if (v == caption_) return;
  caption_ = v;
  Change(true);
}

void TTBCustomItem::UncheckGroupSiblings() {
  if (!checked_ || groupIndex_ == 0 || !parent_) return;
  const std::vector<TTBCustomItem *> siblings = parent_->items_;
  for (TTBCustomItem *s : siblings)
    if (s != this && s->groupIndex_ == groupIndex_) s->SetChecked(false);
}

void TTBCustomItem::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Change(false);
  if (v) UncheckGroupSiblings();
}

void TTBCustomItem::SetGroupIndex(int v) {
  if (v == groupIndex_) return;
  groupIndex_ = v;
  UncheckGroupSiblings();
}

void TTBCustomItem::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Invalidate();
}

void TTBCustomItem::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Change(true);
}

void TTBCustomItem::SetDisplayMode(TTBItemDisplayMode v) {
  if (v == displayMode_) return;
  displayMode_ = v;
  Change(true);
}

void TTBCustomItem::SetImageIndex(int v) {
  if (v == imageIndex_) return;
  const bool resize = (imageIndex_ == -1) != (v == -1);
  imageIndex_ = v;
  Change(resize);
}

void TTBCustomItem::SetDropdownCombo(bool v) {
  if (v == Has(ikCombo)) return;
  kind_ = v ? TTBItemKind(kind_ | ikCombo) : TTBItemKind(kind_ & ~ikCombo);
  Change(true);
}

void TTBCustomItem::SetImages(TCustomImageList *v) {
  if (v == images_) return;
  const bool resize = !v || !images_ || v->Width() != images_->Width() || v->Height() != images_->Height();
  images_ = v;
  Change(resize);
}

void TTBCustomItem::SetSubMenuImages(TCustomImageList *v) {
  if (v == subMenuImages_) return;
  subMenuImages_ = v;
  Notify(ckSubmenuImagesChanged, 0, nullptr);
}

void TTBCustomItem::SetLinkSubitems(TTBCustomItem *v) {
  if (v == this) v = nullptr;
  if (v == linkSubitems_) return;
  if (linkSubitems_) std::erase(linkSubitems_->linkedBy_, this);
  linkSubitems_ = v;
  if (v && std::find(v->linkedBy_.begin(), v->linkedBy_.end(), this) == v->linkedBy_.end())
    v->linkedBy_.push_back(this);
  Notify(ckSubitemsChanged, 0, nullptr);
}

void TTBCustomItem::SetOptions(TTBItemOptions v) {
  if (!(v & tboToolbarStyle)) v = TTBItemOptions(v & ~tboToolbarSize);
  if (v == options_) return;
  options_ = v;
  RecalcOptions();
}

void TTBCustomItem::SetMaskOptions(TTBItemOptions v) {
  if (v == maskOptions_) return;
  maskOptions_ = v;
  RecalcOptions();
}

void TTBCustomItem::SetInheritOptions(bool v) {
  if (v == inheritOptions_) return;
  inheritOptions_ = v;
  RecalcOptions();
}

void TTBCustomItem::RecalcOptions() {
  TTBItemOptions inherited = 0;
  if (inheritOptions_ && parent_) inherited = TTBItemOptions(parent_->resolvedOptions_ & ~tboDefault);
  TTBItemOptions r = TTBItemOptions((inherited & ~maskOptions_) | options_);
  if (!(r & tboToolbarStyle)) r = TTBItemOptions(r & ~tboToolbarSize);
  if (r == resolvedOptions_) return;
  const TTBItemOptions old = resolvedOptions_;
  resolvedOptions_ = r;
  if ((old ^ r) & kLayoutOptions) Change(true);
  const std::vector<TTBCustomItem *> subs = items_;
  for (TTBCustomItem *s : subs)
    if (s->inheritOptions_) s->RecalcOptions();
}

void TTBCustomItem::SetAction(TTBAction *v) {
  if (!v) {
    actionLink_.reset();
    onClickFromAction_ = false;
    return;
  }
  if (Action() == v) return;
  actionLink_ = std::make_unique<TTBCustomItemActionLink>(this, v);
  ActionChange(v, false);
}

void TTBCustomItem::ActionChange(TTBAction *Sender, bool CheckDefaults) {
  if (!Sender) return;
  if (!CheckDefaults || !autoCheck_) SetAutoCheck(Sender->autoCheck_);
  if (!CheckDefaults || caption_.isEmpty()) SetCaption(Sender->caption_);
  if (!CheckDefaults || !checked_) SetChecked(Sender->checked_);
  if (!CheckDefaults || enabled_) SetEnabled(Sender->enabled_);
  if (!CheckDefaults || helpContext_ == 0) SetHelpContext(Sender->helpContext_);
  if (!CheckDefaults || hint_.isEmpty()) SetHint(Sender->hint_);
  if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(Sender->imageIndex_);
  if (!CheckDefaults || shortCut_ == 0) SetShortCut(Sender->shortCut_);
  if (!CheckDefaults || visible_) SetVisible(Sender->visible_);
  if (!CheckDefaults || !OnClick) {
    TTBAction *action = Sender;
    OnClick = [action](TTBCustomItem *item) { action->Execute(item); };
    onClickFromAction_ = true;
  }
}

// -------------------------------------------------------------------- texts

QString TTBCustomItem::CaptionText() const {
  const int tab = caption_.indexOf(u'\t');
  return tab < 0 ? caption_ : caption_.left(tab);
}

QString TTBCustomItem::ShortCutText() const {
  const int tab = caption_.indexOf(u'\t');
  if (tab >= 0) return caption_.mid(tab + 1);
  return ShortCutToText(shortCut_);
}

QString TTBCustomItem::ShortHint() const {
  const int bar = hint_.indexOf(u'|');
  return bar < 0 ? hint_ : hint_.left(bar);
}

QString TTBCustomItem::LongHint() const {
  const int bar = hint_.indexOf(u'|');
  return bar < 0 ? hint_ : hint_.mid(bar + 1);
}

// ---------------------------------------------------------------- behaviour

void TTBCustomItem::Click() {
  const std::weak_ptr<char> alive = alive_;
  if (autoCheck_ && (!actionLink_ || !actionLink_->IsAutoCheckLinked())) SetChecked(!checked_);
  if (OnClick && actionLink_ && !onClickFromAction_) {
    OnClick(this);
    return;
  }
  if (actionLink_) {
    actionLink_->action_->Execute(this);
    return;
  }
  if (alive.expired()) return;
  if (OnClick) {
    const auto handler = OnClick; // the handler may free the item
    handler(this);
  }
}

void TTBCustomItem::DoPopup(TTBCustomItem *Sender, bool FromLink) {
  const std::weak_ptr<char> alive = alive_;
  if (OnPopup) {
    const auto handler = OnPopup;
    handler(Sender, FromLink);
  }
  if (!alive.expired() && !Has(ikCombo)) Click();
}

void TTBCustomItem::InitiateAction() {
  if (actionLink_) actionLink_->action_->Update();
}

std::unique_ptr<TTBItemViewer> TTBCustomItem::CreateViewer(TTBView *View) {
  return std::make_unique<TTBItemViewer>(View, this);
}

std::unique_ptr<TTBItemViewer> TTBSeparatorItem::CreateViewer(TTBView *View) {
  return std::make_unique<TTBSeparatorItemViewer>(View, this);
}

TTBControlItem::TTBControlItem(QWidget *Control) {
  kind_ = TTBItemKind((kind_ & ~ikSelectable) | ikIgnoresClicks);
  SetControl(Control);
}

TTBControlItem::~TTBControlItem() {
  QObject::disconnect(destroyed_);
  if (control_ && !KeepControl) delete control_.data();
}

void TTBControlItem::SetControl(QWidget *v) {
  if (v == control_) return;
  QObject::disconnect(destroyed_);
  control_ = v;
  if (v) destroyed_ = QObject::connect(v, &QObject::destroyed, [this] { SetControl(nullptr); });
  Change(true);
}

// ----------------------------------------------------------- deferred clicks

void RunPendingClicks() {
  g_clickRunPosted = false;
  // Only the clicks queued so far: a click handler may open another menu
  // whose command then runs on the next round.
  std::deque<PendingClick> batch;
  batch.swap(g_pendingClicks);
  while (!batch.empty()) {
    TTBItemRef ref = batch.front().item;
    batch.pop_front();
    if (TTBCustomItem *item = ref.get()) item->Click();
  }
}

void PostItemClick(TTBCustomItem *Item, bool Sound) {
  if (!Item) return;
  if (Sound) tbPlaySoundEvent("MenuCommand");
  g_pendingClicks.push_back({TTBItemRef(Item)});
  if (!g_clickRunPosted) {
    g_clickRunPosted = true;
    postToGuiThread(&RunPendingClicks);
  }
}

int PendingClickCount() { return int(g_pendingClicks.size()); }

int LiveItemCount() { return g_liveItems; }

} // namespace kc::tb
