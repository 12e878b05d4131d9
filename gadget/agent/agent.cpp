#include "gadget/agent/agent.h"

#include <algorithm>
#include <utility>

#include "gadget/alerts/rain_notify.h"
#include "gadget/archive/archive_settings.h"
#include "gadget/display/current_conditions.h"
#include "gadget/display/state_indicators.h"
#include "gadget/export/exporter.h"
#include "gadget/pages/alarm_thresholds_page.h"
#include "gadget/pages/calibration_page.h"
#include "gadget/pages/records_page.h"
#include "gadget/pages/station_config_page.h"
#include "gadget/publish/mqtt_settings.h"
#include "gadget/upload/upload_settings.h"
#include "lib/common/app_values.h"
#include "lib/config/config_keys.h"

namespace tv {
namespace {

std::string LanguagePackFile(const AgentOptions& options) {
  return options.language_pack_path.empty() ? LanguagePackPath() : options.language_pack_path;
}

}  // namespace

Agent::Agent(const ConfigTable& config, Window& window, Clock& clock, AgentOptions options)
    : config_(config),
      window_(window),
      clock_(clock),
      options_(std::move(options)),
      language_(LanguagePackFile(options_)),
      activity_page_(window),
      log_(activity_page_, config, clock, options_.log_copy),
      service_times_(activity_page_),
      context_{config, clock, record_, log_},
      current_data_(context_) {
  const bool library_station = !options_.station;
  if (library_station) options_.station = std::make_unique<LibraryStationPort>();
  if (ArchiveEnabled(config_) && (library_station || options_.archive_source)) {
    archive_source_ = options_.archive_source ? std::move(options_.archive_source)
                                              : std::make_unique<LibraryArchiveSource>();
    // Opened by the first turn of the catch-up, on the collection thread.
    archive_store_ = std::make_unique<ArchiveStore>(
        options_.archive_path.empty() ? ArchiveStorePath(config_) : options_.archive_path);
    archive_ = std::make_unique<ArchiveCatchUp>(ArchiveCatchUpParts{
        .source = *archive_source_,
        .store = *archive_store_,
        .clock = clock_,
        .log = [this](std::string_view line) { log_.Notify(line); },
        .archive_period_minutes =
            [this] { return static_cast<int>(record_.Snapshot().Config.ArchivePeriod); },
    });
  }
  RegisterServices(kServiceList, config_, schedule_, flags_);

  MqttSettings mqtt = ReadMqttSettings(config_);
  if (mqtt.active) {
    if (!mqtt.password.empty()) {
      publisher_warning_ =
          PasswordFileWarning(options_.settings_path.empty() ? IniPath() : options_.settings_path);
    }
    publisher_ = std::make_unique<MqttPublisher>(
        std::move(mqtt), clock_, [this](std::string_view line) { log_.Notify(line); });
  }

  MakeUploads();

  ServiceTable services = MakeServiceTable(context_, current_data_);
  if (options_.after_service || publisher_ || !uploads_.empty()) {
    for (auto& [name, run] : services) {
      run = [this, service = name, inner = std::move(run)] {
        const int result = inner();
        if (result != 1) return result;
        // A copy for the publishing thread; it never waits for the broker.
        if (publisher_ && service == "CurrentData") publisher_->OfferState(PublishedState());
        // The networks' workers likewise never hold back the collection.
        if (!uploads_.empty() && service == "CurrentData") OfferUploads();
        if (options_.after_service) options_.after_service(service);
        return result;
      };
    }
  }
  engine_ = std::make_unique<CollectionEngine>(EngineParts{
      .config = config_,
      .clock = clock_,
      .station = *options_.station,
      .record = record_,
      .schedule = schedule_,
      .fresh_flags = flags_,
      .log = log_,
      .service_times = service_times_,
      .services = std::move(services),
      .show_link_state = [this](int state) { ShowLinkState(window_, state); },
      // The station page's last collection shows the console's clock.
      .show_clock_tooltip =
          [this](std::string_view text) { window_.SetTooltip(Field::LastCollectValue, text); },
      // The alarm thread evaluates at the end of each cycle.
      .after_cycle =
          [this] {
            alarms_->CycleEnded();
            if (options_.after_cycle) options_.after_cycle();
          },
      .background_work = archive_
                             ? std::function<void(const BackgroundTurn&)>(
                                   [this](const BackgroundTurn& turn) { archive_->RunTurn(turn); })
                             : nullptr,
  });

  // Each view reads one snapshot of the record, taken on the refresh thread,
  // and draws it in one batch of window calls.
  const auto batched = [this](void (*draw)(Window&, const StationData&)) {
    return [this, draw] {
      const StationData data = record_.Snapshot();
      window_.Batch([&] { draw(window_, data); });
    };
  };
  DisplayViews views{
      .reset = [this] { window_.Batch([this] { ResetDisplayedValues(window_); }); },
      .current_data =
          [this] {
            ShowCurrentConditions(window_, record_.Snapshot(), language_, [this](float rain_rate) {
              RainNotify(window_, config_, clock_, rain_rate);
            });
          },
      .config_station = batched(&RefreshStationConfigPage),
      .hi_low = batched(&RefreshRecordsPage),
      .calibration = batched(&RefreshCalibrationPage),
      .alarm = batched(&RefreshAlarmThresholdsPage),
  };
  display_refresh_ = std::make_unique<DisplayRefreshThread>(
      clock_, record_, flags_, std::move(views), options_.after_view,
      [this](std::string_view line) { log_.Notify(line); });

  if (config_.Flag(kKeyAlertsActive)) {
    sound_ = options_.sound ? std::move(options_.sound) : MakeSoundOutputFromEnvironment(clock_);
    sound_alerts_ = std::make_unique<SoundAlerts>(
        *sound_, [this](std::string_view line) { log_.Notify(line); });
  }
  alarms_ = std::make_unique<AlarmEvaluator>(config_, clock_, record_, window_, sound_alerts_.get(),
                                             [this](std::string_view line) { log_.Notify(line); });
  if (publisher_) {
    alarms_->SetFoundListener(
        [this](const std::vector<FoundAlarm>& found) { publisher_->OfferAlarms(found); });
  }
}

StateInput Agent::PublishedState() {
  StateInput state{.data = record_.Snapshot(),
                   .collected = {},
                   .records = schedule_.Contains("HiLow"),
                   .forecast_sentences = {},
                   .collected_at = clock_.NowSeconds()};
  state.forecast_sentences = ForecastSentences(state.data.Forecast.Text, language_);
  for (const ServiceSchedule::Entry& e : schedule_.Entries()) {
    if (e.next_run > 0) state.collected.insert(e.name);
  }
  // Called from within its first run, before its next run is set.
  state.collected.insert("CurrentData");
  return state;
}

void Agent::MakeUploads() {
  bool secret = false;
  for (const Network network : kNetworks) {
    UploadSettings settings = ReadUploadSettings(config_, network);
    if (!settings.active) continue;
    if (const std::string warning = PlainHttpWarning(settings); !warning.empty()) {
      upload_warnings_.push_back(warning);
    }
    secret = secret || (network != Network::kCwop ? !settings.password.empty()
                                                  : settings.password != kCwopDefaultPasscode);
    if (network == Network::kCwop && !upload_cwop_) upload_cwop_ = MakeTcpCwopSender();
    if (network != Network::kCwop && !upload_http_) {
      upload_http_ = MakeCurlSender("teskaro-ventaro/" + AppVersion());
    }
    uploads_.push_back(std::make_unique<UploadWorker>(UploadWorkerParts{
        .settings = std::move(settings),
        .clock = clock_,
        .http = upload_http_.get(),
        .cwop = upload_cwop_.get(),
        .log = [this](std::string_view line) { log_.Notify(line); },
        .notify =
            [this](std::string_view text) {
              // With a balloon for every log line, the log's is enough.
              if (!config_.Flag(kKeyGeneralNotify)) {
                window_.ShowBalloon(AppTitle(), text, kBalloonWarning, 10);
              }
            },
        .program = "teskaro-ventaro",
        .version = AppVersion(),
    }));
  }
  if (secret) {
    const std::string warning =
        KeyFileWarning(options_.settings_path.empty() ? IniPath() : options_.settings_path);
    if (!warning.empty()) upload_warnings_.push_back(warning);
  }
}

void Agent::OfferUploads() {
  const StationData data = record_.Snapshot();
  const UploadConditions conditions = ConditionsOf(data.CurrentData, clock_.Now());
  const std::optional<double> latitude = PositionOfText(data.Config.LatitudeText);
  const std::optional<double> longitude = PositionOfText(data.Config.LongitudeText);
  for (const auto& upload : uploads_) upload->Offer(conditions, latitude, longitude);
}

Agent::~Agent() {
  Stop();
}

void Agent::Open() {
  ResetDisplay();
  LogTitle();
}

void Agent::ResetDisplay() {
  ResetDisplayedValues(window_);
}

void Agent::LogTitle() {
  log_.Notify(AppTitle());
}

void Agent::Start() {
  if (publisher_) {
    if (!publisher_warning_.empty()) log_.Notify(publisher_warning_);
    publisher_->Start();
  }
  for (const std::string& warning : upload_warnings_) log_.Notify(warning);
  for (const auto& upload : uploads_) upload->Start();
  display_refresh_->Start();
  engine_->Start();
  if (config_.Flag(kKeyAlertsActive)) alarms_->Start();
}

bool Agent::Quit(std::chrono::milliseconds wait) {
  display_refresh_->RequestStop();
  engine_->RequestStop();
  alarms_->RequestStop();
  if (publisher_) publisher_->RequestStop();
  for (const auto& upload : uploads_) upload->RequestStop();
  const auto ms = std::clamp<long long>(wait.count(), 0, 3'600'000);
  return options_.station->CloseBounded(record_.LinkKind, static_cast<int>(ms));
}

void Agent::SetConsoleClock() {
  log_.Notify(
      "[Horloge] : réglage de l'horloge de la console demandé, fait à la prochaine collecte.");
  engine_->RequestConsoleClockSet();
}

bool Agent::ExportData(const std::string& path, std::string* message) {
  return ExportCollectedData(record_, schedule_, language_, log_, clock_.NowSeconds(), path,
                             message);
}

void Agent::Stop() {
  display_refresh_->Stop();
  engine_->Stop();
  alarms_->Stop();
  if (sound_alerts_) sound_alerts_->Stop();
  if (publisher_) publisher_->Stop();
  for (const auto& upload : uploads_) upload->Stop();
}

}  // namespace tv
