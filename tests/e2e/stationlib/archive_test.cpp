// The archive download and the clock setting through the library's exports
// against the console simulator: every record downloaded against the
// simulator's own read-back of its memory, with the faults a real line and a
// real console bring.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "stationlib/vantagepro.h"
#include "tests/support/simulator_process.h"

namespace {

using tv::testing::SimulatorProcess;
using Fields = std::map<std::string, std::string>;

constexpr int kRecords = 2560;
constexpr double kClickUnit = 0.2 / 20;  // the simulator's 0.2 mm collector
constexpr double kInchUnit = 25.4 / 20;

std::unique_ptr<SimulatorProcess> StartConsole() {
  auto sim = std::make_unique<SimulatorProcess>();
  std::string error;
  if (!sim->Start({"--tcp", "127.0.0.1:0", "--start", "2024-06-21 14:00:00"}, &error)) {
    ADD_FAILURE() << "simulator: " << error;
    return nullptr;
  }
  EXPECT_EQ(sim->Control("HOLD ON"), "OK");
  return sim;
}

struct Download {
  std::vector<VantageArchivePage> pages;
  int stop_after = -1;  // pages, then the sink ends the download
  std::vector<VantageArchiveRecord> Records() const {
    std::vector<VantageArchiveRecord> out;
    for (const auto& p : pages) out.insert(out.end(), p.Records, p.Records + p.Count);
    return out;
  }
  int Undecoded() const {
    int n = 0;
    for (const auto& p : pages) n += p.Undecoded;
    return n;
  }
};

std::int32_t Collect(void* context, const VantageArchivePage* page) {
  auto& d = *static_cast<Download*>(context);
  d.pages.push_back(*page);
  return d.stop_after >= 0 && static_cast<int>(d.pages.size()) >= d.stop_after ? 1 : 0;
}

VantageDateTime StampOf(const Fields& f) {
  VantageDateTime t{};
  std::sscanf(f.at("date").c_str(), "%d-%d-%d", &t.Year, &t.Month, &t.Day);
  std::sscanf(f.at("time").c_str(), "%d:%d", &t.Hour, &t.Minute);
  return t;
}

// Every field of a downloaded record against the console's own.
void ExpectRecord(const VantageArchiveRecord& r, const Fields& f, const std::string& legend) {
  SCOPED_TRACE(legend + ", record " + f.at("date") + " " + f.at("time"));
  const VantageDateTime t = StampOf(f);
  EXPECT_EQ(r.Stamp.Year, t.Year);
  EXPECT_EQ(r.Stamp.Month, t.Month);
  EXPECT_EQ(r.Stamp.Day, t.Day);
  EXPECT_EQ(r.Stamp.Hour, t.Hour);
  EXPECT_EQ(r.Stamp.Minute, t.Minute);
  EXPECT_EQ(r.Revision, 'B');
  struct Row {
    const char* name;
    double value;
    double scale;
  } rows[] = {
      {"out_temp", r.OutsideTemp, 1},
      {"hi_out_temp", r.HiOutsideTemp, 1},
      {"low_out_temp", r.LowOutsideTemp, 1},
      {"in_temp", r.InsideTemp, 1},
      {"barometer", r.Barometer, 1},
      {"rain", r.Rain, kClickUnit},
      {"hi_rain_rate", r.HiRainRate, kClickUnit},
      {"solar", r.SolarRad, 1},
      {"hi_solar", r.HiSolarRad, 1},
      {"uv", r.UV, 1},
      {"hi_uv", r.HiUV, 1},
      {"et", r.ET, kInchUnit},
      {"wind_samples", static_cast<double>(r.WindSamples), 1},
      {"avg_wind", r.AvgWindSpeed, 1},
      {"hi_wind", r.HiWindSpeed, 1},
      {"hi_wind_dir", r.HiWindDir, 1},
      {"prevailing_dir", r.PrevailingWindDir, 1},
      {"in_hum", static_cast<double>(r.InsideHum), 1},
      {"out_hum", static_cast<double>(r.OutsideHum), 1},
      {"forecast_rule", static_cast<double>(r.ForecastRule), 1},
      {"leaf_temp1", r.LeafTemp[0], 1},
      {"leaf_wet2", r.LeafWetness[1], 1},
      {"soil_temp1", r.SoilTemp[0], 1},
      {"soil_temp4", r.SoilTemp[3], 1},
      {"soil_moist2", r.SoilMoisture[1], 1},
      {"extra_temp1", r.ExtraTemp[0], 1},
      {"extra_temp3", r.ExtraTemp[2], 1},
      {"extra_hum1", r.ExtraHum[0], 1},
      {"extra_hum2", r.ExtraHum[1], 1},
  };
  for (const Row& row : rows) {
    const std::string& back = f.at(row.name);
    const double expected = back == "--" ? VP_NO_DATA : std::stod(back) * row.scale;
    EXPECT_NEAR(row.value, expected, std::fabs(expected) * 1e-6 + 1e-4) << row.name;
  }
}

// A simulator with its link open through the library, closed when done.
struct Console {
  Console() : sim(StartConsole()) {
    if (sim) {
      EXPECT_EQ(OpenTCPIPPort_V(std::to_string(sim->tcp_port()).c_str(), "127.0.0.1"), VP_OK);
    }
  }
  ~Console() { CloseTCPIPPort_V(); }
  std::unique_ptr<SimulatorProcess> sim;
};

std::string Key(const VantageDateTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                t.Minute);
  return buf;
}

