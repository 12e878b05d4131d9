#include "simulator/archive_memory.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "protocol/crc.h"
#include "protocol/packets.h"

namespace tv::sim {

namespace p = protocol;

namespace {

// Record layout (revision B), the simulator's own table: byte offsets.
enum Offset : std::size_t {
  kDate = 0,
  kTime = 2,
  kOutTemp = 4,
  kHiOutTemp = 6,
  kLowOutTemp = 8,
  kRain = 10,
  kHiRainRate = 12,
  kBarometer = 14,
  kSolar = 16,
  kWindSamples = 18,
  kInTemp = 20,
  kInHum = 22,
  kOutHum = 23,
  kAvgWind = 24,
  kHiWind = 25,
  kHiWindDir = 26,
  kPrevailingDir = 27,
  kUv = 28,
  kEt = 29,
  kHiSolar = 30,
  kHiUv = 32,
  kForecastRule = 33,
  kLeafTemp = 34,
  kLeafWet = 36,
  kSoilTemp = 38,
  kType = 42,
  kExtraHum = 43,
  kExtraTemp = 45,
  kSoilMoist = 48,
};

void Put16(std::vector<std::uint8_t>& b, std::size_t at, int v) {
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

int Tenths(const Value& v, int dash) {
  return v ? static_cast<int>(std::lround(*v * 10.0)) : dash;
}

std::uint8_t ByteOr(const Value& v, std::uint8_t dash, double scale = 1.0, double offset = 0.0) {
  if (!v) return dash;
  return static_cast<std::uint8_t>(std::clamp(std::lround(*v * scale + offset), 0L, 254L));
}

double Round(double v, double step) {
  return std::round(v / step) * step;
}

int DirectionCode(double degrees) {
  return static_cast<int>(std::lround(degrees / 22.5)) % 16;
}

void Max(Value& hi, const Value& v) {
  if (v && (!hi || *v > *hi)) hi = v;
}

}  // namespace

std::vector<std::uint8_t> EncodeArchiveRecord(const ArchiveEntry& e) {
  std::vector<std::uint8_t> b(p::kArchiveRecordSize, 0xFF);
  if (!e.written) return b;
  Put16(b, kDate, e.date);
  Put16(b, kTime, e.time);
  Put16(b, kOutTemp, Tenths(e.out_temp, p::kDashTemp16));
  Put16(b, kHiOutTemp, Tenths(e.hi_out_temp, p::kDashHighTemp16));
  Put16(b, kLowOutTemp, Tenths(e.low_out_temp, p::kDashTemp16));
  Put16(b, kRain, e.rain);
  Put16(b, kHiRainRate, e.hi_rain_rate);
  Put16(b, kBarometer, e.barometer ? static_cast<int>(std::lround(*e.barometer * 1000)) : 0);
  Put16(b, kSolar, e.solar ? static_cast<int>(*e.solar) : p::kDashSolar);
  Put16(b, kWindSamples, e.wind_samples);
  Put16(b, kInTemp, Tenths(e.in_temp, p::kDashTemp16));
  b[kInHum] = ByteOr(e.in_hum, p::kDashByte);
  b[kOutHum] = ByteOr(e.out_hum, p::kDashByte);
  b[kAvgWind] = ByteOr(e.avg_wind, p::kDashByte);
  b[kHiWind] = ByteOr(e.hi_wind, 0);
  b[kHiWindDir] = ByteOr(e.hi_wind_dir, p::kDashByte);
  b[kPrevailingDir] = ByteOr(e.prevailing_dir, p::kDashByte);
  b[kUv] = ByteOr(e.uv, p::kDashByte, 10.0);
  b[kEt] = ByteOr(e.et, 0, 1000.0);
  Put16(b, kHiSolar, e.hi_solar ? static_cast<int>(*e.hi_solar) : 0);
  b[kHiUv] = ByteOr(e.hi_uv, 0, 10.0);
  b[kForecastRule] = static_cast<std::uint8_t>(e.forecast_rule);
  for (std::size_t i = 0; i < 2; ++i) {
    b[kLeafTemp + i] = ByteOr(e.leaf_temp[i], p::kDashByte, 1.0, p::kByteTempOffsetF);
    b[kLeafWet + i] = ByteOr(e.leaf_wet[i], p::kDashByte);
    b[kExtraHum + i] = ByteOr(e.extra_hum[i], p::kDashByte);
  }
  for (std::size_t i = 0; i < 4; ++i) {
    b[kSoilTemp + i] = ByteOr(e.soil_temp[i], p::kDashByte, 1.0, p::kByteTempOffsetF);
    b[kSoilMoist + i] = ByteOr(e.soil_moist[i], p::kDashByte);
  }
  for (std::size_t i = 0; i < 3; ++i) {
    b[kExtraTemp + i] = ByteOr(e.extra_temp[i], p::kDashByte, 1.0, p::kByteTempOffsetF);
  }
  b[kType] = e.type;
  return b;
}

std::string DescribeArchiveEntry(const ArchiveEntry& e) {
  if (!e.written) return "empty";
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "date=%04d-%02d-%02d time=%02d:%02d type=%d",
                2000 + e.date / 512, (e.date / 32) % 16, e.date % 32, e.time / 100, e.time % 100,
                e.type);
  std::string out = stamp;
  auto add = [&](const char* name, const Value& v) {
    out += ' ';
    out += name;
    out += '=';
    out += FormatValue(v);
  };
  auto degrees = [](const Value& code) -> Value {
    if (!code) return std::nullopt;
    return *code * 22.5;
  };
  add("out_temp", e.out_temp);
  add("hi_out_temp", e.hi_out_temp);
  add("low_out_temp", e.low_out_temp);
  add("in_temp", e.in_temp);
  add("barometer", e.barometer);
  add("rain", static_cast<double>(e.rain));
  add("hi_rain_rate", static_cast<double>(e.hi_rain_rate));
  add("solar", e.solar);
  add("hi_solar", e.hi_solar);
  add("uv", e.uv);
  add("hi_uv", e.hi_uv);
  add("et", e.et);
  add("wind_samples", static_cast<double>(e.wind_samples));
  add("avg_wind", e.avg_wind);
  add("hi_wind", e.hi_wind);
  add("hi_wind_dir", degrees(e.hi_wind_dir));
  add("prevailing_dir", degrees(e.prevailing_dir));
  add("in_hum", e.in_hum);
  add("out_hum", e.out_hum);
  add("forecast_rule", static_cast<double>(e.forecast_rule));
  for (std::size_t i = 0; i < 2; ++i) {
    add(("leaf_temp" + std::to_string(i + 1)).c_str(), e.leaf_temp[i]);
    add(("leaf_wet" + std::to_string(i + 1)).c_str(), e.leaf_wet[i]);
    add(("extra_hum" + std::to_string(i + 1)).c_str(), e.extra_hum[i]);
  }
  for (std::size_t i = 0; i < 4; ++i) {
    add(("soil_temp" + std::to_string(i + 1)).c_str(), e.soil_temp[i]);
    add(("soil_moist" + std::to_string(i + 1)).c_str(), e.soil_moist[i]);
  }
  for (std::size_t i = 0; i < 3; ++i) {
    add(("extra_temp" + std::to_string(i + 1)).c_str(), e.extra_temp[i]);
  }
  return out;
}

void ArchiveAccumulator::Reset(std::int64_t start) {
  const int period = std::max(60, period_s_);
  const std::int64_t keep_end = (start / period + 1) * period;
  *this = ArchiveAccumulator{};
  period_s_ = period;
  end_ = keep_end;
}

void ArchiveAccumulator::Add(const Readings& r, const ArchiveStep& step, int period_s,
                             const Emit& emit) {
  if (period_s != period_s_ || end_ == 0) {
    period_s_ = period_s;
    Reset(step.time - static_cast<std::int64_t>(step.dt));
  }
  const double w = step.dt;
  weight_ += w;
  auto average = [w](const Value& v, double& sum, double& weight) {
    if (!v) return;
    sum += *v * w;
    weight += w;
  };
  average(r.outside_temp, out_sum_, out_w_);
  average(r.inside_temp, in_sum_, in_w_);
  average(r.barometer, bar_sum_, bar_w_);
  average(r.solar, solar_sum_, solar_w_);
  average(r.uv, uv_sum_, uv_w_);
  Max(hi_out_, r.outside_temp);
  if (r.outside_temp && (!low_out_ || *r.outside_temp < *low_out_)) low_out_ = r.outside_temp;
  Max(hi_rate_, r.rain_rate);
  Max(hi_solar_, r.solar);
  Max(hi_uv_, r.uv);
  if (r.wind_speed && r.wind_dir) {
    // The suite sends a wind reading every 2.5625 s.
    samples_ += w / 2.5625;
    wind_sum_ += *r.wind_speed * w;
    wind_weight_ += w;
    const double high = std::max(*r.wind_speed, step.peak_wind);
    if (!hi_wind_ || high > *hi_wind_) {
      hi_wind_ = high;
      hi_wind_dir_ = DirectionCode(*r.wind_dir);
    }
    dir_weight_[static_cast<std::size_t>(DirectionCode(*r.wind_dir))] += w;
  }
  rain_ += step.rain_clicks;
  et_ += step.et_inches;
  while (step.time >= end_) {
    ArchiveEntry e;
    e.written = true;
    auto mean = [](double sum, double weight, double step_size) -> Value {
      if (weight <= 0) return std::nullopt;
      return Round(sum / weight, step_size);
    };
    e.out_temp = mean(out_sum_, out_w_, 0.1);
    e.hi_out_temp = hi_out_;
    e.low_out_temp = low_out_;
    e.in_temp = mean(in_sum_, in_w_, 0.1);
    e.barometer = mean(bar_sum_, bar_w_, 0.001);
    e.solar = mean(solar_sum_, solar_w_, 1.0);
    e.hi_solar = hi_solar_;
    e.uv = mean(uv_sum_, uv_w_, 0.1);
    e.hi_uv = hi_uv_;
    e.et = Round(std::min(et_, 0.254), 0.001);
    e.rain = static_cast<int>(std::lround(rain_));
    e.hi_rain_rate = hi_rate_ ? static_cast<int>(std::lround(*hi_rate_)) : 0;
    e.wind_samples = static_cast<int>(std::lround(samples_));
    if (e.wind_samples > 0) {
      e.avg_wind = std::round(wind_sum_ / wind_weight_);
      e.hi_wind = hi_wind_;
      e.hi_wind_dir = hi_wind_dir_;
      e.prevailing_dir = static_cast<double>(
          std::max_element(dir_weight_.begin(), dir_weight_.end()) - dir_weight_.begin());
    }
    e.in_hum = r.inside_hum;
    e.out_hum = r.outside_hum;
    e.forecast_rule = r.forecast_rule ? static_cast<int>(*r.forecast_rule) : 0;
    for (std::size_t i = 0; i < 2; ++i) {
      e.leaf_temp[i] = r.leaf_temp[i];
      e.leaf_wet[i] = r.leaf_wet[i];
      e.extra_hum[i] = r.extra_hum[i];
    }
    for (std::size_t i = 0; i < 4; ++i) {
      e.soil_temp[i] = r.soil_temp[i];
      e.soil_moist[i] = r.soil_moist[i];
    }
    for (std::size_t i = 0; i < 3; ++i) e.extra_temp[i] = r.extra_temp[i];
    const std::int64_t end = end_;
    const bool had_samples = weight_ > 0;
    Reset(end);
    if (had_samples) emit(end, std::move(e));
  }
}

ArchiveMemory::ArchiveMemory() = default;

void ArchiveMemory::Write(const ArchiveEntry& e) {
  // Made on first use: a core that never archives stays small to copy.
  if (slots_.empty()) slots_.resize(static_cast<std::size_t>(p::kArchiveRecords));
  slots_[static_cast<std::size_t>(next_)] = e;
  slots_[static_cast<std::size_t>(next_)].written = true;
  next_ = (next_ + 1) % p::kArchiveRecords;
  count_ = std::min(count_ + 1, p::kArchiveRecords);
}

void ArchiveMemory::Clear() {
  slots_.clear();
  next_ = 0;
  count_ = 0;
}

int ArchiveMemory::SlotOfAge(int age) const {
  return ((next_ - count_ + age) % p::kArchiveRecords + p::kArchiveRecords) % p::kArchiveRecords;
}

ArchiveMemory::Plan ArchiveMemory::After(std::uint16_t date, std::uint16_t time,
                                         bool never_found) const {
  Plan plan;
  int from_age = 0;
  if (!never_found) {
    // The first record of the memory with that stamp (an hour that repeats
    // in autumn holds two).
    for (int age = 0; age < count_; ++age) {
      const ArchiveEntry& e = AtAge(age);
      if (e.written && e.date == date && e.time == time) {
        plan.found = true;
        from_age = age + 1;
        break;
      }
    }
  }
  plan.records = count_ - from_age;
  if (plan.records <= 0) return plan;
  plan.first_slot = SlotOfAge(from_age);
  plan.first_index = plan.first_slot % p::kArchiveRecordsPerPage;
  plan.pages =
      (plan.first_index + plan.records + p::kArchiveRecordsPerPage - 1) / p::kArchiveRecordsPerPage;
  return plan;
}

std::vector<std::uint8_t> ArchiveMemory::Page(int page, std::uint8_t sequence) const {
  std::vector<std::uint8_t> bytes{sequence};
  const int first = (page % p::kArchivePages) * p::kArchiveRecordsPerPage;
  const ArchiveEntry never_written;
  for (int i = 0; i < p::kArchiveRecordsPerPage; ++i) {
    const auto record = EncodeArchiveRecord(
        slots_.empty() ? never_written : slots_[static_cast<std::size_t>(first + i)]);
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  bytes.insert(bytes.end(), 4, 0);
  p::AppendCrc(bytes);
  return bytes;
}

}  // namespace tv::sim
