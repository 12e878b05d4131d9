#include "lib/config/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace tv {
namespace {

TEST(TextEncoding, Utf8Validity) {
  struct Case {
    const char* legend;
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"ASCII", "CONSOLE_adresse", true},
      {"two-byte e acute", "\xC3\xA9", true},
      {"three-byte euro sign", "\xE2\x82\xAC", true},
      {"lone Windows-1252 e acute", "Pr\xE9vision", false},
      {"sequence cut at the end", "\xE2\x82", false},
      {"stray continuation byte", "a\x80", false},
      {"overlong slash", "\xC0\xAF", false},
      {"UTF-16 surrogate", "\xED\xA0\x80", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.legend;
}

TEST(TextEncoding, FileTextToUtf8) {
  struct Case {
    const char* legend;
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"UTF-8 kept", "Activ\xC3\xA9", "Activ\xC3\xA9"},
      {"Latin letters of 1252", "Activ\xE9 \xE0 \xFF", "Activ\xC3\xA9 \xC3\xA0 \xC3\xBF"},
      {"1252-only punctuation", "\x80\x85\x92\x9C", "\xE2\x82\xAC\xE2\x80\xA6\xE2\x80\x99\xC5\x93"},
      {"undefined 1252 bytes become control characters", "\x81\x9D", "\xC2\x81\xC2\x9D"},
      {"one bad byte makes the whole value 1252", "\xC3\xA9\xE9", "\xC3\x83\xC2\xA9\xC3\xA9"},
  };
  for (const auto& c : cases) EXPECT_EQ(TextFileToUtf8(c.in), c.out) << c.legend;
}

TEST(TextEncoding, PrefixCountsCharactersNotBytes) {
  struct Case {
    const char* legend;
    std::string in;
    std::size_t max;
    std::string out;
  };
  const Case cases[] = {
      {"ASCII cut", "abcdef", 4, "abcd"},
      {"accented letters count once", "\xC3\xA9\xC3\xA9\xC3\xA9", 2, "\xC3\xA9\xC3\xA9"},
      {"never cuts inside a sequence", "a\xE2\x82\xAC", 1, "a"},
      {"zero characters", "abc", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8Prefix(c.in, c.max), c.out) << c.legend;
    EXPECT_TRUE(IsValidUtf8(Utf8Prefix(c.in, c.max))) << c.legend;
  }
}

}  // namespace
}  // namespace tv
