// The desktop program's start order, tray and quit, on the offscreen
// platform (which has no notification area).
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "gadget/app/desktop_app.h"
#include "gadget/app/desktop_main.h"
#include "gadget/app/platform.h"
#include "gui_suites.h"

namespace tv::testing {
namespace {

using namespace std::chrono_literals;

// A console that never answers: a connection attempt blocks until the link
// is closed, as the station library's does on a silent console.
class SilentConsole final : public StationPort {
 public:
  int LoadLibrary() override { return 1; }
  int Connect(int, const std::string&, int) override {
    std::unique_lock lock(mutex_);
    connecting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return closed_; });
    return -32700;
  }
  std::int32_t UsbSerialNumber() override { return 0; }
  int IsNewLoopPackageSupported() override { return 1; }
  int GetStationTime(StationDateTime*) override { return -32701; }
  void Close(int) override {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }
  bool Connecting() {
    std::lock_guard lock(mutex_);
    return connecting_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool connecting_ = false;
  bool closed_ = false;
};

void Settings(ConfigTable& config, const char* page, const char* hidden) {
  config.Set("CONSOLE", "type", "IP");
  config.Set("CONSOLE", "adresse", "127.0.0.1@1");
  config.Set("CONSOLE", "ConnectionTimeout", "5");
  config.Set("SERVICES", "CurrentData", "10");
  config.Set("GENERAL", "SeePanelDefault", page);
  config.Set("GENERAL", "StartHideAgent", hidden);
}

DesktopOptions Quick(std::unique_ptr<StationPort> station = std::make_unique<SilentConsole>()) {
  DesktopOptions options;
  options.pause = 10ms;
  options.start_workers = false;
  options.station = std::move(station);
  return options;
}

bool WaitStarted(DesktopApp& app) {
  return QTest::qWaitFor([&] { return app.Started(); }, 5000);
}

class DesktopSuite final : public QObject {
  Q_OBJECT

 private slots:
  void FirstPageAndVisibilityFollowTheSettings() {
    struct Row {
      const char* legend;
      const char* page;
      const char* hidden;
      int index;
      bool shown;
      bool start_hidden = false;  // --hidden
    };
    const Row rows[] = {
        {"page 3", "3", "0", 2, true},
        {"no page given", "", "0", 0, true},
        {"a page past the last keeps the first", "42", "", 0, true},
        {"started hidden in the tray", "1", "1", 0, false},
        {"started hidden by the session's autostart", "1", "0", 0, false, true},
    };
    for (const Row& row : rows) {
      ConfigTable config;
      Settings(config, row.page, row.hidden);
      DesktopOptions options = Quick();
      options.start_hidden = row.start_hidden;
      DesktopApp app(config, std::move(options));
      app.Start();
      QVERIFY2(!app.window().TopLevel()->isVisible(), "hidden during the pause");
      QVERIFY2(WaitStarted(app), row.legend);
      auto* tabs = app.window().TopLevel()->findChild<QTabWidget*>("DetailTabs");
      QVERIFY2(tabs->currentIndex() == row.index, row.legend);
      QVERIFY2(app.window().TopLevel()->isVisible() == row.shown, row.legend);
      QCOMPARE(app.window().TopLevel()->windowTitle(), QString("Teskaro Ventaro v1.0"));
      auto* value = app.window().TopLevel()->findChild<QLabel*>("IndoorTempValue");
      QCOMPARE(value->text(), QString("---"));
    }
  }

  void WithoutANotificationAreaBalloonsShowInAPopup() {
    ConfigTable config;
    Settings(config, "1", "0");
    DesktopApp app(config, Quick());
    app.Start();
    QVERIFY(!app.tray()->Available());
    app.window().ShowBalloon("Teskaro Ventaro v1.0", "Pluie en cours", kBalloonWarning, 10);
    QWidget* popup = app.tray()->FallbackPopup();
    QVERIFY(popup != nullptr);
    QCOMPARE(popup->findChild<QLabel*>("BalloonTitle")->text(), QString("Teskaro Ventaro v1.0"));
    QCOMPARE(popup->findChild<QLabel*>("BalloonText")->text(), QString("Pluie en cours"));
    QVERIFY(popup->findChild<QLabel*>("BalloonIcon") != nullptr);
    app.window().SetTrayTooltip(" " + std::string(80, 'a'));
    QCOMPARE(app.tray()->Tooltip(), QString(80, 'a'));
  }

