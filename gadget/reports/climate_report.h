#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "gadget/reports/climate_summary.h"
#include "lib/config/config_table.h"

namespace tv {

// "[REPORTS] Units" (US: °F, in, mph; anything else metric) and
// "[REPORTS] DegreeDayBase" (in the report's temperature unit; 18.3 °C or
// 65 °F when absent or not a number).
ReportSettings ReportSettingsFromConfig(const ConfigTable& config);

// What the header names when it is known: the station, its position as the
// console's configuration page writes it ("45° 46' Nord") and its elevation
// in feet (written in metres in a metric report).
struct ReportHeader {
  std::string station_name;
  std::string latitude;
  std::string longitude;
  std::optional<double> elevation_ft;
};

// A month (1..12) or, with month 0, a year.
struct ReportPeriod {
  int year = 0;
  int month = 0;
};
// "YYYY-MM" or "YYYY"; nullopt for anything else.
std::optional<ReportPeriod> ParseReportPeriod(std::string_view text);

enum class ReportFormat { kText, kCsv };
// ".txt" or ".csv" at the end of the name (any case); nullopt otherwise.
std::optional<ReportFormat> ReportFormatOfPath(std::string_view path);

// The reports as fixed-width UTF-8 text (every row the same columns, French
// headings, units in the header) and as RFC 4180 CSV with a header row.
std::string MonthText(const MonthSummary& month, const ReportSettings& settings,
                      const ReportHeader& header);
std::string MonthCsv(const MonthSummary& month);
std::string YearText(const YearSummary& year, const ReportSettings& settings,
                     const ReportHeader& header);
std::string YearCsv(const YearSummary& year);

// What making a report came to, as the command's exit code.
enum class ReportResult {
  kWritten = 0,
  kNothing = 1,        // no store, a store not readable, no record in the period
  kNotUnderstood = 2,  // a period or file name not understood
};

// The period's report from the store in the format asked; kNothing (and a
// French `message`) when the period has no record or the store fails.
ReportResult MakeClimateReport(ArchiveStore& store, const ReportPeriod& period, ReportFormat format,
                               const ReportSettings& settings, const ReportHeader& header,
                               std::string* contents, std::string* message);

// The period ("YYYY-MM" or "YYYY") of the store at `store_path`, opened
// read-only, written to `out_path` (".txt" or ".csv") completely or not at
// all. `message` receives what was done or why not, in French.
ReportResult WriteClimateReport(const std::string& store_path, std::string_view period_text,
                                const std::string& out_path, const ReportSettings& settings,
                                const ReportHeader& header, std::string* message);

}  // namespace tv
