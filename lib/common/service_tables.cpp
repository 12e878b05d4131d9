#include "lib/common/service_tables.h"

#include <algorithm>
#include <utility>

#include "lib/config/config_keys.h"

namespace tv {

void ServiceSchedule::Register(std::string_view name, int position) {
  std::lock_guard lock(mutex_);
  entries_.insert_or_assign(std::string(name), Entry{std::string(name), 0, position});
}

void ServiceSchedule::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
}

bool ServiceSchedule::Contains(std::string_view name) const {
  std::lock_guard lock(mutex_);
  return entries_.find(name) != entries_.end();
}

std::int64_t ServiceSchedule::NextRun(std::string_view name) const {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(name);
  return it == entries_.end() ? 0 : it->second.next_run;
}

bool ServiceSchedule::SetNextRun(std::string_view name, std::int64_t seconds) {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(name);
  if (it == entries_.end()) return false;
  it->second.next_run = seconds;
  return true;
}

int ServiceSchedule::Position(std::string_view name) const {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(name);
  return it == entries_.end() ? 0 : it->second.position;
}

std::vector<ServiceSchedule::Entry> ServiceSchedule::Entries() const {
  std::vector<Entry> list;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [name, entry] : entries_) list.push_back(entry);
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const Entry& a, const Entry& b) { return a.position < b.position; });
  return list;
}

std::vector<std::string> ServiceSchedule::Names() const {
  std::vector<std::string> names;
  for (auto& entry : Entries()) names.push_back(std::move(entry.name));
  return names;
}

std::size_t ServiceSchedule::Size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

void ServiceFreshFlags::Register(std::string_view name) {
  std::lock_guard lock(mutex_);
  flags_.insert_or_assign(std::string(name), false);
}

void ServiceFreshFlags::Clear() {
  std::lock_guard lock(mutex_);
  flags_.clear();
}

bool ServiceFreshFlags::Contains(std::string_view name) const {
  std::lock_guard lock(mutex_);
  return flags_.find(name) != flags_.end();
}

bool ServiceFreshFlags::Raise(std::string_view name) {
  std::shared_ptr<const std::function<void()>> on_raised;
  {
    std::lock_guard lock(mutex_);
    auto it = flags_.find(name);
    if (it == flags_.end()) return false;
    it->second = true;
    on_raised = on_raised_;
  }
  if (on_raised && *on_raised) (*on_raised)();
  return true;
}

void ServiceFreshFlags::SetRaisedCallback(std::function<void()> on_raised) {
  auto shared = std::make_shared<const std::function<void()>>(std::move(on_raised));
  std::lock_guard lock(mutex_);
  on_raised_ = std::move(shared);
}

bool ServiceFreshFlags::Lower(std::string_view name) {
  std::lock_guard lock(mutex_);
  auto it = flags_.find(name);
  if (it == flags_.end()) return false;
  it->second = false;
  return true;
}

bool ServiceFreshFlags::IsRaised(std::string_view name) const {
  std::lock_guard lock(mutex_);
  auto it = flags_.find(name);
  return it != flags_.end() && it->second;
}

bool ServiceFreshFlags::TakeRaised(std::string_view name) {
  std::lock_guard lock(mutex_);
  auto it = flags_.find(name);
  if (it == flags_.end()) return false;
  return std::exchange(it->second, false);
}

std::vector<std::string> ServiceFreshFlags::Names() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const auto& [name, raised] : flags_) names.push_back(name);
  return names;
}

std::size_t ServiceFreshFlags::Size() const {
  std::lock_guard lock(mutex_);
  return flags_.size();
}

void RegisterServices(std::string_view list, const ConfigTable& config, ServiceSchedule& schedule,
                      ServiceFreshFlags& flags) {
  schedule.Clear();
  flags.Clear();
  int position = 0;
  std::size_t start = 0;
  while (true) {
    ++position;
    const auto comma = list.find(',', start);
    std::string_view name =
        list.substr(start, comma == std::string_view::npos ? list.npos : comma - start);
    const auto first = name.find_first_not_of(" \t");
    name = first == std::string_view::npos
               ? std::string_view{}
               : name.substr(first, name.find_last_not_of(" \t") - first + 1);
    if (!name.empty() && config.Has(std::string(kServiceKeyPrefix) + std::string(name))) {
      schedule.Register(name, position);
      flags.Register(name);
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
}

}  // namespace tv
