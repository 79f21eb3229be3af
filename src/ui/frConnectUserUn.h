#pragma once
// One talk on its tab page: the transcript above, the input box below with
// its send toolbar, and for group talks a toolbar of member buttons. The
// frame's fields say whom its messages go to.
#include <QWidget>

#include <functional>

#include "core/ChatServicesUn.h"

namespace kc {
class TRVStyle;
class TRichVistaEdit;
class TKcxSplitter;
namespace tb {
class TTBDock;
class TTBToolbar;
} // namespace tb

class TfrConnectUser : public QWidget {
public:
  // The smallest input area, and the room the rest of the frame keeps.
  static constexpr int kMinInputHeight = 80;
  static constexpr int kTranscriptReserve = 100;

  TfrConnectUser(QWidget *Parent, TRVStyle &Style, const TTalkFrame &Fields);

  // The input area's height for a stored value in a frame of that height:
  // the stored value clamped to kMinInputHeight .. FrameHeight -
  // kTranscriptReserve; the minimum wins when the frame is too small for both.
  static int InputAreaHeight(int Stored, int FrameHeight);
  int InputHeight() const;
  void SetInputHeight(int Height);

  TTalkFrame Fields;

  tb::TTBDock *dkGroupUser = nullptr;
  tb::TTBToolbar *tbGroupUser = nullptr; // Tag 1
  QWidget *pnTopPanel = nullptr;
  TRichVistaEdit *reAllMessage = nullptr;
  TKcxSplitter *KcxSplitter1 = nullptr;
  QWidget *pnBottomPanel = nullptr;
  tb::TTBDock *dkSendMessage = nullptr;
  tb::TTBToolbar *tbSendMessage = nullptr; // Tag 2
  TRichVistaEdit *reMessage = nullptr;

  // The splitter moved the input area: its new height.
  std::function<void(int Height)> OnInputHeightChanged;

  // The member toolbar shows exactly when it holds buttons.
  void UpdateMemberToolbarVisibility();

protected:
  void resizeEvent(QResizeEvent *Event) override;
};

} // namespace kc
