#include "lib/vocabulary/station_config_text.h"

#include <bit>
#include <charconv>
#include <cstdio>
#include <string>

namespace tv {
namespace {

// Index 19 holds a no-break space (U+00A0) before "00:00)", as the console
// software writes it.
constexpr const char* kTimeZones[] = {
    "Eniwetok, Kwajalein. (-12:00)",
    "Midway Island, Samoa. (-11:00)",
    "Hawaii. (-10:00)",
    "Alaska. (-09:00)",
    "Pacific Time, Tijuana. (-08:00)",
    "Mountain Time. (-07:00)",
    "Central Time. (-06:00)",
    "Mexico City. (-06:00)",
    "Central America. (-06:00)",
    "Bogota, Lima, Quito. (-05:00)",
    "Eastern Time. (-05:00)",
    "Atlantic Time. (-04:00)",
    "Caracas, La Paz, Santiago. (-04:00)",
    "Newfoundland. (-03:30)",
    "Brasilia. (-03:00)",
    "Buenos Aires, Georgetown, Greenland. (-03:00)",
    "Mid-Atlantic. (-02:00)",
    "Azores, Cape Verde Is.. (-01:00)",
    "Greenwich Mean Time, Dublin, Edinburgh, Lisbon, London. (00:00)",
    ("Monrovia, Casablanca. (\xC2\xA0"
     "00:00)"),
    "Berlin, Rome, Amsterdam, Bern, Stockholm, Vienna. (+01:00)",
    "Paris, Madrid, Brussels, Copenhagen, W Central Africa. (+01:00)",
    "Prague, Belgrade, Bratislava, Budapest, Ljubljana. (+01:00)",
    "Athens, Helsinki, Istanbul, Minsk, Riga, Tallinn. (+02:00)",
    "Cairo. (+02:00)",
    "Eastern Europe, Bucharest. (+02:00)",
    "Harare, Pretoria. (+02:00)",
    "Israel, Jerusalem. (+02:00)",
    "Baghdad, Kuwait, Nairobi, Riyadh. (+03:00)",
    "Moscow, St. Petersburg, Volgograd. (+03:00)",
    "Tehran. (+03:30)",
    "Abu Dhabi, Muscat, Baku, Tblisi, Yerevan, Kazan. (+04:00)",
    "Kabul. (+04:30)",
    "Islamabad, Karachi, Ekaterinburg, Tashkent. (+05:00)",
    "Bombay, Calcutta, Madras, New Delhi, Chennai. (+05:30)",
    "Almaty, Dhaka, Colombo, Novosibirsk, Astana. (+06:00)",
    "Bangkok, Jakarta, Hanoi, Krasnoyarsk. (+07:00)",
    "Beijing, Chongqing, Urumqi, Irkutsk, Ulaan Bataar. (+08:00)",
    "Hong Kong, Perth, Singapore, Taipei, Kuala Lumpur. (+08:00)",
    "Tokyo, Osaka, Sapporo, Seoul, Yakutsk. (+09:00)",
    "Adelaide. (+09:30)",
    "Darwin. (+09:30)",
    "Brisbane, Melbourne, Sydney, Canberra. (+10:00)",
    "Hobart, Guam, Port Moresby, Vladivostok. (+10:00)",
    "Magadan, Solomon Is, New Caledonia. (+11:00)",
    "Fiji, Kamchatka, Marshall Is.. (+12:00)",
    "Wellington, Auckland. (+12:00)",
};

constexpr const char* kTransmitterTypes[] = {
    "Pas de transmetteur",
    "Station ISS",
    "Station de température",
    "Station d'humidité / température",
    "Station ISS en mode température seul",
    "Station ISS en mode humdité / température seulement",
    "Station d'humiditié et/ou température en mode station ISS",
    "Transmetteur d'anémomètre",
    "Transmetteur d'humidité et température du feuillage",
    "Transmetteur humidité / température du sol",
    "Station Foliaire / Humus",
    "Transmetteur SensorLink",
    "Console en mode retransimission",
};

std::uint16_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::string PositionText(const PositionRecord& position, const char* positive_word,
                         const char* negative_word) {
  // Written with a decimal point whatever the process locale.
  char degrees[64];
  const auto [end, error] =
      std::to_chars(degrees, degrees + sizeof degrees, static_cast<double>(position.degrees),
                    std::chars_format::fixed, 2);
  // The sign is carried by the hemisphere word only.
  std::string text;
  if (error == std::errc{}) {
    for (const char* p = degrees; p != end; ++p) {
      if (*p != '-') text += *p;
    }
  }
  const char* word = "";
  if (position.degrees >= 0.5F) {
    word = positive_word;
  } else if (position.degrees <= -0.5F) {
    word = negative_word;
  }
  text += "° ";
  text += word;
  text += ' ';
  text += std::to_string(position.minutes);
  text += "' ";
  text += std::to_string(position.seconds);
  text += '"';
  return text;
}

}  // namespace

std::optional<PositionRecord> DecodePositionRecord(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kPositionRecordFilled) return std::nullopt;
  PositionRecord position;
  const std::uint32_t bits = static_cast<std::uint32_t>(Word(bytes, 4)) |
                             (static_cast<std::uint32_t>(Word(bytes, 6)) << 16);
  position.degrees = std::bit_cast<float>(bits);
  position.south_or_west = Word(bytes, 8);
  position.whole_degrees = Word(bytes, 10);
  // Minutes and seconds are 16-bit words; bytes 16-19 are never written.
  position.minutes = Word(bytes, 12);
  position.seconds = Word(bytes, 14);
  return position;
}

std::string LatitudeText(const PositionRecord& position) {
  return PositionText(position, "Nord", "Sud");
}

std::string LongitudeText(const PositionRecord& position) {
  return PositionText(position, "Est", "Ouest");
}

std::string LatitudeText(std::span<const std::uint8_t> record) {
  const auto position = DecodePositionRecord(record);
  return position ? LatitudeText(*position) : "---";
}

std::string LongitudeText(std::span<const std::uint8_t> record) {
  const auto position = DecodePositionRecord(record);
  return position ? LongitudeText(*position) : "---";
}

std::string ModelText(int model) {
  switch (model) {
    case 16:
      return "VantagePro / VantagePro2 / Envoy / Envoy2";
    case 17:
      return "VantageVue";
    default:
      return "---";
  }
}

std::string YesNoText(int value) {
  switch (value) {
    case 1:
      return "Oui";
    case 0:
      return "Non";
    default:
      return std::to_string(value);
  }
}

std::string WindCupText(int code) {
  switch (code) {
    case 1:
      return "Large";
    case 2:
      return "Petite";
    case 3:
      return "Autre";
    default:
      return "---";
  }
}

std::string TimeZoneText(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kTimeZones))) return {};
  return kTimeZones[index];
}

std::string TransmitterTypeText(int code) {
  if (code < 0 || code >= static_cast<int>(std::size(kTransmitterTypes))) return {};
  return kTransmitterTypes[code];
}

}  // namespace tv
