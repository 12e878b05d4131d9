#include "lib/station/connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "lib/station/result_codes.h"
#include "tests/unit/station/fake_station.h"

namespace tv {
namespace {

TEST(StationAddress, Serial) {
  struct Case {
    const char* legend;
    const char* address;
    std::int32_t port;
    std::int32_t baud;
    const char* device;
  };
  const Case cases[] = {
      {"COM name", "COM4", 4, 19200, ""},
      {"lower case", "com4", 4, 19200, ""},
      {"digit alone", "4", 4, 19200, ""},
      {"with a baud rate", "COM4@9600", 4, 9600, ""},
      {"baud rate not a number", "COM4@fast", 4, 19200, ""},
      {"empty baud rate", "COM4@", 4, 19200, ""},
      {"negative baud rate", "COM4@-9600", 4, 19200, ""},
      {"only the field before a second @ counts", "COM3@4800@1200", 3, 4800, ""},
      {"no port number", "COM", 0, 19200, ""},
      {"device path", "/dev/ttyUSB0", 0, 19200, "/dev/ttyUSB0"},
      {"device path with a baud rate", "/dev/pts/3@9600", 0, 9600, "/dev/pts/3"},
      {"device path keeps its case", "/dev/ttyCom1", 0, 19200, "/dev/ttyCom1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    const SerialAddress parsed = ParseSerialAddress(c.address);
    EXPECT_EQ(parsed.port, c.port);
    EXPECT_EQ(parsed.baud, c.baud);
    EXPECT_EQ(parsed.device, c.device);
  }
}

TEST(StationAddress, UsbAndTcp) {
  struct UsbCase {
    const char* legend;
    const char* address;
    std::int32_t serial;
  };
  const UsbCase usb[] = {
      {"with prefix", "USB123456", 123456},
      {"number alone", "123456", 123456},
      {"lower-case prefix", "usb42", 42},
      {"not a number", "auto", 0},
  };
  for (const auto& c : usb) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(ParseUsbAddress(c.address), c.serial);
  }

  struct TcpCase {
    const char* legend;
    const char* address;
    const char* first;
    const char* second;
  };
  const TcpCase tcp[] = {
      {"two parts", "127.0.0.1@22222", "127.0.0.1", "22222"},
      {"no @", "127.0.0.1", "127.0.0.1", ""},
      {"third part dropped", "a@b@c", "a", "b"},
  };
  for (const auto& c : tcp) {
    SCOPED_TRACE(c.legend);
    const TcpAddress parsed = ParseTcpAddress(c.address);
    EXPECT_EQ(parsed.first, c.first);
    EXPECT_EQ(parsed.second, c.second);
  }
}

using ConnectStationTest = FakeStationTest;

constexpr int kLongWait = 10000;

TEST_F(ConnectStationTest, OpensByKindThenInitialises) {
  struct Case {
    const char* legend;
    int kind;
    const char* address;
    const char* calls;
  };
  const Case cases[] = {
      {"serial port number", 0, "COM4@9600", "OpenCommPort_V(4,9600); InitStation_V"},
      {"serial device path", 0, "/dev/ttyUSB0@9600",
       "OpenCommPortByName_V(/dev/ttyUSB0,9600); InitStation_V"},
      {"TCP/IP: the part after @ goes first", 1, "A@B", "OpenTCPIPPort_V(B,A); InitStation_V"},
      {"USB", 2, "USB123456", "OpenUSBPort_V(123456); InitStation_V"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    fake().Reset();
    EXPECT_EQ(ConnectStation(c.kind, c.address, kLongWait), 1);
    EXPECT_EQ(fake().Calls(), c.calls);
    EXPECT_EQ(LastInitResult(), 1);
  }
}

TEST_F(ConnectStationTest, Failures) {
  struct Case {
    const char* legend;
    int kind;
    int open_result;
    int init_result;
    std::int16_t expected;
    const char* calls;
  };
  const Case cases[] = {
      {"open fails: its code, nothing closed", 0, -32703, 0, -32703, "OpenCommPort_V(4,19200)"},
      {"open answers 1", 2, 1, 0, 1, "OpenUSBPort_V(7); InitStation_V"},
      {"init fails: -32700 and the port is closed", 0, 0, -32701, -32700,
       "OpenCommPort_V(4,19200); InitStation_V; CloseCommPort_V"},
      {"init answers something else than success", 1, 0, 2, -32700,
       "OpenTCPIPPort_V(B,A); InitStation_V; CloseTCPIPPort_V"},
      {"unknown kind: 0 and no call", 3, 0, 0, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    fake().Reset();
    fake().SetOpenResult(c.open_result);
    fake().SetInit(c.init_result);
    const std::string address = c.kind == 0 ? "COM4" : c.kind == 1 ? "A@B" : "USB7";
    EXPECT_EQ(ConnectStation(c.kind, address, kLongWait), c.expected);
    EXPECT_EQ(fake().Calls(), c.calls);
  }
}

// With no time to wait the initialisation never counts, even after an
// earlier success, and the port is closed.
TEST_F(ConnectStationTest, ZeroTimeOut) {
  ASSERT_EQ(ConnectStation(0, "COM1", kLongWait), 1);
  fake().Reset();
  EXPECT_EQ(ConnectStation(0, "COM1", 0), -32700);
  EXPECT_EQ(LastInitResult(), 0);
  EXPECT_EQ(fake().WaitForCalls("CloseCommPort_V", 1, kLongWait), 1);
}

// A console that answers after the wait gave up: the attempt fails, and the
// late success is not recorded for it nor for the next attempt.
TEST_F(ConnectStationTest, LateInitialisationDoesNotCount) {
  fake().HoldInits(true);
  EXPECT_EQ(ConnectStation(1, "A@B", 5), -32700);
  EXPECT_EQ(fake().WaitForCalls("CloseTCPIPPort_V", 1, kLongWait), 1);
  fake().HoldInits(false);
  EXPECT_EQ(fake().WaitForCalls("InitStation_V", 1, kLongWait), 1);
  ASSERT_TRUE(fake().WaitInitsIdle(kLongWait));
  EXPECT_EQ(LastInitResult(), 0);

  fake().SetInit(-32701);
  EXPECT_EQ(ConnectStation(1, "A@B", kLongWait), -32700);
  EXPECT_EQ(LastInitResult(), -32701);
}

TEST_F(ConnectStationTest, ClosePortByKind) {
  struct Case {
    const char* legend;
    int kind;
    const char* calls;
  };
  const Case cases[] = {
      {"serial", 0, "CloseCommPort_V"},
      {"TCP/IP", 1, "CloseTCPIPPort_V"},
      {"USB", 2, "CloseUSBPort_V"},
      {"no kind", kArgAbsent, ""},
      {"any other value closes all three", 7, "CloseUSBPort_V; CloseCommPort_V; CloseTCPIPPort_V"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    fake().Reset();
    ClosePortThread(c.kind);
    EXPECT_EQ(fake().Calls(), c.calls);
    fake().Reset();
    EXPECT_TRUE(ClosePortBounded(c.kind, kLongWait));
    EXPECT_EQ(fake().Calls(), c.calls);
  }
}

std::size_t Entries(const char* folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

// Abandoned side threads end by themselves and nothing is left open: many
// failed attempts leave the process with the threads and descriptors it had.
TEST_F(ConnectStationTest, FailedAttemptsLeaveNothingBehind) {
  fake().HoldInits(true);
  ConnectStation(0, "COM1", 1);  // warms up whatever the first attempt sets up
  fake().HoldInits(false);
  ASSERT_TRUE(fake().WaitInitsIdle(kLongWait));
  const std::size_t threads = Entries("/proc/self/task");
  const std::size_t descriptors = Entries("/proc/self/fd");

  constexpr int kAttempts = 1000;
  int failures = 0;
  for (int i = 0; i < kAttempts; ++i) {
    // Every other attempt the port does not open; the others time out in the
    // initialisation.
    fake().SetOpenResult(i % 2 == 0 ? -32703 : 0);
    fake().HoldInits(true);
    if (ConnectStation(0, "COM1", 1) != 1) ++failures;
    fake().HoldInits(false);
  }
  EXPECT_EQ(failures, kAttempts);
  ASSERT_TRUE(fake().WaitInitsIdle(kLongWait));
  EXPECT_EQ(fake().WaitForCalls("CloseCommPort_V", kAttempts / 2 + 1, kLongWait),
            kAttempts / 2 + 1);
  // Threads that returned from the library still take a moment to exit.
  for (int i = 0; i < 1000 && Entries("/proc/self/task") > threads; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_LE(Entries("/proc/self/task"), threads);
  EXPECT_LE(Entries("/proc/self/fd"), descriptors);
}

}  // namespace
}  // namespace tv
