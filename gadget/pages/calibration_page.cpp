#include "gadget/pages/calibration_page.h"

#include <cstdint>
#include <cstring>

#include "lib/common/number_text.h"
#include "lib/common/unit_conversions.h"
#include "lib/station/result_codes.h"

namespace tv {
namespace {

// Byte positions in the station library's calibration record.
constexpr std::size_t kInsideTemp = 10;   // float, 32 + offset in °F
constexpr std::size_t kOutsideTemp = 14;  // float, 32 + offset in °F
constexpr std::size_t kInsideHum = 18;    // 8-bit two's complement, %
constexpr std::size_t kOutsideHum = 19;   // 8-bit two's complement, %

float FloatAt(const std::array<std::uint8_t, kCalibrationDataSize>& record, std::size_t offset) {
  float value = 0;
  std::memcpy(&value, record.data() + offset, sizeof value);
  return value;
}

void ShowTemperature(Window& window, Field field, float fahrenheit) {
  if (IsValidResult(fahrenheit) != 1) return;
  window.SetText(field, DecimalText(static_cast<double>(FahrenheitToCelsius(fahrenheit)), 0));
}

void ShowWhole(Window& window, Field field, int value) {
  if (IsValidResult(static_cast<float>(value)) != 1) return;
  window.SetText(field, WholeText(value));
}

}  // namespace

void RefreshCalibrationPage(Window& window, const StationData& data) {
  const CalibrationGroup& cal = data.Calibration;
  ShowTemperature(window, Field::InTempCorrValue, FloatAt(cal.Data, kInsideTemp));
  ShowTemperature(window, Field::OutTempCorrValue, FloatAt(cal.Data, kOutsideTemp));
  // The humidity corrections are signed: 253 is a -3 % correction.
  ShowWhole(window, Field::InHumCorrValue, static_cast<std::int8_t>(cal.Data[kInsideHum]));
  ShowWhole(window, Field::OutHumCorrValue, static_cast<std::int8_t>(cal.Data[kOutsideHum]));
  ShowWhole(window, Field::WindDirCorrValue, cal.WindDirOffset);
}

}  // namespace tv
