#include "lib/common/wording.h"

namespace tv {

std::string EnabledText(int value) {
  if (value == 1) return "Activé";
  if (value == 0) return "Désactivé";
  return std::to_string(value);
}

}  // namespace tv
