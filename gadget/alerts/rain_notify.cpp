#include "gadget/alerts/rain_notify.h"

namespace tv {

void RainNotify(Window& /*window*/, const ConfigTable& /*config*/, float /*rain_rate*/) {}

}  // namespace tv
