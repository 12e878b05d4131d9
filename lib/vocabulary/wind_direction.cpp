#include "lib/vocabulary/wind_direction.h"

#include <string>

namespace tv {
namespace {

struct Direction {
  std::string_view code;
  const char* name;
};

constexpr Direction kDirections[] = {
    {"N", "Nord"},
    {"NNE", "Nord / Nord-Est"},
    {"NE", "Nord-Est"},
    {"ENE", "Est / Nord-Est"},
    {"E", "Est"},
    {"ESE", "Est / Sud-Est"},
    {"SE", "Sud-Est"},
    {"SSE", "Sud / Sud-Est"},
    {"S", "Sud"},
    {"SSW", "Sud / Sud-Ouest"},
    {"SW", "Sud-Ouest"},
    {"WSW", "Ouest / Sud-Ouest"},
    {"W", "Ouest"},
    {"NW", "Nord-Ouest"},
    {"NNW", "Nord / Nord-Ouest"},
    {"WNW", "Ouest / Nord-Ouest"},
};

}  // namespace

std::string WindDirectionName(std::string_view code) {
  for (const Direction& direction : kDirections) {
    if (direction.code == code) return direction.name;
  }
  return "---";
}

}  // namespace tv
