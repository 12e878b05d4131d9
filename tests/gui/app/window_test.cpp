// The gadget window built from the field catalogue, and its Window calls
// from other threads.
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "gadget/app/qt_window.h"
#include "gadget/display/blinking.h"
#include "gadget/window/field_catalogue.h"
#include "gui_suites.h"

namespace tv::testing {
namespace {

using Steady = std::chrono::steady_clock;

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The face each catalogued one resolves to on this desktop.
QString ResolvedFamily(FontFace face) {
  switch (face) {
    case FontFace::kComicSansMs:
      return "Comic Neue";
    case FontFace::kTahoma:
      return "DejaVu Sans Condensed";
    case FontFace::kVerdana:
      return "DejaVu Sans";
    case FontFace::kArialNarrow:
      return "Liberation Sans Narrow";
    case FontFace::kNone:
      break;
  }
  return {};
}

bool KindMatches(const FieldEntry& e, QWidget* w) {
  switch (e.kind) {
    case FieldKind::kWindow:
      return w->isWindow();
    case FieldKind::kArea:
    case FieldKind::kPage:
      return w->metaObject() == &QWidget::staticMetaObject;
    case FieldKind::kTabPanel:
      return qobject_cast<QTabWidget*>(w) != nullptr;
    case FieldKind::kFrame:
      return qobject_cast<QGroupBox*>(w) != nullptr;
    case FieldKind::kText:
    case FieldKind::kPicture:
      return qobject_cast<QLabel*>(w) != nullptr;
    case FieldKind::kColumnList:
      return qobject_cast<QTableWidget*>(w) != nullptr;
    case FieldKind::kTree:
      return qobject_cast<QTreeWidget*>(w) != nullptr;
    case FieldKind::kLineList:
      return qobject_cast<QListWidget*>(w) != nullptr;
    case FieldKind::kToggleButton:
      return qobject_cast<QToolButton*>(w) != nullptr;
  }
  return false;
}

// Runs `work` on a thread of its own while this (GUI) thread keeps handling
// events; false when it has not finished within `limit`.
bool RunOffGui(const std::function<void()>& work,
               std::chrono::seconds limit = std::chrono::seconds{60}) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    work();
    done = true;
  });
  const auto deadline = Steady::now() + limit;
  while (!done && Steady::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  if (!done) {
    worker.detach();
    return false;
  }
  worker.join();
  return true;
}

class WindowSuite final : public QObject {
  Q_OBJECT

