#include "simulator/simulator_core.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <sstream>
#include <vector>

#include "protocol/eeprom_map.h"
#include "protocol/packets.h"
#include "simulator/packet_encoder.h"

namespace tv::sim {

namespace ee = protocol::eeprom;

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  std::string w;
  while (in >> w) out.push_back(w);
  return out;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool ParseLong(const std::string& s, long& out, int base = 10) {
  if (s.empty()) return false;
  char* end = nullptr;
  out = std::strtol(s.c_str(), &end, base);
  return end != nullptr && *end == '\0';
}

std::int64_t HostLocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return static_cast<std::int64_t>(now) + tm.tm_gmtoff;
}

std::string FormatTime(std::int64_t t) {
  const ConsoleTime c = BreakDown(t);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                c.minute, c.second);
  return buf;
}

bool ParseTime(const std::string& date, const std::string& time, std::int64_t& out) {
  int y, mo, d, h, mi, s;
  if (std::sscanf(date.c_str(), "%d-%d-%d", &y, &mo, &d) != 3) return false;
  if (std::sscanf(time.c_str(), "%d:%d:%d", &h, &mi, &s) != 3) return false;
  if (y < 2000 || y > 2126 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 ||
      mi > 59 || s < 0 || s > 59) {
    return false;
  }
  out = MakeConsoleSeconds(y, mo, d, h, mi, s);
  return true;
}

long ReadField(const EepromImage& e, const ee::Field& f, std::size_t i) {
  const std::size_t unit = (f.kind == ee::FieldKind::kU16 || f.kind == ee::FieldKind::kS16) ? 2 : 1;
  const std::size_t a = f.address + i * unit;
  switch (f.kind) {
    case ee::FieldKind::kU8:
      return e.U8(a);
    case ee::FieldKind::kS8:
      return e.S8(a);
    case ee::FieldKind::kU16:
      return e.U16(a);
    case ee::FieldKind::kS16:
      return e.S16(a);
  }
  return 0;
}

}  // namespace

SimulatorCore::SimulatorCore(const Scenario& scenario, const CoreOptions& options)
    : scenario_(scenario),
      options_(options),
      eeprom_(EepromImage::ForScenario(scenario)),
      model_(scenario, options.seed),
      baud_(options.baud),
      rate_(options.rate) {
  base_console_ = options.start >= 0 ? options.start : HostLocalNow();
  base_steady_ = std::chrono::steady_clock::now();
  start_time_ = base_console_;
  // A console that has been running for weeks: the model runs up to the
  // start time over the intervals of a full memory, from an interval
  // boundary, so that the run closes exactly the records the memory holds
  // and the current conditions go on from where the newest one ends.
  const int period = ArchivePeriodSeconds();
  const std::int64_t first =
      start_time_ / period * period - static_cast<std::int64_t>(protocol::kArchiveRecords) * period;
  model_.Begin(start_time_, eeprom_, start_time_ - first);
  model_.StartArchiving();
  if (!options.archive_empty) history_.emplace(History{model_, eeprom_});
  // Records from here on come from the model as its clock advances; the
  // ones before are made again when the memory is first looked at.
  model_.StartArchiving(start_time_);
  model_.RunToStart(eeprom_);
}

int SimulatorCore::ArchivePeriodSeconds() const {
  return std::max<int>(1, eeprom_.U8(ee::kArchivePeriod)) * 60;
}

std::int64_t SimulatorCore::WallTime(std::int64_t t) const {
  std::int64_t wall = t + skew_;
  for (const auto& [from, delta] : transitions_) {
    if (t >= from) wall += delta;
  }
  return wall;
}

void SimulatorCore::SetWallTime(std::int64_t wall) {
  skew_ = 0;
  transitions_.clear();
  SetConsoleTime(wall);
}

void SimulatorCore::StampAndWrite(ArchiveEntry e, std::int64_t wall) {
  const ConsoleTime c = BreakDown(wall);
  e.date = protocol::EncodeArchiveDate(c.year, c.month, c.day);
  e.time = protocol::EncodeTimeOfDay(c.hour, c.minute);
  archive_.Write(e);
}

