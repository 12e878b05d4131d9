#pragma once

#include <cstdint>
#include <string>

namespace tv {

// Marks an omitted argument wherever an operation takes optional arguments.
inline constexpr int kArgAbsent = -65535;

// Results of the station operations. Status operations return 1 for success;
// the negative codes are the station library's errors. A measured value that
// rounds to one of the codes rejected by IsValidResult is no measurement.
inline constexpr int kResultOk = 1;
inline constexpr int kResultNotDone = 0;
inline constexpr int kResultDataError = 32768;
inline constexpr int kResultLibraryStart = -32700;
inline constexpr int kResultCommError = -32701;
inline constexpr int kResultMemory = -32702;
inline constexpr int kResultOpenError = -32703;
inline constexpr int kResultNeedsLoad = -32704;
inline constexpr int kResultBadDataId = -32705;
inline constexpr int kResultBufferTooSmall = -32706;
inline constexpr int kResultBadParameters = -32707;
inline constexpr int kResultPositiveValue = -32767;
// Also the value the station library returns for a sensor the console reports
// as dashed (absent).
inline constexpr int kResultNegativeValue = -32768;

// Where users are told to write about a result code we do not know.
inline constexpr const char* kSupportEmail = "support@teskaro-ventaro.example";

// The date and time record filled by the station library's time operations.
// -1 in a field means the console has no value for it.
struct StationDateTime {
  std::int32_t Minute = 0;
  std::int32_t Hour = 0;
  std::int32_t Day = 0;
  std::int32_t Month = 0;
  std::int32_t Year = 0;
};
static_assert(sizeof(StationDateTime) == 20, "the station library fills exactly 20 bytes");

// The French message of a result code: "32703 | Erreur d'ouverture de
// communication." (the code without its minus sign, then the message), or
// the contact text for a code we do not know.
std::string ResultCodeText(int code);

// 1 when `value` is a measurement, 0 when it rounds (halves to even) to one
// of the library's error or no-data codes. Values that are not finite are
// never measurements either and give 0.
int IsValidResult(float value);

}  // namespace tv
