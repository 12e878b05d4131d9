#include "gadget/reports/climate_report.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "gadget/export/atomic_file.h"
#include "lib/common/number_text.h"
#include "lib/vocabulary/wind_direction.h"

namespace tv {
namespace {

constexpr const char* kKeyUnits = "REPORTS_Units";
constexpr const char* kKeyDegreeDayBase = "REPORTS_DegreeDayBase";

const char* const kMonthNames[12] = {"janvier",   "février", "mars",     "avril",
                                     "mai",       "juin",    "juillet",  "août",
                                     "septembre", "octobre", "novembre", "décembre"};
const char* const kMonthShort[12] = {"janv.", "févr.", "mars",  "avr.", "mai",  "juin",
                                     "juil.", "août",  "sept.", "oct.", "nov.", "déc."};

std::string Two(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string Number(const std::optional<double>& value) {
  return value ? DecimalText(*value, 1) : std::string();
}

std::string Count(const std::optional<int>& value) {
  return value ? std::to_string(*value) : std::string();
}

std::string Whole(const std::optional<int>& value) {
  return value ? std::to_string(*value) : std::string();
}

std::string ExtremeValue(const std::optional<Extreme>& e) {
  return e ? DecimalText(e->value, 1) : std::string();
}

std::string ClockText(int minute) {
  return Two(minute / 60) + ":" + Two(minute % 60);
}

// The time of an extreme: "HH:MM" in a day's row, "DD HH:MM" in the month's.
std::string TimeText(const std::optional<Extreme>& e, bool with_day) {
  if (!e) return {};
  return (with_day ? Two(e->day) + " " : std::string()) + ClockText(e->minute);
}

// The day of an extreme: "DD" in a month's row, "MM-DD" in the year's.
std::string DayText(const std::optional<Extreme>& e, bool with_month) {
  if (!e) return {};
  return (with_month ? Two(e->month) + "-" : std::string()) + Two(e->day);
}

// The sixteen compass points, clockwise from north.
std::string CompassName(const std::optional<int>& degrees) {
  if (!degrees) return {};
  static const char* const kCodes[16] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                         "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  const int sector = static_cast<int>(std::floor((*degrees + 11.25) / 22.5)) % 16;
  return WindDirectionName(kCodes[sector]);
}

// ---- CSV -------------------------------------------------------------------

std::string CsvLine(const std::vector<std::string>& cells) {
  std::string out;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) out += ',';
    const std::string& cell = cells[i];
    if (cell.find_first_of(",\"\r\n") != std::string::npos) {
      out += '"';
      for (char c : cell) {
        if (c == '"') out += '"';
        out += c;
      }
      out += '"';
    } else {
      out += cell;
    }
  }
  out += "\r\n";
  return out;
}

// ---- Fixed-width text -------------------------------------------------------

// Characters, not bytes, of a UTF-8 text.
std::size_t Width(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++n;
  }
  return n;
}

struct TextColumn {
  std::string heading;
  std::size_t width;
  bool left = false;
};

class TextTable {
 public:
  explicit TextTable(std::vector<TextColumn> columns) : columns_(std::move(columns)) {
    for (auto& column : columns_) column.width = std::max(column.width, Width(column.heading));
    std::vector<std::string> headings;
    for (const auto& column : columns_) headings.push_back(column.heading);
    Add(headings);
  }
  void Add(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      const std::string cell = i < cells.size() ? cells[i] : std::string();
      const std::size_t w = Width(cell);
      const std::string pad(columns_[i].width > w ? columns_[i].width - w : 0, ' ');
      if (i > 0) line += "  ";
      line += columns_[i].left ? cell + pad : pad + cell;
    }
    text_ += line + "\n";
  }
  const std::string& text() const { return text_; }

 private:
  std::vector<TextColumn> columns_;
  std::string text_;
};

struct UnitNames {
  const char* temp;
  const char* rain;
  const char* wind;
};

UnitNames NamesOf(ReportUnits units) {
  if (units == ReportUnits::kUs) return {"°F", "in", "mph"};
  return {"°C", "mm", "km/h"};
}

