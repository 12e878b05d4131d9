#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tv::stationlib {

// The console's forecast: a rule number 0-196 that stands for one to three
// English sentences out of a table of 41.

// Sentence numbers (1-41) of a rule, 0 for the unused places; all 0 for a
// rule out of range.
std::array<std::uint8_t, 3> ForecastSentences(int rule);

// The English sentence of a number, upper case and ending with ".", as the
// agent's sentence table has it; "" out of 1-41.
const char* ForecastSentence(int number);

// The forecast text of a rule: each sentence followed by " " (so that every
// sentence ends with ". "); "" for a rule out of range.
std::string ForecastText(int rule);

}  // namespace tv::stationlib
