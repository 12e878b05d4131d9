// The agent without a window, against the console simulator, publishing to a
// real mosquitto broker on 127.0.0.1 (plain, with a password, over TLS),
// read back by a client of the test's own.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <ostream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "gadget/agent/headless_agent.h"
#include "gadget/window/memory_window.h"
#include "lib/config/config_table.h"
#include "tests/e2e/publish/mqtt_broker.h"
#include "tests/e2e/publish/mqtt_reader.h"
#include "tests/support/gui_thread_window.h"
#include "tests/support/simulator_process.h"

namespace tv {
namespace {

using Json = nlohmann::json;
using std::chrono::seconds;
using testing::MqttBroker;
using testing::MqttReader;
using Messages = std::vector<MqttReader::Message>;

constexpr const char* kPrefix = "tv-test";
constexpr const char* kState = "tv-test/state";
constexpr const char* kStatus = "tv-test/status";
constexpr const char* kAlert = "tv-test/alert";

// An output stream that another thread may read while it is written.
class SharedText final : public std::streambuf {
 public:
  std::string Text() {
    std::lock_guard lock(mutex_);
    return text_;
  }
  int Count(const std::string& what) {
    const std::string text = Text();
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

 protected:
  int_type overflow(int_type c) override {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    std::lock_guard lock(mutex_);
    text_.push_back(static_cast<char>(c));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    std::lock_guard lock(mutex_);
    text_.append(s, static_cast<std::size_t>(n));
    return n;
  }

 private:
  std::mutex mutex_;
  std::string text_;
};

// The simulated console, its values held still.
struct HeldConsole {
  testing::SimulatorProcess sim;

  void Start() {
    std::string error;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--start", "2024-06-21 14:00:00"}, &error))
        << error;
    for (const char* line : {"HOLD ON", "SET outside_temp 68.4", "SET outside_hum 55",
                             "SET barometer 30.012", "SET wind_speed 9", "SET wind_dir 270"}) {
      ASSERT_EQ(sim.Control(line), "OK") << line;
    }
  }
};

struct MqttKeys {
  int port = 0;
  std::string user;
  std::string password;
  std::string ca_file;
};

MqttKeys Plain(int port) {
  MqttKeys keys;
  keys.port = port;
  return keys;
}

// RunHeadless on a thread of its own, stopped when destroyed.
class RunningAgent {
 public:
  RunningAgent(int console_port, const MqttKeys& mqtt,
               const std::vector<std::pair<std::string, std::string>>& more = {})
      : gui_(window_), out_(&text_) {
    config_.Set("GENERAL", "RefreshServices", "1");
    config_.Set("CONSOLE", "type", "IP");
    config_.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(console_port));
    config_.Set("CONSOLE", "ConnectionTimeout", "10");
    config_.Set("SERVICES", "CurrentData", "1");
    config_.Set("SERVICES", "ConfigStation", "3600");
    config_.Set("MQTT", "Active", "1");
    config_.Set("MQTT", "Host", "127.0.0.1");
    config_.Set("MQTT", "Port", std::to_string(mqtt.port));
    config_.Set("MQTT", "User", mqtt.user);
    config_.Set("MQTT", "Password", mqtt.password);
    config_.Set("MQTT", "CAFile", mqtt.ca_file);
    config_.Set("MQTT", "Prefix", kPrefix);
    for (const auto& [key, value] : more) {
      const auto underscore = key.find('_');
      config_.Set(key.substr(0, underscore), key.substr(underscore + 1), value);
    }
    thread_ = std::thread([this] { RunHeadless(config_, gui_, out_, stop_.get_token()); });
  }
  ~RunningAgent() { Stop(); }

