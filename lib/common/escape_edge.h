#pragma once

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace tv {

// The text given for an exception that is no std::exception.
inline constexpr std::string_view kUnknownExceptionText = "exception inconnue";

// The line reported for an exception caught while doing `what`:
// "Erreur interne (export des données) : <what()>".
inline std::string EdgeErrorLine(std::string_view what, std::string_view reason) {
  std::string line = "Erreur interne (";
  line.append(what).append(") : ").append(reason);
  return line;
}

// The edge of a thread or of a slot: runs `work` and, instead of letting what
// it throws go on (to std::terminate at a thread's edge, into Qt's event loop
// at a slot's), hands its text (what(), or kUnknownExceptionText) to
// `tell`. True when `work` returned. When telling fails as well (no memory,
// a sink that throws), the text goes to standard error.
template <typename Tell, typename Work>
bool CatchAtEdge(Tell&& tell, Work&& work) noexcept {
  std::string reason;
  try {
    std::forward<Work>(work)();
    return true;
  } catch (const std::exception& e) {
    try {
      reason = e.what();
    } catch (...) {
    }
  } catch (...) {
    try {
      reason = kUnknownExceptionText;
    } catch (...) {
    }
  }
  try {
    std::forward<Tell>(tell)(std::string_view(reason));
  } catch (...) {
    std::fprintf(stderr, "Erreur interne : %s\n", reason.c_str());
  }
  return false;
}

}  // namespace tv
