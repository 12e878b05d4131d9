// A stand-in station library for the tests of the call paths and of the
// connection: a handful of exports that answer fixed values, encode their
// arguments or record how they were called, and a few "Fake" controls.
// Some operations are left out on purpose, to exercise missing exports.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_mutex;
std::condition_variable g_changed;
std::vector<std::string> g_log;
std::map<std::string, int> g_counts;
int g_open_result = 0;
int g_init_result = 0;
bool g_inits_held = false;
int g_short_value = 0;
int g_inits_running = 0;

void Record(const std::string& call) {
  std::lock_guard lock(g_mutex);
  g_log.push_back(call);
  const auto paren = call.find('(');
  ++g_counts[call.substr(0, paren)];
  g_changed.notify_all();
}

std::string Text(const char* text) {
  return text == nullptr ? "(null)" : text;
}

// 10^0 a + 10^1 b + ...: each argument (a digit) lands in its own place.
std::int64_t Encode(std::initializer_list<std::intptr_t> args) {
  std::int64_t value = 0;
  std::int64_t weight = 1;
  for (const auto arg : args) {
    value += weight * arg;
    weight *= 10;
  }
  return value;
}

}  // namespace

// ---- Controls ----------------------------------------------------------

FAKE_EXPORT void FakeReset() {
  std::lock_guard lock(g_mutex);
  g_log.clear();
  g_counts.clear();
  g_open_result = 0;
  g_init_result = 0;
  g_inits_held = false;
  g_short_value = 0;
}

FAKE_EXPORT void FakeSetOpenResult(int result) {
  std::lock_guard lock(g_mutex);
  g_open_result = result;
}

FAKE_EXPORT void FakeSetInit(int result) {
  std::lock_guard lock(g_mutex);
  g_init_result = result;
}

// While held, InitStation_V does not answer: a console that keeps silent.
FAKE_EXPORT void FakeHoldInits(bool held) {
  std::lock_guard lock(g_mutex);
  g_inits_held = held;
  g_changed.notify_all();
}

FAKE_EXPORT void FakeSetShortValue(int value) {
  std::lock_guard lock(g_mutex);
  g_short_value = value;
}

// The calls so far, "; "-separated, e.g. "OpenCommPort_V(4,19200); InitStation_V".
// The text stays valid until the calling thread asks again.
FAKE_EXPORT const char* FakeLog() {
  thread_local std::string text;
  std::lock_guard lock(g_mutex);
  text.clear();
  for (const auto& line : g_log) {
    if (!text.empty()) text += "; ";
    text += line;
  }
  return text.c_str();
}

// Waits until `name` has been called `count` times or `timeout_ms` passed;
// returns how many times it was called.
FAKE_EXPORT int FakeWaitForCalls(const char* name, int count, int timeout_ms) {
  std::unique_lock lock(g_mutex);
  g_changed.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                     [&] { return g_counts[name] >= count; });
  return g_counts[name];
}

// Waits until no InitStation_V is running; true when none is.
FAKE_EXPORT bool FakeWaitInitsIdle(int timeout_ms) {
  std::unique_lock lock(g_mutex);
  return g_changed.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                            [] { return g_inits_running == 0; });
}

// ---- Link and initialisation ---------------------------------------------

FAKE_EXPORT int OpenCommPort_V(std::intptr_t port, std::intptr_t baud) {
  Record("OpenCommPort_V(" + std::to_string(port) + "," + std::to_string(baud) + ")");
  std::lock_guard lock(g_mutex);
  return g_open_result;
}

FAKE_EXPORT int OpenCommPortByName_V(const char* device, std::intptr_t baud) {
  Record("OpenCommPortByName_V(" + Text(device) + "," + std::to_string(baud) + ")");
  std::lock_guard lock(g_mutex);
  return g_open_result;
}

FAKE_EXPORT int OpenTCPIPPort_V(const char* first, const char* second) {
  Record("OpenTCPIPPort_V(" + Text(first) + "," + Text(second) + ")");
  std::lock_guard lock(g_mutex);
  return g_open_result;
}

