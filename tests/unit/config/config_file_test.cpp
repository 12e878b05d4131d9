#include "lib/config/config_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "lib/config/config_keys.h"
#include "lib/config/config_table.h"
#include "tests/support/temp_dir.h"

namespace tv {
namespace {

using Entries = std::map<std::string, std::string>;

Entries AllEntries(const ConfigTable& table) {
  Entries out;
  for (const auto& key : table.Keys()) out[key] = table.Value(key);
  return out;
}

struct ParseCase {
  const char* legend;
  std::string contents;
  std::string filter;
  Entries expected;
};

TEST(LoadIniText, LineRules) {
  const ParseCase cases[] = {
      {"group and keys compose group_key",
       "[CONSOLE]\ntype=IP\nadresse=COM3@9600\n",
       "",
       {{"CONSOLE_type", "IP"}, {"CONSOLE_adresse", "COM3@9600"}}},
      {"CR LF line ends leave no CR in values",
       "[A]\r\nx=1\r\ny=2\r\n",
       "",
       {{"A_x", "1"}, {"A_y", "2"}}},
      {"UTF-8 byte-order mark skipped", "\xEF\xBB\xBF[A]\nx=1\n", "", {{"A_x", "1"}}},
      {"blanks around key and '=' and before value dropped, trailing kept",
       "  [A]\n\t key \t=  \tvalue with spaces \n",
       "",
       {{"A_key", "value with spaces "}}},
      {"comments and empty lines skipped", "; c\n[A]\n\n  ; x=1\n\t\ny=2\n", "", {{"A_y", "2"}}},
      {"line without '=' is a key with an empty value",
       "[SERVICES]\nHiLow\nAlarm=\n",
       "",
       {{"SERVICES_HiLow", ""}, {"SERVICES_Alarm", ""}}},
      {"keys before the first group are not loaded", "x=1\ny\n[A]\nz=3\n", "", {{"A_z", "3"}}},
      {"key with an empty name skipped", "[A]\n=orphan\n  = x\nk=v\n", "", {{"A_k", "v"}}},
      {"case kept: a lower-case group gives another key",
       "[console]\ntype=USB\n",
       "",
       {{"console_type", "USB"}}},
      {"same key twice: last value wins", "[A]\nx=1\nx=2\n", "", {{"A_x", "2"}}},
      {"group written twice: keys merged",
       "[A]\nx=1\n[B]\ny=2\n[A]\nz=3\nx=4\n",
       "",
       {{"A_x", "4"}, {"A_z", "3"}, {"B_y", "2"}}},
      {"group line without ']' drops the keys under it until the next group",
       "[A]\nx=1\n[B\ny=2\n[C]\nz=3\n",
       "",
       {{"A_x", "1"}, {"C_z", "3"}}},
      {"empty group name drops its keys", "[]\nx=1\n[A]\ny=2\n", "", {{"A_y", "2"}}},
      {"group with no keys loads nothing", "[GENERAL]\n", "", {}},
      {"filter reads only its group, every occurrence",
       "[A]\nx=1\n[B]\ny=2\n[A]\nz=3\n",
       "A",
       {{"A_x", "1"}, {"A_z", "3"}}},
      {"Windows-1252 value converted to UTF-8",
       "[A]\nx=Pr\xE9vision \x80\n",
       "",
       {{"A_x", "Pr\xC3\xA9vision \xE2\x82\xAC"}}},
      {"Windows-1252 group and key names converted too",
       "[M\xE9t\xE9o]\n\xE9t\xE9=1\n",
       "",
       {{"M\xC3\xA9t\xC3\xA9o_\xC3\xA9t\xC3\xA9", "1"}}},
  };
  for (const auto& c : cases) {
    ConfigTable table;
    const auto count = LoadIniText(c.contents, table, c.filter);
    EXPECT_EQ(AllEntries(table), c.expected) << c.legend;
    EXPECT_EQ(count, static_cast<std::int32_t>(c.expected.size())) << c.legend;
  }
}

TEST(LoadIniText, AddsToWhatTheTableHolds) {
  ConfigTable table;
  table.Set("A", "x", "old");
  EXPECT_EQ(LoadIniText("[B]\ny=1\n", table, ""), 2) << "the result counts earlier entries";
  EXPECT_EQ(table.Value("A_x"), "old");
}

class IniFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  tv::testing::TempDir tmp_{"tv-config"};
  const std::filesystem::path& dir_ = tmp_.path;
};

TEST_F(IniFileTest, ReadsFileBytes) {
  ConfigTable table;
  const auto path = Write("tsk_vnt.ini", "\xEF\xBB\xBF[GENERAL]\r\nNotify=1\r\n");
  EXPECT_EQ(LoadIniFile(path, table, ""), 1);
  EXPECT_TRUE(table.Flag(kKeyGeneralNotify));
}

TEST_F(IniFileTest, UnreadableFileLeavesTableAsItWas) {
  ConfigTable table;
  table.Set("A", "x", "1");
  EXPECT_EQ(LoadIniFile((dir_ / "missing.ini").string(), table, ""), 1);
  EXPECT_EQ(LoadIniFile(dir_.string(), table, ""), 1) << "a folder is no settings file";
  EXPECT_EQ(table.Value("A_x"), "1");
}

TEST(ConfigTable, ReadingRules) {
  ConfigTable table;
  LoadIniText(
      "[T]\none=1\ntrue=true\nspace1= 1\nempty=\nnum=42\nlead=12abc\nneg=-7\nword=abc\n"
      "huge=99999999999999\nplus=+5\nminus=-\n",
      table, "");
  struct Case {
    const char* legend;
    const char* key;
    bool has;
    bool flag;
    std::int64_t number;
  };
  const Case cases[] = {
      {"exactly 1 is on", "T_one", true, true, 1},
      {"the word true is off", "T_true", true, false, 0},
      {"blank after '=' is dropped, so still on", "T_space1", true, true, 1},
      {"empty value: present, off, 0", "T_empty", true, false, 0},
      {"absent key: off, 0", "T_none", false, false, 0},
      {"leading integer of a malformed number", "T_lead", true, false, 12},
      {"negative number", "T_neg", true, false, -7},
      {"no digits gives 0", "T_word", true, false, 0},
      {"huge number held to 32 bits", "T_huge", true, false, 2147483647},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(table.Has(c.key), c.has) << c.legend;
    EXPECT_EQ(table.Flag(c.key), c.flag) << c.legend;
    EXPECT_EQ(table.Number(c.key), c.number) << c.legend;
  }
  EXPECT_EQ(table.Value("T_none"), "");
  EXPECT_FALSE(table.Has("T_none")) << "a lookup adds nothing";
}

TEST(ConfigKeys, DefaultPanelAndLinkKind) {
  struct Case {
    const char* legend;
    const char* contents;
    int panel;
    int link;
  };
  const Case cases[] = {
      {"nothing set: first page, serial link", "[GENERAL]\nNotify=0\n", 0, kLinkSerial},
      {"page 3 is index 2", "[GENERAL]\nSeePanelDefault=3\n", 2, kLinkSerial},
      {"page 0 ignored", "[GENERAL]\nSeePanelDefault=0\n", 0, kLinkSerial},
      {"page 11 ignored", "[GENERAL]\nSeePanelDefault=11\n", 0, kLinkSerial},
      {"IP", "[CONSOLE]\ntype=IP\n", 0, kLinkTcpIp},
      {"USB", "[CONSOLE]\ntype=USB\n", 0, kLinkUsb},
      {"lower-case usb stays serial", "[CONSOLE]\ntype=usb\n", 0, kLinkSerial},
      {"lower-case group stays serial", "[console]\ntype=USB\n", 0, kLinkSerial},
  };
  for (const auto& c : cases) {
    ConfigTable table;
    LoadIniText(c.contents, table, "");
    EXPECT_EQ(DefaultPanelIndex(table), c.panel) << c.legend;
    EXPECT_EQ(ConfiguredLinkKind(table), c.link) << c.legend;
  }
}

TEST(DefaultSettingsFile, HoldsEveryKeyAndAimsAtTheSimulator) {
  ConfigTable table;
  ASSERT_GT(LoadIniFile(std::string(TV_PAYLOAD_DIR) + "tsk_vnt.ini", table, ""), 0);
  for (auto key :
       {kKeyStartHideAgent,     kKeySeePanelDefault,  kKeyRefreshServices, kKeyGeneralNotify,
        kKeyConsoleType,        kKeyConsoleAddress,   kKeyOffsetService,   kKeyConnectionTimeout,
        kKeyAlertsActive,       kKeyAlertsNotify,     kKeyAlertsSeePanel,  kKeyAlertsSeeWindow,
        kKeyAlertsSound,        kKeyAlertsRainNotify, kKeyTempHumBar,      kKeyForeCast,
        kKeySunSetSunRise,      kKeyArchiveActive,    kKeyArchiveFolder,   kKeyMqttActive,
        kKeyMqttHost,           kKeyMqttPort,         kKeyMqttUser,        kKeyMqttPassword,
        kKeyMqttCaFile,         kKeyMqttClientId,     kKeyMqttPrefix,      kKeyMqttDiscovery,
        kKeyMqttDiscoveryPrefix}) {
    EXPECT_TRUE(table.Has(key)) << key;
  }
  for (auto service : {"CurrentData", "Alarm", "HiLow", "ConfigStation", "Calibration"}) {
    EXPECT_TRUE(table.Has(std::string(kServiceKeyPrefix) + service)) << service;
  }
  EXPECT_EQ(ConfiguredLinkKind(table), kLinkTcpIp);
  EXPECT_EQ(table.Value(kKeyConsoleAddress), "127.0.0.1@22222");
  EXPECT_GT(table.Number(kKeyConnectionTimeout), 0) << "0 would make every connection fail";
  EXPECT_FALSE(table.Flag(kKeyMqttActive)) << "publishing is off until the owner sets it up";
}

}  // namespace
}  // namespace tv
