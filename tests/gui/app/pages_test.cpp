// The desktop program against the console simulator through the real station
// library: after the first collection, a few fields of each page, read from
// the Qt widgets, hold the simulator's values.
#include <QApplication>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include "gadget/app/desktop_app.h"
#include "gui_suites.h"
#include "tests/support/simulator_process.h"

namespace tv::testing {
namespace {

using namespace std::chrono_literals;

std::map<std::string, std::string> Parse(const std::string& reply) {
  std::map<std::string, std::string> out;
  std::istringstream words(reply);
  std::string word;
  while (words >> word) {
    const auto eq = word.find('=');
    if (eq != std::string::npos) out[word.substr(0, eq)] = word.substr(eq + 1);
  }
  return out;
}

QString Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return QString::fromUtf8(buffer);
}

float Celsius(const std::string& f) {
  return (std::stof(f) - 32.0F) * 5.0F / 9.0F;
}

class PagesSuite final : public QObject {
  Q_OBJECT

 private slots:
  void EveryPageShowsTheConsolesValues() {
    SimulatorProcess sim;
    std::string error;
    QVERIFY2(sim.Start({"--tcp", "127.0.0.1:0", "--scenario", "default", "--start",
                        "2024-06-21 14:00:00"},
                       &error),
             error.c_str());
    QCOMPARE(QString::fromStdString(sim.Control("HOLD ON")), QString("OK"));
    ConfigTable config;
    config.Set("CONSOLE", "type", "IP");
    config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim.tcp_port()));
    config.Set("CONSOLE", "ConnectionTimeout", "10");
    for (const char* service : {"CurrentData", "Alarm", "HiLow", "ConfigStation", "Calibration"}) {
      config.Set("SERVICES", service, "3600");
    }
    DesktopOptions options;
    options.pause = 10ms;
    options.quit_wait = 5000ms;
    options.exit = [](int) {};
    DesktopApp app(config, std::move(options));
    app.Start();

    app.window().BuildAllPages();
    QWidget* top = app.window().TopLevel();
    const auto label = [top](const char* name) {
      auto* l = top->findChild<QLabel*>(name);
      return l != nullptr ? l->text() : QString("(no label %1)").arg(name);
    };
    const auto table = [top](const char* name) { return top->findChild<QTableWidget*>(name); };
    // Every view of the first cycle drawn: calibration, configuration, records.
    QTRY_VERIFY_WITH_TIMEOUT(
        label("WindDirCorrValue") != "---" && label("FirmwareVersionValue") != "---" &&
            top->findChild<QTreeWidget*>("HumPeakTree")->topLevelItemCount() > 0,
        20000);

    const auto now = Parse(sim.Control("DUMP"));
    const auto hilows = Parse(sim.Control("DUMP HILOWS"));
    const struct Row {
      const char* field;
      QString want;
    } rows[] = {
        {"OutdoorTempValue", Fixed(Celsius(now.at("outside_temp")), 1)},
        {"BaroValue", Fixed(std::stof(now.at("barometer")) * 33.865F, 2)},
        {"RainDayValue", Fixed(std::stod(now.at("day_rain")) * 0.2, 1)},
        {"WindAvg10Value", Fixed(std::nearbyint(std::stof(now.at("wind_avg10"))) * 1.61F, 1)},
        {"ExtraTempValue1", Fixed(Celsius(now.at("extra_temp1")), 1)},
        {"SolarRadValue", Fixed(std::stod(now.at("solar")), 1)},
        {"ExtraHumValue1", Fixed(std::stod(now.at("extra_hum1")), 0)},
        {"SoilMoistValue1", Fixed(std::stod(now.at("soil_moist1")), 0)},
        {"FirmwareVersionValue", QString::fromStdString(sim.Get("nver"))},
    };
    for (const Row& row : rows) QVERIFY2(label(row.field) == row.want, row.field);
    // The console's reception count goes on with its clock, held or not: the
    // page shows the count of its last collection, at most the one now.
    const long shown = label("PacketsRecvValue").toLong();
    const long now_received = std::stol(sim.Get("rx_total"));
    QVERIFY2(shown > 0 && shown <= now_received && now_received - shown < 1000,
             qPrintable(label("PacketsRecvValue")));

    // The records tree: the day's outdoor high with its time. The console
    // holds the high in tenths of °F, so the °C tenth may fall either side
    // of a half: the value is compared to within a rounding step.
    const std::string hhmm = hilows.at("hl.outside_temp.day_high_time");
    const QString at =
        "°C à " + QString::fromStdString(hhmm.size() < 4 ? "0" + hhmm : hhmm).insert(2, 'h');
    const float high = Celsius(hilows.at("hl.outside_temp.day_high"));
    const auto lines = top->findChild<QTreeWidget*>("TempPeakTree")
                           ->findItems(at, Qt::MatchEndsWith | Qt::MatchRecursive);
    const bool found = std::any_of(lines.begin(), lines.end(), [&](const QTreeWidgetItem* item) {
      const QString text = item->text(0);
      return std::fabs(text.left(text.size() - at.size()).toFloat() - high) < 0.051F;
    });
    QVERIFY2(found, qPrintable(Fixed(high, 1) + at));
    // The lists: thresholds, transmitters (ID 6 on top), the five services.
    QVERIFY(table("AlarmThresholdList")->rowCount() > 0);
    QCOMPARE(table("TransmitterList")->rowCount(), 6);
    QCOMPARE(table("TransmitterList")->item(0, 0)->text(), QString("6"));
    QCOMPARE(table("ServiceList")->rowCount(), 5);
    app.Quit();
  }
};

}  // namespace

QObject* MakePagesSuite() {
  return new PagesSuite;
}

}  // namespace tv::testing

#include "pages_test.moc"
