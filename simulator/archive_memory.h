#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "simulator/readings.h"

namespace tv::sim {

// One archive record as the console keeps it, in the units it stores
// (°F, inHg, clicks, inches, mph, direction codes 0-15); nullopt is dashed.
struct ArchiveEntry {
  bool written = false;
  std::uint16_t date = 0xFFFF, time = 0xFFFF;  // the console's stamp words
  std::uint8_t type = 0x00;                    // 0x00 revision B
  Value out_temp, hi_out_temp, low_out_temp, in_temp;
  Value barometer, solar, hi_solar, uv, hi_uv, et;
  int rain = 0, hi_rain_rate = 0;  // clicks, clicks per hour
  int wind_samples = 0;
  Value avg_wind, hi_wind, hi_wind_dir, prevailing_dir;
  Value in_hum, out_hum;
  int forecast_rule = 0;
  std::array<Value, 2> leaf_temp, leaf_wet, extra_hum;
  std::array<Value, 4> soil_temp, soil_moist;
  std::array<Value, 3> extra_temp;
};

// The 52 bytes of a record (all 0xFF for a slot never written).
std::vector<std::uint8_t> EncodeArchiveRecord(const ArchiveEntry& e);
// "date=2024-06-21 time=13:50 type=0 out_temp=72.3 ..." for the control channel;
// directions in degrees, rain in clicks.
std::string DescribeArchiveEntry(const ArchiveEntry& e);

// What one step of the weather model adds to the interval being archived.
struct ArchiveStep {
  std::int64_t time = 0;  // console seconds at the end of the step
  double dt = 0;          // seconds
  double rain_clicks = 0;
  double et_inches = 0;
  double peak_wind = -1;  // mph, the strongest wind within a long step; below 0: none
};

// Collects the model's steps over one archive interval and closes the record
// at each multiple of the interval (records are stamped with the end of their
// interval).
class ArchiveAccumulator {
 public:
  using Emit = std::function<void(std::int64_t end_time, ArchiveEntry entry)>;

  // `period_s`: the interval now; a change starts a new interval.
  void Add(const Readings& r, const ArchiveStep& step, int period_s, const Emit& emit);

 private:
  void Reset(std::int64_t start);

  int period_s_ = 0;
  std::int64_t end_ = 0;  // end of the interval being collected
  double weight_ = 0, wind_weight_ = 0;
  double out_sum_ = 0, out_w_ = 0, in_sum_ = 0, in_w_ = 0, bar_sum_ = 0, bar_w_ = 0;
  double solar_sum_ = 0, solar_w_ = 0, uv_sum_ = 0, uv_w_ = 0, wind_sum_ = 0;
  double samples_ = 0, rain_ = 0, et_ = 0;
  Value hi_out_, low_out_, hi_rate_, hi_solar_, hi_uv_, hi_wind_, hi_wind_dir_;
  std::array<double, 16> dir_weight_{};
};

// The ring of 2560 records (512 pages of 5).
class ArchiveMemory {
 public:
  ArchiveMemory();

  void Write(const ArchiveEntry& e);
  void Clear();
  int Count() const { return count_; }
  // Physical slot of the record `age` places after the oldest (0 = oldest).
  int SlotOfAge(int age) const;
  ArchiveEntry& AtAge(int age) { return slots_[static_cast<std::size_t>(SlotOfAge(age))]; }
  const ArchiveEntry& AtAge(int age) const {
    return slots_[static_cast<std::size_t>(SlotOfAge(age))];
  }

  // The records a DMPAFT download sends: from the record after the one
  // stamped date/time, or from the oldest when no record carries that stamp
  // (`found` tells which).
  struct Plan {
    int first_slot = 0;
    int records = 0;
    int pages = 0;
    int first_index = 0;
    bool found = false;
  };
  Plan After(std::uint16_t date, std::uint16_t time, bool never_found) const;
  // The 267 bytes of physical page `page` with sequence byte `sequence`.
  std::vector<std::uint8_t> Page(int page, std::uint8_t sequence) const;

 private:
  std::vector<ArchiveEntry> slots_;  // empty until the first record
  int next_ = 0;                     // slot written next
  int count_ = 0;
};

}  // namespace tv::sim
