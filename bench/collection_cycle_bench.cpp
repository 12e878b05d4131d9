// One full collection cycle of the agent through the station library (the
// five services' loads and getters, in their order) against the console
// simulator, with the bytes exchanged and the wire-time floor at 19200 baud.
// One line per link: elapsed time per cycle, bytes, floor (the console's bytes
// at 19200 baud, 10 bits each) and the ratio elapsed / floor. Then the
// download of the console's whole archive memory (2560 records) at 19200 baud
// against its own floor.
//
//   stationlib_bench                       both links and the archive
//   stationlib_bench --benchmark_filter=Serial19200
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "stationlib/vantagepro.h"
#include "tests/support/simulator_process.h"

namespace {

constexpr std::int32_t Id(std::uint32_t sensor, std::uint32_t quantity, std::uint32_t period = 0) {
  return static_cast<std::int32_t>(sensor * 0x1000000u + quantity + period);
}

volatile float g_sink = 0;

// The CurrentData service: the load, the clock, then every value it reads.
void CurrentDataService() {
  LoadCurrentVantageData_V();
  IsNewLoopPackageSupported_V();
  VantageDateTime t{};
  GetStationTime_V(&t);
  char text[VP_TEXT_MAX];
  g_sink = GetWindSpeed_V() + GetWindDir_V() + GetRainRate_V();
  GetCurrentDataStrByID_V(0x300C0, text, 10);
  g_sink = GetInsideTemp_V() + GetOutsideTemp_V() + GetInsideHumidity_V() + GetOutsideHumidity_V() +
           GetBarometer_V() + GetWindChill_V() + GetDewPt_V() + GetDailyRain_V() +
           GetMonthlyRain_V() + GetStormRain_V() + GetTotalRain_V();
  const std::int32_t ids[] = {0x19020080, 0x1020080, 0x1A020080, 0x56C40, 0x57040,
                              0x70140,    0x80180,   5,          4,       3,
                              0x20400E0,  0x244D,    0x584D,     0x5C4D};
  for (const auto id : ids) g_sink = GetCurrentDataByID_V(id);
  GetCurrentDataStrByID_V(0x402A0, text, 20);
  for (std::uint32_t s = 2; s <= 8; ++s) g_sink = GetCurrentDataByID_V(Id(s, 0));
  for (std::uint32_t s = 2; s <= 8; ++s) g_sink = GetCurrentDataByID_V(Id(s, 0x101C0));
  for (std::uint32_t s = 9; s <= 12; ++s) g_sink = GetCurrentDataByID_V(Id(s, 0x901E0));
  for (std::uint32_t s = 9; s <= 12; ++s) g_sink = GetCurrentDataByID_V(Id(s, 0));
  for (std::uint32_t s = 15; s <= 16; ++s) g_sink = GetCurrentDataByID_V(Id(s, 0xA0200));
  for (std::uint32_t s = 15; s <= 16; ++s) g_sink = GetCurrentDataByID_V(Id(s, 0));
  GetCurrentDataStrByID_V(0xC0C0220, text, 350);
  g_sink = GetCurrentDataByID_V(0xD0C0220);
  GetSunriseTime_V(&t);
  GetSunsetTime_V(&t);
}

void AlarmService() {
  LoadVantageAlarms_V();
  char text[16];
  g_sink = GetBarRiseAlarm_V() + GetBarFallAlarm_V() + static_cast<float>(GetTimeAlarm_V());
  GetTimeAlarmStr_V(text);
  g_sink = GetInsideLowTempAlarm_V() + GetInsideHiTempAlarm_V() + GetOutsideLowTempAlarm_V() +
           GetOutsideHiTempAlarm_V() + GetLowInsideHumAlarm_V() + GetHiInsideHumAlarm_V() +
           GetLowOutsideHumAlarm_V() + GetHiOutsideHumAlarm_V() + GetLowWindChillAlarm_V() +
           GetLowDewPtAlarm_V() + GetHiDewPtAlarm_V() + GetHiSolarRadAlarm_V() +
           GetHiWindSpeedAlarm_V() + GetHi10MinWindSpeedAlarm_V() + GetHiHeatIndexAlarm_V() +
           GetHiTHSWAlarm_V() + GetHiRainRateAlarm_V() + GetHiDailyRainAlarm_V() +
           GetHiRainStormAlarm_V() + GetFlashFloodAlarm_V() + GetHiUVAlarm_V() +
           GetHiUVMedAlarm_V();
  for (int s = 2; s <= 8; ++s) {
    g_sink = GetLowExtraTempAlarm_V(s) + GetHiExtraTempAlarm_V(s) + GetLowExtraHumAlarm_V(s) +
             GetHiExtraHumAlarm_V(s);
  }
  for (int s = 1; s <= 4; ++s) {
    g_sink = GetLowSoilTempAlarm_V(s) + GetHiSoilTempAlarm_V(s) + GetLowSoilMoistureAlarm_V(s) +
             GetHiSoilMoistureAlarm_V(s);
  }
  for (int s = 1; s <= 2; ++s) {
    g_sink = GetLowLeafTempAlarm_V(s) + GetHiLeafTempAlarm_V(s) + GetLowLeafWetAlarm_V(s);
  }
}

// The HiLow service: 210 values and the 70 times of the day records.
void HiLowService() {
  LoadVantageHiLows_V();
  struct Q {
    std::uint32_t quantity;
    std::vector<std::uint32_t> sensors;
    bool highs, lows;
  };
  const std::vector<Q> all = {
      {0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 16}, true, true},
      {1, {0}, true, true},
      {2, {0}, false, true},
      {3, {0}, true, false},
      {0x101C0, {0, 1, 2, 3, 4, 5, 6, 7, 8}, true, true},
      {0x901E0, {9, 10, 11, 12}, true, true},
      {0xA0200, {15, 16}, true, true},
      {0x20080, {0}, true, false},
      {0x400E0, {0}, true, true},
      {0x60060, {0}, true, false},
      {0x70140, {0}, true, false},
      {0x80180, {0}, true, false},
  };
  VantageDateTime t{};
  for (const Q& q : all) {
    for (const auto s : q.sensors) {
      if (q.highs) {
        g_sink = GetHiLowDataByID_V(Id(s, q.quantity, 0x1000));
        GetHiLowTimeByID_V(Id(s, q.quantity, 0x1000), &t);
        g_sink = GetHiLowDataByID_V(Id(s, q.quantity, 0x2800));
        g_sink = GetHiLowDataByID_V(Id(s, q.quantity, 0x4C00));
      }
      if (q.lows) {
        g_sink = GetHiLowDataByID_V(Id(s, q.quantity, 0x1800));
        GetHiLowTimeByID_V(Id(s, q.quantity, 0x1800), &t);
        g_sink = GetHiLowDataByID_V(Id(s, q.quantity, 0x3000));
        g_sink = GetHiLowDataByID_V(Id(s, q.quantity, 0x5000));
      }
    }
  }
}

