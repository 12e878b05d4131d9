#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tv::protocol {

// Control bytes of the console link.
inline constexpr std::uint8_t kLf = 0x0A;
inline constexpr std::uint8_t kCr = 0x0D;
inline constexpr std::uint8_t kAck = 0x06;
// "Send that block again", sent by the host after a binary block whose CRC
// failed. (Decimal 21; printed as 0x21 in some references, which is wrong.)
inline constexpr std::uint8_t kNak = 0x15;
// "Bad CRC": the console rejects a CRC-checked block sent by the host.
inline constexpr std::uint8_t kCancel = 0x18;
// Host cancels an archive download.
inline constexpr std::uint8_t kEsc = 0x1B;

// Wake-up: the host sends one LF, the awake console answers LF CR.
inline constexpr std::string_view kWakeRequest = "\n";
inline constexpr std::string_view kWakeReply = "\n\r";
inline constexpr int kWakeAttempts = 3;
inline constexpr int kWakeTimeoutMs = 1200;

// Every command line ends with exactly one LF (never CR LF).
inline constexpr char kCommandTerminator = '\n';

// Text reply framings. A text reply starts with kOkPrefix; each following
// line ends with kLineEnd. Long operations end with kDoneLine later on.
inline constexpr std::string_view kLineEnd = "\n\r";
inline constexpr std::string_view kOkPrefix = "\n\rOK\n\r";
inline constexpr std::string_view kDoneLine = "DONE\n\r";
// BAUD refuses a rate with "NO" framed like "OK".
inline constexpr std::string_view kNoPrefix = "\n\rNO\n\r";
// TEST is answered with its own name.
inline constexpr std::string_view kTestReply = "TEST\n\r";
// The reply to a command the console does not know: a bare line end.
inline constexpr std::string_view kUnknownCommandReply = "\n\r";

// A text reply (VER, NVER, RXCHECK, BARDATA) must arrive whole within this
// time after the command; clients read what came and split it on LF CR.
inline constexpr int kTextReplyWindowMs = 500;
// Every LOOP/LOOP2 packet of a LOOP or LPS run comes this long after the last.
inline constexpr int kLoopIntervalMs = 2000;

// Command names, sent as ASCII followed by arguments and one LF.
inline constexpr std::string_view kCmdTest = "TEST";
inline constexpr std::string_view kCmdWrd = "WRD";
inline constexpr std::string_view kCmdRxCheck = "RXCHECK";
inline constexpr std::string_view kCmdRxTest = "RXTEST";
inline constexpr std::string_view kCmdVer = "VER";
inline constexpr std::string_view kCmdNver = "NVER";
inline constexpr std::string_view kCmdReceivers = "RECEIVERS";
inline constexpr std::string_view kCmdLoop = "LOOP";  // LOOP <n decimal>
inline constexpr std::string_view kCmdLps = "LPS";    // LPS <bitmap> <n>, decimal
inline constexpr std::string_view kCmdHilows = "HILOWS";
inline constexpr std::string_view kCmdPutRain = "PUTRAIN";  // decimal clicks
inline constexpr std::string_view kCmdPutEt = "PUTET";      // decimal 1/100 in
inline constexpr std::string_view kCmdGetEe = "GETEE";
inline constexpr std::string_view kCmdEerd = "EERD";    // EERD <addr hex> <count hex>
inline constexpr std::string_view kCmdEewr = "EEWR";    // EEWR <addr hex> <byte hex>
inline constexpr std::string_view kCmdEebrd = "EEBRD";  // EEBRD <addr hex> <count hex>
inline constexpr std::string_view kCmdEebwr = "EEBWR";  // EEBWR <addr hex> <count hex>
inline constexpr std::string_view kCmdCaled = "CALED";
inline constexpr std::string_view kCmdCalfix = "CALFIX";
inline constexpr std::string_view kCmdBarSet = "BAR=";  // BAR=<bar x 1000> <elevation ft>
inline constexpr std::string_view kCmdBarData = "BARDATA";
inline constexpr std::string_view kCmdClrLog = "CLRLOG";
inline constexpr std::string_view kCmdClrAlm = "CLRALM";
inline constexpr std::string_view kCmdClrCal = "CLRCAL";
inline constexpr std::string_view kCmdClrBits = "CLRBITS";
inline constexpr std::string_view kCmdClrData = "CLRDATA";
inline constexpr std::string_view kCmdBaud = "BAUD";
inline constexpr std::string_view kCmdSetTime = "SETTIME";
inline constexpr std::string_view kCmdGetTime = "GETTIME";
inline constexpr std::string_view kCmdSetPer = "SETPER";
inline constexpr std::string_view kCmdNewSetup = "NEWSETUP";
inline constexpr std::string_view kCmdLamps = "LAMPS";
inline constexpr std::string_view kCmdStart = "START";
inline constexpr std::string_view kCmdStop = "STOP";
// Archive download: DMPAFT after a date-time stamp, DMP the whole memory.
inline constexpr std::string_view kCmdDmpAft = "DMPAFT";
inline constexpr std::string_view kCmdDmp = "DMP";

// WRD carries two binary bytes between its name and the LF.
inline constexpr std::uint8_t kWrdArg1 = 0x12;
inline constexpr std::uint8_t kWrdArg2 = 0x4D;
// Station type byte answered by WRD.
inline constexpr std::uint8_t kStationTypeProOrPro2 = 16;
inline constexpr std::uint8_t kStationTypeVue = 17;

// LPS packet-type bitmap.
inline constexpr int kLpsLoop = 1;
inline constexpr int kLpsLoop2 = 2;

// Line rates the console accepts with BAUD.
inline constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 14400, 19200};
inline constexpr int kDefaultBaud = 19200;
// Bits on the wire per byte at 8N1 (start + 8 data + stop).
inline constexpr int kBitsPerByte = 10;

// Default TCP port of the console's IP data logger.
inline constexpr int kDefaultTcpPort = 22222;

}  // namespace tv::protocol