  void Stop() {
    stop_.request_stop();
    if (thread_.joinable()) thread_.join();
  }
  SharedText& log() { return text_; }
  // Lines about the link to the broker (not the warning about the settings
  // file's permissions, which depends on the file beside the test program).
  int LinkLines() {
    return text_.Count("[MQTT]") - text_.Count("peut être lu par d'autres utilisateurs");
  }
  // Waits until the output holds `what` at least `count` times.
  bool WaitForLine(const std::string& what, seconds timeout, int count = 1) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (text_.Count(what) < count) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds{20});
    }
    return true;
  }

 private:
  ConfigTable config_;
  MemoryWindow window_;
  testing::GuiThreadWindow gui_;
  SharedText text_;
  std::ostream out_;
  std::stop_source stop_;
  std::thread thread_;
};

bool HasReading(const std::string& payload) {
  const Json state = Json::parse(payload, nullptr, false);
  return state.is_object() && state.contains("outside_temperature") &&
         state["outside_temperature"].is_number();
}

// The last message on the status topic is `status`.
std::function<bool(const Messages&)> LastStatusIs(const std::string& status) {
  return [status](const Messages& messages) {
    for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
      if (it->topic == kStatus) return it->payload == status;
    }
    return false;
  };
}

TEST(MqttE2e, StateMatchesTheHeldConsoleOverEachKindOfBroker) {
  HeldConsole console;
  ASSERT_NO_FATAL_FAILURE(console.Start());
  testing::SimulatorProcess& sim = console.sim;
  struct Row {
    const char* legend;
    MqttBroker::Options broker;
    std::string agent_password;
  };
  const Row rows[] = {
      {"anonymous, in clear", {}, ""},
      {"user and password",
       {.user = "station", .password = "s3cret pw", .tls = false},
       "s3cret pw"},
      {"TLS from the test's own CA", {.user = "", .password = "", .tls = true}, ""},
  };
  for (const Row& row : rows) {
    MqttBroker broker;
    std::string error;
    ASSERT_TRUE(broker.Start(row.broker, &error)) << row.legend << ": " << error;
    MqttReader reader;
    ASSERT_TRUE(reader.Connect(broker.port(), &error, broker.ca_file(), row.broker.user,
                               row.broker.password))
        << row.legend << ": " << error;
    const MqttKeys keys{broker.port(), row.broker.user, row.agent_password, broker.ca_file()};
    RunningAgent agent(sim.tcp_port(), keys);
    ASSERT_TRUE(reader.WaitForTopic(kState, seconds{40}, HasReading))
        << row.legend << "\n"
        << agent.log().Text() << broker.LogText();
    ASSERT_TRUE(reader.WaitFor(LastStatusIs("online"), seconds{5})) << row.legend;

    const Json state = Json::parse(*reader.Last(kState));
    const auto near = [&](const char* key, double expected, double tolerance) {
      ASSERT_TRUE(state[key].is_number()) << row.legend << ": " << key << " " << state.dump();
      EXPECT_NEAR(state[key].get<double>(), expected, tolerance) << row.legend << ": " << key;
    };
    near("outside_temperature", (sim.GetNumber("outside_temp") - 32) * 5 / 9, 0.06);
    near("outside_humidity", sim.GetNumber("outside_hum"), 0);
    near("barometer", sim.GetNumber("barometer") * 33.865, 0.06);
    near("wind_speed", sim.GetNumber("wind_speed") * 1.61, 0.06);
    near("wind_direction", sim.GetNumber("wind_dir"), 0);
    near("inside_temperature", (sim.GetNumber("inside_temp") - 32) * 5 / 9, 0.06);
    // The default console has no fourth extra sensor: null, never a dash code.
    EXPECT_TRUE(state["extra_temperature_4"].is_null()) << row.legend;
    for (const auto& [key, value] : state.items()) {
      if (value.is_string()) {
        EXPECT_NE(value.get<std::string>().substr(0, 2), "--") << row.legend << ": " << key;
      }
    }

    agent.Stop();
    // The orderly stop says so before it disconnects.
    EXPECT_TRUE(reader.WaitFor(LastStatusIs("offline"), seconds{10})) << row.legend;
    EXPECT_EQ(agent.log().Count("[MQTT] : connecté à 127.0.0.1:" + std::to_string(broker.port())),
              1)
        << row.legend << "\n"
        << agent.log().Text();
    EXPECT_EQ(agent.LinkLines(), 1) << row.legend << "\n" << agent.log().Text();
  }
}

