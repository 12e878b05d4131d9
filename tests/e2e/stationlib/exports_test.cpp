// The shared object exports every station operation by its plain name, and
// nothing else.
#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "stationlib/vantagepro.h"

namespace {

const char* const kOperations[] = {
    "OpenCommPort_V",
    "OpenCommPortByName_V",
    "OpenTCPIPPort_V",
    "OpenUSBPort_V",
    "CloseCommPort_V",
    "CloseTCPIPPort_V",
    "CloseUSBPort_V",
    "InitStation_V",
    "GetUSBDevSerialNumber_V",
    "IsNewLoopPackageSupported_V",
    "LoadCurrentVantageData_V",
    "LoadVantageAlarms_V",
    "LoadVantageHiLows_V",
    "LoadVantageCalibration_V",
    "GetOutsideTemp_V",
    "GetInsideTemp_V",
    "GetDewPt_V",
    "GetWindChill_V",
    "GetBarometer_V",
    "GetWindSpeed_V",
    "GetRainRate_V",
    "GetDailyRain_V",
    "GetMonthlyRain_V",
    "GetStormRain_V",
    "GetTotalRain_V",
    "GetInsideHumidity_V",
    "GetOutsideHumidity_V",
    "GetWindDir_V",
    "GetCurrentDataByID_V",
    "GetCurrentDataStrByID_V",
    "GetHiLowDataByID_V",
    "GetHiLowTimeByID_V",
    "GetBarRiseAlarm_V",
    "GetBarFallAlarm_V",
    "GetInsideLowTempAlarm_V",
    "GetInsideHiTempAlarm_V",
    "GetOutsideLowTempAlarm_V",
    "GetOutsideHiTempAlarm_V",
    "GetLowWindChillAlarm_V",
    "GetLowDewPtAlarm_V",
    "GetHiDewPtAlarm_V",
    "GetHiOutsideHumAlarm_V",
    "GetLowOutsideHumAlarm_V",
    "GetHiRainRateAlarm_V",
    "GetHiDailyRainAlarm_V",
    "GetHiRainStormAlarm_V",
    "GetFlashFloodAlarm_V",
    "GetHiUVAlarm_V",
    "GetHiUVMedAlarm_V",
    "GetLowInsideHumAlarm_V",
    "GetHiInsideHumAlarm_V",
    "GetHiSolarRadAlarm_V",
    "GetHiWindSpeedAlarm_V",
    "GetHi10MinWindSpeedAlarm_V",
    "GetHiHeatIndexAlarm_V",
    "GetHiTHSWAlarm_V",
    "GetLowExtraTempAlarm_V",
    "GetHiExtraTempAlarm_V",
    "GetLowExtraHumAlarm_V",
    "GetHiExtraHumAlarm_V",
    "GetLowSoilTempAlarm_V",
    "GetHiSoilTempAlarm_V",
    "GetLowSoilMoistureAlarm_V",
    "GetHiSoilMoistureAlarm_V",
    "GetLowLeafTempAlarm_V",
    "GetHiLeafTempAlarm_V",
    "GetLowLeafWetAlarm_V",
    "GetHiLeafWetAlarm_V",
    "GetTimeAlarm_V",
    "GetTimeAlarmStr_V",
    "GetModelNo_V",
    "GetWindCupSize_V",
    "GetArchivePeriod_V",
    "GetStationFirmwareVersion_V",
    "GetStationFirmwareDate_V",
    "GetStationTime_V",
    "GetSunriseTime_V",
    "GetSunsetTime_V",
    "GetTimeZoneSettings_V",
    "GetReceptionData_V",
    "GetVantageLat_V",
    "GetVantageLon_V",
    "GetBarometerData_V",
    "GetVantageTxConfig_V",
    "GetWindDirCalibrationOffset_V",
    "DownloadArchive_V",
    "SetStationTime_V",
};

// Defined global and weak symbols of the dynamic symbol table of an ELF64 file.
std::set<std::string> DynamicSymbols(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> file((std::istreambuf_iterator<char>(in)), {});
  std::set<std::string> names;
  if (file.size() < sizeof(Elf64_Ehdr)) return names;
  Elf64_Ehdr eh;
  std::memcpy(&eh, file.data(), sizeof eh);
  for (int i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh;
    std::memcpy(&sh, file.data() + eh.e_shoff + i * eh.e_shentsize, sizeof sh);
    if (sh.sh_type != SHT_DYNSYM) continue;
    Elf64_Shdr strtab;
    std::memcpy(&strtab, file.data() + eh.e_shoff + sh.sh_link * eh.e_shentsize, sizeof strtab);
    for (std::size_t k = 0; k < sh.sh_size / sizeof(Elf64_Sym); ++k) {
      Elf64_Sym sym;
      std::memcpy(&sym, file.data() + sh.sh_offset + k * sizeof sym, sizeof sym);
      const int bind = ELF64_ST_BIND(sym.st_info);
      if (sym.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK)) continue;
      names.insert(file.data() + strtab.sh_offset + sym.st_name);
    }
  }
  return names;
}

