#pragma once
// Plays a wave sound from a file, from the program's resources or from
// memory (the event sounds). The sound's header is checked first; a file
// that is missing or damaged, or a desktop without sound output, makes Play
// return false without delay.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

#include "platform/WaveFile.h"

namespace kc {

enum class TSourceType { frFile, frResource, frRAM };

class TKcWavePlayer : public QObject {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TKcWavePlayer *)>;

  explicit TKcWavePlayer(QObject *owner = nullptr);
  ~TKcWavePlayer() override;

  bool Asynchronous() const { return FAsynchronous; }
  void SetAsynchronous(bool on);
  bool Loop() const { return FLoop; }
  void SetLoop(bool on);
  const QString &FileName() const { return FFileName; }
  void SetFileName(const QString &name) { FFileName = name; }
  // The sound of frRAM: the bytes of a whole wave file.
  const QByteArray &Memory() const { return FMemory; }
  void SetMemory(const QByteArray &bytes) { FMemory = bytes; }
  TSourceType SourceType() const { return FSourceType; }
  void SetSourceType(TSourceType t) { FSourceType = t; }

  TNotifyEvent BeforePlaying, AfterPlaying;

  bool Play();
  // Why the last Play failed (empty after success).
  const QString &LastError() const { return FLastError; }

private:
  bool loadSound(WaveSound &sound);
  bool FAsynchronous = true;
  bool FLoop = false;
  QString FFileName;
  QByteArray FMemory;
  TSourceType FSourceType = TSourceType::frFile;
  QString FLastError;
};

} // namespace kc
