#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "lib/station/archive_operations.h"

namespace tv {

// Every stored quantity, in the order of the store's columns, one line each:
// its id (ArchiveColumnId::k<Id>), its column name (also its name in the
// exported files), its unit (the window's: °C, hPa, km/h, mm), the
// conversion from the console's unit, the record's field it comes from
// (`r`: the ArchiveRecord), and the store's layout version that brought it.
// A new quantity is a new line here (and a layout step in the store).
#define TV_ARCHIVE_COLUMNS(X)                                                     \
  X(OutsideTemp, "outside_temp", "°C", kTemperature, r.OutsideTemp, 1)            \
  X(OutsideTempHigh, "outside_temp_high", "°C", kTemperature, r.HiOutsideTemp, 1) \
  X(OutsideTempLow, "outside_temp_low", "°C", kTemperature, r.LowOutsideTemp, 1)  \
  X(InsideTemp, "inside_temp", "°C", kTemperature, r.InsideTemp, 1)               \
  X(OutsideHum, "outside_hum", "%", kNone, r.OutsideHum, 1)                       \
  X(InsideHum, "inside_hum", "%", kNone, r.InsideHum, 1)                          \
  X(Barometer, "barometer", "hPa", kPressure, r.Barometer, 1)                     \
  X(Rain, "rain", "mm", kRain, r.Rain, 1)                                         \
  X(RainRateHigh, "rain_rate_high", "mm/h", kRain, r.HiRainRate, 1)               \
  X(WindSpeedAvg, "wind_speed_avg", "km/h", kSpeed, r.AvgWindSpeed, 1)            \
  X(WindSpeedHigh, "wind_speed_high", "km/h", kSpeed, r.HiWindSpeed, 1)           \
  X(WindDirHigh, "wind_dir_high", "°", kNone, r.HiWindDir, 1)                     \
  X(WindDirPrevailing, "wind_dir_prevailing", "°", kNone, r.PrevailingWindDir, 1) \
  X(WindSamples, "wind_samples", "", kNone, r.WindSamples, 1)                     \
  X(SolarRad, "solar_rad", "W/m²", kNone, r.SolarRad, 1)                          \
  X(SolarRadHigh, "solar_rad_high", "W/m²", kNone, r.HiSolarRad, 1)               \
  X(Uv, "uv", "index", kNone, r.UV, 1)                                            \
  X(UvHigh, "uv_high", "index", kNone, r.HiUV, 1)                                 \
  X(Et, "et", "mm", kRain, r.ET, 1)                                               \
  X(ForecastRule, "forecast_rule", "", kNone, r.ForecastRule, 1)                  \
  X(LeafTemp1, "leaf_temp_1", "°C", kTemperature, r.LeafTemp[0], 1)               \
  X(LeafTemp2, "leaf_temp_2", "°C", kTemperature, r.LeafTemp[1], 1)               \
  X(LeafWetness1, "leaf_wetness_1", "", kNone, r.LeafWetness[0], 1)               \
  X(LeafWetness2, "leaf_wetness_2", "", kNone, r.LeafWetness[1], 1)               \
  X(SoilTemp1, "soil_temp_1", "°C", kTemperature, r.SoilTemp[0], 1)               \
  X(SoilTemp2, "soil_temp_2", "°C", kTemperature, r.SoilTemp[1], 1)               \
  X(SoilTemp3, "soil_temp_3", "°C", kTemperature, r.SoilTemp[2], 1)               \
  X(SoilTemp4, "soil_temp_4", "°C", kTemperature, r.SoilTemp[3], 1)               \
  X(SoilMoisture1, "soil_moisture_1", "cb", kNone, r.SoilMoisture[0], 1)          \
  X(SoilMoisture2, "soil_moisture_2", "cb", kNone, r.SoilMoisture[1], 1)          \
  X(SoilMoisture3, "soil_moisture_3", "cb", kNone, r.SoilMoisture[2], 1)          \
  X(SoilMoisture4, "soil_moisture_4", "cb", kNone, r.SoilMoisture[3], 1)          \
  X(ExtraTemp1, "extra_temp_1", "°C", kTemperature, r.ExtraTemp[0], 1)            \
  X(ExtraTemp2, "extra_temp_2", "°C", kTemperature, r.ExtraTemp[1], 1)            \
  X(ExtraTemp3, "extra_temp_3", "°C", kTemperature, r.ExtraTemp[2], 1)            \
  X(ExtraHum1, "extra_hum_1", "%", kNone, r.ExtraHum[0], 1)                       \
  X(ExtraHum2, "extra_hum_2", "%", kNone, r.ExtraHum[1], 1)

// A stored quantity by name, checked when compiled: its value is its index
// in ArchiveColumns() and ArchiveValues.
enum class ArchiveColumnId : std::size_t {
#define TV_ARCHIVE_COLUMN_ID(id, ...) k##id,
  TV_ARCHIVE_COLUMNS(TV_ARCHIVE_COLUMN_ID)
#undef TV_ARCHIVE_COLUMN_ID
};

#define TV_ARCHIVE_COLUMN_ONE(...) +1
inline constexpr std::size_t kArchiveColumnCount = 0 TV_ARCHIVE_COLUMNS(TV_ARCHIVE_COLUMN_ONE);
#undef TV_ARCHIVE_COLUMN_ONE

constexpr std::size_t ColumnIndex(ArchiveColumnId id) {
  return static_cast<std::size_t>(id);
}

// One measured quantity of an archive record as the store keeps it.
struct ArchiveColumn {
  ArchiveColumnId id;
  std::string_view name;
  std::string_view unit;
  // The store's layout version that brought the column.
  int since = 1;
};

// Every stored quantity, in the order of the store's columns.
inline constexpr std::array<ArchiveColumn, kArchiveColumnCount> kArchiveColumns{{
#define TV_ARCHIVE_COLUMN_ENTRY(id, name, unit, conversion, field, since) \
  {ArchiveColumnId::k##id, name, unit, since},
    TV_ARCHIVE_COLUMNS(TV_ARCHIVE_COLUMN_ENTRY)
#undef TV_ARCHIVE_COLUMN_ENTRY
}};
const std::array<ArchiveColumn, kArchiveColumnCount>& ArchiveColumns();
constexpr const ArchiveColumn& ColumnOf(ArchiveColumnId id) {
  return kArchiveColumns[ColumnIndex(id)];
}

// The record's values in ArchiveColumns() order, converted from the console's
// units; a value the console had no reading for (rejected by IsValidResult)
// is empty. Indexed by position or by id.
struct ArchiveValues : std::array<std::optional<double>, kArchiveColumnCount> {
  using std::array<std::optional<double>, kArchiveColumnCount>::operator[];
  std::optional<double>& operator[](ArchiveColumnId id) { return (*this)[ColumnIndex(id)]; }
  const std::optional<double>& operator[](ArchiveColumnId id) const {
    return (*this)[ColumnIndex(id)];
  }
};
ArchiveValues ConvertArchiveRecord(const ArchiveRecord& record);

}  // namespace tv
