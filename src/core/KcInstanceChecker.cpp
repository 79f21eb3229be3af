#include "core/KcInstanceChecker.h"

#include <algorithm>

namespace kc {

// ---------------------------------------------------------------------------
// TKcDataStorage

TKcDataStorageDataBlock *TKcDataStorage::Add(std::string Data) {
  auto block = std::make_unique<TKcDataStorageDataBlock>();
  block->Data = std::move(Data);
  block->Index = static_cast<std::int32_t>(FList.size());
  FList.push_back(std::move(block));
  return FList.back().get();
}

void TKcDataStorage::Delete(TKcDataStorageDataBlock *Block) {
  auto it = std::find_if(FList.begin(), FList.end(), [&](const auto &b) { return b.get() == Block; });
  if (it == FList.end()) return;
  const auto index = static_cast<std::size_t>(it - FList.begin());
  // The block goes with its slot's old owner; the last one takes the slot.
  *it = std::move(FList.back());
  FList.pop_back();
  if (index < FList.size()) FList[index]->Index = static_cast<std::int32_t>(index);
}

TKcDataStorageDataBlock *TKcDataStorage::Find(std::uint64_t Address) const {
  for (const auto &b : FList)
    if (reinterpret_cast<std::uintptr_t>(b.get()) == Address) return b.get();
  return nullptr;
}

// ---------------------------------------------------------------------------
// TKcInstanceChecker

TKcInstanceChecker::TKcInstanceChecker(std::string Name, std::string Folder)
    : FName(std::move(Name)), FStorage(std::make_unique<TKcDataStorage>()) {
  FGuard = std::make_unique<InstanceGuard>(FName + "MX", FName + "FM", std::move(Folder));
  FWindow = std::make_unique<MessageWindow>(
      "TKcInstanceChecker", [this](std::uint32_t Msg, std::uint64_t WParam, std::int64_t LParam,
                                   std::string_view Data) { return InstanceWindowProc(Msg, WParam, LParam, Data); });
}

TKcInstanceChecker::~TKcInstanceChecker() {
  ReleaseFirstInstance();
  FWindow.reset();
  FStorage.reset();
}

bool TKcInstanceChecker::ClaimFirstInstance() {
  if (FFirstInstance) return true;
  // The guard publishes our hidden window for later copies, as the mapping did.
  FFirstInstance = FGuard->claim(FWindow->handle());
  return FFirstInstance;
}

void TKcInstanceChecker::ReleaseFirstInstance() {
  if (!FFirstInstance) return;
  FGuard->release();
  FFirstInstance = false;
}

WindowHandle TKcInstanceChecker::FindFirstInstanceWindow() {
  if (FFirstInstance) return FWindow->handle();
  return FGuard->readPublished();
}

bool TKcInstanceChecker::PostDataToFirstInstance(const std::string &Data) {
  if (FFirstInstance) throw EKcInstanceChecker("InstanceChecker can not post data to self");
  const WindowHandle first = FindFirstInstanceWindow();
  if (first == 0) return false;
  auto result = FGuard->sendMessage(first, WM_COPYDATA, FWindow->handle(), 0, Data, FTimeoutMs);
  return result && *result == 1;
}

WindowHandle TKcInstanceChecker::FindWindow(const std::string &ClassName) {
  return FGuard->findWindow(ClassName, FTimeoutMs);
}

std::int64_t TKcInstanceChecker::SendMessage(WindowHandle Window, std::uint32_t Msg, std::uint64_t WParam,
                                             std::int64_t LParam) {
  if (Window == 0) return 0;
  return FGuard->sendMessage(Window, Msg, WParam, LParam, {}, FTimeoutMs).value_or(0);
}

std::int64_t TKcInstanceChecker::InstanceWindowProc(std::uint32_t Msg, std::uint64_t WParam, std::int64_t,
                                                    std::string_view Data) {
  switch (Msg) {
  case WM_COPYDATA: {
    TKcDataStorageDataBlock *block = FStorage->Add(std::string(Data));
    FWindow->post(WM_USER, reinterpret_cast<std::uintptr_t>(block), 0);
    return 1;
  }
  case WM_USER: {
    // Anyone may send this window WM_USER: only a block we queued ourselves
    // is taken; any other wParam is not an address to follow.
    TKcDataStorageDataBlock *block = FStorage->Find(WParam);
    if (!block) return 0;
    std::string data = std::move(block->Data);
    FStorage->Delete(block);
    DoProcessData(data);
    return 0;
  }
  default: return 0;
  }
}

void TKcInstanceChecker::DoProcessData(const std::string &Data) {
  if (OnProcessData) OnProcessData(this, Data);
}

} // namespace kc
