// Playing a recorded link session back: request / reply pairs built from the
// recording's lines, and the console's answers as the host's bytes arrive.
#include "simulator/replay_session.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tv::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(std::string_view s) {
  return {s.begin(), s.end()};
}

std::shared_ptr<ReplayScript> Script(const std::string& recording) {
  std::vector<protocol::RecordedBurst> bursts;
  std::string error;
  EXPECT_TRUE(protocol::ParseRecording(recording, bursts, error)) << error;
  auto script = std::make_shared<ReplayScript>();
  script->exchanges = ReplayScript::FromBursts(bursts);
  return script;
}

// A wake-up asked twice before its answer, TEST, then a reply cut short by a
// dropped line, then VER.
const char* const kRecording =
    "# tv-link-recording 1\n"
    "> 0.000 0a\n"
    "> 1.200 0a\n"
    "< 1.250 0a 0d\n"
    "> 1.300 54 45 53 54 0a\n"
    "< 1.310 54 45 53 54 0a 0d\n"
    "> 1.400 48 49 0a\n"
    "< 1.410 06 01 02\n"
    "! 1.420 closed\n"
    "> 2.000 56 45 52 0a\n"
    "< 2.010 4f 4b\n";

TEST(ReplaySession, ExchangesFromTheRecording) {
  const auto script = Script(kRecording);
  ASSERT_EQ(script->exchanges.size(), 4U);
  EXPECT_EQ(script->exchanges[0].request, BytesOf("\n\n"))
      << "bytes sent in a row make one request";
  EXPECT_EQ(script->exchanges[0].delay, std::chrono::milliseconds(50)) << "after the last one";
  EXPECT_TRUE(script->exchanges[2].hang_up);
  EXPECT_FALSE(script->exchanges[3].hang_up);
}

TEST(ReplaySession, AnswersEachRecordedRequestWhenItIsComplete) {
  struct Step {
    const char* legend;
    std::string in;
    std::string out;  // everything answered to it
    bool hang_up;
  };
  const Step steps[] = {
      {"half a request: nothing yet", "\n", "", false},
      {"the rest of it", "\n", "\n\r", false},
      {"a noise byte before the next request is ignored", "\x7fTEST\n", "TEST\n\r", false},
      {"the host skipped HI: VER's exchange is found", "VER\n", "OK", false},
      {"after the last exchange: a silent console", "TEST\n", "", false},
  };
  const auto script = Script(kRecording);
  ReplaySession session(script);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.legend);
    std::vector<Outgoing> out;
    session.OnInput(reinterpret_cast<const std::uint8_t*>(step.in.data()), step.in.size(), {}, out);
    Bytes all;
    bool hang_up = false;
    for (const auto& o : out) {
      all.insert(all.end(), o.bytes.begin(), o.bytes.end());
      hang_up = hang_up || o.hang_up;
    }
    EXPECT_EQ(all, BytesOf(step.out));
    EXPECT_EQ(hang_up, step.hang_up);
  }
  EXPECT_EQ(script->skipped_bytes, 1);
}

TEST(ReplaySession, DropsTheLineWhereTheRecordingDidAndGoesOnOnTheNextConnection) {
  const auto script = Script(kRecording);
  std::vector<Outgoing> out;
  {
    ReplaySession first(script);
    const Bytes in = BytesOf("\n\nTEST\nHI\n");
    first.OnInput(in.data(), in.size(), {}, out);
  }
  ASSERT_FALSE(out.empty());
  EXPECT_TRUE(out.back().hang_up);
  EXPECT_EQ(out.back().bytes, (Bytes{0x06, 0x01, 0x02}));
  out.clear();
  ReplaySession second(script);
  const Bytes in = BytesOf("VER\n");
  second.OnInput(in.data(), in.size(), {}, out);
  ASSERT_EQ(out.size(), 1U);
  EXPECT_EQ(out[0].bytes, BytesOf("OK"));
}

}  // namespace
}  // namespace tv::sim
