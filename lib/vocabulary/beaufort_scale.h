#pragma once

#include <string>

namespace tv {

// Beaufort force 0 to 12 of a wind speed in km/h. The speed is first rounded
// to a whole number, a half going to the even neighbour; negative speeds and
// NaN give 0, any speed of 118 km/h or more gives 12.
int BeaufortForce(double speed_kmh);

// Name of a force, visible effect on land, state of the sea; "---" for a
// force outside 0 to 12.
std::string BeaufortName(int force);
std::string BeaufortLandEffect(int force);
std::string BeaufortSeaState(int force);

}  // namespace tv
