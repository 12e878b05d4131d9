#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "gadget/alerts/alarm_evaluator.h"
#include "gadget/alerts/sound_alert.h"
#include "gadget/archive/archive_catch_up.h"
#include "gadget/archive/archive_source.h"
#include "gadget/archive/archive_store.h"
#include "gadget/engine/activity_log.h"
#include "gadget/engine/collection_engine.h"
#include "gadget/engine/current_data_service.h"
#include "gadget/engine/service_times.h"
#include "gadget/engine/services.h"
#include "gadget/engine/station_port.h"
#include "gadget/engine/station_record.h"
#include "gadget/pages/activity_page.h"
#include "gadget/pages/display_refresh_thread.h"
#include "gadget/publish/mqtt_publisher.h"
#include "gadget/sound/sound_output.h"
#include "gadget/upload/upload_worker.h"
#include "gadget/window/window.h"
#include "lib/common/clock.h"
#include "lib/common/service_tables.h"
#include "lib/config/config_table.h"
#include "lib/config/language_pack.h"

namespace tv {

struct AgentOptions {
  // Each log line is also written there with a timestamp (nullptr: nowhere).
  std::ostream* log_copy = nullptr;
  // The console's operations; the station library when empty.
  std::unique_ptr<StationPort> station;
  // Called on the collection thread after each successful service run.
  std::function<void(std::string_view service)> after_service;
  // Called on the collection thread after each collection cycle.
  std::function<void()> after_cycle;
  // Called on the display refresh thread after each view it has drawn.
  std::function<void(std::string_view service)> after_view;
  // The language pack of the forecast sentences; "langue.pack" beside the
  // program when empty.
  std::string language_pack_path;
  // Where the alert sounds go; when empty and the alerts are active, the
  // output the environment names (MakeSoundOutputFromEnvironment).
  std::unique_ptr<SoundOutput> sound;
  // Where the console's archive comes from; the station library when empty.
  // With a `station` of its own and no source here, no archive is kept.
  std::unique_ptr<ArchiveSource> archive_source;
  // The archive store's file; the one the settings name when empty.
  std::string archive_path;
  // The settings file, checked for being readable by others when it holds
  // the MQTT password; IniPath() when empty.
  std::string settings_path;
};

// Everything of the agent behind its window, without Qt: the station record,
// the service tables, the activity log, the language pack, the display
// refresh thread, the collection engine and, with "ALERTS_Active" = "1",
// the alarm thread and its sound alerts, unless "ARCHIVE_Active" turns it
// off the archive catch-up on the collection thread with its store, and with
// "MQTT_Active" = "1" the MQTT publisher (a state after each successful
// collection of the current conditions, the alerts raised and cleared). The
// same assembly runs the
// desktop program, the agent without a window and the tests. The config, the
// window and the clock must outlive it.
class Agent {
 public:
  Agent(const ConfigTable& config, Window& window, Clock& clock = DefaultClock(),
        AgentOptions options = {});
  // Stops the worker threads and waits for them.
  ~Agent();
  Agent(const Agent&) = delete;
  Agent& operator=(const Agent&) = delete;

  // The start-up steps once the window is built: the displayed values put
  // into their empty look, then the first log line (the program's title).
  void Open();
  void ResetDisplay();
  void LogTitle();
  // Starts the worker threads: the MQTT publisher (when active), the display
  // refresh, then the collection, then (when the alerts are active) the
  // alarm thread.
  void Start();
  // The orderly quit: asks the worker threads to stop without waiting for
  // them, closes the link of the recorded kind on a side thread and waits for
  // that at most `wait`. True when the link was closed in time. The process
  // is meant to end right after.
  bool Quit(std::chrono::milliseconds wait);
  // Stops the worker threads and waits for them (tests, the agent without a
  // window); each ends within its current bounded station call.
  void Stop();
  // Sets the console's clock from the computer's in the next cycle that
  // reaches the console; the log says so now and tells the outcome then.
  void SetConsoleClock();
  // Writes the collected data to `path` (CSV when it ends in ".csv", JSON
  // otherwise) from a snapshot of the record, and logs the outcome with the
  // path (also given in `message`). True when the file was written. Any
  // thread; collection goes on.
  bool ExportData(const std::string& path, std::string* message = nullptr);

  const ConfigTable& config() const { return config_; }
  Window& window() { return window_; }
  ActivityLog& log() { return log_; }
  StationRecord& record() { return record_; }
  const StationRecord& record() const { return record_; }
  ServiceSchedule& schedule() { return schedule_; }
  ServiceFreshFlags& fresh_flags() { return flags_; }
  CollectionEngine& engine() { return *engine_; }
  DisplayRefreshThread& display_refresh() { return *display_refresh_; }
  LanguagePack& language() { return language_; }
  AlarmEvaluator& alarms() { return *alarms_; }
  // Null unless the alerts are active.
  SoundAlerts* sound_alerts() { return sound_alerts_.get(); }
  // Null when no archive is kept.
  ArchiveStore* archive_store() { return archive_store_.get(); }
  ArchiveCatchUp* archive() { return archive_.get(); }
  // Null unless MQTT publishing is active.
  MqttPublisher* publisher() { return publisher_.get(); }
  // One worker per weather network whose group has "Active" = "1".
  const std::vector<std::unique_ptr<UploadWorker>>& uploads() const { return uploads_; }

 private:
  const ConfigTable& config_;
  Window& window_;
  Clock& clock_;
  AgentOptions options_;
  LanguagePack language_;
  StationRecord record_;
  ServiceSchedule schedule_;
  ServiceFreshFlags flags_;
  ActivityPage activity_page_;
  ActivityLog log_;
  ServiceTimesList service_times_;
  ServiceContext context_;
  CurrentDataService current_data_;
  std::unique_ptr<ArchiveSource> archive_source_;
  std::unique_ptr<ArchiveStore> archive_store_;
  std::unique_ptr<ArchiveCatchUp> archive_;
  std::unique_ptr<CollectionEngine> engine_;
  std::unique_ptr<DisplayRefreshThread> display_refresh_;
  std::unique_ptr<SoundOutput> sound_;
  std::unique_ptr<SoundAlerts> sound_alerts_;
  std::unique_ptr<AlarmEvaluator> alarms_;
  std::unique_ptr<MqttPublisher> publisher_;
  std::string publisher_warning_;
  std::unique_ptr<HttpSender> upload_http_;
  std::unique_ptr<CwopSender> upload_cwop_;
  std::vector<std::unique_ptr<UploadWorker>> uploads_;
  std::vector<std::string> upload_warnings_;

  // What the publisher is given after a collection of the current
  // conditions (collection thread).
  StateInput PublishedState();
  // The weather networks' workers of the settings, not started.
  void MakeUploads();
  // The newest current conditions to each network (collection thread).
  void OfferUploads();
};

}  // namespace tv
