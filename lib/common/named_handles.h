#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tv {

// Kinds of named handles.
inline constexpr int kHandleKindImage = 0;  // pictures, names beginning "ICO_"
inline constexpr int kHandleKindBlink = 1;  // blinking tasks

// Process-wide registry of handles by kind and name. The key is the decimal
// kind, "_" and the name ("0_ICO_VT"). Safe to call from any thread.
//
// Registers (or overwrites) the entry and returns its key.
std::string RegisterHandle(std::string_view name, int kind, std::int64_t handle,
                           std::string_view note = {});

// The handle registered under name and kind, 0 when there is none.
std::int64_t LookupHandle(std::string_view name, int kind);

// The note given at registration, empty when there is none.
std::string LookupHandleNote(std::string_view name, int kind);

// Forgets every entry (tests only: the registry otherwise lives until exit).
void ClearNamedHandles();

}  // namespace tv
