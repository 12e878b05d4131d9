#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "gadget/engine/activity_log.h"
#include "gadget/export/atomic_file.h"
#include "gadget/export/data_export.h"
#include "gadget/export/exporter.h"
#include "gadget/pages/activity_page.h"
#include "gadget/window/memory_window.h"
#include "tests/support/temp_dir.h"

namespace tv {
namespace {

using TempDir = testing::TempDir;

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> FolderContents(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `work` as a user that may not write into a folder of root's: in a
// child process with the "nobody" user when the tests run as root (root
// writes anywhere), in this process otherwise. Returns what `work` returns.
bool AsOrdinaryUser(const std::function<bool()>& work) {
  if (geteuid() != 0) return work();
  const pid_t child = fork();
  if (child == 0) {
    const bool ok = setgid(65534) == 0 && setuid(65534) == 0;
    _exit(!ok ? 2 : work() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "could not become nobody";
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(AtomicFile, WritesWholeFilesAndLeavesNothingBehindOnFailure) {
  TempDir dir;
  const fs::path target = dir.path / "export.json";
  ASSERT_TRUE(WriteFileAtomically(target.string(), "old"));
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(target.string(), "new contents", &error)) << error;
  EXPECT_EQ(ReadFile(target), "new contents") << "an existing file is replaced";
  EXPECT_EQ(FolderContents(dir.path), std::vector<std::string>{"export.json"});
  const mode_t mask = umask(022);
  umask(mask);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, static_cast<fs::perms>(0666 & ~mask))
      << "readable by others as any new file";

  // A folder of its own whose write permission has been taken away.
  const fs::path locked = dir.path / "locked";
  fs::create_directory(locked);
  chmod(locked.c_str(), 0755);
  ASSERT_TRUE(WriteFileAtomically((locked / "kept.json").string(), "kept"));
  chmod(locked.c_str(), 0555);
  // A name taken by a folder: the temporary file is written, the rename fails.
  const fs::path folder = dir.path / "taken.json";
  fs::create_directories(folder / "inside");

  struct Row {
    const char* legend;
    std::string path;
    const char* reason;
    bool ordinary_user;
  };
  const Row rows[] = {
      {"folder that cannot be written", (locked / "export.json").string(), "permission refusée",
       true},
      {"folder that does not exist", (dir.path / "absent" / "x.csv").string(),
       "dossier introuvable", false},
      {"a folder has the name", folder.string(), "remplacement impossible", false},
      {"a file where a folder should be", (target / "x.json").string(), "n'est pas un dossier",
       false},
  };
  for (const Row& row : rows) {
    std::string reason;
    // True when the write failed for the expected reason (also in the child).
    const auto fails_as_expected = [&] {
      return !WriteFileAtomically(row.path, "{}", &reason) &&
             reason.find(row.reason) != std::string::npos;
    };
    EXPECT_TRUE(row.ordinary_user ? AsOrdinaryUser(fails_as_expected) : fails_as_expected())
        << row.legend << ": " << reason;
  }
  EXPECT_EQ(FolderContents(locked), std::vector<std::string>{"kept.json"}) << "nothing left";
  EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"inside"});
  EXPECT_EQ(FolderContents(dir.path),
            (std::vector<std::string>{"export.json", "locked", "taken.json"}))
      << "no temporary file left behind";
}

TEST(ExportCollectedData, ReportsSuccessAndFailureWithThePath) {
  TempDir dir;
  ConfigTable config;
  ManualClock clock;
  MemoryWindow window;
  ActivityPage page(window);
  ActivityLog log(page, config, clock);
  StationRecord record;
  ServiceSchedule schedule;
  LanguagePack language((dir.path / "langue.pack").string());

  const std::string good = (dir.path / "ok.csv").string();
  EXPECT_TRUE(ExportCollectedData(record, schedule, language, log, clock.NowSeconds(), good));
  EXPECT_EQ(window.Lines(Field::AppLogList).front(), "Données exportées dans " + good);
  EXPECT_EQ(ReadFile(good).substr(0, 23), "group,name,value,unit\r\n");

  const std::string bad = (dir.path / "absent" / "x.json").string();
  EXPECT_FALSE(ExportCollectedData(record, schedule, language, log, clock.NowSeconds(), bad));
  EXPECT_EQ(window.Lines(Field::AppLogList).front(),
            "Échec de l'export des données vers " + bad +
                " : création du fichier impossible : dossier introuvable");
}

TEST(ExportFormats, CsvQuotesAsRfc4180AndJsonKeepsTheUnits) {
  std::vector<ExportValue> values = {
      {"g", "plain", 12.5, "°C", false, {}},
      {"g", "comma", std::string("a, b"), "", false, {}},
      {"g", "quote", std::string("say \"hi\""), "", false, {}},
      {"g", "line", std::string("one\r\ntwo"), "", false, {}},
      {"g", "missing", std::monostate{}, "mm", true, {}},
      {"r", "High", 3LL, "%", true, "14:05"},
  };
  EXPECT_EQ(ExportCsv(values),
            "group,name,value,unit\r\n"
            "g,plain,12.5,°C\r\n"
            "g,comma,\"a, b\",\r\n"
            "g,quote,\"say \"\"hi\"\"\",\r\n"
            "g,line,\"one\r\ntwo\",\r\n"
            "g,missing,,mm\r\n"
            "g,missing.Time,,\r\n"
            "r,High,3,%\r\n"
            "r,High.Time,14:05,\r\n");
  EXPECT_EQ(ExportJson({values[0], values[4], values[5]}),
            "{\n"
            "  \"g\": {\n"
            "    \"plain\": {\n      \"value\": 12.5,\n      \"unit\": \"°C\"\n    },\n"
            "    \"missing\": {\n      \"value\": null,\n      \"unit\": \"mm\",\n"
            "      \"time\": null\n    }\n"
            "  },\n"
            "  \"r\": {\n"
            "    \"High\": {\n      \"value\": 3,\n      \"unit\": \"%\",\n"
            "      \"time\": \"14:05\"\n    }\n"
            "  }\n"
            "}\n");

  struct Row {
    const char* path;
    ExportFormat format;
  };
  for (const Row& row :
       {Row{"a.csv", ExportFormat::kCsv}, Row{"/x/DONNEES.CSV", ExportFormat::kCsv},
        Row{"a.csv.json", ExportFormat::kJson}, Row{"csv", ExportFormat::kJson},
        Row{"a.txt", ExportFormat::kJson}}) {
    EXPECT_EQ(ExportFormatFor(row.path), row.format) << row.path;
  }
  EXPECT_EQ(IsoStationTime({5, 14, 21, 6, 2024}), "2024-06-21T14:05");
  EXPECT_EQ(IsoStationTime({5, 14, -1, -1, -1}), "14:05") << "a time without its date";
  EXPECT_EQ(IsoStationTime({-1, -1, 21, 6, 2024}), "");
}

}  // namespace
}  // namespace tv