void SimulatorCore::DrainArchive() {
  for (auto& [end, entry] : model_.TakeArchived()) StampAndWrite(std::move(entry), WallTime(end));
}

ArchiveMemory& SimulatorCore::archive() {
  DrainArchive();
  if (!history_) return archive_;
  History history = std::move(*history_);
  history_.reset();
  history.model.RunToStart(history.eeprom);
  // The records before the start time, then what the live model archived since.
  std::vector<ArchiveEntry> live;
  for (int age = 0; age < archive_.Count(); ++age) live.push_back(archive_.AtAge(age));
  archive_.Clear();
  for (auto& [end, entry] : history.model.TakeArchived()) {
    if (end <= start_time_) StampAndWrite(std::move(entry), end);
  }
  for (const ArchiveEntry& e : live) archive_.Write(e);
  return archive_;
}

void SimulatorCore::ClearArchive() {
  history_.reset();
  archive_.Clear();
  model_.TakeArchived();
  model_.RestartArchiveInterval();
}

std::string SimulatorCore::HandleArchive(const std::vector<std::string>& w) {
  Tick();
  ArchiveMemory& memory = archive();
  auto stamp = [](const ArchiveEntry& e) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d", 2000 + e.date / 512,
                  (e.date / 32) % 16, e.date % 32, e.time / 100, e.time % 100);
    return std::string(buf);
  };
  if (w.size() == 1) {
    std::string out = "OK records=" + std::to_string(memory.Count()) +
                      " period=" + std::to_string(ArchivePeriodSeconds() / 60);
    if (memory.Count() > 0) {
      out += " oldest=" + stamp(memory.AtAge(0)) +
             " newest=" + stamp(memory.AtAge(memory.Count() - 1));
    }
    return out;
  }
  const std::string sub = Upper(w[1]);
  if (sub == "CLEAR" && w.size() == 2) {
    ClearArchive();
    return "OK";
  }
  if (sub == "GET" && (w.size() == 3 || w.size() == 4)) {
    long first = 0, count = 1;
    if (!ParseLong(w[2], first) || (w.size() == 4 && !ParseLong(w[3], count)) || first < 0 ||
        count < 1 || first + count > memory.Count()) {
      return "ERR records 0.." + std::to_string(memory.Count() - 1);
    }
    std::string out = "OK ";
    for (long i = first; i < first + count; ++i) {
      if (i > first) out += ';';
      out += DescribeArchiveEntry(memory.AtAge(static_cast<int>(i)));
    }
    return out;
  }
  return "ERR usage: ARCHIVE | ARCHIVE GET <first> [count] | ARCHIVE CLEAR";
}

std::int64_t SimulatorCore::ConsoleNow() const {
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - base_steady_).count();
  return base_console_ + static_cast<std::int64_t>(std::floor(elapsed * rate_));
}

void SimulatorCore::SetConsoleTime(std::int64_t console_seconds) {
  base_console_ = console_seconds;
  base_steady_ = std::chrono::steady_clock::now();
  // A clock set backwards does not rewind the model: it waits for the clock.
}

void SimulatorCore::Tick() {
  if (!held_) model_.AdvanceTo(ConsoleNow(), eeprom_);
  DrainArchive();
}

