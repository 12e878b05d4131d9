// The language pack read from a file holding any bytes: every forecast
// sentence looked up comes back as UTF-8.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "lib/config/language_pack.h"
#include "lib/config/text_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr && dir[0] != '\0' ? dir : "/tmp") + "/tv_fuzz_pack." +
           std::to_string(getpid());
  }();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  tv::LanguagePack pack(path);
  for (int i = 0; i <= 42; ++i) {
    const std::string text = pack.Text("PREV_METEO_" + std::to_string(i));
    if (!tv::IsValidUtf8(text)) std::abort();
  }
  pack.Text("");
  pack.Loaded();
  std::remove(path.c_str());
  return 0;
}
