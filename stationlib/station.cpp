#include "stationlib/station.h"

#include <cstdio>
#include <cstring>

#include "protocol/commands.h"
#include "protocol/eeprom_map.h"
#include "protocol/packets.h"
#include "stationlib/archive_exchange.h"
#include "stationlib/link_open.h"
#include "stationlib/usb_locator.h"

namespace tv::stationlib {

namespace proto = tv::protocol;
namespace ee = tv::protocol::eeprom;

namespace {

constexpr auto kConnectTimeout = std::chrono::milliseconds(4000);
constexpr std::size_t kLoopData = proto::kLoopCrcCoverage;  // 97 bytes before the CRC

std::string EebrdCommand(std::uint16_t address, std::size_t count) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s %02X %02X", std::string(proto::kCmdEebrd).c_str(), address,
                static_cast<unsigned>(count));
  return buf;
}

std::string CountedCommand(std::string_view name, const std::string& args) {
  return std::string(name) + " " + args;
}

bool IsLoopPacket(const std::vector<std::uint8_t>& p, std::uint8_t type) {
  return p.size() >= kLoopData && p[0] == proto::kLoopSignature[0] &&
         p[1] == proto::kLoopSignature[1] && p[2] == proto::kLoopSignature[2] &&
         p[proto::kLoopTypeOffset] == type;
}

// A link error that means the console is not there (as opposed to refusing
// one command).
bool LinkDown(LinkError e) {
  return e == LinkError::kNoWake || e == LinkError::kClosed || e == LinkError::kInterrupted;
}

}  // namespace

Station::Station(LinkTimings timings) : timings_(timings) {}

Station::Exchange::Exchange(Station& station)
    : station_(station), session_(station.CurrentSession()) {
  if (session_.link) wire_ = std::unique_lock(station.exchange_mutex_);
}

Station::Exchange::~Exchange() {
  // A line that went away (EOF, hang-up, a device gone, a failed write) is
  // forgotten at once: every later operation fails without waiting for a
  // time-out and the descriptor is closed, until the next open.
  if (session_.link && session_.link->Failed()) station_.ForgetLink(session_.generation);
}

void Station::ForgetLink(std::uint64_t generation) {
  std::shared_ptr<ConsoleLink> old;
  {
    std::lock_guard lock(link_mutex_);
    if (generation != generation_ || !link_) return;
    old = std::move(link_);
    link_.reset();
    kind_ = LinkKind::kNone;
    std::lock_guard data(data_mutex_);
    ++generation_;
  }
  old->Interrupt();
}

Station::Session Station::CurrentSession() const {
  std::lock_guard lock(link_mutex_);
  return {link_, generation_};
}

std::int16_t Station::Attach(std::unique_ptr<ByteStream> stream, LinkKind kind) {
  auto link = std::make_shared<ConsoleLink>(std::move(stream), timings_);
  std::shared_ptr<ConsoleLink> old;
  {
    std::lock_guard lock(link_mutex_);
    old = std::move(link_);
    link_ = std::move(link);
    kind_ = kind;
    std::lock_guard data(data_mutex_);
    ++generation_;
    setup_.reset();
    model_.reset();
    loop2_supported_.reset();
    current_.reset();
    hilows_.reset();
    alarms_.reset();
    clock_.reset();
    firmware_version_.reset();
    firmware_date_.reset();
  }
  if (old) old->Interrupt();
  return VP_OK;
}

std::int16_t Station::OpenSerial(const std::string& path, int baud, LinkKind kind) {
  if (SpeedForBaud(baud) == 0) return VP_ERR_BAD_PARAM;
  auto stream = OpenSerialDevice(path, baud);
  if (!stream) return VP_ERR_OPEN;
  return Attach(std::move(stream), kind);
}

std::int16_t Station::OpenTcp(const std::string& port, const std::string& host) {
  auto stream = ConnectTcp(host, port, kConnectTimeout);
  if (!stream) return VP_ERR_OPEN;
  return Attach(std::move(stream), LinkKind::kTcp);
}

std::int16_t Station::OpenUsb(std::int32_t serial) {
  const auto logger = FindUsbLogger(SysfsRoot(), serial);
  if (!logger) return VP_ERR_OPEN;
  return OpenSerial(logger->device_path, proto::kDefaultBaud, LinkKind::kUsb);
}