bool SimulatorCore::Get(const std::string& name, std::string& out) {
  for (auto& nv : NameReadings(model_.Current())) {
    if (nv.name == name) {
      out = FormatValue(*nv.value);
      return true;
    }
  }
  if (name.rfind("hl.", 0) == 0) {
    for (auto& nv : NameHiLows(model_.HighsLows())) {
      if (nv.name == name) {
        out = FormatValue(*nv.value);
        return true;
      }
    }
    return false;
  }
  if (name.rfind("ee.", 0) == 0) {
    const ee::Field* f = ee::FindField(name.substr(3));
    if (f == nullptr) return false;
    out.clear();
    for (std::size_t i = 0; i < f->count; ++i) {
      if (i) out += ',';
      out += std::to_string(ReadField(eeprom_, *f, i));
    }
    return true;
  }
  const RxStats& rx = model_.Rx();
  const BarData bd = MakeBarData(model_.Current(), eeprom_);
  const std::pair<const char*, long long> ints[] = {
      {"model", scenario_.model_code},
      {"rx_total", rx.total},
      {"rx_missed", rx.missed},
      {"rx_resync", rx.resync},
      {"rx_longest", rx.longest},
      {"rx_crc_errors", rx.crc_errors},
      {"bd.bar", bd.bar},
      {"bd.elevation", bd.elevation},
      {"bd.dew_point", bd.dew_point},
      {"bd.virtual_temp", bd.virtual_temp},
      {"bd.c", bd.c},
      {"bd.r", bd.r},
      {"bd.barcal", bd.barcal},
      {"bd.gain", bd.gain},
      {"bd.offset", bd.offset},
  };
  for (const auto& [n, v] : ints) {
    if (name == n) {
      out = std::to_string(v);
      return true;
    }
  }
  if (name == "ver") {
    out = std::string(scenario_.firmware_date);
    return true;
  }
  if (name == "nver") {
    out = std::string(scenario_.firmware_version);
    return true;
  }
  if (name == "clock") {
    out = FormatTime(WallNow());
    return true;
  }
  return false;
}

bool SimulatorCore::Set(const std::string& name, const std::string& value, std::string& error) {
  if (name.rfind("ee.", 0) == 0) {
    const ee::Field* f = ee::FindField(name.substr(3));
    if (f == nullptr) {
      error = "unknown name " + name;
      return false;
    }
    std::vector<long> values;
    std::istringstream in(value);
    std::string part;
    while (std::getline(in, part, ',')) {
      long v;
      if (!ParseLong(part, v)) {
        error = "bad number " + part;
        return false;
      }
      values.push_back(v);
    }
    if (values.size() != f->count) {
      error = "expected " + std::to_string(f->count) + " values";
      return false;
    }
    const bool wide = f->kind == ee::FieldKind::kU16 || f->kind == ee::FieldKind::kS16;
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (wide) {
        eeprom_.SetU16(f->address + 2 * i, static_cast<std::uint16_t>(values[i] & 0xFFFF));
      } else {
        eeprom_.SetU8(f->address + i, static_cast<std::uint8_t>(values[i] & 0xFF));
      }
    }
    return true;
  }
  Value v;
  if (!ParseValue(value, v)) {
    error = "bad value " + value;
    return false;
  }
  if (name.rfind("hl.", 0) == 0) {
    for (auto& nv : NameHiLows(model_.HighsLows())) {
      if (nv.name == name) {
        *nv.value = v;
        return true;
      }
    }
  } else if (model_.Pin(name, v)) {
    return true;
  }
  error = "unknown name " + name;
  return false;
}

