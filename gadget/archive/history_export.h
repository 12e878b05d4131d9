#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gadget/archive/archive_store.h"

namespace tv {

// The rows as CSV (RFC 4180): a header line "console_time,utc," then the
// column names, one line per record; the console's local time
// "2026-12-07 14:05", the UTC time "2026-12-07T13:05:00Z", values in the
// window's units, a value without reading empty.
std::string HistoryCsv(const std::vector<HistoryRow>& rows);
// The same as JSON: {"units": {column: unit}, "records": [{"console_time",
// "utc", column: value or null ...}]}.
std::string HistoryJson(const std::vector<HistoryRow>& rows);

// Writes the records of the store at `store_path` whose time lies in
// [from_utc, to_utc] into `out_path` (".csv" or ".json"), completely or not
// at all, without changing the store. `message` receives what was done or
// why not, in French. True when the file was written.
bool ExportHistory(const std::string& store_path, std::int64_t from_utc, std::int64_t to_utc,
                   const std::string& out_path, std::string* message);

}  // namespace tv
