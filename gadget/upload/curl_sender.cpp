#include <curl/curl.h>

#include <mutex>

#include "gadget/upload/upload_sender.h"

namespace tv {
namespace {

constexpr std::size_t kLongestBody = 64 * 1024;

struct Transfer {
  std::string body;
  std::stop_token stop;
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  if (transfer->body.size() < kLongestBody) {
    transfer->body.append(data, std::min(n, kLongestBody - transfer->body.size()));
  }
  return n;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Transfer*>(user)->stop.stop_requested() ? 1 : 0;
}

SendResult::Transport TransportOf(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return SendResult::Transport::kRefused;
    case CURLE_OPERATION_TIMEDOUT:
      return SendResult::Transport::kTimedOut;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return SendResult::Transport::kTls;
    default:
      return SendResult::Transport::kOther;
  }
}

class CurlSender final : public HttpSender {
 public:
  explicit CurlSender(std::string user_agent) : user_agent_(std::move(user_agent)) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  }

  SendResult Get(const HttpRequest& request, const std::string& ca_file, Clock::Duration timeout,
                 std::stop_token stop) override {
    SendResult result;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
      result.transport = SendResult::Transport::kOther;
      result.error = "libcurl ne démarre pas";
      return result;
    }
    Transfer transfer{{}, stop};
    curl_slist* headers = nullptr;
    for (const std::string& h : request.headers) headers = curl_slist_append(headers, h.c_str());
    char error[CURL_ERROR_SIZE] = {};
    const long ms = static_cast<long>(timeout.count());
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, user_agent_.c_str());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, ms);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ms);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    if (!ca_file.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, ca_file.c_str());
    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK) {
      long status = 0;
      curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
      result.status = static_cast<int>(status);
      result.body = std::move(transfer.body);
    } else {
      result.transport = TransportOf(code);
      result.error = error[0] != '\0' ? error : curl_easy_strerror(code);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return result;
  }

 private:
  const std::string user_agent_;
};

}  // namespace

std::unique_ptr<HttpSender> MakeCurlSender(std::string user_agent) {
  return std::make_unique<CurlSender>(std::move(user_agent));
}

}  // namespace tv
