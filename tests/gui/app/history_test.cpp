// The history window on a store the test fills: the charts of each span, the
// sentence of an empty store, a gap drawn as a gap, and what pointing at a
// chart says. TV_HISTORY_CAPTURE=FOLDER saves a picture of each span there.
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "gadget/app/climate_report_dialog.h"
#include "gadget/app/history_window.h"
#include "gadget/archive/archive_store.h"
#include "gui_suites.h"
#include "tests/support/temp_dir.h"

namespace tv::testing {
namespace {

constexpr std::int64_t kNow = 1'781'000'000;

using Id = ArchiveColumnId;

// Three days of 5-minute records, a day's sine of temperature, a rainy
// afternoon, and two hours missing this morning.
std::vector<HistoryRow> ThreeDays() {
  std::vector<HistoryRow> rows;
  for (std::int64_t t = kNow - 3 * 86400; t <= kNow; t += 300) {
    if (t > kNow - 10 * 3600 && t < kNow - 8 * 3600) continue;
    const double phase = 2 * M_PI * static_cast<double>(t % 86400) / 86400.0;
    HistoryRow row;
    row.stamp = UtcToConsoleStamp(t);
    row.utc = t;
    row.values[Id::kOutsideTemp] = 12 + 6 * std::sin(phase);
    row.values[Id::kInsideTemp] = 21.0;
    row.values[Id::kOutsideHum] = 70 - 15 * std::sin(phase);
    row.values[Id::kBarometer] = 1012 + 4 * std::sin(phase / 3);
    row.values[Id::kRain] = (t % 86400) > 50000 && (t % 86400) < 60000 ? 0.2 : 0.0;
    row.values[Id::kWindSpeedAvg] = 10 + 5 * std::cos(phase);
    row.values[Id::kWindSpeedHigh] = 18 + 8 * std::cos(phase);
    row.values[Id::kWindDirPrevailing] = 22.5 * static_cast<double>((t / 3600) % 16);
    row.values[Id::kSolarRad] = std::max(0.0, 800 * std::sin(phase));
    row.values[Id::kUv] = std::max(0.0, 7 * std::sin(phase));
    rows.push_back(row);
  }
  return rows;
}

class HistorySuite final : public QObject {
  Q_OBJECT

 private slots:
  void ChartsOfEachSpanWithTheGapLeftOpen() {
    const TempDir temp("tv-history-gui");
    const std::filesystem::path& dir = temp.path;
    QVERIFY(!dir.empty());
    ArchiveStore store((dir / "archive.sqlite").string());
    QCOMPARE(store.Open(), StoreStatus::kOk);
    const std::vector<HistoryRow> rows = ThreeDays();
    QCOMPARE(store.Add(rows), StoreStatus::kOk);

    HistoryWindow window(&store, (dir / "archive.sqlite").string(), [] { return kNow; });
    window.resize(900, 1100);
    const char* capture = std::getenv("TV_HISTORY_CAPTURE");
    const struct {
      HistorySpan span;
      const char* name;
    } spans[] = {
        {HistorySpan::kDay, "24h"}, {HistorySpan::kWeek, "7j"}, {HistorySpan::kMonth, "30j"}};
    for (const auto& s : spans) {
      window.SetSpan(s.span);
      window.Open();
      QVERIFY(window.EmptyText().isEmpty());
      QStringList titles;
      for (HistoryChartView* view : window.Charts()) {
        titles << QString::fromStdString(view->chart().title);
      }
      QCOMPARE(titles, (QStringList{"Températures", "Pression atmosphérique", "Pluviométrie",
                                    "Anémométrie", "Rayonnement solaire", "Indice UV"}));
      const Chart& temps = window.Charts()[0]->chart();
      // The two missing hours are a gap for the span that holds them.
      QCOMPARE(temps.lines[0].runs.size(), std::size_t{2});
      if (capture != nullptr) {
        QTest::qWait(50);
        window.grab().save(QString("%1/history-%2.png").arg(capture, s.name));
        for (int i = 0; i < window.Charts().size(); ++i) {
          window.Charts()[i]->grab().save(
              QString("%1/history-%2-chart%3.png").arg(capture, s.name).arg(i + 1));
        }
      }
    }
    // Pointing at the middle of the day's temperatures gives time and values.
    window.SetSpan(HistorySpan::kDay);
    QTest::qWait(50);  // laid out
    HistoryChartView* temps = window.Charts()[0];
    const QString text = temps->TextAt(temps->width() / 2);
    QVERIFY2(text.contains("Extérieure : ") && text.contains(" °C") && text.contains("h"),
             qPrintable(text));
    QVERIFY(temps->TextAt(2).isEmpty());
  }

