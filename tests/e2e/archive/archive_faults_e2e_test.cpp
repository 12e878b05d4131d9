// The archive store in trouble while the agent collects from the console
// simulator through the real station library: a store made read-only, one
// locked by another process, one with garbage written into it. Each time the
// current conditions go on being collected, one log line says what is wrong
// and nothing already stored is lost.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "gadget/agent/agent.h"
#include "gadget/archive/archive_store.h"
#include "gadget/window/memory_window.h"
#include "tests/support/gui_thread_window.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"

namespace tv {
namespace {

using TempDir = testing::TempDir;

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Unwritable even for root (the immutable flag); false where the file
// system does not have it.
bool SetImmutable(const std::string& path, bool on) {
  if (geteuid() != 0) return chmod(path.c_str(), on ? 0444 : 0644) == 0;
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  close(fd);
  return ok;
}

// A year ago, every 5 minutes: records the simulator's console no longer has.
std::vector<HistoryRow> OldRecords() {
  std::vector<HistoryRow> rows;
  const std::int64_t start = std::time(nullptr) - 365 * 86'400LL;
  for (int i = 0; i < 100; ++i) {
    HistoryRow row;
    row.utc = start + i * 300;
    row.stamp = UtcToConsoleStamp(row.utc);
    row.values[0] = 10.0 + i * 0.1;
    rows.push_back(row);
  }
  return rows;
}

TEST(ArchiveFaultsE2e, CollectionGoesOnAndNothingStoredIsLost) {
  struct Row {
    const char* legend;
    // Applied to the closed store; false: not possible here.
    std::function<bool(const std::string& path, sqlite3** holder)> fault;
    const char* log_text;
  };
  const Row rows[] = {
      {"read-only", [](const std::string& path, sqlite3**) { return SetImmutable(path, true); },
       "est en lecture seule"},
      {"locked by another process",
       [](const std::string& path, sqlite3** holder) {
         sqlite3_open(path.c_str(), holder);
         return sqlite3_exec(*holder,
                             "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;"
                             "DELETE FROM archive_records WHERE id < 0;",
                             nullptr, nullptr, nullptr) == SQLITE_OK;
       },
       "est verrouillée par un autre programme"},
      {"garbage written into it",
       [](const std::string& path, sqlite3**) {
         std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
         file.seekp(0);
         for (int i = 0; i < 4096; ++i) file.put(static_cast<char>(0x5A ^ i));
         return true;
       },
       "était endommagée ; elle est mise de côté sous"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    TempDir dir;
    const std::string path = (dir.path / "archive.sqlite").string();
    const auto before = OldRecords();
    {
      ArchiveStore store(path);
      ASSERT_EQ(store.Open(), StoreStatus::kOk);
      ASSERT_EQ(store.Add(before), StoreStatus::kOk);
    }
    sqlite3* holder = nullptr;
    if (!row.fault(path, &holder)) {
      sqlite3_close(holder);
      GTEST_SKIP() << "not possible here";
    }
    const std::string damaged = ReadBytes(path);

    testing::SimulatorProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--scenario", "minimal"}, &error)) << error;
    ConfigTable config;
    config.Set("CONSOLE", "type", "IP");
    config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim.tcp_port()));
    config.Set("CONSOLE", "ConnectionTimeout", "10");
    config.Set("SERVICES", "CurrentData", "0");
    MemoryWindow window;
    testing::GuiThreadWindow gui(window);
    int collected = 0;
    AgentOptions options;
    options.after_service = [&](std::string_view service) {
      if (service == "CurrentData") ++collected;
    };
    options.archive_path = path;
    {
      Agent agent(config, gui, DefaultClock(), std::move(options));
      for (int cycle = 0; cycle < 3; ++cycle) agent.engine().RunCycle();
      agent.Quit(std::chrono::seconds{5});
      agent.Stop();
    }
    EXPECT_EQ(collected, 3) << "the current conditions at every cycle";
    int said = 0;
    for (const auto& line : window.Lines(Field::AppLogList)) {
      said += line.find(row.log_text) != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(said, 1);

    sqlite3_close(holder);
    SetImmutable(path, false);
    if (std::string(row.log_text).find("endommagée") != std::string::npos) {
      // Set aside as it was; a new store in its place.
      std::vector<fs::path> aside;
      for (const auto& entry : fs::directory_iterator(dir.path)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("archive.sqlite.endommagee-") && !name.ends_with("-wal")) {
          aside.push_back(entry.path());
        }
      }
      ASSERT_EQ(aside.size(), 1u);
      EXPECT_EQ(ReadBytes(aside[0]), damaged);
      ArchiveStore fresh(path);
      EXPECT_EQ(fresh.Open(), StoreStatus::kOk);
      continue;
    }
    ArchiveStore store(path);
    ASSERT_EQ(store.Open(), StoreStatus::kOk);
    std::vector<HistoryRow> after;
    ASSERT_EQ(store.Range(before.front().utc, before.back().utc, &after), StoreStatus::kOk);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].stamp, before[i].stamp);
  }
}

}  // namespace
}  // namespace tv
