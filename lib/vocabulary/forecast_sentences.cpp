#include "lib/vocabulary/forecast_sentences.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace tv {
namespace {

constexpr const char* kSentences[kForecastSentenceCount] = {
    "MOSTLY CLEAR AND COOLER.",                                               // 1
    "MOSTLY CLEAR WITH LITTLE TEMPERATURE CHANGE.",                           // 2
    "MOSTLY CLEAR FOR 12 HOURS. WITH LITTLE TEMPERATURE CHANGE.",             // 3
    "MOSTLY CLEAR FOR 12 TO 24 HOURS. AND COOLER.",                           // 4
    "MOSTLY CLEAR AND WARMER.",                                               // 5
    "MOSTLY CLEAR FOR 6 TO 12 HOURS. WITH LITTLE TEMPERATURE CHANGE.",        // 6
    "MOSTLY CLEAR FOR 12 TO 24 HOURS. WITH LITTLE TEMPERATURE CHANGE.",       // 7
    "INCREASING CLOUDS AND WARMER.",                                          // 8
    "INCREASING CLOUDS WITH LITTLE TEMPERATURE CHANGE.",                      // 9
    "INCREASING CLOUDS AND COOLER.",                                          // 10
    "CLEARING AND COOLER.",                                                   // 11
    "CLEARING, COOLER AND WINDY.",                                            // 12
    "MOSTLY CLOUDY AND COOLER.",                                              // 13
    "MOSTLY CLOUDY WITH LITTLE TEMPERATURE CHANGE.",                          // 14
    "FORECAST NOT READY YET.",                                                // 15
    "PRECIPITATION CONTINUING.",                                              // 16
    "PRECIPITATION CONTINUING, POSSIBLY HEAVY AT TIMES.",                     // 17
    "PRECIPITATION LIKELY.",                                                  // 18
    "PRECIPITATION LIKELY, POSSIBLY HEAVY AT TIMES.",                         // 19
    "PRECIPITATION ENDING WITHIN 6 HOURS.",                                   // 20
    "PRECIPITATION ENDING WITHIN 12 HOURS.",                                  // 21
    "PRECIPITATION POSSIBLY HEAVY AT TIMES AND ENDING WITHIN 12 HOURS.",      // 22
    "PRECIPITATION ENDING IN 12 TO 24 HOURS.",                                // 23
    "PRECIPITATION POSSIBLE WITHIN 6 HOURS.",                                 // 24
    "PRECIPITATION POSSIBLE AND WINDY WITHIN 6 HOURS.",                       // 25
    "PRECIPITATION POSSIBLE WITHIN 6 TO 12 HOURS, POSSIBLY HEAVY AT TIMES.",  // 26
    "PRECIPITATION POSSIBLE WITHIN 6 TO 12 HOURS.",                           // 27
    "PRECIPITATION POSSIBLE WITHIN 12 HOURS.",                                // 28
    "PRECIPITATION POSSIBLE WITHIN 12 HOURS, POSSIBLY HEAVY AT TIMES.",       // 29
    "PRECIPITATION POSSIBLE WITHIN 12 TO 24 HOURS.",                          // 30
    "PRECIPITATION POSSIBLE WITHIN 24 HOURS.",                                // 31
    "PRECIPITATION POSSIBLE WITHIN 24 TO 48 HOURS.",                          // 32
    "PRECIPITATION POSSIBLE WITHIN 48 HOURS.",                                // 33
    "INCREASING WINDS.",                                                      // 34
    "WINDY.",                                                                 // 35
    "POSSIBLE WIND SHIFT TO THE W, NW, OR N.",                                // 36
    "WINDY WITH POSSIBLE WIND SHIFT TO THE W, NW, OR N.",                     // 37
    "PARTLY CLOUDY AND COOLER.",                                              // 38
    "PARTLY CLOUDY WITH LITTLE TEMPERATURE CHANGE.",                          // 39
    "POSSIBLE WIND SHIFT TO THE W, SW, OR S.",                                // 40
    "WINDY WITH POSSIBLE WIND SHIFT TO THE W, SW, OR S.",                     // 41
};

const std::unordered_map<std::string_view, int>& SentenceNumbers() {
  static const auto* const table = [] {
    auto* t = new std::unordered_map<std::string_view, int>();
    for (int i = 0; i < kForecastSentenceCount; ++i) t->emplace(kSentences[i], i + 1);
    return t;
  }();
  return *table;
}

// Upper-cases (ASCII) and strips leading and trailing blanks (space only).
std::string NormaliseKey(std::string key) {
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  const auto first = key.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = key.find_last_not_of(' ');
  return key.substr(first, last - first + 1);
}

// Number of the sentence `key` normalises to, 0 when it is not one.
int LookUp(std::string key) {
  const auto& table = SentenceNumbers();
  const auto it = table.find(NormaliseKey(std::move(key)));
  return it == table.end() ? 0 : it->second;
}

}  // namespace

std::string_view ForecastSentence(int number) {
  if (number < 1 || number > kForecastSentenceCount) return {};
  return kSentences[number - 1];
}

std::string ForecastToSentenceNumbers(std::string_view forecast) {
  // One sentence per ". " in the text; the sentence is the piece before the
  // period, the pieces being what lies between successive periods.
  std::size_t count = 0;
  for (auto at = forecast.find(". "); at != std::string_view::npos;
       at = forecast.find(". ", at + 2)) {
    ++count;
  }
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (pieces.size() < count) {
    const auto dot = forecast.find('.', start);
    pieces.push_back(forecast.substr(start, dot - start));
    start = dot + 1;
  }

  std::string result;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string single = std::string(pieces[i]) + ".";
    // A few sentences carry an inner ". ": try the piece joined with the next
    // one first, so that such a sentence gives its own number once.
    if (i + 1 < count) {
      if (const int joined = LookUp(single + std::string(pieces[i + 1]) + "."); joined != 0) {
        result += std::to_string(joined);
        result += ';';
        ++i;
        continue;
      }
    }
    if (const int number = LookUp(single); number != 0) result += std::to_string(number);
    result += ';';
  }
  return result;
}

}  // namespace tv
