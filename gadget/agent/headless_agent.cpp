#include "gadget/agent/headless_agent.h"

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include "gadget/agent/agent.h"

namespace tv {
namespace {

// Passes every call on to the window it wraps, prints the log lines and keeps
// the last text written into each field.
class PrintingWindow final : public Window {
 public:
  PrintingWindow(Window& inner, std::ostream& out, Clock& clock)
      : inner_(inner), out_(out), clock_(clock) {}

  void Print(std::string_view line) {
    std::string text = FormatLogStamp(clock_.NowSeconds());
    text += ' ';
    text += line;
    text += '\n';
    std::lock_guard lock(mutex_);
    out_ << text << std::flush;
  }

  // The field's last text; "---" before any.
  std::string FieldText(Field field) {
    std::lock_guard lock(mutex_);
    const auto it = texts_.find(field);
    return it == texts_.end() ? std::string("---") : it->second;
  }

  void SetText(Field field, std::string_view text) override {
    {
      std::lock_guard lock(mutex_);
      texts_[field] = std::string(text);
    }
    inner_.SetText(field, text);
  }
  void SetPicture(Field field, ImageHandle image) override { inner_.SetPicture(field, image); }
  void SetVisible(Field field, bool visible) override { inner_.SetVisible(field, visible); }
  void SetTooltip(Field field, std::string_view text) override { inner_.SetTooltip(field, text); }
  void StartBlinking(Field field) override { inner_.StartBlinking(field); }
  void StopBlinking(Field field) override { inner_.StopBlinking(field); }
  void SelectPage(int index) override { inner_.SelectPage(index); }
  void ClearRows(Field list) override { inner_.ClearRows(list); }
  void InsertRow(Field list, int position, std::string_view columns) override {
    inner_.InsertRow(list, position, columns);
  }
  void AppendRow(Field list, std::string_view columns) override { inner_.AppendRow(list, columns); }
  void RemoveRow(Field list, int position) override { inner_.RemoveRow(list, position); }
  int RowCount(Field list) override { return inner_.RowCount(list); }
  void ClearTree(Field tree) override { inner_.ClearTree(tree); }
  void AppendTreeItem(Field tree, std::string_view text, ImageHandle image, int level) override {
    inner_.AppendTreeItem(tree, text, image, level);
  }
  void InsertLine(Field list, int position, std::string_view line) override {
    inner_.InsertLine(list, position, line);
    if (list == Field::AppLogList) Print(line);
  }
  void RemoveLine(Field list, int position) override { inner_.RemoveLine(list, position); }
  int LineCount(Field list) override { return inner_.LineCount(list); }
  bool IsPressed(Field button) override { return inner_.IsPressed(button); }
  void ShowWindow() override { inner_.ShowWindow(); }
  void HideWindow() override { inner_.HideWindow(); }
  void ActivateWindow() override { inner_.ActivateWindow(); }
  void SetTrayTooltip(std::string_view text) override { inner_.SetTrayTooltip(text); }
  void ShowBalloon(std::string_view title, std::string_view text, int icon_kind,
                   int seconds) override {
    inner_.ShowBalloon(title, text, icon_kind, seconds);
  }
  void DrawWindRose(Field field, ImageHandle background, std::string_view text,
                    double angle_degrees, int start_x, int start_y) override {
    inner_.DrawWindRose(field, background, text, angle_degrees, start_x, start_y);
  }

 private:
  Window& inner_;
  std::ostream& out_;
  Clock& clock_;
  std::mutex mutex_;
  std::map<Field, std::string> texts_;
};

}  // namespace

std::string CurrentConditionsSummary(const std::function<std::string(Field)>& text) {
  return "Conditions actuelles : intérieur " + text(Field::IndoorTempValue) + " °C " +
         text(Field::IndoorHumValue) + " % | extérieur " + text(Field::OutdoorTempValue) + " °C " +
         text(Field::OutdoorHumValue) + " % | rosée " + text(Field::DewPointValue) +
         " °C | pression " + text(Field::BaroValue) + " hPa | vent " + text(Field::WindSpeedValue) +
         " km/h " + text(Field::WindDirName) + " (" + text(Field::WindDirDegrees) +
         ") | pluie du jour " + text(Field::RainDayValue) + " mm, intensité " +
         text(Field::RainRateValue) + " mm/h";
}

int RunHeadless(const ConfigTable& config, Window& window, std::ostream& out, std::stop_token stop,
                Clock& clock, const std::string& export_path) {
  PrintingWindow printing(window, out, clock);
  AgentOptions options;
  options.after_view = [&printing](std::string_view service) {
    if (service != "CurrentData") return;
    printing.Print(
        CurrentConditionsSummary([&printing](Field field) { return printing.FieldText(field); }));
  };

  // What the export waits for, filled on the collection thread.
  std::mutex m;
  std::condition_variable_any changed;
  std::set<std::string, std::less<>> succeeded;
  int cycles_since_success = 0;
  bool export_due = false;
  Agent* running = nullptr;
  if (!export_path.empty()) {
    options.after_service = [&](std::string_view service) {
      std::lock_guard lock(m);
      succeeded.emplace(service);
    };
    options.after_cycle = [&] {
      std::lock_guard lock(m);
      if (succeeded.empty() || running == nullptr) return;
      ++cycles_since_success;
      bool all = true;
      for (const std::string& name : running->schedule().Names()) {
        if (!succeeded.contains(name)) all = false;
      }
      if (all || cycles_since_success >= kExportPatienceCycles) {
        export_due = true;
        changed.notify_all();
      }
    };
  }
  Agent agent(config, printing, clock, std::move(options));
  {
    std::lock_guard lock(m);
    running = &agent;
  }
  agent.Open();
  agent.Start();

  std::unique_lock lock(m);
  const bool due = changed.wait(lock, stop, [&] { return export_due; });
  std::string missing;
  for (const std::string& name : agent.schedule().Names()) {
    if (!succeeded.contains(name)) missing += (missing.empty() ? "" : ", ") + name;
  }
  lock.unlock();
  // Ends the collection at once: the threads are asked to stop and the link
  // is closed, which ends a running exchange with a silent console instead
  // of waiting out its time-outs, then the threads are waited for.
  const auto stop_agent = [&agent] {
    agent.Quit(kHeadlessCloseWait);
    agent.Stop();
  };
  if (export_path.empty()) {
    stop_agent();
    return 0;
  }
  int code = 1;
  if (due) {
    if (!missing.empty()) agent.log().Notify("Export sans les services en échec : " + missing);
    code = agent.ExportData(export_path) ? 0 : 1;
  } else {
    agent.log().Notify("Export non fait : arrêt demandé avant la première collecte complète.");
  }
  stop_agent();
  return code;
}

int RunHeadlessUntilSignal(const ConfigTable& config, Window& window, std::ostream& out,
                           const std::string& export_path) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  std::stop_source source;
  std::atomic<bool> done{false};
  std::thread waiter([&] {
    int received = 0;
    sigwait(&signals, &received);
    if (done.load()) return;
    source.request_stop();
    // A second signal while the first one's stop is under way ends the
    // program at once, as a user pressing Ctrl-C twice expects.
    sigwait(&signals, &received);
    if (done.load()) return;
    std::_Exit(128 + received);
  });
  const int code =
      RunHeadless(config, window, out, source.get_token(), DefaultClock(), export_path);
  // The waiter is woken by one of ours, which it knows from `done`.
  done.store(true);
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
  return code;
}

}  // namespace tv
