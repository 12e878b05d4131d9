#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "lib/common/escape_edge.h"

namespace tv {

// Where an exception caught at a thread's or a slot's edge is reported (the
// activity log); nothing is reported when empty.
using EdgeReport = std::function<void(std::string_view line)>;

// Runs `work`, and reports anything it throws instead of letting it reach
// std::terminate (a thread's edge) or Qt's event loop (a slot's). The report
// itself may fail (no memory): the line then goes to standard error alone.
template <typename Work>
void RunGuarded(const EdgeReport& report, std::string_view what, Work&& work) noexcept {
  CatchAtEdge(
      [&](std::string_view reason) {
        try {
          if (report) {
            report(EdgeErrorLine(what, reason));
            return;
          }
        } catch (...) {
        }
        std::fprintf(stderr, "Erreur interne (%.*s) : %.*s\n", static_cast<int>(what.size()),
                     what.data(), static_cast<int>(reason.size()), reason.data());
      },
      std::forward<Work>(work));
}

// `work` wrapped for a slot or a thread: the same call, guarded.
template <typename Work>
auto Guarded(EdgeReport report, std::string what, Work work) {
  return [report = std::move(report), what = std::move(what), work = std::move(work)]() mutable {
    RunGuarded(report, what, work);
  };
}

}  // namespace tv
