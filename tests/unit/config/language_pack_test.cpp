#include "lib/config/language_pack.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"

namespace tv {
namespace {

class LanguagePackTest : public ::testing::Test {
 protected:
  void WritePack(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }

  tv::testing::TempDir tmp_{"tv-pack"};
  const std::filesystem::path& dir_ = tmp_.path;
  std::string path_ = (dir_ / "langue.pack").string();
};

TEST_F(LanguagePackTest, MissingPackIsLookedForAgainUntilFound) {
  LanguagePack pack(path_);
  EXPECT_EQ(pack.Text("PREV_METEO_1"), "");
  EXPECT_FALSE(pack.Loaded());
  WritePack("[PREV_METEO]\n1=Temps ensoleill\xE9\n");
  EXPECT_EQ(pack.Text("PREV_METEO_1"), "Temps ensoleill\xC3\xA9") << "read again at the next call";
  EXPECT_TRUE(pack.Loaded());
}

TEST_F(LanguagePackTest, PackWithoutKeysCountsAsNotLoaded) {
  WritePack("[PREV_METEO]\n; rien\n");
  LanguagePack pack(path_);
  EXPECT_EQ(pack.Text("PREV_METEO_1"), "");
  EXPECT_FALSE(pack.Loaded());
  WritePack("[PREV_METEO]\n2=Nuageux\n");
  EXPECT_EQ(pack.Text("PREV_METEO_2"), "Nuageux");
}

TEST_F(LanguagePackTest, LoadedPackIsNeverReadAgain) {
  WritePack("[PREV]\nMETEO_1=Pluie\n");
  LanguagePack pack(path_);
  EXPECT_EQ(pack.Text("PREV_METEO_1"), "Pluie") << "group PREV with key METEO_1 composes the key";
  std::filesystem::remove(path_);
  EXPECT_EQ(pack.Text("PREV_METEO_1"), "Pluie");
  WritePack("[PREV_METEO]\n1=Neige\n");
  EXPECT_EQ(pack.Text("PREV_METEO_1"), "Pluie");
  EXPECT_EQ(pack.Text("PREV_METEO_99"), "") << "absent key";
}

TEST_F(LanguagePackTest, TextsAreCutAtTheirMaximumOnACharacterBoundary) {
  WritePack("[PREV_METEO]\n1=" + std::string(10 << 20, '\xE9') + "\n");
  LanguagePack pack(path_);
  EXPECT_EQ(pack.Text("PREV_METEO_1"), [] {
    std::string s;
    for (std::size_t i = 0; i < LanguagePack::kMaxTextChars; ++i) s += "\xC3\xA9";
    return s;
  }()) << "Windows-1252 converted, then cut at a character boundary";
}

TEST_F(LanguagePackTest, ConcurrentLookupsWhileThePackAppears) {
  LanguagePack pack(path_);
  std::vector<std::jthread> readers;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&pack] {
      for (int i = 0; i < 200; ++i) {
        const auto text = pack.Text("PREV_METEO_3");
        EXPECT_TRUE(text.empty() || text == "Orageux") << text;
      }
    });
  }
  WritePack("[PREV_METEO]\n3=Orageux\n");
  readers.clear();
  EXPECT_EQ(pack.Text("PREV_METEO_3"), "Orageux");
}

}  // namespace
}  // namespace tv
