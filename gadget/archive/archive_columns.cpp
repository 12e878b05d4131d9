#include "gadget/archive/archive_columns.h"

#include <cmath>
#include <iterator>

#include "lib/common/unit_conversions.h"

namespace tv {
namespace {

enum class Conversion { kNone, kTemperature, kPressure, kRain, kSpeed };

struct ColumnDef {
  ArchiveColumnId id;
  Conversion conversion;
  float (*read)(const ArchiveRecord&);
};

constexpr ColumnDef kDefinitions[] = {
#define TV_ARCHIVE_COLUMN_DEF(id, name, unit, conversion, field, since) \
  {ArchiveColumnId::k##id, Conversion::conversion,                      \
   [](const ArchiveRecord& r) { return static_cast<float>(field); }},
    TV_ARCHIVE_COLUMNS(TV_ARCHIVE_COLUMN_DEF)
#undef TV_ARCHIVE_COLUMN_DEF
};
static_assert(std::size(kDefinitions) == kArchiveColumnCount);

constexpr bool IdsInOrder() {
  for (std::size_t i = 0; i < kArchiveColumnCount; ++i) {
    if (ColumnIndex(kDefinitions[i].id) != i || ColumnIndex(kArchiveColumns[i].id) != i) {
      return false;
    }
  }
  return true;
}
static_assert(IdsInOrder(), "each column's id is its place in the store");

float Convert(Conversion conversion, float value) {
  switch (conversion) {
    case Conversion::kTemperature:
      return FahrenheitToCelsius(value);
    case Conversion::kPressure:
      return InHgToHpa(value);
    case Conversion::kRain:
      return RainToMm(value);
    case Conversion::kSpeed:
      // Whole miles per hour on the wire, as the current conditions convert them.
      return std::isfinite(value) ? MphToKmh(static_cast<std::int32_t>(std::lround(value))) : value;
    case Conversion::kNone:
      break;
  }
  return value;
}

}  // namespace

const std::array<ArchiveColumn, kArchiveColumnCount>& ArchiveColumns() {
  return kArchiveColumns;
}

ArchiveValues ConvertArchiveRecord(const ArchiveRecord& record) {
  ArchiveValues values;
  for (std::size_t i = 0; i < kArchiveColumnCount; ++i) {
    const ColumnDef& def = kDefinitions[i];
    const float raw = def.read(record);
    if (!IsValidResult(raw)) continue;
    const float converted = Convert(def.conversion, raw);
    if (IsValidResult(converted)) values[i] = static_cast<double>(converted);
  }
  return values;
}

}  // namespace tv