std::int16_t Station::OpenStream(std::unique_ptr<ByteStream> stream, LinkKind kind) {
  if (!stream) return VP_ERR_OPEN;
  return Attach(std::move(stream), kind);
}

std::int16_t Station::Close(LinkKind kind) {
  std::shared_ptr<ConsoleLink> old;
  {
    std::lock_guard lock(link_mutex_);
    if (kind != LinkKind::kNone && kind != kind_) return VP_OK;
    old = std::move(link_);
    link_.reset();
    kind_ = LinkKind::kNone;
    std::lock_guard data(data_mutex_);
    ++generation_;
  }
  // A running exchange ends at once; the descriptor is closed when it lets go.
  if (old) old->Interrupt();
  return VP_OK;
}

std::uint64_t Station::BytesExchanged() const {
  const Session s = CurrentSession();
  return s.link ? s.link->BytesExchanged() : 0;
}

double Station::ClickMmLocked() const {
  return setup_ ? setup_->ClickMm() : ee::ClickSizeMm(ee::RainCollector::kHundredthInch);
}

std::optional<SetupView> Station::ReadSetup(ConsoleLink& link) {
  auto bytes = link.Binary(EebrdCommand(SetupView::kFirst, SetupView::kSize), SetupView::kSize);
  if (!bytes) return std::nullopt;
  return SetupView(std::move(*bytes));
}

std::optional<ClockTime> Station::ReadClock(ConsoleLink& link) {
  const auto block = link.Binary(proto::kCmdGetTime, proto::kTimeBlockSize);
  if (!block) return std::nullopt;
  return DecodeTimeBlock(*block);
}

std::optional<SetupView> Station::EnsureSetup() {
  {
    std::lock_guard lock(data_mutex_);
    if (setup_) return setup_;
  }
  Exchange s(*this);
  if (!s) return std::nullopt;
  auto setup = ReadSetup(s.link());
  if (setup) StoreIfCurrent(s.generation(), [&] { setup_ = setup; });
  return setup;
}

std::int16_t Station::Init() {
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  std::string wrd(proto::kCmdWrd);
  wrd += static_cast<char>(proto::kWrdArg1);
  wrd += static_cast<char>(proto::kWrdArg2);
  const auto type = s->Binary(wrd, 1, /*with_crc=*/false);
  if (!type) return VP_ERR_COMM;
  auto setup = ReadSetup(s.link());
  if (!setup) return VP_ERR_COMM;
  StoreIfCurrent(s.generation(), [&] {
    model_ = (*type)[0];
    setup_ = std::move(setup);
  });
  return VP_OK;
}

std::int16_t Station::Loop2Supported() {
  {
    std::lock_guard lock(data_mutex_);
    if (loop2_supported_) return *loop2_supported_ ? 1 : 0;
  }
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  const auto packet = s->Binary(
      CountedCommand(proto::kCmdLps, std::to_string(proto::kLpsLoop2) + " 1"), kLoopData, true, 1);
  if (!packet && LinkDown(s->LastError())) return VP_ERR_COMM;
  const bool supported =
      packet ? IsLoopPacket(*packet, proto::kLoop2Type) : s->LastError() == LinkError::kBadCrc;
  StoreIfCurrent(s.generation(), [&] { loop2_supported_ = supported; });
  return supported ? 1 : 0;
}