TEST(Archive, DownloadsAgainstTheConsoleMemory) {
  struct Row {
    const char* legend;
    std::vector<std::string> control;  // before the download
    std::optional<int> after;          // the record whose stamp is asked after (0 = oldest)
    int pages, first_record, records, undecoded, whole_memory;
    std::vector<int> skipped;  // pages handed over as VP_ERR_CRC
  } rows[] = {
      {"the full memory", {}, std::nullopt, 512, 0, kRecords, 0, 1, {}},
      {"after a stamp", {}, 2550, 2, 2551, 9, 0, 0, {}},
      {"after the newest record: nothing", {}, kRecords - 1, 0, 0, 0, 0, 0, {}},
      {"a page with a bad CRC is sent again",
       {"FAULT ARCHIVE_BAD_PAGE 3"},
       std::nullopt,
       512,
       0,
       kRecords,
       0,
       1,
       {}},
      {"a page that stays bad is skipped",
       {"FAULT ARCHIVE_DEAD_PAGE 1"},
       2530,
       6,
       2531,
       24,
       0,
       0,
       {1}},
      {"a stamp the console does not find: the whole memory",
       {"FAULT ARCHIVE_STAMP_MISS"},
       2550,
       512,
       0,
       kRecords,
       0,
       1,
       {}},
      {"a hole, an unknown type and the older layout in the middle",
       {"FAULT ARCHIVE_HOLE 1000", "FAULT ARCHIVE_UNKNOWN 1001", "FAULT ARCHIVE_REV_A 1002"},
       std::nullopt,
       512,
       0,
       kRecords - 3,
       3,
       1,
       {}},
      {"the ring wrapped in the middle of a page",
       {"STEP 1800"},
       std::nullopt,
       513,
       0,
       kRecords,
       0,
       1,
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    Console console;
    ASSERT_NE(console.sim, nullptr);
    SimulatorProcess* sim = console.sim.get();
    for (const std::string& c : row.control) ASSERT_EQ(sim->Control(c), "OK") << c;
    const std::vector<Fields> memory = sim->ArchiveRecords(0, kRecords);
    ASSERT_EQ(memory.size(), static_cast<std::size_t>(kRecords));
    std::optional<VantageDateTime> after;
    if (row.after) after = StampOf(memory[static_cast<std::size_t>(*row.after)]);
    Download d;
    EXPECT_EQ(DownloadArchive_V(after ? &*after : nullptr, Collect, &d), VP_OK);
    EXPECT_EQ(d.pages.size(), static_cast<std::size_t>(row.pages));
    std::vector<int> skipped;
    for (const auto& p : d.pages) {
      EXPECT_EQ(p.Pages, row.pages);
      EXPECT_EQ(p.WholeMemory, row.whole_memory) << "page " << p.Index;
      if (p.Status != VP_OK) skipped.push_back(p.Index);
    }
    EXPECT_EQ(skipped, row.skipped);
    EXPECT_EQ(d.Undecoded(), row.undecoded);
    const auto records = d.Records();
    ASSERT_EQ(records.size(), static_cast<std::size_t>(row.records));
    // Each record as the console holds it, in the console's order.
    std::map<std::string, const Fields*> by_stamp;
    for (const Fields& f : memory) {
      if (!f.empty()) by_stamp[Key(StampOf(f))] = &f;
    }
    if (!records.empty()) {
      EXPECT_EQ(Key(records[0].Stamp),
                Key(StampOf(memory[static_cast<std::size_t>(row.first_record)])));
    }
    std::string previous;
    for (const auto& r : records) {
      const std::string key = Key(r.Stamp);
      EXPECT_LT(previous, key) << "oldest first";
      previous = key;
      ASSERT_EQ(by_stamp.count(key), 1u) << key;
      ExpectRecord(r, *by_stamp[key], row.legend);
      if (HasFailure()) break;
    }
  }
}

TEST(Archive, EndedDownloads) {
  struct Row {
    const char* legend;
    const char* fault;
    int stop_after;
    std::int16_t status;
    std::size_t pages;
    bool link_kept;
  } rows[] = {
      {"the sink stops: ESC, the console answers again", "FAULT CLEAR", 3, VP_OK, 3, true},
      {"the link drops in the middle of a page", "FAULT ARCHIVE_DROP 5", -1, VP_ERR_COMM, 5, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    Console console;
    ASSERT_NE(console.sim, nullptr);
    SimulatorProcess* sim = console.sim.get();
    ASSERT_EQ(sim->Control(row.fault), "OK");
    Download d;
    d.stop_after = row.stop_after;
    EXPECT_EQ(DownloadArchive_V(nullptr, Collect, &d), row.status);
    ASSERT_EQ(d.pages.size(), row.pages) << "the pages before the end stay handed over";
    EXPECT_EQ(d.Records().size(), row.pages * 5);
    VantageDateTime now{};
    // A dead link is forgotten: the next operation fails at once.
    EXPECT_EQ(GetStationTime_V(&now), row.link_kept ? VP_OK : VP_ERR_COMM);
  }
  Download d;
  EXPECT_EQ(DownloadArchive_V(nullptr, nullptr, &d), VP_ERR_BAD_PARAM) << "no sink";
  const VantageDateTime bad{0, 25, 1, 1, 2024};
  EXPECT_EQ(DownloadArchive_V(&bad, Collect, &d), VP_ERR_BAD_PARAM) << "hour 25";
}

TEST(Archive, SetsTheConsoleClock) {
  Console console;
  ASSERT_NE(console.sim, nullptr);
  SimulatorProcess* sim = console.sim.get();
  const VantageDateTime when{4, 3, 2, 1, 2025};
  EXPECT_EQ(SetStationTime_V(&when, 5), VP_OK);
  EXPECT_EQ(sim->Control("CLOCK").substr(0, 19), "OK 2025-01-02 03:04");
  ASSERT_EQ(sim->Control("FAULT SETTIME_NAK"), "OK");
  const VantageDateTime later{0, 12, 3, 3, 2025};
  EXPECT_EQ(SetStationTime_V(&later, 0), VP_ERR_REFUSED) << "the console answers NAK";
  EXPECT_EQ(sim->Control("CLOCK").substr(0, 13), "OK 2025-01-02") << "clock left alone";
  const std::string stats = sim->Control("STATS");
  const VantageDateTime feb30{0, 12, 30, 2, 2025};
  EXPECT_EQ(SetStationTime_V(&feb30, 0), VP_ERR_BAD_PARAM) << "30 February";
  EXPECT_EQ(SetStationTime_V(&when, 60), VP_ERR_BAD_PARAM) << "second 60";
  EXPECT_EQ(sim->Control("STATS"), stats) << "nothing sent for a bad time";
}

}  // namespace