 private slots:
  void EveryCatalogueEntryIsAWidgetAsCatalogued() {
    QtWindow window;
    window.BuildAllPages();
    for (const FieldEntry& e : FieldCatalogue()) {
      const QString name = Q(FieldName(e.id));
      QWidget* w = window.TopLevel()->findChild<QWidget*>(name);
      if (e.kind == FieldKind::kWindow) w = window.TopLevel();
      QVERIFY2(w != nullptr, qPrintable(name));
      QCOMPARE(w->objectName(), name);
      QVERIFY2(KindMatches(e, w), qPrintable(name));
      if (e.kind != FieldKind::kWindow && e.kind != FieldKind::kPage) {
        QCOMPARE(w->geometry(), QRect(e.x, e.y, e.w, e.h));
      }
      if (e.kind == FieldKind::kText) {
        auto* label = qobject_cast<QLabel*>(w);
        QCOMPARE(label->text(), Q(e.text));
        const Qt::Alignment h = label->alignment() & Qt::AlignHorizontal_Mask;
        const Qt::Alignment want = e.align == Align::kRight    ? Qt::AlignRight
                                   : e.align == Align::kCentre ? Qt::AlignHCenter
                                                               : Qt::AlignLeft;
        QVERIFY2(h == want, qPrintable(name));
      }
      if (e.kind == FieldKind::kFrame) {
        QCOMPARE(qobject_cast<QGroupBox*>(w)->title(), Q(e.text));
      }
      if (e.kind == FieldKind::kPicture && !e.picture.empty()) {
        QVERIFY2(!qobject_cast<QLabel*>(w)->pixmap().isNull(), qPrintable(name));
      }
      if (e.font.face != FontFace::kNone) {
        const QFontInfo info(w->font());
        QVERIFY2(info.family() == ResolvedFamily(e.font.face),
                 qPrintable(name + ": " + info.family()));
        QVERIFY2(info.pointSize() == e.font.points,
                 qPrintable(name + ": " + QString::number(info.pointSize())));
        QCOMPARE(info.bold(), e.font.bold);
      }
      QCOMPARE(w->toolTip(), Q(e.tooltip));
    }
    // The pages in tab order, with their texts and icons.
    auto* tabs = window.TopLevel()->findChild<QTabWidget*>("DetailTabs");
    QCOMPARE(tabs->count(), 10);
    for (int i = 0; i < tabs->count(); ++i) {
      const FieldEntry& page = CatalogueEntry(DetailPages()[static_cast<std::size_t>(i)]);
      QCOMPARE(tabs->tabText(i), Q(page.text));
      QVERIFY(!tabs->tabIcon(i).isNull());
    }
    // Lists: their columns, the auto ones as wide as their title, the last
    // one stretched.
    auto* services = qobject_cast<QTableWidget*>(window.Widget(Field::ServiceList));
    QCOMPARE(services->columnCount(), 3);
    QCOMPARE(services->horizontalHeaderItem(1)->text(), QString("Dernière collecte"));
    QCOMPARE(services->columnWidth(0), 70);
    QVERIFY(services->horizontalHeader()->stretchLastSection());
    QCOMPARE(services->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(services->showGrid());
  }

  // A page is made when first shown, from what was asked of its fields
  // until then; the same calls on a page already made give the same widgets.
  void APageMadeLateShowsWhatWasAskedOfItBefore() {
    const auto ask = [](QtWindow& w) {
      w.SetText(Field::BeaufortDesc, "Jolie brise");
      w.SetTooltip(Field::BeaufortDesc, "force 4");
      w.SetVisible(Field::WindTabImage, false);
      w.SetPicture(Field::WindTabImage, kNoImage);
      w.AppendRow(Field::ServiceList, "HiLow\na\nb");
      w.InsertRow(Field::ServiceList, 0, "CurrentData\nc\nd");
      w.AppendRow(Field::ServiceList, "Alarm\ne\nf");
      w.RemoveRow(Field::ServiceList, 2);
      w.RemoveRow(Field::ServiceList, 7);  // none: nothing happens
      for (const char* line : {"un", "deux", "trois"}) w.InsertLine(Field::AppLogList, 0, line);
      w.RemoveLine(Field::AppLogList, 1);
      w.InsertLine(Field::AppLogList, 99, "fin");
      w.ClearTree(Field::HumPeakTree);
      w.AppendTreeItem(Field::HumPeakTree, "Extérieur", kNoImage, 0);
      w.AppendTreeItem(Field::HumPeakTree, "Maxi 92 %", kNoImage, 1);
      w.AppendTreeItem(Field::HumPeakTree, "Mini 40 %", kNoImage, 1);
    };
    struct Seen {
      QString text, tooltip, rows, lines, tree;
      bool image_hidden, image_empty;
      int row_count, line_count;
      bool operator==(const Seen&) const = default;
    };
    const auto look = [](QtWindow& w) {
      Seen seen{};
      auto* label = qobject_cast<QLabel*>(w.Widget(Field::BeaufortDesc));
      seen.text = label->text();
      seen.tooltip = label->toolTip();
      auto* image = qobject_cast<QLabel*>(w.Widget(Field::WindTabImage));
      seen.image_hidden = image->isHidden();
      seen.image_empty = image->pixmap().isNull();
      auto* table = qobject_cast<QTableWidget*>(w.Widget(Field::ServiceList));
      for (int r = 0; r < table->rowCount(); ++r) seen.rows += table->item(r, 0)->text() + ";";
      auto* list = qobject_cast<QListWidget*>(w.Widget(Field::AppLogList));
      for (int r = 0; r < list->count(); ++r) seen.lines += list->item(r)->text() + ";";
      auto* tree = qobject_cast<QTreeWidget*>(w.Widget(Field::HumPeakTree));
      for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        seen.tree += tree->topLevelItem(i)->text(0) + "(" +
                     QString::number(tree->topLevelItem(i)->childCount()) + ");";
      }
      seen.row_count = w.RowCount(Field::ServiceList);
      seen.line_count = w.LineCount(Field::AppLogList);
      return seen;
    };
    QtWindow early;
    early.BuildAllPages();
    ask(early);
    QtWindow late;
    QWidget* top = late.TopLevel();
    QVERIFY2(top->findChild<QLabel*>("BeaufortDesc") == nullptr, "not made before shown");
    ask(late);
    QCOMPARE(late.RowCount(Field::ServiceList), 2);
    QCOMPARE(late.LineCount(Field::AppLogList), 3);
    QVERIFY2(top->findChild<QListWidget*>("AppLogList") == nullptr, "counted without being made");
    // Shown through its tab: made, and shown with its page.
    late.ShowWindow();
    late.SelectPage(1);
    QVERIFY(top->findChild<QLabel*>("BeaufortDesc") != nullptr);
    QVERIFY(top->findChild<QLabel*>("BeaufortDesc")->isVisible());
    const Seen want = look(early);
    QCOMPARE(want.rows, QString("CurrentData;HiLow;"));
    QCOMPARE(want.lines, QString("trois;un;fin;"));
    QCOMPARE(want.tree, QString("Extérieur(2);"));
    QVERIFY(look(late) == want);
  }

  void TheWindowHasAFixedSizeAndOnlyACloseBox() {
    QtWindow window;
    QWidget* top = window.TopLevel();
    QCOMPARE(top->size(), QSize(813, 559));
    QCOMPARE(top->minimumSize(), top->maximumSize());
    QCOMPARE(top->pos(), QPoint(242, 395));
    const Qt::WindowFlags flags = top->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY2(!top->isVisible(), "built hidden");
    window.ShowWindow();
    QVERIFY(top->isVisible());
    top->close();
    QVERIFY2(!top->isVisible(), "the close box only hides it");
  }