  // The window's button opens the month of the newest record, in a
  // fixed-width font, offering the years the store holds; a year chosen
  // shows the year; saved as CSV it has the month's header row.
  void ClimateReportsOfTheStoresPeriods() {
    const TempDir temp("tv-history-climate");
    const std::filesystem::path& dir = temp.path;
    QVERIFY(!dir.empty());
    ArchiveStore store((dir / "archive.sqlite").string());
    QCOMPARE(store.Open(), StoreStatus::kOk);
    QCOMPARE(store.Add(ThreeDays()), StoreStatus::kOk);
    HistoryWindow window(&store, (dir / "archive.sqlite").string(), [] { return kNow; });
    window.Open();
    auto* button = window.findChild<QPushButton*>("HistoryClimateReports");
    QVERIFY(button != nullptr && button->isEnabled());
    button->click();
    auto* dialog = window.findChild<ClimateReportDialog*>("ClimateReportDialog");
    QVERIFY(dialog != nullptr && dialog->isVisible());
    const std::time_t now = kNow;
    std::tm tm{};
    localtime_r(&now, &tm);
    QCOMPARE(dialog->period().year, tm.tm_year + 1900);
    QCOMPARE(dialog->period().month, tm.tm_mon + 1);
    auto* years = dialog->findChild<QComboBox*>("ClimateReportYear");
    QVERIFY(years != nullptr);
    QCOMPARE(years->count(), 1);
    QCOMPARE(years->itemData(0).toInt(), tm.tm_year + 1900);
    QVERIFY2(dialog->Text().startsWith("Relevé climatologique mensuel : "),
             qPrintable(dialog->Text()));
    QVERIFY(
        QFontInfo(dialog->findChild<QPlainTextEdit*>("ClimateReportText")->font()).fixedPitch());
    if (const char* capture = std::getenv("TV_HISTORY_CAPTURE")) {
      QTest::qWait(50);
      dialog->grab().save(QString("%1/climate-month.png").arg(capture));
    }
    const std::string csv = (dir / "month.csv").string();
    QVERIFY(dialog->SaveTo(QString::fromStdString(csv)));
    std::ifstream in(csv);
    std::string header;
    std::getline(in, header);
    QCOMPARE(QString::fromStdString(header).trimmed(),
             QString("day,mean_temp,high_temp,high_temp_time,low_temp,low_temp_time,heat_deg_days,"
                     "cool_deg_days,rain,avg_wind,high_wind,high_wind_time,dom_dir"));
    dialog->SelectPeriod({tm.tm_year + 1900, 0});
    QVERIFY(dialog->Text().startsWith("Relevé climatologique annuel : "));
    dialog->SelectPeriod({tm.tm_year + 1900 - 3, 0});
    QVERIFY(dialog->Text().startsWith("Aucun enregistrement"));
  }

  void EmptyOrMissingStoreSaysSo() {
    const TempDir temp("tv-history-empty");
    const std::filesystem::path& dir = temp.path;
    QVERIFY(!dir.empty());
    ArchiveStore store((dir / "archive.sqlite").string());
    QCOMPARE(store.Open(), StoreStatus::kOk);
    HistoryWindow empty(&store, (dir / "archive.sqlite").string(), [] { return kNow; });
    empty.Open();
    QVERIFY(empty.EmptyText().startsWith("Aucun relevé"));
    QVERIFY(empty.Charts().isEmpty());
    HistoryWindow none(nullptr, "", [] { return kNow; });
    none.Open();
    QVERIFY(none.EmptyText().contains("ARCHIVE_Active"));
  }
};

}  // namespace

QObject* MakeHistorySuite() {
  return new HistorySuite;
}

}  // namespace tv::testing

#include "history_test.moc"
