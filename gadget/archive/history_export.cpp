#include "gadget/archive/history_export.h"

#include <charconv>
#include <ctime>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <system_error>

#include "gadget/export/atomic_file.h"

namespace tv {
namespace {

std::string UtcText(std::int64_t utc) {
  const auto seconds = static_cast<std::time_t>(utc);
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

std::string NumberText(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  if (text.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    const char c = text[text.size() - tail.size() + i];
    if (static_cast<char>(c | 0x20) != tail[i]) return false;
  }
  return true;
}

}  // namespace

std::string HistoryCsv(const std::vector<HistoryRow>& rows) {
  std::string out = "console_time,utc";
  for (const auto& column : ArchiveColumns()) {
    out += ',';
    out += column.name;
  }
  out += "\r\n";
  for (const auto& row : rows) {
    out += FormatConsoleStamp(row.stamp);
    out += ',';
    out += UtcText(row.utc);
    for (const auto& value : row.values) {
      out += ',';
      if (value) out += NumberText(*value);
    }
    out += "\r\n";
  }
  return out;
}

std::string HistoryJson(const std::vector<HistoryRow>& rows) {
  nlohmann::ordered_json units = nlohmann::ordered_json::object();
  for (const auto& column : ArchiveColumns()) units[std::string(column.name)] = column.unit;
  nlohmann::ordered_json records = nlohmann::ordered_json::array();
  for (const auto& row : rows) {
    nlohmann::ordered_json record;
    record["console_time"] = FormatConsoleStamp(row.stamp);
    record["utc"] = UtcText(row.utc);
    for (std::size_t i = 0; i < kArchiveColumnCount; ++i) {
      const std::string name(ArchiveColumns()[i].name);
      if (row.values[i]) {
        record[name] = *row.values[i];
      } else {
        record[name] = nullptr;
      }
    }
    records.push_back(std::move(record));
  }
  nlohmann::ordered_json doc;
  doc["units"] = std::move(units);
  doc["records"] = std::move(records);
  return doc.dump(1) + "\n";
}

bool ExportHistory(const std::string& store_path, std::int64_t from_utc, std::int64_t to_utc,
                   const std::string& out_path, std::string* message) {
  auto say = [&](std::string text) {
    if (message != nullptr) *message = std::move(text);
  };
  const bool csv = EndsWith(out_path, ".csv");
  if (!csv && !EndsWith(out_path, ".json")) {
    say("Le nom du fichier doit finir par .csv ou .json : " + out_path);
    return false;
  }
  if (from_utc > to_utc) {
    say("Le début de la période est après sa fin.");
    return false;
  }
  std::error_code ec;
  if (!std::filesystem::exists(store_path, ec)) {
    say("Aucune archive à exporter : " + store_path + " n'existe pas.");
    return false;
  }
  // Read-only, beside the agent writing: a reader in WAL waits for no writer,
  // but a moment's lock (the journal's index being rebuilt) is waited out.
  ArchiveStore store(store_path, StoreOptions{.busy_timeout_ms = 5000, .read_only = true});
  std::vector<HistoryRow> rows;
  StoreStatus status = store.Open();
  if (status == StoreStatus::kOk) status = store.Range(from_utc, to_utc, &rows);
  if (status != StoreStatus::kOk) {
    say("Lecture de l'archive " + store_path + " impossible : " + store.last_error());
    return false;
  }
  std::string error;
  if (!WriteFileAtomically(out_path, csv ? HistoryCsv(rows) : HistoryJson(rows), &error)) {
    say("Impossible d'écrire " + out_path + " : " + error);
    return false;
  }
  say(std::to_string(rows.size()) + " enregistrements exportés dans " + out_path);
  return true;
}

}  // namespace tv