  void AWorkerWriteIsDoneWhenTheCallReturns() {
    QtWindow window;
    auto* label = window.TopLevel()->findChild<QLabel*>("IndoorTempValue");
    QString seen;
    int rows = -1;
    QVERIFY(RunOffGui([&] {
      window.SetText(Field::IndoorTempValue, "21.5");
      // Read straight after the return, before the GUI thread does anything else.
      seen = label->text();
      window.AppendRow(Field::ServiceList, "CurrentData\na\nb");
      rows = window.RowCount(Field::ServiceList);
    }));
    QCOMPARE(seen, QString("21.5"));
    QCOMPARE(rows, 1);
    auto* list = qobject_cast<QTableWidget*>(window.Widget(Field::ServiceList));
    QCOMPARE(list->item(0, 2)->text(), QString("b"));
  }

  void TenThousandWritesFromThreeThreadsLoseNoLine() {
    QtWindow window;
    QVERIFY(RunOffGui([&] {
      std::vector<std::jthread> writers;
      for (int w = 0; w < 3; ++w) {
        writers.emplace_back([&window, w] {
          const int lines = w == 0 ? 3334 : 3333;
          for (int i = 0; i < lines; ++i) {
            window.InsertLine(Field::AppLogList, 0, "ligne " + std::to_string(i));
            window.SetText(Field::EngineStateText, std::to_string(i));
          }
        });
      }
    }));
    QCOMPARE(qobject_cast<QListWidget*>(window.Widget(Field::AppLogList))->count(), 10000);
  }

  void ABlinkStoppedFromAWorkerWhileTheGuiIsBusyDoesNotHang() {
    QtWindow window;
    window.ShowWindow();
    QWidget* icon = window.TopLevel()->findChild<QWidget*>("StatusLinkIcon");
    StartNamedBlink(window, "CLIGNOTANT_ETAT_CONNEXION", Field::StatusLinkIcon);
    std::atomic<bool> stopped{false};
    std::thread worker([&] {
      StopNamedBlink(window, "CLIGNOTANT_ETAT_CONNEXION");
      window.SetVisible(Field::StatusLinkIcon, true);
      stopped = true;
    });
    // Busy: no event handled for a while, then events again.
    std::this_thread::sleep_for(std::chrono::milliseconds{300});
    const auto deadline = Steady::now() + std::chrono::seconds{10};
    while (!stopped && Steady::now() < deadline) QCoreApplication::processEvents();
    worker.join();
    QVERIFY(stopped.load());
    QTest::qWait(2200);
    QVERIFY2(icon->isVisible(), "no flip after the stop");
  }

  void BlinkingFieldsShareOneTimerThatRunsOnlyWhileOneBlinks() {
    QtWindow window;
    window.ShowWindow();
    const auto active_timers = [&] {
      int n = 0;
      for (const QTimer* t : window.findChildren<QTimer*>()) n += t->isActive() ? 1 : 0;
      return n;
    };
    const int before = active_timers();
    QWidget* link = window.Widget(Field::StatusLinkIcon);
    QWidget* alarm = window.Widget(Field::AlarmAlertIcon);
    link->setVisible(false);
    alarm->setVisible(false);
    window.StartBlinking(Field::StatusLinkIcon);
    window.StartBlinking(Field::AlarmAlertIcon);
    QCOMPARE(active_timers(), before + 1);
    QVERIFY2(link->isVisible() && alarm->isVisible(), "both flip at once");
    QTRY_VERIFY_WITH_TIMEOUT(!link->isVisible() && !alarm->isVisible(), 5000);
    window.StopBlinking(Field::StatusLinkIcon);
    QCOMPARE(active_timers(), before + 1);
    window.StopBlinking(Field::AlarmAlertIcon);
    QCOMPARE(active_timers(), before);
  }

  void BalloonsAndTheTooltipWaitForTheTray() {
    struct Recorder final : TrayPresenter {
      QString tooltip;
      std::vector<BalloonRequest> balloons;
      void SetTooltip(const QString& text) override { tooltip = text; }
      void ShowBalloon(const BalloonRequest& b) override { balloons.push_back(b); }
    };
    QtWindow window;
    window.ShowBalloon("Teskaro Ventaro v1.0", "avant l'icône", kBalloonInfo, 1);
    window.SetTrayTooltip(std::string(70, 'x'));
    Recorder tray;
    window.SetTray(&tray);
    QCOMPARE(tray.balloons.size(), std::size_t{1});
    QCOMPARE(tray.balloons[0].text, std::string("avant l'icône"));
    // Whole: the tray cuts it where its host needs it cut.
    QCOMPARE(tray.tooltip, QString(70, 'x'));
    window.SetTray(nullptr);
  }
};

}  // namespace

QObject* MakeWindowSuite() {
  return new WindowSuite;
}

}  // namespace tv::testing

#include "window_test.moc"
