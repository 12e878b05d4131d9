#pragma once

#include <string>
#include <string_view>

namespace tv {

// The text of `key` in the language pack beside the executable
// (LanguagePackPath()), "" when the key or the pack is missing. A missing
// pack is looked for again at each call until one has been read. Safe to
// call from any thread.
std::string LanguageText(std::string_view key);

}  // namespace tv