std::int16_t Station::LoadCurrent() {
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  std::optional<SetupView> setup;
  std::optional<bool> loop2_supported;
  {
    std::lock_guard lock(data_mutex_);
    setup = setup_;
    loop2_supported = loop2_supported_;
  }
  if (!setup) {
    setup = ReadSetup(s.link());
    if (!setup) return VP_ERR_COMM;
  }
  const auto loop = s->Binary(CountedCommand(proto::kCmdLoop, "1"), kLoopData);
  if (!loop || !IsLoopPacket(*loop, proto::kLoopType)) return VP_ERR_COMM;
  std::optional<std::vector<std::uint8_t>> loop2;
  if (loop2_supported.value_or(true)) {
    // A console without LOOP2 refuses the request: one attempt is enough
    // until it has been seen to answer it.
    loop2 = s->Binary(CountedCommand(proto::kCmdLps, std::to_string(proto::kLpsLoop2) + " 1"),
                      kLoopData, true, loop2_supported ? 0 : 1);
    if (!loop2) {
      if (LinkDown(s->LastError()) || loop2_supported.has_value()) return VP_ERR_COMM;
      loop2_supported = s->LastError() == LinkError::kBadCrc;
      if (*loop2_supported) return VP_ERR_COMM;
    } else if (!IsLoopPacket(*loop2, proto::kLoop2Type)) {
      return VP_ERR_COMM;
    } else {
      loop2_supported = true;
    }
  }
  const std::vector<std::uint8_t> no_loop2;
  CurrentConditions now = DecodeCurrent(*loop, loop2 ? *loop2 : no_loop2, setup->ClickMm());
  StoreIfCurrent(s.generation(), [&] {
    setup_ = setup;
    loop2_supported_ = loop2_supported;
    current_ = std::move(now);
  });
  return VP_OK;
}

std::int16_t Station::LoadHiLows() {
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  auto block = s->Binary(proto::kCmdHilows, proto::kHilowsDataSize);
  if (!block) return VP_ERR_COMM;
  std::optional<SetupView> setup;
  {
    std::lock_guard lock(data_mutex_);
    setup = setup_;
  }
  if (!setup) {
    // Rain rates need the collector size.
    setup = ReadSetup(s.link());
    if (!setup) return VP_ERR_COMM;
  }
  StoreIfCurrent(s.generation(), [&] {
    setup_ = setup;
    hilows_ = std::move(block);
  });
  return VP_OK;
}

std::int16_t Station::LoadAlarms() {
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  auto block = s->Binary(EebrdCommand(ee::kAlarmBase, ee::kAlarmBlockSize), ee::kAlarmBlockSize);
  if (!block) return VP_ERR_COMM;
  std::optional<SetupView> setup;
  {
    std::lock_guard lock(data_mutex_);
    setup = setup_;
  }
  if (!setup) {
    setup = ReadSetup(s.link());  // rain thresholds need the collector size
    if (!setup) return VP_ERR_COMM;
  }
  StoreIfCurrent(s.generation(), [&] {
    setup_ = setup;
    alarms_ = AlarmView(std::move(*block));
  });
  return VP_OK;
}

std::int16_t Station::LoadCalibration(void* record20) {
  if (record20 == nullptr) return VP_ERR_BAD_PARAM;
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  auto setup = ReadSetup(s.link());
  if (!setup) return VP_ERR_COMM;
  FillCalibration(record20, *setup);
  StoreIfCurrent(s.generation(), [&] { setup_ = std::move(setup); });
  return VP_OK;
}

Reading Station::Current(std::uint32_t id) const {
  std::lock_guard lock(data_mutex_);
  if (!current_) return {VP_ERR_NEEDS_LOAD, VP_ERR_NEEDS_LOAD};
  std::optional<double> elevation;
  if (setup_) elevation = setup_->ElevationFeet();
  return CurrentValueById(*current_, id, elevation);
}

std::int16_t Station::CurrentText(std::uint32_t id, std::string& out) const {
  std::lock_guard lock(data_mutex_);
  if (!current_) return VP_ERR_NEEDS_LOAD;
  std::optional<double> elevation;
  if (setup_) elevation = setup_->ElevationFeet();
  return CurrentTextById(*current_, id, elevation, out);
}

Reading Station::HiLow(std::uint32_t id) const {
  std::lock_guard lock(data_mutex_);
  if (!hilows_) return {VP_ERR_NEEDS_LOAD, VP_ERR_NEEDS_LOAD};
  return HiLowValueById(*hilows_, id, ClickMmLocked());
}

std::int16_t Station::HiLowTime(std::uint32_t id, VantageDateTime* out) {
  if (out == nullptr) return VP_ERR_BAD_PARAM;
  WriteDateTime(out, ClockTime{});
  std::lock_guard lock(data_mutex_);
  if (!hilows_) return VP_ERR_NEEDS_LOAD;
  const Reading r = HiLowTimeById(*hilows_, id);
  if (r.code != VP_OK) return r.code;
  if (r.value == VP_NO_DATA) return VP_OK;     // no record yet today: every part unknown
  ClockTime t = clock_.value_or(ClockTime{});  // the records are today's
  t.hour = static_cast<int>(r.value) / 100;
  t.minute = static_cast<int>(r.value) % 100;
  WriteDateTime(out, t);
  return VP_OK;
}

