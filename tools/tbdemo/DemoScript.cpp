#include "DemoScript.h"

#include <QApplication>
#include <QPainter>

#include "platform/TbScreenShot.h"
#include "toolbars/TBarAnim.h"

DemoScript::DemoScript(QWidget *Main, QStringList Lines, QString ShotDir, std::function<void(const QString &)> Log,
                       std::function<void(const QString &, const QStringList &)> Command)
    : main_(Main), lines_(std::move(Lines)), shotDir_(std::move(ShotDir)), log_(std::move(Log)),
      command_(std::move(Command)), timer_(std::make_unique<kc::GuiTimer>()) {}

void DemoScript::Start() {
  timer_->start(120, [this] { Tick(); });
}

void DemoScript::Shot() {
  QImage img = kc::tbGrabScreen();
  if (img.isNull() || img.width() < 2) {
    // No screen to read (a headless platform): put the visible top-level
    // windows together as they lie.
    img = QImage(1024, 768, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QPainter p(&img);
    for (QWidget *w : QApplication::topLevelWidgets())
      if (w->isVisible()) p.drawPixmap(w->geometry().topLeft(), w->grab());
  }
  const QString path = QStringLiteral("%1/step%2.png").arg(shotDir_).arg(step_, 3, 10, QLatin1Char('0'));
  img.save(path);
  log_(QStringLiteral("shot %1 %2").arg(step_).arg(path));
}

void DemoScript::Tick() {
  if (waitTicks_ > 0) {
    --waitTicks_;
    return;
  }
  // Pictures show finished steps: let a popup finish opening first.
  if (kc::tb::PopupAnimationRunning()) return;
  if (step_ > 0) Shot();
  while (next_ < lines_.size()) {
    const QString line = lines_[next_++].trimmed();
    if (line.isEmpty() || line.startsWith(u'#')) continue;
    QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    const QString cmd = words.takeFirst();
    ++step_;
    log_(QStringLiteral("step %1 %2").arg(step_).arg(line));
    if (cmd == QLatin1String("wait")) {
      waitTicks_ = words.value(0).toInt() / 120;
      return;
    }
    command_(cmd, words);
    return;
  }
  timer_->stop();
  log_(QStringLiteral("done"));
  QApplication::quit();
}
