#include "lib/station/connection.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "lib/config/config_keys.h"
#include "lib/config/config_table.h"
#include "lib/station/result_codes.h"
#include "lib/station/station_library.h"
#include "lib/station/station_operations.h"

namespace tv {
namespace {

// What a side thread and the thread waiting for it share. Owned jointly, so a
// thread that outlives the wait never touches freed memory.
struct SideTask {
  std::mutex mutex;
  std::condition_variable finished_cv;
  bool finished = false;
};

// Runs `body` on a side thread and waits at most `timeout_ms` for it. True
// when it finished in time (the thread is then joined); otherwise the thread
// is left to finish alone. A thread that cannot be started counts as not
// finished, with `body` never run.
bool RunBounded(std::function<void()> body, int timeout_ms) {
  auto task = std::make_shared<SideTask>();
  std::thread thread;
  try {
    thread = std::thread([task, work = std::move(body)] {
      try {
        work();
      } catch (...) {
        // Nothing may leave a side thread; the waiter sees the result unset.
      }
      std::lock_guard lock(task->mutex);
      task->finished = true;
      task->finished_cv.notify_all();
    });
  } catch (const std::system_error&) {
    return false;
  }
  bool finished = false;
  {
    std::unique_lock lock(task->mutex);
    const auto wait = std::chrono::milliseconds(timeout_ms > 0 ? timeout_ms : 0);
    finished = task->finished_cv.wait_for(lock, wait, [&] { return task->finished; });
  }
  if (finished) {
    thread.join();
  } else {
    thread.detach();
  }
  return finished;
}

// The result of the console initialisation. Each attempt takes a new
// generation; an initialisation that finishes after its attempt gave up finds
// a newer generation and leaves the result alone.
std::mutex g_init_mutex;
std::uint64_t g_init_generation = 0;
std::int16_t g_init_result = 0;

// Attempts run one at a time, so that one generation is awaited at a time.
std::mutex g_connect_mutex;

std::int16_t InitialiseConsole(int timeout_ms) {
  std::uint64_t generation = 0;
  {
    std::lock_guard lock(g_init_mutex);
    generation = ++g_init_generation;
    g_init_result = 0;
  }
  // With no time to wait, the initialisation could never count: it is not
  // started at all.
  bool finished = false;
  if (timeout_ms > 0) {
    finished = RunBounded(
        [generation] {
          const std::int16_t result = InitStation_V();
          std::lock_guard lock(g_init_mutex);
          if (generation == g_init_generation) g_init_result = result;
        },
        timeout_ms);
  }
  std::lock_guard lock(g_init_mutex);
  if (!finished) {
    ++g_init_generation;
    g_init_result = 0;
  }
  return g_init_result;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string RemoveAll(std::string text, std::string_view part) {
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
    text.erase(at, part.size());
  }
  return text;
}

std::int32_t Number(std::string_view text) {
  return static_cast<std::int32_t>(LeadingInteger(text));
}

// The text before the first "@" and the one between it and a possible second.
std::pair<std::string_view, std::string_view> SplitAt(std::string_view address, bool* has_at) {
  const auto at = address.find('@');
  *has_at = at != std::string_view::npos;
  if (!*has_at) return {address, {}};
  std::string_view rest = address.substr(at + 1);
  const auto next = rest.find('@');
  if (next != std::string_view::npos) rest = rest.substr(0, next);
  return {address.substr(0, at), rest};
}

}  // namespace

SerialAddress ParseSerialAddress(std::string_view address) {
  bool has_at = false;
  const auto [name, speed] = SplitAt(address, &has_at);
  SerialAddress out;
  out.baud = has_at ? Number(speed) : 0;
  if (out.baud <= 0) out.baud = kDefaultBaudRate;
  if (!name.empty() && name.front() == '/') {
    out.device = std::string(name);
  } else {
    out.port = Number(RemoveAll(Upper(name), "COM"));
  }
  return out;
}

std::int32_t ParseUsbAddress(std::string_view address) {
  return Number(RemoveAll(Upper(address), "USB"));
}

TcpAddress ParseTcpAddress(std::string_view address) {
  bool has_at = false;
  const auto [first, second] = SplitAt(address, &has_at);
  return TcpAddress{std::string(first), std::string(second)};
}

std::int16_t ConnectStation(int link_kind, const std::string& address, int timeout_ms) {
  std::lock_guard attempt(g_connect_mutex);
  LoadStationLibrary();

  std::int16_t opened = 0;
  switch (link_kind) {
    case kLinkTcpIp: {
      const TcpAddress tcp = ParseTcpAddress(address);
      opened = OpenTCPIPPort_V(tcp.second, tcp.first);
      break;
    }
    case kLinkSerial: {
      const SerialAddress serial = ParseSerialAddress(address);
      opened = serial.device.empty() ? OpenCommPort_V(serial.port, serial.baud)
                                     : OpenCommPortByName_V(serial.device, serial.baud);
      break;
    }
    case kLinkUsb:
      opened = OpenUSBPort_V(ParseUsbAddress(address));
      break;
    default:
      break;
  }
  if (opened != kResultOk) return opened;

  const std::int16_t init = InitialiseConsole(timeout_ms);
  if (IsValidResult(static_cast<float>(init)) == 1 && init == kResultOk) return kResultOk;

  ClosePortBounded(link_kind, timeout_ms);
  return static_cast<std::int16_t>(kResultLibraryStart);
}

std::int16_t LastInitResult() {
  std::lock_guard lock(g_init_mutex);
  return g_init_result;
}

void ClosePortThread(int link_kind) {
  switch (link_kind) {
    case kLinkSerial:
      CloseCommPort_V();
      break;
    case kLinkTcpIp:
      CloseTCPIPPort_V();
      break;
    case kLinkUsb:
      CloseUSBPort_V();
      break;
    case kArgAbsent:
      break;
    default:
      CloseUSBPort_V();
      CloseCommPort_V();
      CloseTCPIPPort_V();
      break;
  }
}

bool ClosePortBounded(int link_kind, int timeout_ms) {
  return RunBounded([link_kind] { ClosePortThread(link_kind); }, timeout_ms);
}

}  // namespace tv
