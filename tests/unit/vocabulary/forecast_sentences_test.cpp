#include <gtest/gtest.h>

#include <string>

#include "lib/vocabulary/forecast_sentences.h"

namespace tv {
namespace {

// The console's text for one sentence: its wording, then the closing space.
std::string Said(int number) {
  return std::string(ForecastSentence(number)) + " ";
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

struct ForecastCase {
  const char* legend;
  std::string forecast;
  const char* numbers;
};

TEST(ForecastToSentenceNumbers, TurnsConsoleTextIntoNumberList) {
  const ForecastCase cases[] = {
      {"empty text", "", ""},
      {"three sentences", Said(8) + Said(29) + Said(35), "8;29;35;"},
      {"lower case is matched", Lower(Said(35)), "35;"},
      {"unknown sentence keeps its place", "SUNNY ALL DAY. " + Said(35), ";35;"},
      {"last sentence without trailing space", std::string(ForecastSentence(35)), ""},
      {"only the sentences closed by a space count", Said(35) + std::string(ForecastSentence(34)),
       "35;"},
      {"space before the period stays in the key", "WINDY . " + Said(34), ";34;"},
      {"no period at all", "WINDY", ""},
      {"leading blanks are trimmed", "   " + Said(35), "35;"},
      {"tab is not trimmed", "\t" + Said(35), ";"},
      {"sentence with inner commas", Said(37), "37;"},
      {"sentence 3 alone", Said(3), "3;"},
      {"sentence 4 alone", Said(4), "4;"},
      {"sentence 6 alone", Said(6), "6;"},
      {"sentence 7 alone", Said(7), "7;"},
      {"two-part sentence between others", Said(16) + Said(7) + Said(35), "16;7;35;"},
      {"two-part sentences back to back", Said(3) + Said(4), "3;4;"},
      {"two-part sentence in lower case", Lower(Said(6)), "6;"},
      {"two-part sentence not closed by a space", std::string(ForecastSentence(3)), ";"},
      {"first half alone is unknown", "MOSTLY CLEAR FOR 12 HOURS. " + Said(35), ";35;"},
      {"second half alone is unknown", "WITH LITTLE TEMPERATURE CHANGE. ", ";"},
      {"halves of different sentences", "MOSTLY CLEAR FOR 12 HOURS. AND COOLER. ", ";;"},
      {"period in a row", ". . ", ";;"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ForecastToSentenceNumbers(c.forecast), c.numbers) << c.legend;
  }
}

TEST(ForecastToSentenceNumbers, EveryTableSentenceGivesItsOwnNumber) {
  for (int n = 1; n <= kForecastSentenceCount; ++n) {
    EXPECT_EQ(ForecastToSentenceNumbers(Said(n)), std::to_string(n) + ";") << "sentence " << n;
  }
}

TEST(ForecastSentence, WordingIsExactAndRangeIsClosed) {
  struct Row {
    const char* legend;
    int number;
    const char* text;
  };
  const Row rows[] = {
      {"inner period kept", 4, "MOSTLY CLEAR FOR 12 TO 24 HOURS. AND COOLER."},
      {"last", 41, "WINDY WITH POSSIBLE WIND SHIFT TO THE W, SW, OR S."},
      {"below the range", 0, ""},
      {"above the range", 42, ""},
  };
  for (const auto& r : rows) EXPECT_EQ(ForecastSentence(r.number), r.text) << r.legend;
}

}  // namespace
}  // namespace tv
