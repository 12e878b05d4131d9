// Entry point of the agent: the desktop program in the notification area, or,
// with --no-window or without any display, the collection alone, its activity
// log and a line of current conditions after each collection on standard
// output; with --export PATH, the collected data written to a file after the
// first full collection; with --export-history FROM TO PATH, the records of
// the archive store in that range written to a file; with --climate-report
// PERIOD PATH, the month's or year's climate summary from the store.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

#include "gadget/agent/headless_agent.h"
#include "gadget/app/desktop_main.h"
#include "gadget/app/instance_lock.h"
#include "gadget/archive/archive_settings.h"
#include "gadget/archive/console_stamp.h"
#include "gadget/archive/history_export.h"
#include "gadget/reports/climate_report.h"
#include "gadget/window/memory_window.h"

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
  tv::ServiceSchedule schedule;
  tv::ServiceFreshFlags flags;
  tv::RegisterServices(tv::kServiceList, config, schedule, flags);
  std::printf("%s\n", tv::AppTitle().c_str());
  std::printf("Fichier de configuration : %s\n", tv::IniPath().c_str());
  std::printf("Liaison : %s, adresse \"%s\", délai de connexion %lld s\n",
              LinkKindName(tv::ConfiguredLinkKind(config)),
              config.Value(tv::kKeyConsoleAddress).c_str(),
              static_cast<long long>(config.Number(tv::kKeyConnectionTimeout)));

  const auto services = schedule.Entries();
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
  if (tv::ArchiveEnabled(config)) {
    std::printf("Archive de la console : %s\n", tv::ArchiveStorePath(config).c_str());
  } else {
    std::printf("Archive de la console : non conservée\n");
  }
}

std::string AbsolutePath(const char* path) {
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(path, ec);
  return ec ? std::string(path) : absolute.lexically_normal().string();
}

// --export-history: the archive store's records from FROM to TO (local
// times) into FILE. 0 when written, 1 when not, 2 for dates not understood.
int ExportHistory(const tv::ConfigTable& config, const char* from_text, const char* to_text,
                  const std::string& file) {
  const auto from = tv::ParseLocalTime(from_text, false);
  const auto to = tv::ParseLocalTime(to_text, true);
  if (!from || !to) {
    std::fprintf(stderr,
                 "Date non comprise : %s (attendu AAAA-MM-JJ ou AAAA-MM-JJTHH:MM, heure locale).\n",
                 !from ? from_text : to_text);
    return 2;
  }
  std::string message;
  const bool written = tv::ExportHistory(tv::ArchiveStorePath(config), *from, *to, file, &message);
  std::fprintf(written ? stdout : stderr, "%s\n", message.c_str());
  return written ? 0 : 1;
}

// --climate-report: the month (YYYY-MM) or year (YYYY) from the store into
// FILE (.txt or .csv). It only reads the store, so it runs beside an agent
// without its lock. 0 when written, 1 when nothing could be, 2 for a period
// or file name not understood.
int ClimateReport(const char* period, const std::string& file) {
  tv::ConfigTable config;
  if (tv::LoadIniFile(tv::IniPath(), config, "") == 0) {
    std::fprintf(stderr, "Impossible de charger le fichier INI : %s\n", tv::IniPath().c_str());
    return 1;
  }
  std::string message;
  const auto result = tv::WriteClimateReport(tv::ArchiveStorePath(config), period, file,
                                             tv::ReportSettingsFromConfig(config), {}, &message);
  std::fprintf(result == tv::ReportResult::kWritten ? stdout : stderr, "%s\n", message.c_str());
  return static_cast<int>(result);
}

void PrintUsage() {
  std::printf(
      "Usage : teskaro-ventaro [--hidden | --no-window | --export FICHIER |\n"
      "                         --export-history DEBUT FIN FICHIER | --settings | --help]\n"
      "  (sans option) la fenêtre et l'icône de la zone de notification\n"
      "  --hidden          démarre caché dans la zone de notification (comme\n"
      "                    GENERAL_StartHideAgent=1), par exemple à l'ouverture de session\n"
      "  --no-window       collecte sans fenêtre : journal et conditions actuelles sur la sortie\n"
      "  --export FICHIER  collecte sans fenêtre, écrit les données dans FICHIER (CSV si son\n"
      "                    nom finit par .csv, JSON sinon) après la première collecte complète\n"
      "                    et s'arrête (code 0 si le fichier est écrit, 1 sinon)\n"
      "  --export-history DEBUT FIN FICHIER\n"
      "                    écrit les enregistrements de l'archive de DEBUT à FIN (heure locale,\n"
      "                    AAAA-MM-JJ ou AAAA-MM-JJTHH:MM, bornes comprises) dans FICHIER\n"
      "                    (.csv ou .json) et s'arrête (code 0 si le fichier est écrit)\n"
      "  --climate-report AAAA-MM|AAAA FICHIER\n"
      "                    écrit le relevé climatologique du mois ou de l'année tiré de\n"
      "                    l'archive dans FICHIER (.txt ou .csv) et s'arrête (code 0 si le\n"
      "                    fichier est écrit, 1 si rien ne l'est, 2 période ou nom non compris)\n"
      "  --settings        affiche la configuration lue dans tsk_vnt.ini et s'arrête\n"
      "Le fichier tsk_vnt.ini est lu dans le dossier du programme.\n");
}

}  // namespace