std::string Header(const std::string& title, const ReportSettings& settings,
                   const ReportHeader& header) {
  std::string out = title + "\n";
  if (!header.station_name.empty()) out += "Station : " + header.station_name + "\n";
  std::string place;
  if (!header.latitude.empty() && !header.longitude.empty()) {
    place = "Position : " + header.latitude + ", " + header.longitude;
  }
  if (header.elevation_ft) {
    const bool us = settings.units == ReportUnits::kUs;
    place += (place.empty() ? "Altitude : " : ", altitude ") +
             DecimalText(us ? *header.elevation_ft : *header.elevation_ft * 0.3048, 0) +
             (us ? " ft" : " m");
  }
  if (!place.empty()) out += place + "\n";
  const UnitNames u = NamesOf(settings.units);
  out += std::string("Unités : température ") + u.temp + ", pluie " + u.rain + ", vent " + u.wind +
         " ; degrés-jours base " + DecimalText(settings.degree_day_base, 1) + " " + u.temp + "\n\n";
  return out;
}

std::string CountLines(const DayCounts& n, const ReportSettings& settings) {
  const bool us = settings.units == ReportUnits::kUs;
  const UnitNames u = NamesOf(settings.units);
  const std::vector<std::pair<std::string, std::optional<int>>> lines = {
      {std::string("Jours de maximum ≥ ") + (us ? "86 " : "30 ") + u.temp, n.max_ge_30},
      {std::string("Jours de maximum ≤ ") + (us ? "32 " : "0 ") + u.temp, n.max_le_0},
      {std::string("Jours de minimum ≤ ") + (us ? "32 " : "0 ") + u.temp, n.min_le_0},
      {std::string("Jours de minimum ≤ ") + (us ? "-4 " : "-20 ") + u.temp, n.min_le_m20},
      {std::string("Jours de pluie ≥ ") + (us ? "0.01 " : "0.3 ") + u.rain, n.rain_ge_0_3},
      {std::string("Jours de pluie ≥ ") + (us ? "0.1 " : "3 ") + u.rain, n.rain_ge_3},
      {std::string("Jours de pluie ≥ ") + (us ? "1 " : "30 ") + u.rain, n.rain_ge_30},
  };
  std::size_t width = 0;
  for (const auto& line : lines) width = std::max(width, Width(line.first));
  std::string out;
  for (const auto& [label, value] : lines) {
    out += label + std::string(width - Width(label), ' ') + " : " + Count(value) + "\n";
  }
  return out;
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[text.size() - tail.size() + i]);
    if (std::tolower(c) != tail[i]) return false;
  }
  return true;
}

std::string PeriodName(const ReportPeriod& period) {
  if (period.month == 0) return "l'année " + std::to_string(period.year);
  return std::string(kMonthNames[period.month - 1]) + " " + std::to_string(period.year);
}

}  // namespace

ReportSettings ReportSettingsFromConfig(const ConfigTable& config) {
  ReportSettings settings;
  std::string units = config.Value(kKeyUnits);
  for (auto& c : units) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const bool us = units == "US";
  settings.units = us ? ReportUnits::kUs : ReportUnits::kMetric;
  settings.degree_day_base = us ? 65.0 : 18.3;
  std::string base = config.Value(kKeyDegreeDayBase);
  for (auto& c : base) {
    if (c == ',') c = '.';
  }
  double value = 0;
  const auto [end, error] = std::from_chars(base.data(), base.data() + base.size(), value);
  if (!base.empty() && error == std::errc{} && end == base.data() + base.size() &&
      std::isfinite(value)) {
    settings.degree_day_base = value;
  }
  return settings;
}

std::optional<ReportPeriod> ParseReportPeriod(std::string_view text) {
  auto digits = [&](std::size_t from, std::size_t count, int* out) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
      if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
      value = value * 10 + (text[i] - '0');
    }
    *out = value;
    return true;
  };
  ReportPeriod period;
  if (text.size() != 4 && text.size() != 7) return std::nullopt;
  if (!digits(0, 4, &period.year) || period.year < 1970) return std::nullopt;
  if (text.size() == 7) {
    if (text[4] != '-' || !digits(5, 2, &period.month)) return std::nullopt;
    if (period.month < 1 || period.month > 12) return std::nullopt;
  }
  return period;
}

std::optional<ReportFormat> ReportFormatOfPath(std::string_view path) {
  const std::string_view name = path.substr(path.find_last_of('/') + 1);
  if (name.size() > 4 && EndsWithNoCase(name, ".txt")) return ReportFormat::kText;
  if (name.size() > 4 && EndsWithNoCase(name, ".csv")) return ReportFormat::kCsv;
  return std::nullopt;
}

