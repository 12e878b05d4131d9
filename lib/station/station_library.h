#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "lib/station/result_codes.h"

namespace tv {

// File name of the station library. It is installed beside the program and
// loaded from there by absolute path, never looked for in the current
// directory or along the loader's search path.
inline constexpr const char* kStationLibraryFileName = "libvantagepro.so";

// Most arguments a call path takes (the text path uses the last place for its
// buffer, so it takes one fewer from its caller).
inline constexpr int kMaxStationArguments = 7;

// Size of the buffer the text path hands to the library. The library writes at
// most 350 bytes, terminator included; the room beyond that is a safety margin
// since the library is not told the buffer's size.
inline constexpr std::size_t kStationTextBufferSize = 1024;

// The folder of the running program + kStationLibraryFileName.
std::string DefaultStationLibraryPath();

// Replaces the path the library is loaded from (tests point it at a stand-in
// library). An empty path restores the default. A path that is not absolute
// is kept but never loaded: LoadStationLibrary then returns 0.
void SetStationLibraryPath(std::string path);
std::string StationLibraryPath();

// Loads the station library again (the loader counts the loads; it is never
// unloaded) and publishes its handle to the call paths. 1 when loaded, 0 when
// not (the call paths then answer with their "not loaded" values).
int LoadStationLibrary();

// The handle published by the last LoadStationLibrary, nullptr when none.
void* StationLibraryHandle();

// How a 16-bit result is taken. The library reports success as 0 or 1; a
// status result of 0 therefore reads 1. A measured value or a threshold is
// passed on unchanged: 0 degrees or 0 % are real readings.
enum class ShortResult { kStatus, kValue };

// One argument list: 32-bit integers and addresses, kArgAbsent standing for
// an unused place. Arguments count up to the last one that is not kArgAbsent.
using StationArgs = std::initializer_list<std::intptr_t>;

// A pointer passed as one of the arguments.
inline std::intptr_t Address(const void* pointer) {
  return reinterpret_cast<std::intptr_t>(pointer);
}

// Number of arguments of `args`: up to and including the last one that is not
// kArgAbsent (more than kMaxStationArguments count as kMaxStationArguments).
int CountStationArguments(StationArgs args);

// The export name as the station library's interface writes it:
// "_" + name + "@" + 4 x argument count ("_GetOutsideTemp_V@0").
std::string DecoratedExportName(std::string_view operation, int argument_count);

// The symbol actually exported by the shared object: the decorated name
// without its leading "_" and its "@n" suffix. Names that carry no decoration
// are returned as they are.
std::string PlainExportName(std::string_view decorated);

// The five call paths. Each looks the export up at every call; nothing is
// cached. Not loaded: Byte 0, Short and Long -32701, Float -32701.0, Text
// "-32701". Export missing: Byte 0, Long 0, Float -32701.0, Text "-32701",
// Short 1 for a status and -32701 for a value.
std::uint8_t CallStationByte(std::string_view operation, StationArgs args = {});
std::int16_t CallStationShort(std::string_view operation, ShortResult kind, StationArgs args = {});
std::int32_t CallStationLong(std::string_view operation, StationArgs args = {});
float CallStationFloat(std::string_view operation, StationArgs args = {});
// The buffer is passed after the given arguments (at most 6 of them) and its
// text, up to the first zero byte, is the result.
std::string CallStationText(std::string_view operation, StationArgs args = {});

}  // namespace tv
