#pragma once

#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace tv {

// Where an exception caught at a thread's or a slot's edge is reported (the
// activity log); nothing is reported when empty.
using EdgeReport = std::function<void(std::string_view line)>;

// The line reported for an exception caught while doing `what`:
// "Erreur interne (export des données) : <what()>".
inline std::string EdgeErrorLine(std::string_view what, std::string_view reason) {
  std::string line = "Erreur interne (";
  line.append(what).append(") : ").append(reason);
  return line;
}

// Runs `work`, and reports anything it throws instead of letting it reach
// std::terminate (a thread's edge) or Qt's event loop (a slot's). The report
// itself may fail (no memory): the line then goes to standard error alone.
template <typename Work>
void RunGuarded(const EdgeReport& report, std::string_view what, Work&& work) noexcept {
  std::string reason;
  try {
    std::forward<Work>(work)();
    return;
  } catch (const std::exception& e) {
    try {
      reason = e.what();
    } catch (...) {
    }
  } catch (...) {
    try {
      reason = "exception inconnue";
    } catch (...) {
    }
  }
  try {
    if (report) {
      report(EdgeErrorLine(what, reason));
      return;
    }
  } catch (...) {
  }
  std::fprintf(stderr, "Erreur interne (%.*s)\n", static_cast<int>(what.size()), what.data());
}

// `work` wrapped for a slot or a thread: the same call, guarded.
template <typename Work>
auto Guarded(EdgeReport report, std::string what, Work work) {
  return [report = std::move(report), what = std::move(what), work = std::move(work)]() mutable {
    RunGuarded(report, what, work);
  };
}

}  // namespace tv
