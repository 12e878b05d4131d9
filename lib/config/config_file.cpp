#include "lib/config/config_file.h"

#include <fstream>
#include <optional>
#include <sstream>

#include "lib/config/text_encoding.h"

namespace tv {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view TrimLeft(std::string_view s) {
  const auto start = s.find_first_not_of(kBlanks);
  return start == std::string_view::npos ? std::string_view{} : s.substr(start);
}

std::string_view TrimRight(std::string_view s) {
  const auto end = s.find_last_not_of(kBlanks);
  return end == std::string_view::npos ? std::string_view{} : s.substr(0, end + 1);
}

}  // namespace

std::int32_t LoadIniText(std::string_view contents, ConfigTable& table,
                         std::string_view group_filter) {
  if (contents.substr(0, kUtf8Bom.size()) == kUtf8Bom) contents.remove_prefix(kUtf8Bom.size());

  // The group the following keys belong to; none before the first group line
  // and after a malformed one.
  std::optional<std::string> group;
  while (!contents.empty()) {
    const auto eol = contents.find('\n');
    std::string_view line = contents.substr(0, eol);
    contents.remove_prefix(eol == std::string_view::npos ? contents.size() : eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    line = TrimLeft(line);
    if (line.empty() || line.front() == ';') continue;

    if (line.front() == '[') {
      const auto close = line.find(']');
      if (close == std::string_view::npos || close == 1) {
        group.reset();
      } else {
        group = TextFileToUtf8(line.substr(1, close - 1));
      }
      continue;
    }

    if (!group) continue;
    if (!group_filter.empty() && *group != group_filter) continue;

    std::string_view key = line;
    std::string_view value;
    if (const auto eq = line.find('='); eq != std::string_view::npos) {
      key = line.substr(0, eq);
      value = TrimLeft(line.substr(eq + 1));
    }
    key = TrimRight(key);
    if (key.empty()) continue;
    table.Set(*group, TextFileToUtf8(key), TextFileToUtf8(value));
  }
  return static_cast<std::int32_t>(table.Size());
}

std::int32_t LoadIniFile(const std::string& path, ConfigTable& table,
                         std::string_view group_filter) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return static_cast<std::int32_t>(table.Size());
  std::ostringstream contents;
  contents << in.rdbuf();
  return LoadIniText(contents.view(), table, group_filter);
}

}  // namespace tv
