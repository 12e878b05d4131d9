#include <gtest/gtest.h>

#include "gadget/upload/upload_sender.h"
#include "gadget/upload/upload_worker.h"
#include "tests/e2e/upload/stand_ins.h"

namespace tv {
namespace {

using std::chrono::milliseconds;
using Transport = SendResult::Transport;
using testing::AprsStandIn;
using testing::HttpStandIn;
using testing::ScriptedReply;

// Short enough to keep the stalls cheap, long enough for 127.0.0.1.
constexpr milliseconds kTimeOut{400};

TEST(UploadE2e, HttpSenderAgainstAScriptedServer) {
  HttpStandIn server;
  const auto sender = MakeCurlSender("teskaro-ventaro/1.0");
  struct Case {
    const char* name;
    ScriptedReply reply;
    Network network;
    Transport transport;
    Verdict::Kind kind;
  };
  const Case cases[] = {
      {"success",
       {200, "success\n", {}},
       Network::kWunderground,
       Transport::kReplied,
       Verdict::Kind::kSent},
      {"401",
       {401, "unauthorized", {}},
       Network::kWunderground,
       Transport::kReplied,
       Verdict::Kind::kRejected},
      {"ERROR body",
       {200, "ERROR: Invalid station ID", {}},
       Network::kPwsweather,
       Transport::kReplied,
       Verdict::Kind::kFailed},
      {"429 retry_after",
       {429, R"({"retry_after": 120})", {}},
       Network::kWindy,
       Transport::kReplied,
       Verdict::Kind::kRateLimited},
      {"429", {429, "", {}}, Network::kWow, Transport::kReplied, Verdict::Kind::kRateLimited},
      {"409", {409, "duplicate", {}}, Network::kWindy, Transport::kReplied, Verdict::Kind::kSent},
      {"stall",
       {200, "success", milliseconds{3000}},
       Network::kWunderground,
       Transport::kTimedOut,
       Verdict::Kind::kTimedOut},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.Then(c.reply);
    const SendResult r = sender->Get(
        HttpRequest{server.Url("/update?ID=ST1&tempf=50.0"), {"Authorization: Bearer pw"}}, "",
        kTimeOut, {});
    EXPECT_EQ(r.transport, c.transport) << r.error;
    EXPECT_EQ(Interpret(c.network, r, false).kind, c.kind);
  }
  const std::vector<std::string> received = server.Received();
  ASSERT_EQ(received.size(), std::size(cases));
  EXPECT_EQ(received[0].rfind("GET /update?ID=ST1&tempf=50.0 HTTP/1.1\r\n", 0), 0u) << received[0];
  EXPECT_NE(received[0].find("Authorization: Bearer pw\r\n"), std::string::npos);
  EXPECT_NE(received[0].find("User-Agent: teskaro-ventaro/1.0\r\n"), std::string::npos);

  // Nobody on the port; something on it that never answers.
  const SendResult refused = sender->Get(
      HttpRequest{"http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/", {}}, "",
      kTimeOut, {});
  EXPECT_EQ(refused.transport, Transport::kRefused) << refused.error;
  // A CA file that does not exist fails the secure connection, never
  // reported as a success.
  const SendResult tls =
      sender->Get(HttpRequest{"https://127.0.0.1:" + std::to_string(server.port()) + "/", {}},
                  "/nonexistent/ca.pem", kTimeOut, {});
  EXPECT_NE(tls.transport, Transport::kReplied);
}

TEST(UploadE2e, CwopTriesTheServersInOrderAndLogsIn) {
  AprsStandIn second;
  const auto sender = MakeTcpCwopSender();
  const std::string servers = "127.0.0.1:" + std::to_string(testing::ClosedPort()) +
                              ", 127.0.0.1:" + std::to_string(second.port());
  const std::string login = "user CW1 pass -1 vers teskaro-ventaro 1.0\r\n";
  const std::string packet =
      "CW1>APRS,TCPIP*:@111605z4903.50N/07201.75W_270/004g012t073r010p050P020h65b10164\r\n";
  const SendResult r = sender->Send(servers, login, packet, kTimeOut, {});
  EXPECT_EQ(r.transport, Transport::kReplied) << r.error;
  EXPECT_EQ(Interpret(Network::kCwop, r, false).kind, Verdict::Kind::kSent);
  ASSERT_TRUE(second.WaitForReceived(1));
  EXPECT_EQ(second.Received(), std::vector<std::string>{login + packet});

  const SendResult none = sender->Send("127.0.0.1:" + std::to_string(testing::ClosedPort()), login,
                                       packet, kTimeOut, {});
  EXPECT_EQ(none.transport, Transport::kRefused) << none.error;
}

}  // namespace
}  // namespace tv
