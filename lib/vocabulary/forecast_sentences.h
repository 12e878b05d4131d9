#pragma once

#include <string>
#include <string_view>

namespace tv {

// Number of English forecast sentences the console can produce; they are
// numbered 1 to kForecastSentenceCount.
inline constexpr int kForecastSentenceCount = 41;

// The console's wording of forecast sentence `number`, upper case, ending in
// "."; the empty text for a number outside 1 to kForecastSentenceCount.
std::string_view ForecastSentence(int number);

// Turns the console's forecast text (sentences each closed by ". ") into the
// list of sentence numbers, each followed by ";" ("8;29;35;"). Case is ignored;
// an unknown sentence leaves an empty entry (";"); a sentence not followed by
// a space is not counted. A sentence whose wording itself holds ". " (such as
// "MOSTLY CLEAR FOR 12 HOURS. WITH LITTLE TEMPERATURE CHANGE.") gives its one
// number.
std::string ForecastToSentenceNumbers(std::string_view forecast);

}  // namespace tv
