#include "lib/common/language_text.h"

#include "lib/common/app_values.h"
#include "lib/config/language_pack.h"

namespace tv {

std::string LanguageText(std::string_view key) {
  static LanguagePack pack(LanguagePackPath());
  return pack.Text(key);
}

}  // namespace tv
