// Text conversion on any bytes: the converted text is UTF-8, UTF-8 input is
// kept as it is, a prefix never cuts a character and is never longer than
// asked.
#include <cstdlib>
#include <string>
#include <string_view>

#include "lib/config/text_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const bool valid = tv::IsValidUtf8(text);
  const std::string converted = tv::TextFileToUtf8(text);
  if (!tv::IsValidUtf8(converted)) std::abort();
  if (valid && converted != text) std::abort();
  const std::string cp1252 = tv::Windows1252ToUtf8(text);
  if (!tv::IsValidUtf8(cp1252) || tv::Utf8Length(cp1252) != size) std::abort();
  const std::size_t n = size == 0 ? 0 : data[0] % 40;
  const std::string prefix = tv::Utf8Prefix(converted, n);
  if (!tv::IsValidUtf8(prefix) || tv::Utf8Length(prefix) > n) std::abort();
  if (converted.compare(0, prefix.size(), prefix) != 0) std::abort();
  tv::Utf8Length(text);
  tv::Utf8Prefix(text, n);
  return 0;
}
