#pragma once
// The single-instance guard: only one copy of the program runs for a user.
// The first copy holds the claim for its whole run; a later copy finds the
// first one, hands it a text and ends. The per-user lock and the channel
// between copies are platform/InstanceGuard.
#include "platform/InstanceGuard.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kc {

inline constexpr std::uint32_t WM_COPYDATA = 0x004A;
inline constexpr std::uint32_t WM_USER = 0x0400;

class EKcInstanceChecker : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

struct TKcDataStorageDataBlock {
  std::int32_t Index = 0; // its current position in the storage
  std::string Data;
};

// Texts received from later copies, waiting for their turn on the GUI thread.
class TKcDataStorage {
public:
  TKcDataStorageDataBlock *Add(std::string Data);
  // The last record moves into the freed slot and takes its Index.
  void Delete(TKcDataStorageDataBlock *Block);
  // The record at that address when it is one of ours, else null.
  TKcDataStorageDataBlock *Find(std::uint64_t Address) const;
  int Count() const { return static_cast<int>(FList.size()); }
  TKcDataStorageDataBlock *Items(int I) const { return FList.at(static_cast<std::size_t>(I)).get(); }

private:
  std::vector<std::unique_ptr<TKcDataStorageDataBlock>> FList;
};

class TKcInstanceChecker {
public:
  using TKcProcessDataEvent = std::function<void(TKcInstanceChecker *Sender, const std::string &Data)>;

  // Folder: where the lock and the channel live; empty for the per-user
  // runtime folder.
  explicit TKcInstanceChecker(std::string Name, std::string Folder = {});
  virtual ~TKcInstanceChecker();
  TKcInstanceChecker(const TKcInstanceChecker &) = delete;
  TKcInstanceChecker &operator=(const TKcInstanceChecker &) = delete;

  // True when this copy is (or already was) the first one. Throws
  // InstanceGuardError when the system refuses the lock or the channel.
  bool ClaimFirstInstance();
  void ReleaseFirstInstance();
  // The first copy's hidden window; 0 when no copy holds the claim.
  WindowHandle FindFirstInstanceWindow();
  // False when there is no first copy or it does not take the text in time.
  bool PostDataToFirstInstance(const std::string &Data);

  // Other copies' top-level windows are reached through the guard's channel.
  WindowHandle FindWindow(const std::string &ClassName);
  // The window's result; 0 when there is no such window or no answer in time.
  std::int64_t SendMessage(WindowHandle Window, std::uint32_t Msg, std::uint64_t WParam, std::int64_t LParam);

  const std::string &Name() const { return FName; }
  WindowHandle Handle() const { return FWindow ? FWindow->handle() : 0; }
  bool FirstInstance() const { return FFirstInstance; }
  const TKcDataStorage &DataStorage() const { return *FStorage; }
  // How long a later copy waits for the first one's answer.
  void SetTimeout(int Ms) { FTimeoutMs = Ms; }

  TKcProcessDataEvent OnProcessData;

protected:
  virtual std::int64_t InstanceWindowProc(std::uint32_t Msg, std::uint64_t WParam, std::int64_t LParam,
                                          std::string_view Data);
  virtual void DoProcessData(const std::string &Data);

private:
  std::string FName;
  std::unique_ptr<MessageWindow> FWindow;
  std::unique_ptr<InstanceGuard> FGuard; // holds the claim while this copy is the first
  bool FFirstInstance = false;
  std::unique_ptr<TKcDataStorage> FStorage;
  int FTimeoutMs = InstanceGuard::kDefaultTimeoutMs;
};

} // namespace kc