std::string SimulatorCore::HandleControl(const std::string& line) {
  DrainArchive();  // stamped before a clock fault changes the clock
  const std::vector<std::string> w = Words(line);
  if (w.empty()) return "ERR empty request";
  const std::string cmd = Upper(w[0]);
  auto err = [](const std::string& m) { return "ERR " + m; };
  if (cmd == "PING") return "OK pong";
  if (cmd == "GET" && w.size() == 2) {
    Tick();
    std::string out;
    if (!Get(w[1], out)) return err("unknown name " + w[1]);
    return "OK " + out;
  }
  if (cmd == "SET" && w.size() == 3) {
    Tick();
    std::string e;
    if (!Set(w[1], w[2], e)) return err(e);
    return "OK";
  }
  if (cmd == "UNSET" && w.size() == 2) {
    if (Upper(w[1]) == "ALL") {
      model_.UnpinAll();
      return "OK";
    }
    return model_.Unpin(w[1]) ? "OK" : err("not pinned " + w[1]);
  }
  if (cmd == "DUMP") {
    Tick();
    std::string out = "OK";
    const bool hl = w.size() == 2 && Upper(w[1]) == "HILOWS";
    const auto values = hl ? NameHiLows(model_.HighsLows()) : NameReadings(model_.Current());
    for (const auto& nv : values) out += " " + nv.name + "=" + FormatValue(*nv.value);
    return out;
  }
  if (cmd == "CLOCK") {
    if (w.size() == 1) return "OK " + FormatTime(WallNow());
    std::int64_t t;
    if (w.size() != 3 || !ParseTime(w[1], w[2], t)) return err("usage: CLOCK YYYY-MM-DD HH:MM:SS");
    SetConsoleTime(t);
    Tick();
    return "OK";
  }
  if (cmd == "RATE" && w.size() == 2) {
    Value v;
    if (!ParseValue(w[1], v) || !v || *v <= 0 || *v > 100000) return err("bad rate");
    SetConsoleTime(ConsoleNow());
    rate_ = *v;
    return "OK";
  }
  if (cmd == "STEP" && w.size() == 2) {
    long s;
    if (!ParseLong(w[1], s) || s < 0 || s > 400L * 86400) return err("bad step");
    SetConsoleTime(ConsoleNow() + s);
    model_.AdvanceTo(ConsoleNow(), eeprom_);
    DrainArchive();
    return "OK";
  }
  if (cmd == "HOLD" && w.size() == 2) {
    const std::string a = Upper(w[1]);
    if (a != "ON" && a != "OFF") return err("usage: HOLD ON|OFF");
    if (a == "ON") Tick();
    held_ = a == "ON";
    return "OK";
  }
  if (cmd == "FAULT" && w.size() >= 2) {
    const std::string kind = Upper(w[1]);
    const bool off = w.size() == 3 && Upper(w[2]) == "OFF";
    long n = 0;
    const bool has_n = w.size() == 3 && ParseLong(w[2], n) && n >= 0;
    if (kind == "CLEAR") {
      faults_ = Faults{};
      skew_ = 0;
      transitions_.clear();
      return "OK";
    }
    if (kind == "SILENT") {
      faults_.silent = !off;
      return "OK";
    }
    if (kind == "DROP_MID") {
      faults_.drop_mid = !off;
      return "OK";
    }
    if (kind == "ARCHIVE_STAMP_MISS") {
      faults_.archive_stamp_miss = !off;
      return "OK";
    }
    if (kind == "SETTIME_NAK") {
      faults_.settime_nak = !off;
      return "OK";
    }
    if (kind == "DST_BACK" || kind == "DST_FORWARD") {
      // From the given time on the console's clock, it shows one hour less
      // (the autumn hour repeats) or one hour more (the spring hour is skipped).
      if (off) {
        transitions_.clear();
        return "OK";
      }
      const auto t = w.size() == 3 ? w[2].find('T') : std::string::npos;
      std::int64_t wall;
      if (t == std::string::npos || !ParseTime(w[2].substr(0, t), w[2].substr(t + 1), wall)) {
        return err("usage: FAULT " + kind + " YYYY-MM-DDTHH:MM:SS|OFF");
      }
      const std::int64_t now = ConsoleNow();
      transitions_.emplace_back(wall - (WallTime(now) - now), kind == "DST_BACK" ? -3600 : 3600);
      return "OK";
    }
    if (!off && !has_n) return err("usage: FAULT " + kind + " <n>|OFF");
    if (kind == "STOP_AFTER") {
      faults_.stop_after = off ? -1 : static_cast<int>(n);
    } else if (kind == "BAD_CRC") {
      faults_.bad_crc = off ? 0 : static_cast<int>(n);
    } else if (kind == "GARBAGE") {
      faults_.garbage = off ? 0 : static_cast<int>(std::min(n, 4096L));
    } else if (kind == "SLOW") {
      faults_.slow_ms = off ? 0 : static_cast<int>(std::min(n, 10000L));
    } else if (kind == "ARCHIVE_BAD_PAGE") {
      faults_.archive_bad_page = off ? -1 : static_cast<int>(std::min(n, 1000L));
    } else if (kind == "ARCHIVE_DEAD_PAGE") {
      faults_.archive_dead_page = off ? -1 : static_cast<int>(std::min(n, 1000L));
    } else if (kind == "ARCHIVE_DROP") {
      faults_.archive_drop = off ? -1 : static_cast<int>(std::min(n, 1000L));
    } else if (kind == "CLOCK_AHEAD") {
      // Stamps and GETTIME run ahead; the model keeps its own time.
      skew_ = off ? 0 : std::min(n, 400L * 86400);
    } else if (kind == "ARCHIVE_HOLE" || kind == "ARCHIVE_UNKNOWN" || kind == "ARCHIVE_REV_A") {
      // A record of the memory (0 = the oldest) made empty, of an unknown
      // type, or of the older layout.
      ArchiveMemory& memory = archive();
      if (off || n >= memory.Count()) return err("record 0.." + std::to_string(memory.Count() - 1));
      ArchiveEntry& e = memory.AtAge(static_cast<int>(n));
      if (kind == "ARCHIVE_HOLE") {
        e = ArchiveEntry{};
      } else {
        e.type = kind == "ARCHIVE_UNKNOWN" ? 0x5A : protocol::kArchiveRevisionA;
      }
    } else {
      return err("unknown fault " + kind);
    }
    return "OK";
  }
  if (cmd == "EE" && w.size() == 3) {
    long a, n;
    if (!ParseLong(w[1], a, 16) || !ParseLong(w[2], n, 16) || a < 0 || n <= 0) {
      return err("bad address or count");
    }
    // Checked before the buffer is made: a count of any size is asked for.
    if (n > static_cast<long>(protocol::kEepromSize)) return err("range outside the EEPROM");
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(n));
    if (!eeprom_.Read(static_cast<std::size_t>(a), buf.size(), buf.data())) {
      return err("range outside the EEPROM");
    }
    std::string out = "OK";
    char hex[4];
    for (std::uint8_t b : buf) {
      std::snprintf(hex, sizeof hex, " %02X", b);
      out += hex;
    }
    return out;
  }
  if (cmd == "EESET" && w.size() >= 3) {
    long a;
    if (!ParseLong(w[1], a, 16) || a < 0) return err("bad address");
    std::vector<std::uint8_t> buf;
    for (std::size_t i = 2; i < w.size(); ++i) {
      long b;
      if (!ParseLong(w[i], b, 16) || b < 0 || b > 255) return err("bad byte " + w[i]);
      buf.push_back(static_cast<std::uint8_t>(b));
    }
    if (!eeprom_.Write(static_cast<std::size_t>(a), buf.data(), buf.size())) {
      return err("range outside the EEPROM");
    }
    return "OK";
  }
  if (cmd == "ARCHIVE") return HandleArchive(w);
  if (cmd == "FAULTS" && w.size() == 2 && Upper(w[1]) == "ARCHIVE") {
    return "OK bad_page=" + std::to_string(faults_.archive_bad_page) +
           " dead_page=" + std::to_string(faults_.archive_dead_page) +
           " drop=" + std::to_string(faults_.archive_drop) +
           " stamp_miss=" + std::to_string(faults_.archive_stamp_miss ? 1 : 0) +
           " settime_nak=" + std::to_string(faults_.settime_nak ? 1 : 0) +
           " clock_ahead=" + std::to_string(skew_) +
           " dst_changes=" + std::to_string(transitions_.size());
  }
  if (cmd == "FAULTS") {
    return "OK silent=" + std::to_string(faults_.silent ? 1 : 0) +
           " stop_after=" + std::to_string(faults_.stop_after) +
           " bad_crc=" + std::to_string(faults_.bad_crc) +
           " garbage=" + std::to_string(faults_.garbage) +
           " drop_mid=" + std::to_string(faults_.drop_mid ? 1 : 0) +
           " slow=" + std::to_string(faults_.slow_ms);
  }
  if (cmd == "STATS") {
    return "OK connections=" + std::to_string(stats_.connections) +
           " commands=" + std::to_string(stats_.commands) +
           " bytes_in=" + std::to_string(stats_.bytes_in) +
           " bytes_out=" + std::to_string(stats_.bytes_out) +
           " client=" + std::to_string(stats_.clients);
  }
  return err("unknown request " + w[0]);
}

}  // namespace tv::sim