void ConfigStationService() {
  InitStation_V();
  char text[VP_TEXT_MAX];
  GetCurrentDataStrByID_V(0x90C0220, text, 10);
  GetCurrentDataStrByID_V(0xA0C0220, text, 100);
  GetCurrentDataStrByID_V(0xB0C0220, text, 100);
  std::uint8_t rec[56];
  VantageDateTime date{};
  GetTimeZoneSettings_V(rec);
  GetReceptionData_V(rec);
  GetStationFirmwareDate_V(&date);
  GetVantageLat_V(rec);
  GetVantageLon_V(rec);
  GetStationFirmwareVersion_V(text);
  g_sink = GetWindCupSize_V() + GetModelNo_V() + GetArchivePeriod_V();
  GetBarometerData_V(rec);
  GetVantageTxConfig_V(rec);
}

void CalibrationService() {
  std::uint8_t rec[20];
  std::int32_t offset = 0;
  LoadVantageCalibration_V(rec);
  GetWindDirCalibrationOffset_V(&offset);
}

// The simulator's byte counters, from its control channel.
struct ConsoleCounts {
  std::int64_t in = 0;   // host to console
  std::int64_t out = 0;  // console to host
};

std::int64_t Field(const std::string& reply, const std::string& name) {
  const auto at = reply.find(" " + name + "=");
  return at == std::string::npos ? -1 : std::atoll(reply.c_str() + at + name.size() + 2);
}

ConsoleCounts ReadCounts(tv::testing::SimulatorProcess& sim) {
  const std::string reply = sim.Control("STATS");
  return {Field(reply, "bytes_in"), Field(reply, "bytes_out")};
}

constexpr double kBaud = 19200;
constexpr double kBitsPerByte = 10;  // start, 8 data, stop

