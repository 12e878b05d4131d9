#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "lib/station/archive_operations.h"

namespace tv {

// One measured quantity of an archive record as the store keeps it: its
// column name (also the name in the exported files) and its unit, the units
// the window shows (°C, hPa, km/h, mm).
struct ArchiveColumn {
  std::string_view name;
  std::string_view unit;
  // The store's layout version that brought the column.
  int since = 1;
};

inline constexpr std::size_t kArchiveColumnCount = 37;

// Every stored quantity, in the order of the store's columns.
const std::array<ArchiveColumn, kArchiveColumnCount>& ArchiveColumns();

// The record's values in ArchiveColumns() order, converted from the console's
// units; a value the console had no reading for (rejected by IsValidResult)
// is empty.
using ArchiveValues = std::array<std::optional<double>, kArchiveColumnCount>;
ArchiveValues ConvertArchiveRecord(const ArchiveRecord& record);

}  // namespace tv
