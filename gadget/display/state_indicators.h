#pragma once

#include <span>
#include <string_view>

#include "gadget/window/window.h"

namespace tv {

// Link states shown by ShowLinkState.
inline constexpr int kLinkDown = 0;
inline constexpr int kLinkUp = 1;
inline constexpr int kLinkBusy = 3;
inline constexpr int kLinkIdle = 4;

// Name of the blinking task of StatusLinkIcon in NamedHandles (kind 1).
inline constexpr std::string_view kLinkBlinkName = "CLIGNOTANT_ETAT_CONNEXION";

// Shows the link state in LinkStateIcon and StatusLinkIcon: down, up and idle
// stop the blinking and leave the icon shown; busy makes StatusLinkIcon blink
// (one blink at most, restarted). Other states change nothing. Returns 1.
int ShowLinkState(Window& window, int state);

// Puts the window into its empty look: "---" in every value field, no
// forecast, trend or pressure trend picture, the state icons hidden and the
// peak trees emptied.
void ResetDisplayedValues(Window& window);

// The value fields the reset writes "---" into, in the order it writes them.
std::span<const Field> ResetTextFields();

}  // namespace tv
