// The console's forecast text turned into sentence numbers: only numbers of
// known sentences (or empty entries), each closed by ";".
#include <cstdlib>
#include <string>
#include <string_view>

#include "lib/vocabulary/forecast_sentences.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string numbers = tv::ForecastToSentenceNumbers(text);
  if (!numbers.empty() && numbers.back() != ';') std::abort();
  std::size_t start = 0;
  while (start < numbers.size()) {
    const std::size_t end = numbers.find(';', start);
    if (end == std::string::npos) std::abort();
    const std::string entry = numbers.substr(start, end - start);
    if (!entry.empty()) {
      if (entry.size() > 2 || entry.find_first_not_of("0123456789") != std::string::npos)
        std::abort();
      const int n = std::stoi(entry);
      if (n < 1 || n > tv::kForecastSentenceCount) std::abort();
    }
    start = end + 1;
  }
  return 0;
}
