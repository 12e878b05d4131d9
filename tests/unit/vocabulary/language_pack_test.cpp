#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "lib/vocabulary/forecast_sentences.h"

namespace tv {
namespace {

// Reads the pack the simple way the configuration format allows: "[GROUP]"
// lines, "key=value" lines, ";" comments. Keys are GROUP_key.
std::multimap<std::string, std::string> ReadPack(const char* path) {
  std::multimap<std::string, std::string> entries;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  std::string group;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == ';') continue;
    if (line[first] == '[') {
      group = line.substr(first + 1, line.find(']') - first - 1);
      continue;
    }
    const auto eq = line.find('=');
    if (eq == std::string::npos || group.empty()) continue;
    entries.emplace(group + "_" + line.substr(first, eq - first), line.substr(eq + 1));
  }
  return entries;
}

bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
    }
    i += length;
  }
  return true;
}

std::vector<std::string> Numbers(std::string_view text) {
  std::vector<std::string> numbers;
  std::string current;
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
      current += c;
    } else if (!current.empty()) {
      numbers.push_back(current);
      current.clear();
    }
  }
  if (!current.empty()) numbers.push_back(current);
  return numbers;
}

TEST(LanguagePack, HoldsOneFrenchTextPerForecastSentence) {
  const auto entries = ReadPack(TV_LANGUAGE_PACK_PATH);
  ASSERT_FALSE(entries.empty()) << "cannot read " << TV_LANGUAGE_PACK_PATH;
  EXPECT_EQ(entries.size(), static_cast<std::size_t>(kForecastSentenceCount))
      << "only the forecast sentences belong in the pack";
  for (int n = 1; n <= kForecastSentenceCount; ++n) {
    const std::string key = "PREV_METEO_" + std::to_string(n);
    ASSERT_EQ(entries.count(key), 1U) << key;
    const std::string& text = entries.find(key)->second;
    EXPECT_TRUE(IsUtf8(text)) << key;
    EXPECT_FALSE(text.empty()) << key;
    EXPECT_NE(text.front(), ' ') << key;
    EXPECT_EQ(text.back(), '.') << key;
    // The hours of the English sentence come through in the same order: a
    // text shifted by one line would give itself away here.
    EXPECT_EQ(Numbers(text), Numbers(ForecastSentence(n))) << key << ": " << text;
  }
}

}  // namespace
}  // namespace tv