FAKE_EXPORT int OpenUSBPort_V(std::intptr_t serial) {
  Record("OpenUSBPort_V(" + std::to_string(serial) + ")");
  std::lock_guard lock(g_mutex);
  return g_open_result;
}

FAKE_EXPORT int CloseCommPort_V() {
  Record("CloseCommPort_V");
  return 0;
}

FAKE_EXPORT int CloseTCPIPPort_V() {
  Record("CloseTCPIPPort_V");
  return 0;
}

FAKE_EXPORT int CloseUSBPort_V() {
  Record("CloseUSBPort_V");
  return 0;
}

FAKE_EXPORT int InitStation_V() {
  int result = 0;
  {
    std::unique_lock lock(g_mutex);
    ++g_inits_running;
    g_changed.wait(lock, [] { return !g_inits_held; });
    result = g_init_result;
  }
  Record("InitStation_V");
  std::lock_guard lock(g_mutex);
  --g_inits_running;
  g_changed.notify_all();
  return result;
}

FAKE_EXPORT int IsNewLoopPackageSupported_V() {
  return 0;
}
FAKE_EXPORT long GetUSBDevSerialNumber_V() {
  return 123456;
}

// ---- Loads: one answers the library's 0 for success, one an error ---------
// (LoadVantageHiLows_V is missing.)

FAKE_EXPORT int LoadCurrentVantageData_V() {
  return 0;
}
FAKE_EXPORT int LoadVantageAlarms_V() {
  return -32703;
}

// ---- Values (GetInsideTemp_V and GetOutsideHumidity_V are missing) ---------

FAKE_EXPORT float GetOutsideTemp_V() {
  return 71.5f;
}
FAKE_EXPORT int GetInsideHumidity_V() {
  std::lock_guard lock(g_mutex);
  return g_short_value;
}
FAKE_EXPORT int GetWindDir_V() {
  return 0;
}
FAKE_EXPORT int GetHiWindSpeedAlarm_V() {
  return 0;
}
FAKE_EXPORT int GetModelNo_V() {
  return 16;
}
FAKE_EXPORT float GetLowExtraTempAlarm_V(std::intptr_t sensor) {
  return 100.0f + static_cast<float>(sensor);
}
FAKE_EXPORT long GetTimeAlarm_V() {
  return -32768;
}

FAKE_EXPORT int GetWindDirCalibrationOffset_V(std::int32_t* offset) {
  *offset = -7;
  return 0;
}

FAKE_EXPORT int GetStationTime_V(std::int32_t* record) {
  const std::int32_t fields[5] = {30, 14, 5, 6, 2024};
  std::memcpy(record, fields, sizeof fields);
  return 0;
}

// Three pages, one record each, its outside temperature 70 + the page's index
// and its year the year asked after (-1 without a stamp); stops when the sink
// says so. SetStationTime_V is left out.
FAKE_EXPORT int DownloadArchive_V(const std::int32_t* after,
                                  std::int32_t (*sink)(void*, const void*), void* context) {
  Record("DownloadArchive_V");
  // VantageArchivePage: six int32, then five 180-byte records (the outside
  // temperature at byte 32 of a record, after the 20-byte stamp and three int32).
  unsigned char page[24 + 5 * 180] = {};
  for (std::int32_t i = 0; i < 3; ++i) {
    const std::int32_t header[6] = {i, 3, 1, 0, 1, 0};
    std::memcpy(page, header, sizeof header);
    const std::int32_t year = after == nullptr ? -1 : after[4];
    std::memcpy(page + 24 + 16, &year, sizeof year);
    const float temp = 70.0f + static_cast<float>(i);
    std::memcpy(page + 24 + 32, &temp, sizeof temp);
    if (sink(context, page) != 0) break;
  }
  return 0;
}

FAKE_EXPORT int GetVantageLat_V(unsigned char* record) {
  std::memset(record, 0xAB, 20);
  return 0;
}

// ---- Texts ---------------------------------------------------------------

FAKE_EXPORT void GetStationFirmwareVersion_V(char* buffer) {
  std::strcpy(buffer, "1.90");
}
FAKE_EXPORT void GetTimeAlarmStr_V(char* buffer) {
  std::strcpy(buffer, "06h30");
}