  void TheTooltipIsWholeForTheItemAndCutAtAWordForTheXEmbedTray() {
    const QString sky = "Ciel généralement nuageux, avec peu de changement de température.";
    struct Row {
      const char* legend;
      QString text;
      QString item;
      QString xembed;
    };
    const Row rows[] = {
        {"short: trimmed only", "  Teskaro Ventaro v1.0 \r\n", "Teskaro Ventaro v1.0",
         "Teskaro Ventaro v1.0"},
        {"lines joined by \\n; cut before the word that does not fit",
         " " + sky + "\r\nTempérature intérieur : 21.3 °C",
         sky + "\nTempérature intérieur : 21.3 °C",
         "Ciel généralement nuageux, avec peu de changement de…"},
        {"the comma before the cut dropped", "Ciel généralement nuageux, " + QString(50, 'x'),
         "Ciel généralement nuageux, " + QString(50, 'x'), "Ciel généralement nuageux…"},
        {"one word longer than the room", QString(70, 'a'), QString(70, 'a'),
         QString(62, 'a') + "…"},
        {"63 characters fit", QString(63, 'b'), QString(63, 'b'), QString(63, 'b')},
    };
    for (const Row& row : rows) {
      QVERIFY2(ItemTooltipText(row.text) == row.item, row.legend);
      QVERIFY2(XEmbedTooltipText(row.text) == row.xembed, qPrintable(XEmbedTooltipText(row.text)));
      QVERIFY2(XEmbedTooltipText(row.text).size() <= kXEmbedTooltipMaxChars, row.legend);
    }
  }

  void ActivationTokensFromOutsideAreCheckedBeforeUse() {
    const std::pair<QByteArray, QString> rows[] = {
        {"kwin-1234_abc.DEF-9", "kwin-1234_abc.DEF-9"},
        {"", ""},
        {"two words", ""},
        {"line\nbreak", ""},
        {QByteArray(1025, 't'), ""},
        {"\xc3\xa9t\xc3\xa9", ""},
    };
    for (const auto& [given, kept] : rows) QCOMPARE(CheckedActivationToken(given), kept);
  }

  void MenuEntryThreeExportsToTheChosenFileAndReportsIt() {
    const QString folder = QDir::temp().filePath(
        "tv-gui-export-" + QString::number(QCoreApplication::applicationPid()));
    QDir(folder).removeRecursively();
    QVERIFY(QDir().mkpath(folder));
    ConfigTable config;
    Settings(config, "10", "0");
    DesktopOptions options = Quick();
    QString suggested;
    QString chosen;
    options.ask_export_path = [&](const QString& s) {
      suggested = s;
      return chosen;
    };
    DesktopApp app(config, std::move(options));
    app.Start();
    QVERIFY(WaitStarted(app));
    QAction* entry = app.tray()->Menu()->actions().value(3);
    QVERIFY(entry != nullptr);
    QCOMPARE(entry->text(), QString("Exporter les données récupérées"));
    auto* log = qobject_cast<QListWidget*>(app.window().Widget(Field::AppLogList));

    // Written on a thread of its own; done once the log says so.
    const auto exported = [&](const QString& line) {
      return QTest::qWaitFor(
          [&] {
            return !app.Exporting() && log->count() > 0 && log->item(0)->text().startsWith(line);
          },
          10000);
    };
    chosen = QDir(folder).filePath("données.csv");
    entry->trigger();
    QVERIFY(exported("Données exportées dans " + chosen));
    QVERIFY2(QRegularExpression("/teskaro-ventaro-\\d{4}-\\d\\d-\\d\\d-\\d\\dh\\d\\d\\.json$")
                 .match(suggested)
                 .hasMatch(),
             qPrintable(suggested));
    QFile csv(chosen);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QVERIFY(csv.readLine().startsWith("group,name,value,unit"));

    chosen = QDir(folder).filePath("absent/x.json");
    entry->trigger();
    QVERIFY(exported("Échec de l'export des données vers " + chosen));
    // No notification area offscreen: the balloon is the popup of our own.
    QVERIFY(QTest::qWaitFor([&] { return app.tray()->FallbackPopup() != nullptr; }, 5000));
    QVERIFY(
        app.tray()->FallbackPopup()->findChild<QLabel*>("BalloonText")->text().contains(chosen));

    const int lines = log->count();
    chosen.clear();  // the dialog cancelled
    entry->trigger();
    QCOMPARE(log->count(), lines);
    QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{"données.csv"});
    QDir(folder).removeRecursively();
  }

