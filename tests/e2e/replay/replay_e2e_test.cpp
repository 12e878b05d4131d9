// Recorded link sessions played back by the simulator (--replay) to the real
// station library: the library must come to the same results as when the
// session was recorded, faults included.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/replay/session_script.h"
#include "tests/support/simulator_process.h"

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const auto& l : lines) {
    if (l.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

struct Row {
  const char* legend;
  const char* name;      // tests/fixtures/recordings/<name>.rec and .expected
  bool link_reopened;    // the fault cost the link: a fresh connection followed
  bool archive = false;  // the archive download session
};

const Row kRows[] = {
    {"a clean collection", "clean", false},
    {"one LOOP block failing its CRC, resent after NAK", "bad_crc", false},
    {"connection dropped in the middle of the HILOWS block", "drop_mid", true},
    {"noise in place of the alarm block's reply", "garbage", false},
    {"an archive download, one page failing its CRC, resent after NAK", "archive", false, true},
    {"connection dropped in the middle of an archive page: resumed after the last record",
     "archive_drop", true, true},
};

TEST(Replay, RecordedSessionsGiveTheRecordedResults) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.legend);
    const std::string base = std::string(TV_RECORDINGS_DIR) + "/" + row.name;
    const auto expected = ReadLines(base + ".expected");
    ASSERT_FALSE(expected.empty()) << base << ".expected";
    tv::testing::SimulatorProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--replay", base + ".rec"}, &error)) << error;
    const std::string port = std::to_string(sim.tcp_port());
    const auto lines = row.archive ? tv::testing::RunArchiveSessionScript(port, "127.0.0.1")
                                   : tv::testing::RunSessionScript(port, "127.0.0.1");
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(Contains(lines, "reopen"), row.link_reopened);
    EXPECT_EQ(lines.back().rfind("current 1 ", 0), 0u) << "the last load succeeds";
  }
}

TEST(Replay, BrokenRecordingIsRefusedWithItsLine) {
  const std::string path = ::testing::TempDir() + "/broken.rec";
  std::ofstream(path) << "# tv-link-recording 1\n> 0.0 0a\n< 0.1 zz\n";
  tv::testing::SimulatorProcess sim;
  std::string error;
  EXPECT_FALSE(sim.Start({"--tcp", "127.0.0.1:0", "--replay", path}, &error));
}

}  // namespace
