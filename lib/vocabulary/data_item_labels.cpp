#include "lib/vocabulary/data_item_labels.h"

#include <string>
#include <unordered_map>

namespace tv {
namespace {

struct LabelRow {
  const char* key;  // upper-case item name without index
  int index_count;  // 0: a plain key; n: keys KEY[0] ... KEY[n-1]
  const char* label;
};

// The extra sensors reuse the labels of the outside sensor; there is no high
// leaf wetness item.
constexpr LabelRow kLabelRows[] = {
    {"BARRISE", 0, "Hausse du baromètre"},
    {"BARFALL", 0, "Baisse du baromètre"},
    {"TIME", 0, "Date"},
    {"TIMESTR", 0, "Date texte"},
    {"INSIDELOWTEMP", 0, "Température intérieur en baisse"},
    {"INSIDEHITEMP", 0, "Température intérieur en hausse"},
    {"OUTSIDELOWTEMP", 0, "Température extérieur en baisse"},
    {"OUTSIDEHITEMP", 0, "Température extérieur en hausse"},
    {"LOWINSIDEHUM", 0, "Humidité intérieur en baisse"},
    {"HIINSIDEHUM", 0, "Humidité intérieur en hausse"},
    {"LOWOUTSIDEHUM", 0, "Humidité extérieur en baisse"},
    {"HIOUTSIDEHUM", 0, "Humidité extérieur en hausse"},
    {"LOWWINDCHILL", 0, "Température ressentis en baisse"},
    {"LOWDEWPT", 0, "Point de rosé en baisse"},
    {"HIDEWPT", 0, "Point de rosé en hausse"},
    {"HISOLARRAD", 0, "Rayonnement solaire en hausse"},
    {"HIWINDSPEED", 0, "Vitesse du vent en hausse"},
    {"HI10MINWINDSPEED", 0, "Vitesse moyenne du vent sur 10 minutes en hause"},
    {"HIHEATINDEX", 0, "Chaleur ressentis en hausse"},
    {"HITHSW", 0, "Indice THSV en hausse"},
    {"HIRAINRATE", 0, "Vitesse de précipitation de la pluie en hausse"},
    {"HIDAILYRAIN", 0, "Quantité de pluie par jour en hausse"},
    {"HIRAINSTORM", 0, "Quantité de pluie pour la saison des pluies en hausse"},
    {"FLASHFLOOD", 0, "risque d'inondation"},
    {"HIUV", 0, "Index UV en hause"},
    {"HIUVMED", 0, "Quantité d'UV en hausse"},
    {"LOWEXTRATEMP", 7, "Température extérieur en baisse"},
    {"HIEXTRATEMP", 7, "Température extérieur en hausse"},
    {"LOWEXTRAHUM", 7, "Humidité extérieur en baisse"},
    {"HIEXTRAHUM", 7, "Humidité extérieur en hausse"},
    {"LOWSOILTEMP", 4, "Température du sol en baisse"},
    {"HISOILTEMP", 4, "Température du sol en hausse"},
    {"LOWSOILMOISTURE", 4, "Humidité du sol en baisse"},
    {"HISOILMOISTURE", 4, "Humidité du sol en hausse"},
    {"LOWLEAFTEMP", 2, "Température du feuillage en baisse"},
    {"HILEAFTEMP", 2, "Température du feuillage en hausse"},
    {"LOWLEAFWET", 2, "Humidité du feuillage en baisse"},
};

const std::unordered_map<std::string, std::string>& LabelTable() {
  static const auto* const table = [] {
    auto* t = new std::unordered_map<std::string, std::string>();
    for (const LabelRow& row : kLabelRows) {
      if (row.index_count == 0) {
        t->emplace(row.key, row.label);
        continue;
      }
      for (int i = 0; i < row.index_count; ++i) {
        t->emplace(std::string(row.key) + "[" + std::to_string(i) + "]", row.label);
      }
    }
    return t;
  }();
  return *table;
}

}  // namespace

std::string DataItemLabel(std::string_view item_name) {
  std::string key(item_name);
  // ASCII upper-casing is enough: every key is plain ASCII, so a name holding
  // any other character can never match anyway.
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  const auto& table = LabelTable();
  const auto it = table.find(key);
  return it == table.end() ? std::string() : it->second;
}

}  // namespace tv