std::string MonthCsv(const MonthSummary& month) {
  std::string out = CsvLine({"day", "mean_temp", "high_temp", "high_temp_time", "low_temp",
                             "low_temp_time", "heat_deg_days", "cool_deg_days", "rain", "avg_wind",
                             "high_wind", "high_wind_time", "dom_dir"});
  for (const DaySummary& d : month.days) {
    out += CsvLine({std::to_string(d.day), Number(d.mean_temp), ExtremeValue(d.high),
                    TimeText(d.high, false), ExtremeValue(d.low), TimeText(d.low, false),
                    Number(d.heat_deg_days), Number(d.cool_deg_days), Number(d.rain),
                    Number(d.avg_wind), ExtremeValue(d.high_wind), TimeText(d.high_wind, false),
                    Whole(d.dom_dir)});
  }
  const PeriodSummary& t = month.total;
  out += CsvLine({"month", Number(t.mean_temp), ExtremeValue(t.high), TimeText(t.high, true),
                  ExtremeValue(t.low), TimeText(t.low, true), Number(t.heat_deg_days),
                  Number(t.cool_deg_days), Number(t.rain), Number(t.avg_wind),
                  ExtremeValue(t.high_wind), TimeText(t.high_wind, true), Whole(t.dom_dir)});
  return out;
}

std::string MonthText(const MonthSummary& month, const ReportSettings& settings,
                      const ReportHeader& header) {
  std::string out = Header(
      "Relevé climatologique mensuel : " + PeriodName({month.year, month.month}), settings, header);
  TextTable table({{"Jour", 4, true},
                   {"Moy.", 6},
                   {"Max.", 6},
                   {"Heure", 8},
                   {"Min.", 6},
                   {"Heure", 8},
                   {"DJ chauf.", 6},
                   {"DJ clim.", 6},
                   {"Pluie", 6},
                   {"Vent moy.", 6},
                   {"Rafale", 6},
                   {"Heure", 8},
                   {"Direction", 18, true}});
  for (const DaySummary& d : month.days) {
    table.Add({Two(d.day), Number(d.mean_temp), ExtremeValue(d.high), TimeText(d.high, false),
               ExtremeValue(d.low), TimeText(d.low, false), Number(d.heat_deg_days),
               Number(d.cool_deg_days), Number(d.rain), Number(d.avg_wind),
               ExtremeValue(d.high_wind), TimeText(d.high_wind, false), CompassName(d.dom_dir)});
  }
  const PeriodSummary& t = month.total;
  table.Add({"Mois", Number(t.mean_temp), ExtremeValue(t.high), TimeText(t.high, true),
             ExtremeValue(t.low), TimeText(t.low, true), Number(t.heat_deg_days),
             Number(t.cool_deg_days), Number(t.rain), Number(t.avg_wind), ExtremeValue(t.high_wind),
             TimeText(t.high_wind, true), CompassName(t.dom_dir)});
  out += table.text() + "\n" + CountLines(t.counts, settings);
  return out;
}

namespace {

std::vector<std::string> YearCells(const std::string& label, const PeriodSummary& p,
                                   bool with_month, bool compass) {
  return {label,
          Number(p.mean_max),
          Number(p.mean_min),
          Number(p.mean_temp),
          Number(p.heat_deg_days),
          Number(p.cool_deg_days),
          ExtremeValue(p.high),
          DayText(p.high, with_month),
          ExtremeValue(p.low),
          DayText(p.low, with_month),
          Count(p.counts.max_ge_30),
          Count(p.counts.max_le_0),
          Count(p.counts.min_le_0),
          Count(p.counts.min_le_m20),
          Number(p.rain),
          ExtremeValue(p.wettest_day),
          DayText(p.wettest_day, with_month),
          Count(p.counts.rain_ge_0_3),
          Count(p.counts.rain_ge_3),
          Count(p.counts.rain_ge_30),
          Number(p.avg_wind),
          ExtremeValue(p.high_wind),
          DayText(p.high_wind, with_month),
          compass ? CompassName(p.dom_dir) : Whole(p.dom_dir)};
}

}  // namespace

std::string YearCsv(const YearSummary& year) {
  std::string out = CsvLine({"month",          "mean_max",         "mean_min",
                             "mean_temp",      "heat_deg_days",    "cool_deg_days",
                             "high_temp",      "high_temp_day",    "low_temp",
                             "low_temp_day",   "days_max_ge_30",   "days_max_le_0",
                             "days_min_le_0",  "days_min_le_m20",  "rain",
                             "max_day_rain",   "max_day_rain_day", "days_rain_ge_0_3",
                             "days_rain_ge_3", "days_rain_ge_30",  "avg_wind",
                             "high_wind",      "high_wind_day",    "dom_dir"});
  for (int m = 0; m < 12; ++m) {
    out += CsvLine(YearCells(std::to_string(m + 1), year.months[m], false, false));
  }
  out += CsvLine(YearCells("year", year.total, true, false));
  return out;
}

