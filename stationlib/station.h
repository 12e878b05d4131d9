#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "stationlib/console_link.h"
#include "stationlib/current_conditions.h"
#include "stationlib/data_ids.h"
#include "stationlib/eeprom_view.h"
#include "stationlib/records.h"
#include "stationlib/vantagepro.h"

namespace tv::stationlib {

enum class LinkKind { kNone, kSerial, kTcp, kUsb };

// One console link and what was loaded from it. Every member is thread-safe:
// exchanges are serialised by one lock, the loaded data by another, and a
// close interrupts a running exchange instead of waiting for it.
class Station {
 public:
  explicit Station(LinkTimings timings = {});

  // --- Links ---
  std::int16_t OpenSerial(const std::string& path, int baud, LinkKind kind = LinkKind::kSerial);
  std::int16_t OpenTcp(const std::string& port, const std::string& host);
  std::int16_t OpenUsb(std::int32_t serial);
  // Opens over an already connected stream (tests).
  std::int16_t OpenStream(std::unique_ptr<ByteStream> stream, LinkKind kind);
  // Closes the link if it is of `kind` (any kind for kNone); always VP_OK.
  std::int16_t Close(LinkKind kind);
  std::uint64_t BytesExchanged() const;

  // --- Console ---
  std::int16_t Init();
  std::int16_t Loop2Supported();

  // --- Loads ---
  std::int16_t LoadCurrent();
  std::int16_t LoadHiLows();
  std::int16_t LoadAlarms();
  std::int16_t LoadCalibration(void* record20);

  // --- Values ---
  Reading Current(std::uint32_t id) const;
  std::int16_t CurrentText(std::uint32_t id, std::string& out) const;
  Reading HiLow(std::uint32_t id) const;
  std::int16_t HiLowTime(std::uint32_t id, VantageDateTime* out);
  // An alarm threshold read by `pick`, converted to the library's units
  // (rain thresholds in clicks become the rain unit when `rain` is set).
  template <typename Pick>
  Reading Alarm(Pick pick, bool rain = false) const {
    std::lock_guard lock(data_mutex_);
    if (!alarms_) return {VP_ERR_NEEDS_LOAD, VP_ERR_NEEDS_LOAD};
    const std::optional<double> v = pick(*alarms_);
    if (!v) return {VP_OK, VP_NO_DATA};
    return {VP_OK, rain ? *v * RainUnitFromMm(ClickMmLocked()) : *v};
  }
  Reading TimeAlarm() const;

  // --- Configuration ---
  std::int16_t ModelNo();
  std::int16_t WindCupSize();
  std::int16_t ArchivePeriod();
  std::int16_t FirmwareVersion(std::string& out);
  std::int16_t FirmwareDate(VantageDateTime* out);
  std::int16_t StationTime(VantageDateTime* out);
  std::int16_t SunTime(bool sunrise, VantageDateTime* out);
  std::int16_t TimeZoneSettings(void* record12);
  std::int16_t ReceptionData(void* record20);
  std::int16_t Position(bool latitude, void* record20);
  std::int16_t BarometerInfo(void* record28);
  std::int16_t TxConfig(void* record56);
  std::int16_t WindDirOffset(void* record4);

  // --- Archive ---
  // `sink` is called with the wire held: it must not call the library.
  std::int16_t DownloadArchive(const VantageDateTime* after, VantageArchiveSink sink,
                               void* context);
  std::int16_t SetTime(const VantageDateTime* time, std::int32_t second);

 private:
  struct Session {
    std::shared_ptr<ConsoleLink> link;
    std::uint64_t generation = 0;
  };
  Session CurrentSession() const;
  // One exchange on the link that is current when it starts: holds the wire
  // for its lifetime and, on leaving, forgets the link if the exchange found
  // it gone. False when there is no link.
  class Exchange {
   public:
    explicit Exchange(Station& station);
    ~Exchange();
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
    explicit operator bool() const { return session_.link != nullptr; }
    ConsoleLink& link() const { return *session_.link; }
    ConsoleLink* operator->() const { return session_.link.get(); }
    std::uint64_t generation() const { return session_.generation; }

   private:
    Station& station_;
    Session session_;
    std::unique_lock<std::mutex> wire_;
  };
  // Drops the link of `generation` if it is still the current one.
  void ForgetLink(std::uint64_t generation);
  std::int16_t Attach(std::unique_ptr<ByteStream> stream, LinkKind kind);
  // The set-up block, read from the console when not cached yet.
  std::optional<SetupView> EnsureSetup();
  std::optional<SetupView> ReadSetup(ConsoleLink& link);
  std::optional<ClockTime> ReadClock(ConsoleLink& link);
  double ClickMmLocked() const;
  // Stores `f()` under the data lock unless the link changed meanwhile.
  template <typename F>
  void StoreIfCurrent(std::uint64_t generation, F f) {
    std::lock_guard lock(data_mutex_);
    if (generation == generation_) f();
  }

  const LinkTimings timings_;

  mutable std::mutex link_mutex_;  // link_, kind_, generation_ (written)
  std::shared_ptr<ConsoleLink> link_;
  LinkKind kind_ = LinkKind::kNone;

  std::mutex exchange_mutex_;  // one exchange at a time on the wire

  mutable std::mutex data_mutex_;  // everything below, and generation_ (read)
  std::uint64_t generation_ = 0;
  std::optional<SetupView> setup_;
  std::optional<int> model_;
  std::optional<bool> loop2_supported_;
  std::optional<CurrentConditions> current_;
  std::optional<std::vector<std::uint8_t>> hilows_;
  std::optional<AlarmView> alarms_;
  std::optional<ClockTime> clock_;
  std::optional<std::string> firmware_version_;
  std::optional<ClockTime> firmware_date_;
};

}  // namespace tv::stationlib
