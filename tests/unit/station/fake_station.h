#pragma once

#include <gtest/gtest.h>

#include <string>

#include "lib/station/station_library.h"

namespace tv {

// The controls of the stand-in station library built with these tests.
struct FakeStation {
  void (*Reset)() = nullptr;
  void (*SetOpenResult)(int) = nullptr;
  void (*SetInit)(int result) = nullptr;
  void (*HoldInits)(bool held) = nullptr;
  void (*SetShortValue)(int) = nullptr;
  const char* (*Log)() = nullptr;
  int (*WaitForCalls)(const char* name, int count, int timeout_ms) = nullptr;
  bool (*WaitInitsIdle)(int timeout_ms) = nullptr;

  static const FakeStation& Get();
  std::string Calls() const { return Log(); }
};

inline constexpr const char* kFakeStationPath = TV_FAKE_STATION_LIBRARY;

// Points the station library at the stand-in, loads it and clears its state.
class FakeStationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetStationLibraryPath(kFakeStationPath);
    ASSERT_EQ(LoadStationLibrary(), 1);
    fake().Reset();
  }
  void TearDown() override { SetStationLibraryPath(""); }
  static const FakeStation& fake() { return FakeStation::Get(); }
};

}  // namespace tv
