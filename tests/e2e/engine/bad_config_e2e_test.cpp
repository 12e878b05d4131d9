// The agent's core started on damaged settings and language files, against
// the console simulator: each either is refused with the start-up message
// (nothing loaded) or runs, with its defaults where a value is unusable:
// never a crash, a hang or a line without bound.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "gadget/agent/agent.h"
#include "gadget/window/memory_window.h"
#include "lib/config/config_file.h"
#include "lib/config/text_encoding.h"
#include "tests/support/gui_thread_window.h"
#include "tests/support/simulator_process.h"

namespace tv {
namespace {

enum class Outcome {
  kRefused,     // no entry loaded: the start-up message, exit code 1
  kConditions,  // runs and shows the console's current conditions
  kNoLink,      // runs and says it cannot connect, cycle after cycle
  kEither,      // runs or is refused (random bytes)
};

std::string Garbage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>(random() & 0xFF);
  return s;
}

// A settings file reaching the simulator, with `extra` lines after it.
std::string GoodIni(int port, const std::string& extra = "") {
  return "[GENERAL]\nRefreshServices=1\n[CONSOLE]\ntype=IP\nadresse=127.0.0.1@" +
         std::to_string(port) + "\nConnectionTimeout=5\n[SERVICES]\nCurrentData=10\n" + extra;
}

std::string WithCrOnly(std::string s) {
  for (char& c : s) {
    if (c == '\n') c = '\r';
  }
  return s;
}

const std::string kPack = "[PREV_METEO]\n1=Ciel clair.\n2=Nuageux.\n";

struct DamagedFile {
  const char* legend;
  std::string ini;
  std::string pack;
  Outcome outcome;
};

std::vector<DamagedFile> Rows(int port) {
  const std::string ten_mb(10 << 20, 'A');
  return {
      {"settings: binary garbage", Garbage(64 << 10, 1), kPack, Outcome::kEither},
      {"settings: 10 MB on one line, no line end", "[GENERAL]" + ten_mb, kPack, Outcome::kRefused},
      {"settings: a 10 MB console address",
       "[CONSOLE]\ntype=IP\nConnectionTimeout=1\nadresse=" + ten_mb +
           "\n[SERVICES]\nCurrentData=\n",
       kPack, Outcome::kNoLink},
      {"settings: keys without any group",
       "type=IP\nadresse=127.0.0.1@" + std::to_string(port) + "\n", kPack, Outcome::kRefused},
      {"settings: Windows-1252 accents",
       "; r\xE9glages\n" + GoodIni(port, "[ALERTS]\nSound=bip\xE9\n[GENERAL]\nNom=\xC9t\xE9\n"),
       kPack, Outcome::kConditions},
      {"settings: CR-only line ends", WithCrOnly(GoodIni(port)), kPack, Outcome::kRefused},
      {"settings: keys with no \"=\"",
       "[CONSOLE]\ntype=IP\nadresse=127.0.0.1@" + std::to_string(port) +
           "\nConnectionTimeout=5\n[SERVICES]\nCurrentData\nHiLow\n[GENERAL]\nRefreshServices\n",
       kPack, Outcome::kConditions},
      {"settings: huge numbers",
       GoodIni(port,
               "[GENERAL]\nRefreshServices=99999999999999999999\nSeePanelDefault=4294967297\n"
               "[CONSOLE]\nConnectionTimeout=99999999999\nOffsetService=9223372036854775808\n"
               "[SERVICES]\nCurrentData=99999999999999\n[CURRENTDATA]\nForeCast=-99999999999\n"),
       kPack, Outcome::kConditions},
      {"settings: negative periods and time-outs",
       GoodIni(port,
               "[GENERAL]\nRefreshServices=-5\n[CONSOLE]\nOffsetService=-30\n"
               "[SERVICES]\nCurrentData=-10\nHiLow=-1\n[CURRENTDATA]\nTempHumBar=-1\n"),
       kPack, Outcome::kConditions},
      {"settings: negative connection time-out",
       GoodIni(port, "[CONSOLE]\nConnectionTimeout=-10\n"), kPack, Outcome::kNoLink},
      {"pack: binary garbage", GoodIni(port), Garbage(64 << 10, 2), Outcome::kConditions},
      {"pack: a 10 MB sentence", GoodIni(port), "[PREV_METEO]\n1=" + ten_mb + "\n",
       Outcome::kConditions},
      {"pack: keys without any group", GoodIni(port), "PREV_METEO_1=Ciel clair.\n",
       Outcome::kConditions},
      {"pack: Windows-1252 accents", GoodIni(port), "[PREV_METEO]\n1=Ensoleill\xE9 \x80\n",
       Outcome::kConditions},
      {"pack: CR-only line ends", GoodIni(port), WithCrOnly(kPack), Outcome::kConditions},
      {"pack: keys with no \"=\"", GoodIni(port), "[PREV_METEO]\n1\n2\n", Outcome::kConditions},
  };
}

TEST(BadConfigE2e, DamagedFilesAreRefusedOrRunWithDefaults) {
  testing::SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"}, &error)) << error;
  ASSERT_EQ(sim.Control("HOLD ON"), "OK");
  const std::filesystem::path dir = ::testing::TempDir() + "/bad_config";
  std::filesystem::create_directories(dir);

  for (const DamagedFile& row : Rows(sim.tcp_port())) {
    SCOPED_TRACE(row.legend);
    std::ofstream(dir / "tsk_vnt.ini", std::ios::binary) << row.ini;
    std::ofstream(dir / "langue.pack", std::ios::binary) << row.pack;

    ConfigTable config;
    const auto load_start = std::chrono::steady_clock::now();
    const std::int32_t entries = LoadIniFile((dir / "tsk_vnt.ini").string(), config, "");
    EXPECT_LT(std::chrono::steady_clock::now() - load_start, std::chrono::seconds{10});
    if (row.outcome == Outcome::kRefused) {
      EXPECT_EQ(entries, 0) << "start-up shows its message and ends";
      std::printf("%-45s refused (%d entries)\n", row.legend, entries);
      continue;
    }
    if (entries == 0) {
      EXPECT_EQ(row.outcome, Outcome::kEither);
      std::printf("%-45s refused (0 entries)\n", row.legend);
      continue;
    }

    MemoryWindow window;
    testing::GuiThreadWindow gui(window);
    std::atomic<int> views{0};
    AgentOptions options;
    options.language_pack_path = (dir / "langue.pack").string();
    options.after_view = [&](std::string_view service) {
      if (service == "CurrentData") ++views;
    };
    Agent agent(config, gui, DefaultClock(), std::move(options));
    agent.Open();
    agent.Start();
    const auto logged = [&](const std::string& what) {
      for (const auto& line : window.Lines(Field::AppLogList)) {
        if (line.find(what) != std::string::npos) return true;
      }
      return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds{15};
    const auto done = [&] {
      switch (row.outcome) {
        case Outcome::kConditions:
          return views.load() > 0;
        case Outcome::kNoLink:
          return logged("Impossible de se connecter");
        default:
          return views.load() > 0 || logged("Impossible de se connecter");
      }
    };
    while (!done() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds{20});
    }
    agent.Stop();
    EXPECT_TRUE(done());
    std::printf("%-45s %d entries, %s\n", row.legend, entries,
                views.load() > 0 ? "current conditions shown" : "cannot connect, logged");
    for (const auto& line : window.Lines(Field::AppLogList)) {
      EXPECT_LE(Utf8Length(line), kAppLogMaxLineChars);
      EXPECT_TRUE(IsValidUtf8(line));
    }
    for (const Field f : {Field::ForecastText, Field::LinkStateText, Field::EngineStateText}) {
      EXPECT_LE(window.Text(f).size(), 4096U) << "field " << static_cast<int>(f);
      EXPECT_TRUE(IsValidUtf8(window.Text(f)));
    }
    if (row.outcome == Outcome::kConditions) {
      EXPECT_NE(window.Text(Field::OutdoorTempValue), "---");
    }
  }
}

}  // namespace
}  // namespace tv