TEST(MqttE2e, DiscoveryAnnouncesTheConsoleSensorsAndRemovesOneThatGoes) {
  HeldConsole console;
  ASSERT_NO_FATAL_FAILURE(console.Start());
  MqttBroker broker;
  std::string error;
  ASSERT_TRUE(broker.Start({}, &error)) << error;
  MqttReader reader;
  ASSERT_TRUE(reader.Connect(broker.port(), &error)) << error;
  RunningAgent agent(console.sim.tcp_port(), Plain(broker.port()));

  const std::string topic = "homeassistant/sensor/tv-test/";
  // The device entry carries the firmware once the configuration is read.
  const auto with_firmware = [](const std::string& payload) {
    const Json c = Json::parse(payload, nullptr, false);
    return c.is_object() && c.contains("device") && c["device"].contains("sw_version");
  };
  // The configs of one state go out before it: a state after the first
  // config with the firmware closes that round.
  const auto round_with_firmware = [&](const Messages& messages) {
    bool firmware = false;
    for (const MqttReader::Message& m : messages) {
      if (m.topic == topic + "outside_temperature/config" && with_firmware(m.payload)) {
        firmware = true;
      }
      if (firmware && m.topic == kState) return true;
    }
    return false;
  };
  ASSERT_TRUE(reader.WaitFor(round_with_firmware, seconds{40})) << agent.log().Text();
  std::map<std::string, Json> configs;
  for (const MqttReader::Message& m : reader.Messages()) {
    if (!m.topic.starts_with(topic)) continue;
    const Json config = Json::parse(m.payload, nullptr, false);
    ASSERT_FALSE(config.is_discarded()) << m.topic << ": " << m.payload;
    configs[m.topic.substr(topic.size(), m.topic.rfind('/') - topic.size())] = config;
  }
  struct Row {
    const char* key;
    const char* device_class;
    const char* unit;
  };
  const Row rows[] = {
      {"outside_temperature", "temperature", "°C"},
      {"outside_humidity", "humidity", "%"},
      {"barometer", "atmospheric_pressure", "hPa"},
      {"wind_speed", "wind_speed", "km/h"},
      {"rain_rate", "precipitation_intensity", "mm/h"},
      {"rain_day", "precipitation", "mm"},
      {"solar_radiation", "irradiance", "W/m²"},
      {"extra_temperature_1", "temperature", "°C"},
  };
  for (const Row& row : rows) {
    ASSERT_TRUE(configs.contains(row.key)) << row.key;
    const Json& c = configs[row.key];
    SCOPED_TRACE(c.dump());
    EXPECT_EQ(c.value("device_class", ""), row.device_class) << row.key;
    EXPECT_EQ(c.value("unit_of_measurement", ""), row.unit) << row.key;
    EXPECT_EQ(c.value("state_topic", ""), kState) << row.key;
    EXPECT_EQ(c.value("availability_topic", ""), kStatus) << row.key;
    ASSERT_TRUE(c.contains("device")) << row.key;
    EXPECT_EQ(c["device"].value("sw_version", ""), "3.12") << row.key;  // the default console
    EXPECT_NE(c["device"].value("model", ""), "") << row.key;
  }
  EXPECT_FALSE(configs.contains("extra_temperature_4")) << "a sensor the console does not have";

  // The extra sensor loses its reading: its config is removed.
  ASSERT_EQ(console.sim.Control("SET extra_temp1 --"), "OK");
  EXPECT_TRUE(reader.WaitForTopic(topic + "extra_temperature_1/config", seconds{30},
                                  [](const std::string& p) { return p.empty(); }))
      << agent.log().Text();
}