std::string YearText(const YearSummary& year, const ReportSettings& settings,
                     const ReportHeader& header) {
  const bool us = settings.units == ReportUnits::kUs;
  std::string out =
      Header("Relevé climatologique annuel : " + std::to_string(year.year), settings, header);
  TextTable table({{"Mois", 5, true},
                   {"Moy. max.", 6},
                   {"Moy. min.", 6},
                   {"Moy.", 6},
                   {"DJ chauf.", 6},
                   {"DJ clim.", 6},
                   {"Max.", 6},
                   {"Jour", 5},
                   {"Min.", 6},
                   {"Jour", 5},
                   {us ? "Max≥86" : "Max≥30", 3},
                   {us ? "Max≤32" : "Max≤0", 3},
                   {us ? "Min≤32" : "Min≤0", 3},
                   {us ? "Min≤-4" : "Min≤-20", 3},
                   {"Pluie", 6},
                   {"Pluie max.", 6},
                   {"Jour", 5},
                   {us ? "P≥0.01" : "P≥0.3", 3},
                   {us ? "P≥0.1" : "P≥3", 3},
                   {us ? "P≥1" : "P≥30", 3},
                   {"Vent moy.", 6},
                   {"Rafale", 6},
                   {"Jour", 5},
                   {"Direction", 18, true}});
  for (int m = 0; m < 12; ++m) table.Add(YearCells(kMonthShort[m], year.months[m], false, true));
  table.Add(YearCells("Année", year.total, true, true));
  out += table.text();
  return out;
}

ReportResult MakeClimateReport(ArchiveStore& store, const ReportPeriod& period, ReportFormat format,
                               const ReportSettings& settings, const ReportHeader& header,
                               std::string* contents, std::string* message) {
  auto say = [&](std::string text) {
    if (message != nullptr) *message = std::move(text);
  };
  bool any = false;
  bool read = false;
  if (period.month == 0) {
    YearSummary year;
    read = BuildYearSummary(store, period.year, settings, &year);
    any = read && year.total.has_records;
    if (any)
      *contents = format == ReportFormat::kCsv ? YearCsv(year) : YearText(year, settings, header);
  } else {
    MonthSummary month;
    read = BuildMonthSummary(store, period.year, period.month, settings, &month);
    any = read && month.total.has_records;
    if (any) {
      *contents =
          format == ReportFormat::kCsv ? MonthCsv(month) : MonthText(month, settings, header);
    }
  }
  if (!read) {
    say("Lecture de l'archive " + store.path() + " impossible : " + store.last_error());
    return ReportResult::kNothing;
  }
  if (!any) {
    say("Aucun enregistrement dans l'archive pour " + PeriodName(period) + ".");
    return ReportResult::kNothing;
  }
  return ReportResult::kWritten;
}

ReportResult WriteClimateReport(const std::string& store_path, std::string_view period_text,
                                const std::string& out_path, const ReportSettings& settings,
                                const ReportHeader& header, std::string* message) {
  auto say = [&](std::string text) {
    if (message != nullptr) *message = std::move(text);
  };
  const auto period = ParseReportPeriod(period_text);
  if (!period) {
    say("Période non comprise : " + std::string(period_text) + " (attendu AAAA-MM ou AAAA).");
    return ReportResult::kNotUnderstood;
  }
  const auto format = ReportFormatOfPath(out_path);
  if (!format) {
    say("Le nom du fichier doit finir par .txt ou .csv : " + out_path);
    return ReportResult::kNotUnderstood;
  }
  std::error_code ec;
  if (!std::filesystem::exists(store_path, ec)) {
    say("Aucune archive : " + store_path + " n'existe pas.");
    return ReportResult::kNothing;
  }
  ArchiveStore store(store_path, StoreOptions{.read_only = true});
  if (store.Open() != StoreStatus::kOk) {
    say("Lecture de l'archive " + store_path + " impossible : " + store.last_error());
    return ReportResult::kNothing;
  }
  std::string contents;
  const ReportResult result =
      MakeClimateReport(store, *period, *format, settings, header, &contents, message);
  if (result != ReportResult::kWritten) return result;
  std::string error;
  if (!WriteFileAtomically(out_path, contents, &error)) {
    say("Impossible d'écrire " + out_path + " : " + error);
    return ReportResult::kNothing;
  }
  say("Relevé climatologique de " + PeriodName(*period) + " écrit dans " + out_path);
  return ReportResult::kWritten;
}

}  // namespace tv
