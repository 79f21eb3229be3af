#pragma once
// Sets (or, given nullptr, unsets) an environment variable for the life of
// the object, then puts back what was there before.
#include <cstdlib>
#include <optional>
#include <string>

namespace kctest {

class ScopedEnv {
public:
  ScopedEnv(const char *Name, const char *Value) : name_(Name) {
    if (const char *old = std::getenv(Name)) old_ = old;
    set(Value);
  }
  ScopedEnv(const char *Name, const std::string &Value) : ScopedEnv(Name, Value.c_str()) {}
  ~ScopedEnv() { set(old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv &) = delete;
  ScopedEnv &operator=(const ScopedEnv &) = delete;

  // Changes the value again; the destructor still restores the first one.
  void set(const char *Value) {
    if (Value) ::setenv(name_.c_str(), Value, 1);
    else ::unsetenv(name_.c_str());
  }
  void set(const std::string &Value) { set(Value.c_str()); }

private:
  std::string name_;
  std::optional<std::string> old_;
};

} // namespace kctest
