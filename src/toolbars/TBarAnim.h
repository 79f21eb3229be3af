#pragma once
// The opening animation of popup windows: a slide, in which a growing
// window mask uncovers a snapshot of the window from one or two edges, or a
// fade of the window's opacity. Steps run on the GUI thread from a timer;
// at most one animation runs at a time.
#include <QWidget>

#include <functional>

namespace kc::tb {

// Directions: 1 from the right, 2 from the left, 4 from above, 8 from below.
// Shows Window; OnFinished runs once when the animation has ended (also
// when it is stopped early or replaced by another).
void StartPopupAnimation(QWidget *Window, int DurationMs, bool Fade, int Directions,
                         std::function<void()> OnFinished = {});
// Ends the running animation when Window is null or the animated window:
// the window is left whole.
void StopPopupAnimation(QWidget *Window);
bool PopupAnimationRunning(const QWidget *Window = nullptr);
// One step; does nothing unless the animation of that generation still runs.
void PopupAnimationStep(int Generation);
int PopupAnimationGeneration();
int PopupAnimationProgress();

} // namespace kc::tb
