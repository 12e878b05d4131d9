// Entry point of the agent. Until the window exists it loads the settings
// beside the executable, registers the services they enable and prints what
// it found.
#include <cstdio>
#include <string>

#include "lib/common/app_values.h"
#include "lib/common/service_tables.h"
#include "lib/config/config_file.h"
#include "lib/config/config_keys.h"
#include "lib/config/config_table.h"

namespace {

const char* LinkKindName(int kind) {
  switch (kind) {
    case tv::kLinkTcpIp:
      return "TCP/IP";
    case tv::kLinkUsb:
      return "USB";
    default:
      return "série";
  }
}

void PrintSettings(const tv::ConfigTable& config) {
  std::printf("%s\n", tv::AppTitle().c_str());
  std::printf("Fichier de configuration : %s\n", tv::IniPath().c_str());
  std::printf("Liaison : %s, adresse \"%s\", délai de connexion %lld s\n",
              LinkKindName(tv::ConfiguredLinkKind(config)),
              config.Value(tv::kKeyConsoleAddress).c_str(),
              static_cast<long long>(config.Number(tv::kKeyConnectionTimeout)));

  const auto services = tv::TheServiceSchedule().Entries();
  std::printf("Services actifs : %zu\n", services.size());
  for (const auto& s : services) {
    const std::string key = std::string(tv::kServiceKeyPrefix) + s.name;
    std::printf("  %d. %s : période %lld s\n", s.position, s.name.c_str(),
                static_cast<long long>(config.Number(key)));
  }

  const auto refresh = config.Number(tv::kKeyRefreshServices);
  if (refresh > 0) {
    std::printf("Pause entre deux collectes : %lld s\n", static_cast<long long>(refresh));
  } else {
    std::printf("Pause entre deux collectes : adaptative\n");
  }
  std::printf(
      "Sous-collectes CurrentData : TempHumBar %lld s, ForeCast %lld s, "
      "SunSetSunRise %lld s\n",
      static_cast<long long>(config.Number(tv::kKeyTempHumBar)),
      static_cast<long long>(config.Number(tv::kKeyForeCast)),
      static_cast<long long>(config.Number(tv::kKeySunSetSunRise)));
  std::printf("Décalage après échec : %lld s\n",
              static_cast<long long>(config.Number(tv::kKeyOffsetService)));
  std::printf("Page affichée au démarrage : %d\n", tv::DefaultPanelIndex(config) + 1);
  std::printf("Alertes : %s\n", config.Flag(tv::kKeyAlertsActive) ? "actives" : "inactives");
}

}  // namespace

int main() {
  tv::ConfigTable config;
  if (tv::LoadIniFile(tv::IniPath(), config, "") == 0) {
    std::fprintf(stderr, "Impossible de charger le fichier INI : %s\n", tv::IniPath().c_str());
    return 1;
  }
  tv::RegisterServices(tv::kServiceList, config);
  PrintSettings(config);
  return 0;
}