TEST(MqttE2e, BrokerKilledAndRestartedGetsTheStateAndOnlineAgain) {
  HeldConsole console;
  ASSERT_NO_FATAL_FAILURE(console.Start());
  MqttBroker broker;
  std::string error;
  ASSERT_TRUE(broker.Start({}, &error)) << error;
  // Connected before the agent starts, as every reader here: libmosquitto's
  // set-up is not made for two threads at once.
  MqttReader first;
  ASSERT_TRUE(first.Connect(broker.port(), &error)) << error;
  RunningAgent agent(console.sim.tcp_port(), Plain(broker.port()));
  ASSERT_TRUE(first.WaitForTopic(kState, seconds{40}, HasReading)) << agent.log().Text();
  broker.Kill();
  ASSERT_TRUE(agent.WaitForLine("[MQTT] : connexion perdue avec 127.0.0.1", seconds{60}))
      << agent.log().Text();
  // Failed attempts, and collections going on, while it is away: their
  // states wait and the newest replaces the others.
  const std::string collected = "Conditions actuelles : intérieur";
  ASSERT_TRUE(agent.WaitForLine(collected, seconds{60}, agent.log().Count(collected) + 4));
  ASSERT_TRUE(broker.Restart(&error)) << error;
  ASSERT_TRUE(agent.WaitForLine("[MQTT] : connecté à", seconds{60}, 2)) << agent.log().Text();
  {
    MqttReader reader;
    ASSERT_TRUE(reader.Connect(broker.port(), &error)) << error;
    ASSERT_TRUE(reader.WaitForTopic(kState, seconds{20}, HasReading)) << agent.log().Text();
  }

  // A client that comes afterwards finds both retained on the restarted
  // (empty) broker.
  MqttReader reader;
  ASSERT_TRUE(reader.Connect(broker.port(), &error)) << error;
  const auto retained = [](const std::string& topic,
                           const std::function<bool(const std::string&)>& ok) {
    return [topic, ok](const Messages& messages) {
      for (const auto& m : messages) {
        if (m.topic == topic && m.retained && ok(m.payload)) return true;
      }
      return false;
    };
  };
  EXPECT_TRUE(reader.WaitFor(retained(kState, HasReading), seconds{20}));
  EXPECT_TRUE(reader.WaitFor(retained(kStatus, [](const std::string& p) { return p == "online"; }),
                             seconds{20}));
  // One line per change of state: lost once, never "unreachable" per attempt;
  // the states the broker missed are counted on one line.
  const std::string printed = agent.log().Text();
  EXPECT_EQ(agent.log().Count("[MQTT] : connexion perdue"), 1) << printed;
  EXPECT_EQ(agent.log().Count("injoignable"), 0) << printed;
  EXPECT_EQ(agent.log().Count("message(s) non publié(s)"), 1) << printed;
  EXPECT_EQ(agent.LinkLines(), 4) << printed;
}

