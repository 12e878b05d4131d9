#pragma once

#include <memory>
#include <stop_token>
#include <string>

#include "gadget/upload/upload_outcome.h"
#include "gadget/upload/upload_request.h"
#include "lib/common/clock.h"

namespace tv {

// Sends one HTTP GET. Called by one worker thread at a time.
class HttpSender {
 public:
  virtual ~HttpSender() = default;
  // The reply to `request` (status and body), or the transport's failure.
  // The whole exchange ends within `timeout`; a stop request ends it at
  // once. `ca_file`: the certificate authorities to check the server
  // against; the system's when empty.
  virtual SendResult Get(const HttpRequest& request, const std::string& ca_file,
                         Clock::Duration timeout, std::stop_token stop) = 0;
};

// Sends one CWOP packet over APRS-IS: connects to the first server of the
// list that answers, waits for its banner, logs in, waits for its "#
// logresp" line, sends the packet and closes. A server that refuses or
// stays silent gives way to the next.
class CwopSender {
 public:
  virtual ~CwopSender() = default;
  // `servers`: "host:port" separated by commas. A packet sent is reported
  // as a reply with status 200 (APRS-IS acknowledges nothing), the server
  // that took it as the body.
  virtual SendResult Send(const std::string& servers, const std::string& login,
                          const std::string& packet, Clock::Duration timeout,
                          std::stop_token stop) = 0;
};

// The libcurl sender: HTTP and HTTPS only, the system's CA store unless
// `ca_file`, a new connection for every post (a network change never
// leaves a stale one behind).
std::unique_ptr<HttpSender> MakeCurlSender(std::string user_agent);
// The plain TCP sender of CWOP.
std::unique_ptr<CwopSender> MakeTcpCwopSender();

}  // namespace tv
