#include "gadget/window/field.h"

#include <array>

namespace tv {
namespace {

constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
#define TV_FIELD_NAME(name) #name,
    TV_GADGET_FIELDS(TV_FIELD_NAME)
#undef TV_FIELD_NAME
};

}  // namespace

std::string_view FieldName(Field field) {
  const auto index = static_cast<std::size_t>(field);
  return index < kFieldNames.size() ? kFieldNames[index] : std::string_view{};
}

std::optional<Field> FieldFromName(std::string_view name) {
  for (std::size_t i = 0; i < kFieldNames.size(); ++i) {
    if (kFieldNames[i] == name) return static_cast<Field>(i);
  }
  return std::nullopt;
}

}  // namespace tv
