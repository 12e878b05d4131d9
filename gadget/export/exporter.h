#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gadget/engine/activity_log.h"
#include "gadget/engine/station_record.h"
#include "lib/common/service_tables.h"
#include "lib/config/language_pack.h"

namespace tv {

// The collected data written to a file, for menu entry 3 and the headless
// --export. Takes one snapshot of `record` (the collection goes on
// meanwhile: the record's lock is held only for the copy), writes it as CSV
// when `path` ends in ".csv" and as JSON otherwise, atomically, and reports
// the outcome with the path through `log`. Groups of services that have not
// yet succeeded (per `schedule`) are exported as missing values. True when
// the file was written; `message` (when given) receives the line logged.
// Safe to call from any thread.
bool ExportCollectedData(const StationRecord& record, const ServiceSchedule& schedule,
                         LanguagePack& language, ActivityLog& log, long long now_seconds,
                         const std::string& path, std::string* message = nullptr);

// The sentences of a forecast's numbers ("8;29;"), in order.
std::vector<std::string> ForecastSentences(std::string_view list, LanguagePack& language);

// The log line of a written export, and of a failed one.
std::string ExportDoneText(const std::string& path);
std::string ExportFailedText(const std::string& path, const std::string& reason);

}  // namespace tv
