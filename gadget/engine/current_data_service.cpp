#include "gadget/engine/current_data_service.h"

#include <utility>

#include "lib/common/unit_conversions.h"
#include "lib/station/station_operations.h"
#include "lib/vocabulary/forecast_sentences.h"

namespace tv {
namespace {

constexpr std::string_view kTempHumBar = "TempHumBar";
constexpr std::string_view kForeCast = "ForeCast";
constexpr std::string_view kSunSetSunRise = "SunSetSunRise";

// The console's alarm bits of the current data.
constexpr std::int32_t kBarFallingAlarmId = 0x140C0220;
constexpr std::int32_t kBarRisingAlarmId = 0x150C0220;
constexpr std::int32_t kFlashFloodAlarmId = 0x160C0220;

// Wind speeds enter the conversion as whole mph.
float WindKmh(float mph) {
  return MphToKmh(RoundToInt32(mph));
}

float ById(std::int32_t id, int kind = 0) {
  return GetCurrentDataByID(id, kind);
}

void ReadEveryRun(CurrentDataGroup& cd) {
  cd.WindSpeed = WindKmh(GetWindSpeed_V());
  cd.WindDir = GetWindDir_V();
  cd.RainRate = RainToMm(GetRainRate_V());
  cd.WindDirText = GetCurrentDataStrByID(0x300C0, 10);
  cd.BarFallingAlarm = RoundToInt16(ById(kBarFallingAlarmId));
  cd.BarRisingAlarm = RoundToInt16(ById(kBarRisingAlarmId));
  cd.FlashFloodAlarm = RoundToInt16(ById(kFlashFloodAlarmId));
}

void ReadTempHumBar(CurrentDataGroup& cd) {
  cd.InsideTemp = FahrenheitToCelsius(GetInsideTemp_V());
  cd.OutsideTemp = FahrenheitToCelsius(GetOutsideTemp_V());
  cd.InsideHumidity = GetInsideHumidity_V();
  cd.OutsideHumidity = GetOutsideHumidity_V();
  cd.Barometer = InHgToHpa(GetBarometer_V());
  cd.WindChill = FahrenheitToCelsius(GetWindChill_V());
  cd.DewPt = FahrenheitToCelsius(GetDewPt_V());
  cd.DailyRain = RainToMm(GetDailyRain_V());
  cd.MonthlyRain = RainToMm(GetMonthlyRain_V());
  cd.StormRain = RainToMm(GetStormRain_V());
  cd.TotalRain = RainToMm(GetTotalRain_V());
  cd.WindSpeedAvg2Min = WindKmh(ById(0x19020080));
  cd.WindSpeedAvg10Min = WindKmh(ById(0x1020080));
  cd.WindGust10Min = WindKmh(ById(0x1A020080));
  cd.RainLastHour = RainToMm(ById(0x56C40));
  cd.RainLast24Hours = RainToMm(ById(0x57040));
  cd.SolarRad = RoundToInt16(ById(0x70140));
  cd.UV = RoundToInt16(ById(0x80180));
  cd.THSWIndex = RoundToInt16(FahrenheitToCelsius(ById(5)));
  cd.THWIndex = RoundToInt16(FahrenheitToCelsius(ById(4)));
  cd.HeatIndex = FahrenheitToCelsius(ById(3));
  cd.StationElevation = RoundToInt16(ById(0x20400E0, 1));
  cd.BarTrendText = GetCurrentDataStrByID(0x402A0, 20);
  cd.ETDay = RainToMm(ById(0x244D));
  cd.ETMonth = RainToMm(ById(0x584D));
  cd.ETYear = RainToMm(ById(0x5C4D));
  for (int i = 0; i < 7; ++i) {
    cd.ExtraTemp[static_cast<std::size_t>(i)] =
        FahrenheitToCelsius(ById(0x2000000 + i * 0x1000000));
  }
  for (int i = 0; i < 7; ++i) {
    cd.ExtraHum[static_cast<std::size_t>(i)] = RoundToInt16(ById(0x20101C0 + i * 0x1000000));
  }
  for (int i = 0; i < 4; ++i) {
    cd.SoilMoisture[static_cast<std::size_t>(i)] = ById(0x90901E0 + i * 0x1000000);
  }
  for (int i = 0; i < 4; ++i) {
    cd.SoilTemp[static_cast<std::size_t>(i)] = FahrenheitToCelsius(ById(0x9000000 + i * 0x1000000));
  }
  for (int i = 0; i < 2; ++i) {
    cd.LeafWet[static_cast<std::size_t>(i)] = ById(0xF0A0200 + i * 0x1000000);
  }
  for (int i = 0; i < 2; ++i) {
    cd.LeafTemp[static_cast<std::size_t>(i)] = FahrenheitToCelsius(ById(0xF000000 + i * 0x1000000));
  }
}

}  // namespace

CurrentDataService::CurrentDataService(ServiceContext context) : context_(context) {}

std::int64_t CurrentDataService::NextRead(std::string_view sub_option) const {
  const auto it = next_read_.find(sub_option);
  return it == next_read_.end() ? 0 : it->second;
}

bool CurrentDataService::Due(std::string_view sub_option, std::int64_t now) const {
  return now >= NextRead(sub_option);
}

void CurrentDataService::Schedule(std::string_view sub_option) {
  const std::int64_t period = context_.config.Number("CURRENTDATA_" + std::string(sub_option));
  next_read_[std::string(sub_option)] = context_.clock.SteadySeconds() + period;
}

int CurrentDataService::Run() {
  if (LoadCurrentVantageData_V() != 1) {
    context_.log.Notify("Report de la collecte pour le service CurrentData.");
    return 0;
  }
  IsNewLoopPackageSupported_V();

  // Every value starts from what the record holds, so a read that fails
  // without filling its structure keeps the previous value.
  CurrentDataGroup cd;
  ForecastGroup forecast;
  StationDateTime station_time;
  StationDateTime sunrise;
  StationDateTime sunset;
  context_.record.Update([&](StationData& d) {
    cd = d.CurrentData;
    forecast = d.Forecast;
    station_time = d.StationTime;
    sunrise = d.SunriseTime;
    sunset = d.SunsetTime;
  });

  int result = GetStationTime_V(&station_time);
  const std::int64_t now = context_.clock.SteadySeconds();

  ReadEveryRun(cd);
  const bool read_tem_hum_bar = Due(kTempHumBar, now);
  if (read_tem_hum_bar) {
    ReadTempHumBar(cd);
    Schedule(kTempHumBar);
  }
  const bool read_forecast = Due(kForeCast, now);
  if (read_forecast) {
    forecast.Text = ForecastToSentenceNumbers(GetCurrentDataStrByID(0xC0C0220, 350));
    forecast.Icon = RoundToInt16(ById(0xD0C0220));
    Schedule(kForeCast);
  }
  const bool read_sun = Due(kSunSetSunRise, now);
  if (read_sun) {
    GetSunriseTime_V(&sunrise);
    // The whole code is kept: cut to 8 bits, an error such as -32767 would
    // read as 1 and a failed read would count as a success.
    result = GetSunsetTime_V(&sunset);
    Schedule(kSunSetSunRise);
  }

  context_.record.Update([&](StationData& d) {
    d.StationTime = station_time;
    d.CurrentData = std::move(cd);
    if (read_forecast) d.Forecast = std::move(forecast);
    if (read_sun) {
      d.SunriseTime = sunrise;
      d.SunsetTime = sunset;
    }
  });
  return result;
}

}  // namespace tv
