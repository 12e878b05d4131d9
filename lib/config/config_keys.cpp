#include "lib/config/config_keys.h"

namespace tv {

int DefaultPanelIndex(const ConfigTable& table) {
  const auto page = table.Number(kKeySeePanelDefault);
  if (page < 1 || page > kDetailPageCount) return 0;
  return static_cast<int>(page) - 1;
}

int ConfiguredLinkKind(const ConfigTable& table) {
  const std::string type = table.Value(kKeyConsoleType);
  if (type == "USB") return kLinkUsb;
  if (type == "IP") return kLinkTcpIp;
  return kLinkSerial;
}

}  // namespace tv
