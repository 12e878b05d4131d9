#include "gadget/upload/upload_outcome.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;
using Kind = Verdict::Kind;
using Transport = SendResult::Transport;

SendResult Reply(int status, std::string body = "") {
  return SendResult{Transport::kReplied, status, std::move(body), ""};
}
SendResult Broken(Transport transport) {
  return SendResult{transport, 0, "", transport == Transport::kTls ? "certificate expired" : ""};
}

TEST(UploadOutcome, RepliesOfEachNetwork) {
  struct Case {
    const char* name;
    Network network;
    SendResult result;
    bool after_time_out;
    Kind kind;
    const char* reason_has;
  };
  const Case cases[] = {
      {"wu success", Network::kWunderground, Reply(200, "success\n"), false, Kind::kSent, ""},
      {"wu 200 other", Network::kWunderground, Reply(200, "INVALIDPASSWORDID"), false,
       Kind::kFailed, "INVALIDPASSWORDID"},
      {"wu 401", Network::kWunderground, Reply(401, "unauthorized"), false, Kind::kRejected,
       "HTTP 401"},
      {"wow 403", Network::kWow, Reply(403), false, Kind::kRejected, "HTTP 403"},
      {"wow {}", Network::kWow, Reply(200, "{}"), false, Kind::kSent, ""},
      {"pws error body", Network::kPwsweather, Reply(200, "<p>ERROR: bad date format</p>"), false,
       Kind::kFailed, "ERROR: bad date format"},
      {"pws ok", Network::kPwsweather, Reply(200, "Data Logged and posted"), false, Kind::kSent,
       ""},
      {"windy duplicate", Network::kWindy, Reply(409), false, Kind::kSent, ""},
      {"wow 409", Network::kWow, Reply(409), false, Kind::kFailed, "HTTP 409"},
      {"wow 409 after time-out", Network::kWow, Reply(409), true, Kind::kSent, ""},
      {"wow 429", Network::kWow, Reply(429), false, Kind::kRateLimited, "HTTP 429"},
      {"wow 429 after time-out", Network::kWow, Reply(429), true, Kind::kSent, ""},
      {"windy 500", Network::kWindy, Reply(500, "oops\nmore"), false, Kind::kFailed,
       "HTTP 500 « oops »"},
      {"refused", Network::kWindy, Broken(Transport::kRefused), false, Kind::kFailed,
       "connexion impossible"},
      {"tls", Network::kWindy, Broken(Transport::kTls), false, Kind::kFailed,
       "sécurisée (certificate expired)"},
      {"time-out", Network::kWindy, Broken(Transport::kTimedOut), false, Kind::kTimedOut,
       "délai dépassé"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Verdict v = Interpret(c.network, c.result, c.after_time_out);
    EXPECT_EQ(v.kind, c.kind);
    EXPECT_NE(v.reason.find(c.reason_has), std::string::npos) << v.reason;
  }
  EXPECT_EQ(Interpret(Network::kWindy, Reply(429, R"({"retry_after": 120})"), false).retry_after,
            Clock::Duration{seconds{120}});
  EXPECT_FALSE(Interpret(Network::kWindy, Reply(429, "{}"), false).retry_after.has_value());

  UploadStatus status;
  EXPECT_EQ(UploadStatusText(Network::kWow, status), "WOW : dernier envoi jamais");
  status.last_failure = 100;
  status.last_error = "HTTP 500";
  EXPECT_EQ(UploadStatusText(Network::kWow, status),
            "WOW : échec (HTTP 500) ; dernier envoi jamais");
  status.last_success = 200;
  EXPECT_EQ(UploadStatusText(Network::kWow, status).find("échec"), std::string::npos);
}

// One try of a scripted run: the time before it, what it gave, and what the
// log, the notifications and the next wait say of it.
struct Try {
  Clock::Duration before;
  SendResult result;
  const char* line_has;  // nullptr: no line
  bool notified;
  Clock::Duration next_wait;
  bool retry_same = false;
};

void RunTries(Network network, const char* password, const std::vector<Try>& tries) {
  ConfigTable config;
  config.Set(GroupOf(network), "Password", password);
  const UploadSettings settings = ReadUploadSettings(config, network);
  UploadHealth health(settings);
  ManualClock clock;
  int n = 0;
  for (const Try& t : tries) {
    SCOPED_TRACE("try " + std::to_string(++n));
    clock.Advance(t.before);
    const Verdict verdict = Interpret(network, t.result, health.AfterTimeOut());
    const UploadStep step = health.Record(verdict, clock.NowSeconds(), clock.SteadyNow());
    if (t.line_has == nullptr) {
      EXPECT_TRUE(step.log_lines.empty()) << step.log_lines.front();
    } else {
      ASSERT_EQ(step.log_lines.size(), 1u);
      EXPECT_EQ(step.log_lines[0].rfind("[Envoi] ", 0), 0u) << step.log_lines[0];
      EXPECT_NE(step.log_lines[0].find(t.line_has), std::string::npos) << step.log_lines[0];
      EXPECT_EQ(step.log_lines[0].find(password), std::string::npos) << step.log_lines[0];
    }
    EXPECT_EQ(step.notification.has_value(), t.notified);
    EXPECT_EQ(step.next_wait, t.next_wait);
    EXPECT_EQ(step.retry_same, t.retry_same);
  }
}

TEST(UploadOutcome, FailuresReachTheLogOnceThenHourlyThenOnRecovery) {
  const Clock::Duration five = minutes{5};
  const SendResult refused = Broken(Transport::kRefused);
  std::vector<Try> flaky = {
      {five, refused, "échec de l'envoi : connexion impossible", false, five}};
  for (int i = 0; i < 11; ++i) flaky.push_back({five, refused, nullptr, false, five});
  flaky.push_back({five, refused, "13 envois échoués depuis", false, five});
  flaky.push_back({five, refused, nullptr, false, five});
  flaky.push_back({five, Reply(200, "success"), "envoi rétabli après 14 échecs", false, five});
  flaky.push_back({five, Reply(200, "success"), nullptr, false, five});
  RunTries(Network::kWunderground, "s3cr3t", flaky);

  // A refused key: one line and one notification, then silence until a
  // post is taken again. A body that echoes the key is masked.
  RunTries(Network::kWunderground, "s3cr3t",
           {{five, Reply(401, "unauthorized s3cr3t"), "identifiant ou clé refusés", true, five},
            {five, Reply(401), nullptr, false, five},
            {minutes{90}, Reply(401), nullptr, false, five},
            {five, Reply(200, "success"), "envoi rétabli après 3 échecs", false, five},
            {five, Reply(403), "HTTP 403", true, five}});
}

TEST(UploadOutcome, TooFrequentBacksOffAndATimedOutPostMayHaveBeenTaken) {
  const Clock::Duration interval = minutes{15};
  const SendResult busy = Reply(429);
  RunTries(Network::kWow, "123456",
           {{interval, busy, "HTTP 429", false, minutes{30}},
            {minutes{30}, busy, nullptr, false, minutes{60}},
            {minutes{60}, busy, "envois échoués", false, minutes{60}},
            {minutes{60}, Reply(200, "{}"), "rétabli", false, interval},
            // Timed out, then "too frequent" for the retry: it was taken.
            {interval, Broken(Transport::kTimedOut), nullptr, false, seconds{30}, true},
            {seconds{30}, busy, nullptr, false, interval},
            // Timed out twice: a failure.
            {interval, Broken(Transport::kTimedOut), nullptr, false, seconds{30}, true},
            {seconds{30}, Broken(Transport::kTimedOut), "délai dépassé", false, interval}});
  RunTries(Network::kWindy, "pw",
           {{minutes{5}, Reply(429, R"({"retry_after":600})"), "HTTP 429", false, minutes{10}}});
}

}  // namespace
}  // namespace tv