void RunCycles(benchmark::State& state, bool serial_19200) {
  tv::testing::SimulatorProcess sim;
  std::vector<std::string> args = {"--scenario", "default"};
  if (serial_19200) {
    args.insert(args.end(), {"--pty", "--baud", "19200"});
  } else {
    args.insert(args.end(), {"--tcp", "127.0.0.1:0"});
  }
  std::string error;
  if (!sim.Start(args, &error)) {
    state.SkipWithError(("simulator: " + error).c_str());
    return;
  }
  double seconds = 0;
  double hilow_seconds = 0;
  std::int64_t bytes = 0;
  ConsoleCounts console;
  for (auto _ : state) {
    state.PauseTiming();
    const ConsoleCounts before = ReadCounts(sim);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    const int open = serial_19200
                         ? OpenCommPortByName_V(sim.pty_path().c_str(), 19200)
                         : OpenTCPIPPort_V(std::to_string(sim.tcp_port()).c_str(), "127.0.0.1");
    if (open != VP_OK || InitStation_V() != VP_OK) {
      state.SkipWithError("the console did not answer");
      break;
    }
    IsNewLoopPackageSupported_V();
    VantageDateTime t{};
    GetStationTime_V(&t);
    CurrentDataService();
    AlarmService();
    const auto hilow_start = std::chrono::steady_clock::now();
    HiLowService();
    hilow_seconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - hilow_start).count();
    ConfigStationService();
    CalibrationService();
    bytes += GetLinkBytesExchanged_V();
    CloseCommPort_V();
    CloseTCPIPPort_V();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    const ConsoleCounts after = ReadCounts(sim);
    console.in += after.in - before.in;
    console.out += after.out - before.out;
    state.ResumeTiming();
  }
  if (state.iterations() == 0) return;
  const double cycles = static_cast<double>(state.iterations());
  // The simulator paces what the console sends; what the host writes crosses
  // the pseudo-terminal at once. The floor is therefore the line time of the
  // console's bytes; the line time of both directions is shown beside it.
  const double floor = static_cast<double>(console.out) * kBitsPerByte / kBaud / cycles;
  const double both_ways = static_cast<double>(bytes) * kBitsPerByte / kBaud / cycles;
  const double elapsed = seconds / cycles;
  const double ratio = floor > 0 ? elapsed / floor : 0;
  state.counters["elapsed_s"] = elapsed;
  state.counters["bytes"] = static_cast<double>(bytes) / cycles;
  state.counters["console_bytes"] = static_cast<double>(console.out) / cycles;
  state.counters["floor_s"] = floor;
  state.counters["ratio"] = ratio;
  state.counters["hilow_share"] = seconds > 0 ? hilow_seconds / seconds : 0;
  std::printf(
      "%-22s elapsed %.4f s  bytes %.0f (console %.0f, host %.0f)  floor %.3f s  ratio %.3f"
      "  (both directions at 19200: %.3f s, ratio %.3f)  HiLow share %.2f\n",
      serial_19200 ? "pty --baud 19200:" : "tcp unthrottled:", elapsed,
      static_cast<double>(bytes) / cycles, static_cast<double>(console.out) / cycles,
      static_cast<double>(console.in) / cycles, floor, ratio, both_ways,
      both_ways > 0 ? elapsed / both_ways : 0, seconds > 0 ? hilow_seconds / seconds : 0);
  std::fflush(stdout);
}

void BM_CollectionCycle_Serial19200(benchmark::State& state) {
  RunCycles(state, true);
}
void BM_CollectionCycle_TcpUnthrottled(benchmark::State& state) {
  RunCycles(state, false);
}

// The whole archive memory over the pseudo-terminal at 19200 baud: one ACK
// per page, each page waited for by the library.
void BM_ArchiveDownload_Serial19200(benchmark::State& state) {
  tv::testing::SimulatorProcess sim;
  std::string error;
  if (!sim.Start({"--pty", "--baud", "19200", "--start", "2024-06-21 14:00:00"}, &error)) {
    state.SkipWithError(("simulator: " + error).c_str());
    return;
  }
  sim.Control("HOLD ON");
  sim.Control("ARCHIVE");  // the memory filled before the clock starts
  struct Count {
    int pages = 0, records = 0;
  };
  auto sink = [](void* context, const VantageArchivePage* page) -> std::int32_t {
    auto& c = *static_cast<Count*>(context);
    ++c.pages;
    c.records += page->Count;
    return 0;
  };
  double seconds = 0;
  std::int64_t console_bytes = 0;
  Count count;
  for (auto _ : state) {
    state.PauseTiming();
    if (OpenCommPortByName_V(sim.pty_path().c_str(), 19200) != VP_OK || InitStation_V() != VP_OK) {
      state.SkipWithError("the console did not answer");
      break;
    }
    const ConsoleCounts before = ReadCounts(sim);
    count = Count{};
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    const std::int16_t status = DownloadArchive_V(nullptr, sink, &count);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    console_bytes += ReadCounts(sim).out - before.out;
    CloseCommPort_V();
    if (status != VP_OK) {
      state.SkipWithError("the download failed");
      break;
    }
    state.ResumeTiming();
  }
  if (state.iterations() == 0 || seconds <= 0) return;
  const double runs = static_cast<double>(state.iterations());
  const double elapsed = seconds / runs;
  const double floor = static_cast<double>(console_bytes) * kBitsPerByte / kBaud / runs;
  state.counters["elapsed_s"] = elapsed;
  state.counters["floor_s"] = floor;
  state.counters["ratio"] = elapsed / floor;
  std::printf(
      "archive --baud 19200:  %d records in %d pages  elapsed %.3f s  console bytes %.0f"
      "  floor %.3f s  ratio %.3f\n",
      count.records, count.pages, elapsed, static_cast<double>(console_bytes) / runs, floor,
      elapsed / floor);
  std::fflush(stdout);
}

BENCHMARK(BM_CollectionCycle_Serial19200)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CollectionCycle_TcpUnthrottled)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_ArchiveDownload_Serial19200)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
