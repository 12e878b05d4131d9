#include "tests/unit/station/fake_station.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace tv {
namespace {

template <typename F>
void Bind(void* handle, const char* name, F*& out) {
  out = reinterpret_cast<F*>(dlsym(handle, name));
  if (out == nullptr) {
    std::fprintf(stderr, "stand-in station library lacks %s\n", name);
    std::abort();
  }
}

FakeStation Open() {
  void* handle = dlopen(kFakeStationPath, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", kFakeStationPath, dlerror());
    std::abort();
  }
  FakeStation fake;
  Bind(handle, "FakeReset", fake.Reset);
  Bind(handle, "FakeSetOpenResult", fake.SetOpenResult);
  Bind(handle, "FakeSetInit", fake.SetInit);
  Bind(handle, "FakeHoldInits", fake.HoldInits);
  Bind(handle, "FakeSetShortValue", fake.SetShortValue);
  Bind(handle, "FakeLog", fake.Log);
  Bind(handle, "FakeWaitForCalls", fake.WaitForCalls);
  Bind(handle, "FakeWaitInitsIdle", fake.WaitInitsIdle);
  return fake;
}

}  // namespace

const FakeStation& FakeStation::Get() {
  static const FakeStation fake = Open();
  return fake;
}

}  // namespace tv
