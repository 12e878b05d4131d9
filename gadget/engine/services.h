#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "gadget/engine/activity_log.h"
#include "gadget/engine/collection_engine.h"
#include "gadget/engine/station_record.h"
#include "lib/common/clock.h"
#include "lib/config/config_table.h"

namespace tv {

// What every collection service works with; all of it must outlive the
// services.
struct ServiceContext {
  const ConfigTable& config;
  Clock& clock;
  StationRecord& record;
  ActivityLog& log;
};

// Copies the records of the day, month and year (library units).
int RunHiLowService(ServiceContext& context);
// Reads the console's alarm thresholds.
int RunAlarmService(ServiceContext& context);
// Reads the console's configuration; its values are kept even when one of
// the structured reads fails (the run then fails).
int RunConfigStationService(ServiceContext& context);
// Reads the calibration record and the wind direction offset.
int RunCalibrationService(ServiceContext& context);

class CurrentDataService;

// The five services by name, as the engine runs them. `current_data` must
// outlive the table.
ServiceTable MakeServiceTable(ServiceContext& context, CurrentDataService& current_data);

// The leading decimal number of a text ("12.7V" → 12.7), 0 when there is none.
float LeadingDecimal(std::string_view text);

}  // namespace tv
