#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "gadget/engine/services.h"

namespace tv {

// Reads the console's current conditions. The cheap, fast-changing values
// (wind, rain rate) are read on every run; three groups of values have their
// own periods ("CURRENTDATA_" + "TempHumBar", "ForeCast", "SunSetSunRise").
class CurrentDataService {
 public:
  explicit CurrentDataService(ServiceContext context);

  // 1 when the packet was loaded and the console clock (or, on a run that
  // reads them, the sunset time) could be read; 0 or the failing code otherwise.
  int Run();

  // Next read time of a sub-option (0 before its first read).
  std::int64_t NextRead(std::string_view sub_option) const;

 private:
  bool Due(std::string_view sub_option, std::int64_t now) const;
  void Schedule(std::string_view sub_option);

  ServiceContext context_;
  std::map<std::string, std::int64_t, std::less<>> next_read_;
};

}  // namespace tv
