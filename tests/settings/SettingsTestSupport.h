#pragma once
// Installs a settings global for one test and clears it afterwards, so no test sees another's.

#include "settings/Globals.h"

namespace pvx::test {

template <typename T>
class ScopedGlobal {
 public:
  ScopedGlobal(T*& global, T* value) : global_(global) { global_ = value; }
  ~ScopedGlobal() { global_ = nullptr; }
  ScopedGlobal(const ScopedGlobal&) = delete;
  ScopedGlobal& operator=(const ScopedGlobal&) = delete;

 private:
  T*& global_;
};

}  // namespace pvx::test