Reading Station::TimeAlarm() const {
  std::lock_guard lock(data_mutex_);
  if (!alarms_) return {VP_ERR_NEEDS_LOAD, VP_ERR_NEEDS_LOAD};
  const auto t = alarms_->Time();
  return {VP_OK, t ? static_cast<double>(*t) : VP_NO_DATA};
}

std::int16_t Station::ModelNo() {
  {
    std::lock_guard lock(data_mutex_);
    if (model_) return static_cast<std::int16_t>(*model_);
  }
  const std::int16_t init = Init();
  if (init != VP_OK) return init;
  std::lock_guard lock(data_mutex_);
  return model_ ? static_cast<std::int16_t>(*model_) : VP_ERR_COMM;
}

std::int16_t Station::WindCupSize() {
  const auto setup = EnsureSetup();
  return setup ? static_cast<std::int16_t>(setup->WindCupCode()) : VP_ERR_COMM;
}

std::int16_t Station::ArchivePeriod() {
  const auto setup = EnsureSetup();
  return setup ? static_cast<std::int16_t>(setup->ArchivePeriod()) : VP_ERR_COMM;
}

std::int16_t Station::FirmwareVersion(std::string& out) {
  {
    std::lock_guard lock(data_mutex_);
    if (firmware_version_) {
      out = *firmware_version_;
      return VP_OK;
    }
  }
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  const auto lines = s->Text(proto::kCmdNver, 1);
  if (!lines) return VP_ERR_COMM;
  out = (*lines)[0];
  StoreIfCurrent(s.generation(), [&] { firmware_version_ = out; });
  return VP_OK;
}

std::int16_t Station::FirmwareDate(VantageDateTime* out) {
  if (out == nullptr) return VP_ERR_BAD_PARAM;
  WriteDateTime(out, ClockTime{});
  std::optional<ClockTime> date;
  {
    std::lock_guard lock(data_mutex_);
    date = firmware_date_;
  }
  if (!date) {
    Exchange s(*this);
    if (!s) return VP_ERR_COMM;
    const auto lines = s->Text(proto::kCmdVer, 1);
    if (!lines) return VP_ERR_COMM;
    date = ParseFirmwareDate((*lines)[0]);
    if (!date) return VP_ERR_COMM;
    // A firmware date has no time of day: midnight, so that it is shown.
    date->hour = 0;
    date->minute = 0;
    StoreIfCurrent(s.generation(), [&] { firmware_date_ = date; });
  }
  WriteDateTime(out, *date);
  return VP_OK;
}

std::int16_t Station::StationTime(VantageDateTime* out) {
  if (out == nullptr) return VP_ERR_BAD_PARAM;
  WriteDateTime(out, ClockTime{});
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  const auto clock = ReadClock(s.link());
  if (!clock) return VP_ERR_COMM;
  StoreIfCurrent(s.generation(), [&] { clock_ = clock; });
  WriteDateTime(out, *clock);
  return VP_OK;
}

std::int16_t Station::SunTime(bool sunrise, VantageDateTime* out) {
  if (out == nullptr) return VP_ERR_BAD_PARAM;
  WriteDateTime(out, ClockTime{});
  std::optional<int> hhmm;
  std::optional<ClockTime> clock;
  {
    std::lock_guard lock(data_mutex_);
    if (!current_) return VP_ERR_NEEDS_LOAD;
    hhmm = sunrise ? current_->sunrise : current_->sunset;
    clock = clock_;
  }
  if (!clock) {
    // The times are today's: take the date from the console's clock.
    Exchange s(*this);
    if (s) {
      clock = ReadClock(s.link());
      if (clock) StoreIfCurrent(s.generation(), [&] { clock_ = clock; });
    }
  }
  ClockTime t = clock.value_or(ClockTime{});
  t.second = -1;
  if (hhmm) {
    t.hour = *hhmm / 100;
    t.minute = *hhmm % 100;
  } else {
    t.hour = -1;
    t.minute = -1;
  }
  WriteDateTime(out, t);
  return VP_OK;
}

