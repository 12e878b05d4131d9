#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lib/config/config_table.h"

namespace tv {

// Reads a settings file of "[group]" lines and "key = value" lines into
// `table` and returns the number of entries in the table afterwards (so 0
// tells the caller nothing usable was found). With a non-empty
// `group_filter`, only the keys of that group are read. When the file cannot
// be opened the table is left as it was.
//
// How lines are read:
// - Lines end in LF or CR LF; a UTF-8 byte-order mark at the start is skipped.
// - Blanks (space, tab) before a line's text are ignored; empty lines and
//   lines starting with ";" are skipped.
// - "[name]" starts a group; the name is what lies between "[" and the first
//   "]", kept as written. A group may appear several times: its keys are merged.
// - A line starting with "[" that has no "]", or an empty name, is not a
//   group: it ends the group before it, and the keys that follow it are
//   ignored up to the next valid group line, so they never land in a group
//   they were not written under.
// - Keys before the first group line are ignored.
// - "key = value": blanks around the key and after "=" are dropped; the value
//   runs to the end of the line. A line without "=" defines the key with an
//   empty value. A key with an empty name is skipped. A key written twice
//   keeps its last value.
// - Group names, keys and values are taken byte for byte when they are UTF-8;
//   otherwise they are read as Windows-1252 and converted to UTF-8.
std::int32_t LoadIniFile(const std::string& path, ConfigTable& table,
                         std::string_view group_filter);

// The same rules applied to the contents of a file already in memory.
std::int32_t LoadIniText(std::string_view contents, ConfigTable& table,
                         std::string_view group_filter);

}  // namespace tv