  void AnExceptionInAMenuActionIsLoggedAndTheProgramGoesOn() {
    ConfigTable config;
    Settings(config, "10", "0");
    DesktopOptions options = Quick();
    options.ask_export_path = [](const QString&) -> QString {
      throw std::runtime_error("disque introuvable");
    };
    DesktopApp app(config, std::move(options));
    app.Start();
    QVERIFY(WaitStarted(app));
    auto* log = qobject_cast<QListWidget*>(app.window().Widget(Field::AppLogList));
    app.tray()->Menu()->actions().value(3)->trigger();
    QVERIFY(log->count() > 0);
    QCOMPARE(log->item(0)->text(),
             QString("Erreur interne (export des données) : disque introuvable"));
    QVERIFY(!app.Exporting());
    // The program goes on: the next export is asked for again.
    app.tray()->Menu()->actions().value(3)->trigger();
    QCOMPARE(log->item(1)->text(), log->item(0)->text());
  }

  void FieldTooltipsMayBeSetFromAWorkerThread() {
    ConfigTable config;
    Settings(config, "8", "0");
    DesktopApp app(config, Quick());
    app.Start();
    QVERIFY(WaitStarted(app));
    std::thread worker([&] {
      app.window().SetTooltip(Field::LastCollectValue, "L'horloge de la console avance");
    });
    QVERIFY(QTest::qWaitFor(
        [&] {
          return app.window().Widget(Field::LastCollectValue)->toolTip() ==
                 "L'horloge de la console avance";
        },
        5000));
    worker.join();
  }

  void AMissingSettingsFileIsExplainedInAMessageBox() {
    QString text;
    QString title;
    QTimer::singleShot(200, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        text = box->text();
        title = box->windowTitle();
        box->accept();
      }
    });
    ConfigTable config;
    QVERIFY(!LoadSettingsOrExplain("/nonexistent/tsk_vnt.ini", config));
    QCOMPARE(text, QString("Impossible de charger le fichier INI : /nonexistent/tsk_vnt.ini"));
    QCOMPARE(title, QString("Teskaro Ventaro v1.0"));
  }

  void QuitEndsWhileTheEngineWaitsOnASilentConsole() {
    ConfigTable config;
    Settings(config, "1", "0");
    auto station = std::make_unique<SilentConsole>();
    SilentConsole* console = station.get();
    DesktopOptions options = Quick(std::move(station));
    options.start_workers = true;
    int code = -1;
    options.exit = [&](int c) { code = c; };
    DesktopApp app(config, std::move(options));
    app.Start();
    QVERIFY(WaitStarted(app));
    // The engine writes to the window on its way: the events must be handled.
    QVERIFY(QTest::qWaitFor([&] { return console->Connecting(); }, 10000));
    // A worker that keeps writing to the window all along.
    std::atomic<bool> writing{true};
    std::thread writer([&] {
      while (writing) app.window().SetText(Field::EngineStateText, "x");
    });
    app.Quit();
    writing = false;
    writer.join();
    QCOMPARE(code, 0);
    QVERIFY(!app.window().TopLevel()->isVisible());
  }
};

}  // namespace

QObject* MakeDesktopSuite() {
  return new DesktopSuite;
}

std::vector<QObject*> GuiSuites() {
  return {MakeWindowSuite(), MakeDesktopSuite(), MakePagesSuite(), MakeHistorySuite()};
}

}  // namespace tv::testing

#include "desktop_test.moc"
