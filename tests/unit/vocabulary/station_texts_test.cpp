#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <string>

#include "lib/vocabulary/data_item_labels.h"
#include "lib/vocabulary/station_config_text.h"
#include "tests/support/comma_locale.h"

namespace tv {
namespace {

struct LabelCase {
  const char* legend;
  const char* item;
  const char* label;
};

TEST(DataItemLabel, MatchesNamesAsCallersSpellThem) {
  const LabelCase cases[] = {
      {"all lower case still matches", "barrise", "Hausse du baromètre"},
      {"mixed case of the alarm evaluator", "outsideHiTemp", "Température extérieur en hausse"},
      {"extra sensor reuses the outside label", "HiExtraTemp[2]",
       "Température extérieur en hausse"},
      {"last extra index", "LowExtraTemp[6]", "Température extérieur en baisse"},
      {"index past the extra sensors", "LowExtraTemp[7]", ""},
      {"last soil index", "HiSoilMoisture[3]", "Humidité du sol en hausse"},
      {"index past the soil sensors", "HiSoilMoisture[4]", ""},
      {"second leaf sensor", "LowLeafWet[1]", "Humidité du feuillage en baisse"},
      {"no high leaf wetness item", "HiLeafWet[0]", ""},
      {"second leaf temperature", "HiLeafTemp[1]", "Température du feuillage en hausse"},
      {"index past the leaf sensors", "LowLeafTemp[2]", ""},
      {"plain item, not the alarm-only spelling", "TimeStr", "Date texte"},
      {"indexed item without its index", "LowExtraTemp", ""},
      {"plain item with an index", "BarRise[0]", ""},
      {"index written with a leading zero", "LowExtraTemp[01]", ""},
      {"misspelling kept", "Hi10MinWindSpeed", "Vitesse moyenne du vent sur 10 minutes en hause"},
      {"lower-case label kept", "FlashFlood", "risque d'inondation"},
      {"empty name", "", ""},
      {"surrounding blank is not ignored", " BarRise", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DataItemLabel(c.item), c.label) << c.legend;
}

// Builds the bytes the station library writes for a position.
std::array<std::uint8_t, kPositionRecordSize> PositionBytes(float degrees, std::uint16_t minutes,
                                                            std::uint16_t seconds) {
  std::array<std::uint8_t, kPositionRecordSize> bytes{};
  const auto put16 = [&](std::size_t at, std::uint16_t v) {
    bytes[at] = static_cast<std::uint8_t>(v & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  const auto bits = std::bit_cast<std::uint32_t>(degrees);
  put16(4, static_cast<std::uint16_t>(bits & 0xFFFF));
  put16(6, static_cast<std::uint16_t>(bits >> 16));
  put16(8, degrees < 0 ? 1 : 0);
  put16(10, static_cast<std::uint16_t>(degrees < 0 ? -degrees : degrees));
  put16(12, minutes);
  put16(14, seconds);
  return bytes;
}

struct PositionCase {
  const char* legend;
  float degrees;
  std::uint16_t minutes;
  std::uint16_t seconds;
  const char* latitude;
  const char* longitude;
};

TEST(PositionText, WritesDegreesHemisphereMinutesAndSeconds) {
  const PositionCase cases[] = {
      {"northern and eastern", 45.5F, 30, 12, "45.50° Nord 30' 12\"", "45.50° Est 30' 12\""},
      {"sign moves into the word", -12.25F, 15, 0, "12.25° Sud 15' 0\"", "12.25° Ouest 15' 0\""},
      {"near zero has no word", 0.3F, 18, 0, "0.30°  18' 0\"", "0.30°  18' 0\""},
      {"small negative has no word nor sign", -0.3F, 18, 0, "0.30°  18' 0\"", "0.30°  18' 0\""},
      {"exactly half a degree", 0.5F, 30, 0, "0.50° Nord 30' 0\"", "0.50° Est 30' 0\""},
      {"exactly minus half a degree", -0.5F, 30, 0, "0.50° Sud 30' 0\"", "0.50° Ouest 30' 0\""},
      {"both words sixteen bits wide", -179.99F, 59, 59, "179.99° Sud 59' 59\"",
       "179.99° Ouest 59' 59\""},
  };
  for (const auto& c : cases) {
    const auto bytes = PositionBytes(c.degrees, c.minutes, c.seconds);
    EXPECT_EQ(LatitudeText(bytes), c.latitude) << c.legend;
    EXPECT_EQ(LongitudeText(bytes), c.longitude) << c.legend;
  }
}

TEST(PositionText, SecondsComeFromTheirOwnWordNotTheTrailingBytes) {
  // Reading the minutes as a 32-bit value would fold the seconds into them
  // (30 + 65536 * 12); bytes past the filled part must not matter either.
  auto bytes = PositionBytes(45.5F, 30, 12);
  bytes[16] = 0x7F;
  bytes[19] = 0x01;
  const auto decoded = DecodePositionRecord(bytes);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->minutes, 30);
  EXPECT_EQ(decoded->seconds, 12);
  EXPECT_EQ(decoded->whole_degrees, 45);
  EXPECT_EQ(LatitudeText(bytes), "45.50° Nord 30' 12\"");
}

// Coordinates keep their decimal point on a French desktop.
TEST(PositionText, DecimalPointWhateverTheLocale) {
  const testing::ScopedCommaLocale comma;
  ASSERT_TRUE(comma.active()) << comma.why_not();
  EXPECT_EQ(LatitudeText(PositionBytes(45.5F, 30, 12)), "45.50° Nord 30' 12\"");
  EXPECT_EQ(LongitudeText(PositionBytes(-1.25F, 5, 0)), "1.25° Ouest 5' 0\"");
}

TEST(PositionText, RecordShorterThanTheFilledPartIsRefused) {
  const auto bytes = PositionBytes(45.5F, 30, 12);
  const std::span<const std::uint8_t> short_record(bytes.data(), kPositionRecordFilled - 1);
  EXPECT_FALSE(DecodePositionRecord(short_record).has_value());
  EXPECT_EQ(LatitudeText(short_record), "---");
  EXPECT_EQ(LongitudeText(short_record), "---");
  const std::span<const std::uint8_t> filled(bytes.data(), kPositionRecordFilled);
  EXPECT_EQ(LatitudeText(filled), "45.50° Nord 30' 12\"");
}

struct CodeCase {
  const char* legend;
  std::string (*lookup)(int);
  int code;
  const char* text;
};

TEST(StationVocabularies, LookUpCodesWithTheirFallbacks) {
  const CodeCase cases[] = {
      {"Vue model", ModelText, 17, "VantageVue"},
      {"Pro family model", ModelText, 16, "VantagePro / VantagePro2 / Envoy / Envoy2"},
      {"unknown model", ModelText, 0, "---"},
      {"yes", YesNoText, 1, "Oui"},
      {"no", YesNoText, 0, "Non"},
      {"other flag value shown as number", YesNoText, -32768, "-32768"},
      {"large cups", WindCupText, 1, "Large"},
      {"small cups", WindCupText, 2, "Petite"},
      {"other cups", WindCupText, 3, "Autre"},
      {"cup code 0", WindCupText, 0, "---"},
      {"cup code 4", WindCupText, 4, "---"},
      {"first zone", TimeZoneText, 0, "Eniwetok, Kwajalein. (-12:00)"},
      {"zone with doubled period", TimeZoneText, 17, "Azores, Cape Verde Is.. (-01:00)"},
      {"zone with no-break space", TimeZoneText, 19,
       "Monrovia, Casablanca. (\xC2\xA0"
       "00:00)"},
      {"Paris zone", TimeZoneText, 21,
       "Paris, Madrid, Brussels, Copenhagen, W Central Africa. (+01:00)"},
      {"last zone", TimeZoneText, 46, "Wellington, Auckland. (+12:00)"},
      {"zone past the list", TimeZoneText, 47, ""},
      {"negative zone", TimeZoneText, -1, ""},
      {"no transmitter", TransmitterTypeText, 0, "Pas de transmetteur"},
      {"misspelt kind kept", TransmitterTypeText, 5,
       "Station ISS en mode humdité / température seulement"},
      {"last kind, misspelling kept", TransmitterTypeText, 12, "Console en mode retransimission"},
      {"kind past the table", TransmitterTypeText, 13, ""},
      {"negative kind", TransmitterTypeText, -1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.lookup(c.code), c.text) << c.legend;
}

TEST(StationVocabularies, TrickyBytesAreExact) {
  // A plain blank or a Windows-1252 byte in place of the UTF-8 sequence would
  // render wrongly or fail to match.
  const std::string zone = TimeZoneText(19);
  EXPECT_NE(zone.find("(\xC2\xA0"
                      "00:00)"),
            std::string::npos);
  EXPECT_EQ(zone.find("( 00"), std::string::npos);
  EXPECT_EQ(TimeZoneText(18), "Greenwich Mean Time, Dublin, Edinburgh, Lisbon, London. (00:00)");
  EXPECT_EQ(TransmitterTypeText(2), "Station de temp\xC3\xA9rature");
  EXPECT_EQ(DataItemLabel("BarRise"), "Hausse du barom\xC3\xA8tre");
  EXPECT_EQ(LatitudeText(PositionBytes(1.0F, 0, 0)).substr(4, 2), "\xC2\xB0");
}

}  // namespace
}  // namespace tv
