#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "gadget/app/edge_guard.h"
#include "gadget/archive/history_charts.h"
#include "gadget/reports/climate_report.h"

class QLabel;
class QPushButton;
class QVBoxLayout;
class QScrollArea;

namespace tv {

class ArchiveStore;
class ClimateReportDialog;

// One chart of the history window, drawn with QPainter: its lines (broken at
// the gaps), its bars, a time axis under it and, where it has one, the wind
// direction on a second axis. Pointing at it shows the time and the values.
class HistoryChartView final : public QWidget {
  Q_OBJECT

 public:
  explicit HistoryChartView(QWidget* parent = nullptr);
  void SetChart(Chart chart, std::int64_t from_utc, std::int64_t to_utc, HistorySpan span);
  const Chart& chart() const { return chart_; }
  // What pointing at `x` (widget coordinates) shows; empty outside the plot.
  QString TextAt(int x) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QRectF Plot() const;
  double XOf(std::int64_t utc) const;
  std::int64_t UtcOf(double x) const;

  Chart chart_;
  std::int64_t from_ = 0;
  std::int64_t to_ = 1;
  HistorySpan span_ = HistorySpan::kDay;
  double low_ = 0;
  double high_ = 1;
  int cursor_x_ = -1;
};

// "Historique": charts of the last 24 hours, 7 days or 30 days from the
// archive store, resizable, its size and place kept between runs. GUI thread
// only; the store answers a range from its own lock.
class HistoryWindow final : public QWidget {
  Q_OBJECT

 public:
  // `store` is null when no archive is kept; `store_path` is the file the
  // export reads. `now` gives the current UTC second (tests fix it).
  HistoryWindow(ArchiveStore* store, std::string store_path, std::function<std::int64_t()> now = {},
                QWidget* parent = nullptr);
  ~HistoryWindow() override;

  // Where what a button's work throws is reported (the activity log);
  // standard error when none is set.
  void SetErrorReport(EdgeReport report) { report_ = std::move(report); }

  // Shows the window (at its remembered place) with fresh charts.
  void Open();
  void SetSpan(HistorySpan span);
  HistorySpan span() const { return span_; }
  // Reads the span again from the store and redraws.
  void Reload();
  // The charts drawn, and the sentence shown instead when there is nothing.
  QList<HistoryChartView*> Charts() const;
  QString EmptyText() const;
  // Where the climate reports' header (station, position) comes from.
  void SetReportHeaderSource(std::function<ReportHeader()> source) {
    report_header_ = std::move(source);
  }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void SaveGeometry();
  void Export();
  void OpenReports();

  ArchiveStore* store_;
  std::string store_path_;
  std::function<std::int64_t()> now_;
  EdgeReport report_;
  HistorySpan span_ = HistorySpan::kDay;
  QPushButton* span_buttons_[3] = {};
  QLabel* empty_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QWidget* charts_box_ = nullptr;
  QVBoxLayout* charts_layout_ = nullptr;
  std::int64_t from_ = 0;
  std::int64_t to_ = 0;
  ClimateReportDialog* reports_ = nullptr;
  std::function<ReportHeader()> report_header_;
};

}  // namespace tv