std::int16_t Station::TimeZoneSettings(void* record12) {
  if (record12 == nullptr) return VP_ERR_BAD_PARAM;
  const auto setup = EnsureSetup();
  if (!setup) return VP_ERR_COMM;
  FillTimeZone(record12, *setup);
  return VP_OK;
}

std::int16_t Station::ReceptionData(void* record20) {
  if (record20 == nullptr) return VP_ERR_BAD_PARAM;
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  const auto lines = s->Text(proto::kCmdRxCheck, 1);
  if (!lines) return VP_ERR_COMM;
  const auto counters = ParseRxCheck((*lines)[0]);
  if (!counters) return VP_ERR_COMM;
  FillReception(record20, *counters);
  return VP_OK;
}

std::int16_t Station::Position(bool latitude, void* record20) {
  if (record20 == nullptr) return VP_ERR_BAD_PARAM;
  const auto setup = EnsureSetup();
  if (!setup) return VP_ERR_COMM;
  FillPosition(record20, latitude ? setup->LatitudeTenths() : setup->LongitudeTenths());
  return VP_OK;
}

std::int16_t Station::BarometerInfo(void* record28) {
  if (record28 == nullptr) return VP_ERR_BAD_PARAM;
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  const auto lines = s->Text(proto::kCmdBarData, 9);
  if (!lines) return VP_ERR_COMM;
  const auto data = ParseBarData(*lines);
  if (!data) return VP_ERR_COMM;
  FillBarometer(record28, *data);
  return VP_OK;
}

std::int16_t Station::TxConfig(void* record56) {
  if (record56 == nullptr) return VP_ERR_BAD_PARAM;
  const auto setup = EnsureSetup();
  if (!setup) return VP_ERR_COMM;
  FillTxConfig(record56, *setup);
  return VP_OK;
}

std::int16_t Station::WindDirOffset(void* record4) {
  if (record4 == nullptr) return VP_ERR_BAD_PARAM;
  const auto setup = EnsureSetup();
  if (!setup) return VP_ERR_COMM;
  const std::int32_t offset = setup->WindDirOffset();
  std::memcpy(record4, &offset, sizeof offset);
  return VP_OK;
}

std::int16_t Station::DownloadArchive(const VantageDateTime* after, VantageArchiveSink sink,
                                      void* context) {
  if (sink == nullptr) return VP_ERR_BAD_PARAM;
  std::optional<ArchiveStamp> stamp;
  if (after != nullptr) {
    stamp = ArchiveStampOf(*after);
    if (!stamp) return VP_ERR_BAD_PARAM;
  }
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  std::optional<SetupView> setup;
  {
    std::lock_guard lock(data_mutex_);
    setup = setup_;
  }
  if (!setup) {
    setup = ReadSetup(s.link());  // rain and ET need the collector size
    if (!setup) return VP_ERR_COMM;
    StoreIfCurrent(s.generation(), [&] { setup_ = setup; });
  }
  return DownloadArchivePages(s.link(), setup->ClickMm(), stamp, sink, context);
}

std::int16_t Station::SetTime(const VantageDateTime* time, std::int32_t second) {
  if (time == nullptr) return VP_ERR_BAD_PARAM;
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const VantageDateTime& t = *time;
  const bool leap = (t.Year % 4 == 0 && t.Year % 100 != 0) || t.Year % 400 == 0;
  if (t.Year < 2000 || t.Year > 2155 || t.Month < 1 || t.Month > 12 || t.Day < 1 ||
      t.Day > kDays[t.Month - 1] || (t.Month == 2 && t.Day == 29 && !leap) || t.Hour < 0 ||
      t.Hour > 23 || t.Minute < 0 || t.Minute > 59 || second < 0 || second > 59) {
    return VP_ERR_BAD_PARAM;
  }
  Exchange s(*this);
  if (!s) return VP_ERR_COMM;
  const ClockTime clock{second, t.Minute, t.Hour, t.Day, t.Month, t.Year};
  const std::int16_t status = SetConsoleClock(s.link(), clock);
  StoreIfCurrent(s.generation(), [&] { clock_.reset(); });
  return status;
}

}  // namespace tv::stationlib
