#include "gadget/export/exporter.h"

#include <exception>

#include "gadget/export/atomic_file.h"
#include "gadget/export/data_export.h"
#include "lib/common/app_values.h"

namespace tv {

std::vector<std::string> ForecastSentences(std::string_view list, LanguagePack& language) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t end = list.find(';'); end != std::string_view::npos;
       end = list.find(';', start)) {
    out.push_back(language.Text("PREV_METEO_" + std::string(list.substr(start, end - start))));
    start = end + 1;
  }
  return out;
}

std::string ExportDoneText(const std::string& path) {
  return "Données exportées dans " + path;
}

std::string ExportFailedText(const std::string& path, const std::string& reason) {
  return "Échec de l'export des données vers " + path + " : " + reason;
}

bool ExportCollectedData(const StationRecord& record, const ServiceSchedule& schedule,
                         LanguagePack& language, ActivityLog& log, long long now_seconds,
                         const std::string& path, std::string* message) {
  std::string error;
  bool written = false;
  try {
    const StationData data = record.Snapshot();
    ExportSource source{.data = data,
                        .collected = {},
                        .forecast_sentences = ForecastSentences(data.Forecast.Text, language),
                        .program = AppTitle(),
                        .exported_at = now_seconds};
    for (const ServiceSchedule::Entry& e : schedule.Entries()) {
      if (e.next_run > 0) source.collected.insert(e.name);
    }
    const std::vector<ExportValue> values = ExportValues(source);
    const std::string contents =
        ExportFormatFor(path) == ExportFormat::kCsv ? ExportCsv(values) : ExportJson(values);
    written = WriteFileAtomically(path, contents, &error);
  } catch (const std::exception& e) {
    error = e.what();
  }
  const std::string line = written ? ExportDoneText(path) : ExportFailedText(path, error);
  log.Notify(line);
  if (message != nullptr) *message = line;
  return written;
}

}  // namespace tv
