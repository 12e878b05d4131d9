// Writes the seed inputs of the station targets from the simulator's packet
// encoders (every scenario), in the reply-chunk form the targets read.
// Usage: fuzz_make_seeds <fuzz/corpus folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_console.h"
#include "protocol/commands.h"
#include "protocol/packets.h"
#include "simulator/packet_encoder.h"
#include "simulator/scenario.h"
#include "simulator/simulator_core.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

Bytes WithoutCrc(Bytes b) {
  b.resize(b.size() - 2);
  return b;
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

void Write(const fs::path& dir, const std::string& name, const std::vector<Bytes>& chunks,
           Bytes data = {}) {
  fs::create_directories(dir);
  const Bytes body = tv::fuzz::WriteChunks(chunks);
  data.insert(data.end(), body.begin(), body.end());
  std::ofstream(dir / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tv::sim;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  const fs::path root(argv[1]);
  for (const Scenario& scenario : Scenarios()) {
    CoreOptions options;
    options.start = MakeConsoleSeconds(2024, 6, 15, 14, 30, 0);
    SimulatorCore core(scenario, options);
    core.Tick();
    const std::string n(scenario.name);
    Readings& r = core.model().Current();
    const EepromImage& e = core.eeprom();
    Write(root / "loop", n, {WithoutCrc(EncodeLoop(r))});
    Write(root / "loop2", n, {WithoutCrc(EncodeLoop2(r, 30))});
    Write(root / "hilows", n, {WithoutCrc(EncodeHiLows(core.model().HighsLows()))});
    Write(root / "gettime", n, {WithoutCrc(EncodeTime(BreakDown(core.ConsoleNow())))});
    Write(root / "rxcheck", n, {Text(EncodeRxCheck(core.model().Rx()))});
    Write(root / "bardata", n, {Text(EncodeBarData(MakeBarData(r, e)))});
    Write(root / "ver_nver", n,
          {Text(EncodeTextLine(std::string(scenario.firmware_version))),
           Text(EncodeTextLine(std::string(scenario.firmware_date)))});
    const auto& ee = e.Bytes();
    const Bytes setup(ee.begin(), ee.begin() + 0x52);
    const Bytes alarms(ee.begin() + 0x52, ee.begin() + 0x52 + 94);
    Write(root / "eeprom", n,
          {Bytes{tv::protocol::kAck, scenario.model_code}, tv::fuzz::AckedBlock(setup),
           tv::fuzz::AckedBlock(setup), tv::fuzz::AckedBlock(alarms)});
    // Archive: the flags (a stamp asked after, 0.2 mm collector, first index
    // 2, CRCs kept), the stamp of the fifth record, the first two pages of
    // the memory and its last.
    {
      ArchiveMemory& memory = core.archive();
      const ArchiveEntry& fifth = memory.AtAge(4);
      Bytes archive{0x13, static_cast<std::uint8_t>(fifth.date & 0xFF),
                    static_cast<std::uint8_t>(fifth.date >> 8),
                    static_cast<std::uint8_t>(fifth.time & 0xFF),
                    static_cast<std::uint8_t>(fifth.time >> 8)};
      for (int page : {0, 1, tv::protocol::kArchivePages - 1}) {
        const Bytes p = memory.Page(page, static_cast<std::uint8_t>(page));
        archive.insert(archive.end(), p.begin(), p.end());
      }
      fs::create_directories(root / "archive");
      std::ofstream(root / "archive" / n, std::ios::binary)
          .write(reinterpret_cast<const char*>(archive.data()),
                 static_cast<std::streamsize>(archive.size()));
    }
    // Raw framing: a wake-up with a stray byte, a LOOP block failing its CRC
    // once and resent after the NAK.
    Bytes loop = EncodeLoop(r);
    Bytes bad{tv::protocol::kAck};
    bad.insert(bad.end(), loop.begin(), loop.end());
    bad[11] ^= 0x40;
    Write(root / "framing", "loop_nak_" + n,
          {Text("\n\r"), bad, loop, Text("\n\r"),
           tv::fuzz::AckedBlock(WithoutCrc(EncodeTime(BreakDown(core.ConsoleNow()))))},
          Bytes{0x01, 97});
  }
  return 0;
}
