#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "lib/config/config_table.h"

namespace tv {

// The collected services, in priority order.
inline constexpr std::string_view kServiceList =
    "CurrentData,Alarm,HiLow,ConfigStation,Calibration";

// When each registered service runs next, and its place in the service list.
// Only registration adds names; lookups of unknown names add nothing. Safe to
// use from any thread.
class ServiceSchedule {
 public:
  struct Entry {
    std::string name;
    std::int64_t next_run = 0;  // seconds of the steady clock; 0: at the next round
    int position = 0;           // place in the service list, from 1

    bool operator==(const Entry&) const = default;
  };

  // Adds or resets the service: next run 0, at `position`.
  void Register(std::string_view name, int position);
  void Clear();

  bool Contains(std::string_view name) const;
  // 0 for a name that is not registered.
  std::int64_t NextRun(std::string_view name) const;
  // False (nothing changes) for a name that is not registered.
  bool SetNextRun(std::string_view name, std::int64_t seconds);
  // 0 for a name that is not registered.
  int Position(std::string_view name) const;

  // Registered services by ascending position (then name).
  std::vector<Entry> Entries() const;
  std::vector<std::string> Names() const;
  std::size_t Size() const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, Entry, std::less<>> entries_;
};

// Per registered service: raised by the collection after a successful run,
// lowered by the display once it has shown that service's data. Safe to use
// from any thread.
class ServiceFreshFlags {
 public:
  // Adds or resets the service with its flag lowered.
  void Register(std::string_view name);
  void Clear();

  bool Contains(std::string_view name) const;
  // False (nothing changes) for a name that is not registered.
  bool Raise(std::string_view name);
  bool Lower(std::string_view name);
  // False for a name that is not registered.
  bool IsRaised(std::string_view name) const;
  // Lowers the flag and tells whether it was raised, in one step, so a run
  // that raises it meanwhile is never lost.
  bool TakeRaised(std::string_view name);

  std::vector<std::string> Names() const;
  std::size_t Size() const;

  // Called after each Raise that found its service, outside the table's
  // lock, on the raising thread: how the display is woken. Empty: none.
  void SetRaisedCallback(std::function<void()> on_raised);

 private:
  mutable std::mutex mutex_;
  std::map<std::string, bool, std::less<>> flags_;
  std::shared_ptr<const std::function<void()>> on_raised_;
};

// Rebuilds both tables from a comma-separated list of service names. Names
// are trimmed of surrounding blanks; name number i (from 1) is registered at
// position i only when `config` holds the key "SERVICES_" + name, whatever its
// value, so positions keep the gaps of the services left out.
void RegisterServices(std::string_view list, const ConfigTable& config, ServiceSchedule& schedule,
                      ServiceFreshFlags& flags);

}  // namespace tv