// Writes "id=<id>" into a room of `length` characters (terminator included);
// identifier 99 is unknown.
FAKE_EXPORT int GetCurrentDataStrByID_V(std::intptr_t id, char* buffer, std::intptr_t length) {
  if (id == 99) return -32705;
  if (length <= 0) return -32706;
  std::snprintf(buffer, static_cast<std::size_t>(length), "id=%ld", static_cast<long>(id));
  return 0;
}

// ---- Argument encoders, results wider than their path ----------------------

FAKE_EXPORT long FakeEcho1_V(std::intptr_t a) {
  return Encode({a});
}
FAKE_EXPORT long FakeEcho2_V(std::intptr_t a, std::intptr_t b) {
  return Encode({a, b});
}
FAKE_EXPORT long FakeEcho3_V(std::intptr_t a, std::intptr_t b, std::intptr_t c) {
  return Encode({a, b, c});
}
FAKE_EXPORT long FakeEcho4_V(std::intptr_t a, std::intptr_t b, std::intptr_t c, std::intptr_t d) {
  return Encode({a, b, c, d});
}
FAKE_EXPORT long FakeEcho5_V(std::intptr_t a, std::intptr_t b, std::intptr_t c, std::intptr_t d,
                             std::intptr_t e) {
  return Encode({a, b, c, d, e});
}
FAKE_EXPORT long FakeEcho6_V(std::intptr_t a, std::intptr_t b, std::intptr_t c, std::intptr_t d,
                             std::intptr_t e, std::intptr_t f) {
  return Encode({a, b, c, d, e, f});
}
FAKE_EXPORT long FakeEcho7_V(std::intptr_t a, std::intptr_t b, std::intptr_t c, std::intptr_t d,
                             std::intptr_t e, std::intptr_t f, std::intptr_t g) {
  return Encode({a, b, c, d, e, f, g});
}
FAKE_EXPORT float FakeEchoFloat7_V(std::intptr_t a, std::intptr_t b, std::intptr_t c,
                                   std::intptr_t d, std::intptr_t e, std::intptr_t f,
                                   std::intptr_t g) {
  return static_cast<float>(Encode({a, b, c, d, e, f, g}));
}
// Six arguments and the buffer: "a,b,c,d,e,f".
FAKE_EXPORT void FakeEchoText6_V(std::intptr_t a, std::intptr_t b, std::intptr_t c, std::intptr_t d,
                                 std::intptr_t e, std::intptr_t f, char* buffer) {
  std::snprintf(buffer, 64, "%ld,%ld,%ld,%ld,%ld,%ld", static_cast<long>(a), static_cast<long>(b),
                static_cast<long>(c), static_cast<long>(d), static_cast<long>(e),
                static_cast<long>(f));
}
// One argument and the buffer.
FAKE_EXPORT void FakeEchoText1_V(std::intptr_t a, char* buffer) {
  std::snprintf(buffer, 64, "<%ld>", static_cast<long>(a));
}
// A text that fills far more than a small buffer would hold (the library's
// documented maximum: 350 bytes with the terminator).
FAKE_EXPORT void FakeLongText_V(char* buffer) {
  std::memset(buffer, 'x', 349);
  buffer[349] = '\0';
}
FAKE_EXPORT long FakeWide_V() {
  return 0x18000;
}  // short -32768, byte 0, long 98304
FAKE_EXPORT long FakeByte_V() {
  return 0x1FF;
}  // byte 255
FAKE_EXPORT long FakeNegative_V() {
  return -32703;
}  // every integer path: -32703 or its low byte

// GetCurrentDataByID_V is read both as a 16-bit integer and as a float, so it
// answers in both return registers: 2 x id as the integer, 3 x id as the float.
#if defined(__x86_64__)
asm(R"(
  .text
  .globl GetCurrentDataByID_V
  .type GetCurrentDataByID_V, @function
GetCurrentDataByID_V:
  leal (%rdi,%rdi), %eax
  leal (%rdi,%rdi,2), %ecx
  cvtsi2ssl %ecx, %xmm0
  ret
  .size GetCurrentDataByID_V, .-GetCurrentDataByID_V
)");
#endif
