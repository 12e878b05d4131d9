#pragma once

#include <string>

namespace tv {

// "Activé" for 1, "Désactivé" for 0, the number itself otherwise.
std::string EnabledText(int value);

}  // namespace tv