TEST(MqttE2e, ABrokerThatRefusesOrIsAbsentNeverHoldsTheCollectionBack) {
  HeldConsole console;
  ASSERT_NO_FATAL_FAILURE(console.Start());
  struct Row {
    const char* legend;
    bool broker;
    std::string line;
  };
  const Row rows[] = {
      {"wrong password", true, "[MQTT] : mot de passe refusé par le serveur"},
      {"broker never started", false, "[MQTT] : serveur 127.0.0.1:"},
  };
  for (const Row& row : rows) {
    MqttBroker broker;
    std::string error;
    int port = MqttBroker::FreePort();
    if (row.broker) {
      ASSERT_TRUE(broker.Start({.user = "station", .password = "right", .tls = false}, &error))
          << error;
      port = broker.port();
    }
    const auto started = std::chrono::steady_clock::now();
    RunningAgent agent(console.sim.tcp_port(),
                       {.port = port, .user = "station", .password = "wrong", .ca_file = ""});
    // The collection goes on as usual, several rounds of it.
    ASSERT_TRUE(agent.WaitForLine("Conditions actuelles : intérieur", seconds{60}, 3))
        << row.legend << "\n"
        << agent.log().Text();
    const auto at_least = started + seconds{8};
    if (std::chrono::steady_clock::now() < at_least) std::this_thread::sleep_until(at_least);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    agent.Stop();
    const std::string printed = agent.log().Text();
    EXPECT_EQ(agent.log().Count(row.line), 1) << row.legend << "\n" << printed;
    EXPECT_EQ(agent.LinkLines(), 1) << row.legend << "\n" << printed;
    EXPECT_NE(printed.find("extérieur 20.2 °C"), std::string::npos) << row.legend << "\n"
                                                                    << printed;
    if (row.broker) {
      // Attempts come with a doubling pause (1 s, 2 s, 4 s ...), not in a loop.
      const int attempts = broker.CountInLog("New connection from 127.0.0.1");
      EXPECT_GE(attempts, 2) << row.legend << "\n" << broker.LogText();
      EXPECT_LE(attempts, 2 + static_cast<int>(std::log2(elapsed + 1)))
          << row.legend << ", " << elapsed << " s";
    }
  }
}

TEST(MqttE2e, AlertsRaisedAndClearedAreEventsNotRetained) {
  HeldConsole console;
  ASSERT_NO_FATAL_FAILURE(console.Start());
  // Wind above 10 mph is an alarm; the held console blows 9.
  ASSERT_EQ(console.sim.Control("SET ee.ALARM_WIND_SPEED 10"), "OK");
  MqttBroker broker;
  std::string error;
  ASSERT_TRUE(broker.Start({}, &error)) << error;
  MqttReader reader;
  ASSERT_TRUE(reader.Connect(broker.port(), &error)) << error;
  RunningAgent agent(console.sim.tcp_port(), Plain(broker.port()),
                     {{"ALERTS_Active", "1"}, {"SERVICES_Alarm", "0"}});
  ASSERT_TRUE(reader.WaitForTopic(kState, seconds{40}, HasReading)) << agent.log().Text();

  const auto event = [](const char* kind) {
    return [kind](const std::string& payload) {
      const Json e = Json::parse(payload, nullptr, false);
      return e.is_object() && e.value("event", "") == kind && e.value("name", "") == "HiWindSpeed";
    };
  };
  ASSERT_EQ(console.sim.Control("SET wind_speed 20"), "OK");
  ASSERT_TRUE(reader.WaitForTopic(kAlert, seconds{40}, event("raised"))) << agent.log().Text();
  ASSERT_EQ(console.sim.Control("SET wind_speed 5"), "OK");
  ASSERT_TRUE(reader.WaitForTopic(kAlert, seconds{40}, event("cleared"))) << agent.log().Text();

  // (The default console also has its UV alarm raised from the start.)
  int raised = 0;
  for (const MqttReader::Message& m : reader.Messages()) {
    if (m.topic != kAlert) continue;
    EXPECT_FALSE(m.retained) << m.payload;
    const Json e = Json::parse(m.payload);
    if (e["event"] == "raised" && e["name"] == "HiWindSpeed") {
      ++raised;
      EXPECT_NE(e.value("label", ""), "") << m.payload;
      EXPECT_NE(e.value("value", "").find("32"), std::string::npos) << m.payload;  // 20 mph
      EXPECT_EQ(e.value("time", "").size(), 19U) << m.payload;
    }
  }
  EXPECT_EQ(raised, 1) << "the alarm held over several evaluations is one event";
  // A client that comes later finds no alert kept by the broker.
  MqttReader late;
  ASSERT_TRUE(late.Connect(broker.port(), &error)) << error;
  EXPECT_FALSE(late.WaitForTopic(kAlert, seconds{2}));
}

}  // namespace
}  // namespace tv