TEST(Exports, EveryOperationByItsPlainNameAndNothingElse) {
  const std::set<std::string> symbols = DynamicSymbols(TV_VANTAGEPRO_SO);
  ASSERT_FALSE(symbols.empty());
  for (const char* op : kOperations) EXPECT_EQ(symbols.count(op), 1u) << op;
  for (const std::string& s : symbols) {
    EXPECT_TRUE(s.size() > 2 && s.compare(s.size() - 2, 2, "_V") == 0) << "stray export " << s;
  }
}

TEST(Exports, ValueByIdServesBothResultKinds) {
  // Called through an integer-returning pointer, as for the identifiers read
  // as 16-bit values, and through a float-returning one: before any load both
  // carry the "needs a load first" code.
  void* lib = dlopen(TV_VANTAGEPRO_SO, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  void* sym = dlsym(lib, "GetCurrentDataByID_V");
  ASSERT_NE(sym, nullptr);
  using AsShort = std::int16_t (*)(std::intptr_t);
  using AsFloat = float (*)(std::intptr_t);
  EXPECT_EQ(reinterpret_cast<AsShort>(sym)(0x20400E0), VP_ERR_NEEDS_LOAD);
  EXPECT_EQ(reinterpret_cast<AsFloat>(sym)(0x20400E0), static_cast<float>(VP_ERR_NEEDS_LOAD));
}

TEST(Exports, GettersBeforeTheirLoadAskForIt) {
  EXPECT_EQ(GetOutsideTemp_V(), static_cast<float>(VP_ERR_NEEDS_LOAD));
  EXPECT_EQ(GetInsideHumidity_V(), VP_ERR_NEEDS_LOAD);
  EXPECT_EQ(GetHiLowDataByID_V(0x1000), static_cast<float>(VP_ERR_NEEDS_LOAD));
  EXPECT_EQ(GetOutsideHiTempAlarm_V(), static_cast<float>(VP_ERR_NEEDS_LOAD));
  EXPECT_EQ(GetTimeAlarm_V(), VP_ERR_NEEDS_LOAD);
  char text[VP_TEXT_MAX];
  EXPECT_EQ(GetCurrentDataStrByID_V(0x300C0, text, sizeof text), VP_ERR_NEEDS_LOAD);
  EXPECT_EQ(GetCurrentDataStrByID_V(0x300C0, nullptr, 10), VP_ERR_BAD_PARAM);
  EXPECT_EQ(LoadCurrentVantageData_V(), VP_ERR_COMM) << "no link open";
  EXPECT_EQ(OpenCommPort_V(0, 19200), VP_ERR_BAD_PARAM);
  EXPECT_EQ(OpenCommPortByName_V("/nonexistent/tty", 19200), VP_ERR_OPEN);
}

}  // namespace