int main(int argc, char** argv) {
  bool settings_only = false;
  bool no_window = false;
  bool hidden = false;
  std::string export_path;
  const char* history_from = nullptr;
  const char* history_to = nullptr;
  std::string history_file;
  const char* climate_period = nullptr;
  std::string climate_file;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--settings") == 0) {
      settings_only = true;
    } else if (std::strcmp(argv[i], "--no-window") == 0) {
      no_window = true;
    } else if (std::strcmp(argv[i], "--hidden") == 0) {
      hidden = true;
    } else if (std::strcmp(argv[i], "--export") == 0) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        std::fprintf(stderr, "L'option --export demande le nom du fichier à écrire.\n");
        PrintUsage();
        return 2;
      }
      // Absolute, so that the log names the file wherever the program was started.
      export_path = AbsolutePath(argv[++i]);
      no_window = true;
    } else if (std::strcmp(argv[i], "--export-history") == 0) {
      if (i + 3 >= argc || argv[i + 3][0] == '\0') {
        std::fprintf(
            stderr, "L'option --export-history demande le début, la fin et le fichier à écrire.\n");
        PrintUsage();
        return 2;
      }
      history_from = argv[++i];
      history_to = argv[++i];
      history_file = AbsolutePath(argv[++i]);
      no_window = true;
    } else if (std::strcmp(argv[i], "--climate-report") == 0) {
      if (i + 2 >= argc || argv[i + 2][0] == '\0') {
        std::fprintf(stderr,
                     "L'option --climate-report demande la période et le fichier à écrire.\n");
        PrintUsage();
        return 2;
      }
      climate_period = argv[++i];
      climate_file = AbsolutePath(argv[++i]);
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintUsage();
      return 0;
    } else {
      std::fprintf(stderr, "Option inconnue : %s\n", argv[i]);
      PrintUsage();
      return 2;
    }
  }

  if (climate_period != nullptr) return ClimateReport(climate_period, climate_file);

  // One agent per user and installation; held until the process ends. What
  // only reads (the settings, the archive store beside a running agent:
  // SQLite's WAL journal lets a reader in) takes no lock.
  const bool reads_only = settings_only || history_from != nullptr;
  std::unique_ptr<tv::InstanceLock> lock;
  const bool desktop = !no_window && !settings_only && tv::DisplayAvailable();
  if (!reads_only) {
    lock = std::make_unique<tv::InstanceLock>(tv::AppDir());
    if (!lock->Held() && !lock->Problem().empty()) {
      // Without a usable runtime folder the agent runs unguarded rather than not at all.
      std::fprintf(stderr, "Verrou de l'agent impossible (%s) : il démarre sans.\n",
                   lock->Problem().c_str());
    } else if (!lock->Held() && desktop) {
      return tv::ShowRunningAgent(argc, argv, lock->SocketPath());
    } else if (!lock->Held()) {
      std::fprintf(stderr,
                   "Un agent Teskaro Ventaro fonctionne déjà pour cet utilisateur : un second "
                   "se disputerait la console avec lui. Arrêtez-le d'abord.\n");
      return 1;
    }
  }
  if (desktop) return tv::RunDesktop(argc, argv, hidden, lock->Held() ? lock->SocketPath() : "");
  if (!no_window && !settings_only) {
    std::printf("Aucun affichage graphique (DISPLAY) : l'agent fonctionne sans fenêtre.\n");
  }

  tv::ConfigTable config;
  if (tv::LoadIniFile(tv::IniPath(), config, "") == 0) {
    std::fprintf(stderr, "Impossible de charger le fichier INI : %s\n", tv::IniPath().c_str());
    return 1;
  }
  if (history_from != nullptr) return ExportHistory(config, history_from, history_to, history_file);
  PrintSettings(config);
  if (settings_only) return 0;
  std::fflush(stdout);

  tv::MemoryWindow window;
  window.KeepCallLog(false);  // nobody reads it, and the agent runs for months
  return tv::RunHeadlessUntilSignal(config, window, std::cout, export_path);
}
