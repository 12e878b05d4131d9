#include "protocol/eeprom_map.h"

#include <array>

namespace tv::protocol::eeprom {

std::optional<RainCollector> RainCollectorFromSetupBits(std::uint8_t setup_bits) {
  const int code = (setup_bits & kSetupRainCollectorMask) >> kSetupRainCollectorShift;
  switch (code) {
    case 0:
      return RainCollector::kHundredthInch;
    case 1:
      return RainCollector::kFifthMm;
    case 2:
      return RainCollector::kTenthMm;
    default:
      return std::nullopt;
  }
}

std::uint8_t SetupBitsWithRainCollector(std::uint8_t setup_bits, RainCollector collector) {
  const unsigned code = static_cast<unsigned>(collector) << kSetupRainCollectorShift;
  return static_cast<std::uint8_t>((setup_bits & ~kSetupRainCollectorMask) |
                                   (code & kSetupRainCollectorMask));
}

double ClickSizeMm(RainCollector collector) {
  switch (collector) {
    case RainCollector::kHundredthInch:
      return 0.254;
    case RainCollector::kFifthMm:
      return 0.2;
    case RainCollector::kTenthMm:
      return 0.1;
  }
  return 0.254;
}

double ClickSizeInches(RainCollector collector) {
  return ClickSizeMm(collector) / 25.4;
}

namespace {

constexpr std::array kFields = {
    Field{"BAR_GAIN", kBarGain, FieldKind::kU16, 1},
    Field{"BAR_OFFSET", kBarOffset, FieldKind::kU16, 1},
    Field{"BAR_CAL", kBarCal, FieldKind::kS16, 1},
    Field{"HUM33", kHum33, FieldKind::kU16, 1},
    Field{"HUM80", kHum80, FieldKind::kU16, 1},
    Field{"LATITUDE", kLatitude, FieldKind::kS16, 1},
    Field{"LONGITUDE", kLongitude, FieldKind::kS16, 1},
    Field{"ELEVATION", kElevation, FieldKind::kS16, 1},
    Field{"TIME_ZONE", kTimeZone, FieldKind::kU8, 1},
    Field{"MANUAL_OR_AUTO", kManualOrAuto, FieldKind::kU8, 1},
    Field{"DAYLIGHT_SAVINGS", kDaylightSavings, FieldKind::kU8, 1},
    Field{"GMT_OFFSET", kGmtOffset, FieldKind::kS16, 1},
    Field{"GMT_OR_ZONE", kGmtOrZone, FieldKind::kU8, 1},
    Field{"USED_TRANSMITTERS", kUsedTransmitters, FieldKind::kU8, 1},
    Field{"RETRANSMIT_ID", kRetransmitId, FieldKind::kU8, 1},
    Field{"STATION_LIST", kStationList, FieldKind::kU8, 16},
    Field{"UNIT_BITS", kUnitBits, FieldKind::kU8, 1},
    Field{"UNIT_BITS_COMP", kUnitBitsComp, FieldKind::kU8, 1},
    Field{"SETUP_BITS", kSetupBits, FieldKind::kU8, 1},
    Field{"RAIN_SEASON_START", kRainSeasonStart, FieldKind::kU8, 1},
    Field{"ARCHIVE_PERIOD", kArchivePeriod, FieldKind::kU8, 1},
    Field{"TEMP_IN_CAL", kTempInCal, FieldKind::kS8, 1},
    Field{"TEMP_IN_COMP", kTempInComp, FieldKind::kU8, 1},
    Field{"TEMP_OUT_CAL", kTempOutCal, FieldKind::kS8, 1},
    Field{"TEMP_CAL", kTempCal, FieldKind::kS8, 15},
    Field{"HUM_IN_CAL", kHumInCal, FieldKind::kS8, 1},
    Field{"HUM_CAL", kHumCal, FieldKind::kS8, 8},
    Field{"DIR_CAL", kDirCal, FieldKind::kS16, 1},
    Field{"DEFAULT_BAR_GRAPH", kDefaultBarGraph, FieldKind::kU8, 1},
    Field{"DEFAULT_RAIN_GRAPH", kDefaultRainGraph, FieldKind::kU8, 1},
    Field{"DEFAULT_SPEED_GRAPH", kDefaultSpeedGraph, FieldKind::kU8, 1},
    Field{"ALARM_BAR_RISE", kAlarmBarRise, FieldKind::kU8, 1},
    Field{"ALARM_BAR_FALL", kAlarmBarFall, FieldKind::kU8, 1},
    Field{"ALARM_TIME", kAlarmTime, FieldKind::kU16, 1},
    Field{"ALARM_TIME_COMP", kAlarmTimeComp, FieldKind::kU16, 1},
    Field{"ALARM_LOW_IN_TEMP", kAlarmLowInTemp, FieldKind::kU8, 1},
    Field{"ALARM_HIGH_IN_TEMP", kAlarmHighInTemp, FieldKind::kU8, 1},
    Field{"ALARM_LOW_OUT_TEMP", kAlarmLowOutTemp, FieldKind::kU8, 1},
    Field{"ALARM_HIGH_OUT_TEMP", kAlarmHighOutTemp, FieldKind::kU8, 1},
    Field{"ALARM_LOW_TEMPS", kAlarmLowTemps, FieldKind::kU8, 15},
    Field{"ALARM_HIGH_TEMPS", kAlarmHighTemps, FieldKind::kU8, 15},
    Field{"ALARM_LOW_IN_HUM", kAlarmLowInHum, FieldKind::kU8, 1},
    Field{"ALARM_HIGH_IN_HUM", kAlarmHighInHum, FieldKind::kU8, 1},
    Field{"ALARM_LOW_HUMS", kAlarmLowHums, FieldKind::kU8, 8},
    Field{"ALARM_HIGH_HUMS", kAlarmHighHums, FieldKind::kU8, 8},
    Field{"ALARM_LOW_DEW", kAlarmLowDew, FieldKind::kU8, 1},
    Field{"ALARM_HIGH_DEW", kAlarmHighDew, FieldKind::kU8, 1},
    Field{"ALARM_LOW_CHILL", kAlarmLowChill, FieldKind::kU8, 1},
    Field{"ALARM_HIGH_HEAT", kAlarmHighHeat, FieldKind::kU8, 1},
    Field{"ALARM_HIGH_THSW", kAlarmHighThsw, FieldKind::kU8, 1},
    Field{"ALARM_WIND_SPEED", kAlarmWindSpeed, FieldKind::kU8, 1},
    Field{"ALARM_WIND_AVG10", kAlarmWindAvg10, FieldKind::kU8, 1},
    Field{"ALARM_HIGH_UV", kAlarmHighUv, FieldKind::kU8, 1},
    Field{"ALARM_UV_DOSE", kAlarmUvDose, FieldKind::kU8, 1},
    Field{"ALARM_LOW_SOIL_MOIST", kAlarmLowSoilMoist, FieldKind::kU8, 4},
    Field{"ALARM_HIGH_SOIL_MOIST", kAlarmHighSoilMoist, FieldKind::kU8, 4},
    Field{"ALARM_LOW_LEAF_WET", kAlarmLowLeafWet, FieldKind::kU8, 4},
    Field{"ALARM_HIGH_LEAF_WET", kAlarmHighLeafWet, FieldKind::kU8, 4},
    Field{"ALARM_HIGH_SOLAR", kAlarmHighSolar, FieldKind::kU16, 1},
    Field{"ALARM_HIGH_RAIN_RATE", kAlarmHighRainRate, FieldKind::kU16, 1},
    Field{"ALARM_RAIN_15MIN", kAlarmRain15Min, FieldKind::kU16, 1},
    Field{"ALARM_RAIN_24HOUR", kAlarmRain24Hour, FieldKind::kU16, 1},
    Field{"ALARM_STORM_TOTAL", kAlarmStormTotal, FieldKind::kU16, 1},
    Field{"ALARM_DAILY_ET", kAlarmDailyEt, FieldKind::kU8, 1},
    Field{"LOG_AVERAGE_TEMPS", kLogAverageTemps, FieldKind::kU8, 1},
};

}  // namespace

std::span<const Field> Fields() {
  return kFields;
}

const Field* FindField(std::string_view name) {
  for (const Field& f : kFields) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

std::size_t FieldSize(const Field& field) {
  const std::size_t unit = (field.kind == FieldKind::kU16 || field.kind == FieldKind::kS16) ? 2 : 1;
  return unit * field.count;
}

}  // namespace tv::protocol::eeprom
