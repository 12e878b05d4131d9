#include "gadget/app/history_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QStandardPaths>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <exception>

#include "gadget/app/climate_report_dialog.h"
#include "gadget/archive/archive_store.h"
#include "gadget/archive/history_export.h"
#include "lib/common/app_values.h"

namespace tv {
namespace {

constexpr int kLeftMargin = 58;
constexpr int kRightMargin = 44;
constexpr int kTopMargin = 26;
constexpr int kBottomMargin = 24;

const QColor kBarColour(0x4a, 0x90, 0xd9);
const QColor kDirectionColour(0x80, 0x80, 0x80);

QColor LineColour(const Chart& chart, std::size_t i) {
  return QColor(static_cast<QRgb>(chart.lines[i].colour));
}

std::tm Local(std::int64_t utc) {
  const auto t = static_cast<std::time_t>(utc);
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

// Numbers with a decimal point, whatever the desktop's locale.
QString Number(double value, int decimals) {
  if (std::abs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;  // no "-0.0"
  return QString::number(value, 'f', decimals);
}

QString TimeText(std::int64_t utc) {
  const std::tm tm = Local(utc);
  char buf[32];
  std::strftime(buf, sizeof buf, "%d/%m/%Y %Hh%M", &tm);
  return QString::fromUtf8(buf);
}

// A step of 1, 2 or 5 times a power of ten that gives about `wanted` ticks.
double NiceStep(double range, int wanted) {
  const double raw = range / std::max(1, wanted);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * power >= raw) return m * power;
  }
  return 10 * power;
}

// Where the time axis has its ticks and what they say.
struct TimeTick {
  std::int64_t utc;
  QString text;
  std::int64_t text_utc;  // where the text is centred: a day's name under its middle
};
std::vector<TimeTick> TimeTicks(std::int64_t from, std::int64_t to, HistorySpan span) {
  static const char* const kDays[] = {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."};
  std::vector<TimeTick> ticks;
  std::tm tm = Local(from);
  tm.tm_min = 0;
  tm.tm_sec = 0;
  if (span != HistorySpan::kDay) tm.tm_hour = 0;
  tm.tm_isdst = -1;
  const int every = span == HistorySpan::kDay ? 3 : (span == HistorySpan::kWeek ? 1 : 5);
  for (int guard = 0; guard < 400; ++guard) {
    const std::int64_t t = static_cast<std::int64_t>(std::mktime(&tm));
    if (t > to) break;
    const std::tm shown = Local(t);
    // Hours on the clock's multiples of three; days every `every` days from
    // the first one shown.
    const bool on_step =
        span == HistorySpan::kDay ? shown.tm_hour % every == 0 : guard % every == 0;
    if (t >= from && on_step) {
      char buf[32];
      if (span == HistorySpan::kDay) {
        std::snprintf(buf, sizeof buf, "%02dh", shown.tm_hour);
      } else if (span == HistorySpan::kWeek) {
        std::snprintf(buf, sizeof buf, "%s %02d/%02d", kDays[shown.tm_wday], shown.tm_mday,
                      shown.tm_mon + 1);
      } else {
        std::snprintf(buf, sizeof buf, "%02d/%02d", shown.tm_mday, shown.tm_mon + 1);
      }
      const std::int64_t text_at = span == HistorySpan::kWeek ? t + 12 * 3600 : t;
      ticks.push_back({t, QString::fromUtf8(buf), text_at});
    }
    if (span == HistorySpan::kDay) {
      tm.tm_hour += 1;
    } else {
      tm.tm_mday += 1;
    }
    tm.tm_isdst = -1;
  }
  return ticks;
}

}  // namespace

HistoryChartView::HistoryChartView(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setMinimumHeight(190);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void HistoryChartView::SetChart(Chart chart, std::int64_t from_utc, std::int64_t to_utc,
                                HistorySpan span) {
  chart_ = std::move(chart);
  from_ = from_utc;
  to_ = std::max(to_utc, from_utc + 1);
  span_ = span;
  double low = INFINITY;
  double high = -INFINITY;
  for (const ChartLine& line : chart_.lines) {
    if (line.on_direction_axis) continue;
    for (const auto& run : line.runs) {
      for (const ChartPoint& p : run) {
        low = std::min(low, p.value);
        high = std::max(high, p.value);
      }
    }
  }
  for (const ChartBar& bar : chart_.bars) {
    low = std::min(low, 0.0);
    high = std::max(high, bar.value);
  }
  if (!std::isfinite(low)) {
    low = 0;
    high = 1;
  }
  if (chart_.style.from_zero) low = std::min(low, 0.0);
  // A nearly flat series is drawn flat, not as noise magnified.
  const double min_span = chart_.style.min_span;
  if (high - low < min_span) {
    const double middle = (high + low) / 2;
    const bool from_zero = low == 0.0;  // amounts keep their zero
    low = from_zero ? 0 : middle - min_span / 2;
    high = from_zero ? min_span : middle + min_span / 2;
  }
  const double step = NiceStep(high - low, 5);
  low_ = std::floor(low / step) * step;
  high_ = std::ceil(high / step) * step;
  if (high_ - low_ < step) high_ = low_ + step;
  update();
}

QRectF HistoryChartView::Plot() const {
  return QRectF(kLeftMargin, kTopMargin, std::max(10, width() - kLeftMargin - kRightMargin),
                std::max(10, height() - kTopMargin - kBottomMargin));
}

double HistoryChartView::XOf(std::int64_t utc) const {
  const QRectF plot = Plot();
  return plot.left() +
         plot.width() * static_cast<double>(utc - from_) / static_cast<double>(to_ - from_);
}

std::int64_t HistoryChartView::UtcOf(double x) const {
  const QRectF plot = Plot();
  return from_ + static_cast<std::int64_t>((x - plot.left()) / plot.width() *
                                           static_cast<double>(to_ - from_));
}

void HistoryChartView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.fillRect(rect(), palette().base());
  const QRectF plot = Plot();
  const auto y_of = [&](double v) {
    return plot.bottom() - plot.height() * (v - low_) / (high_ - low_);
  };
  const QColor text_colour = palette().color(QPalette::Text);
  QFont title_font = font();
  title_font.setBold(true);
  p.setFont(title_font);
  p.setPen(text_colour);
  const QString title =
      QString::fromStdString(chart_.title) +
      (chart_.unit.empty() ? QString() : " (" + QString::fromStdString(chart_.unit) + ")");
  p.drawText(QRectF(4, 2, width() - 8, kTopMargin - 4), Qt::AlignLeft | Qt::AlignVCenter, title);
  p.setFont(font());

  // The legend, right-aligned on the title's line.
  std::vector<std::pair<QString, QColor>> legend;
  if (!chart_.bars.empty())
    legend.emplace_back(QString::fromStdString(chart_.bar_label), kBarColour);
  for (std::size_t i = 0; i < chart_.lines.size(); ++i) {
    legend.emplace_back(QString::fromStdString(chart_.lines[i].label), LineColour(chart_, i));
  }
  const QFontMetrics metrics(font());
  double x = width() - 6;
  for (auto it = legend.rbegin(); it != legend.rend(); ++it) {
    const int w = metrics.horizontalAdvance(it->first);
    x -= w;
    p.setPen(text_colour);
    p.drawText(QPointF(x, kTopMargin / 2.0 + metrics.ascent() / 2.0 - 1), it->first);
    x -= 16;
    p.fillRect(QRectF(x, kTopMargin / 2.0 - 4, 11, 8), it->second);
    x -= 12;
  }

  // Grid and value axis.
  const QColor grid = palette().color(QPalette::Mid).lighter(130);
  const double step = NiceStep(high_ - low_, 5);
  const int decimals = step < 1 ? (step < 0.1 ? 2 : 1) : 0;
  for (double v = low_; v <= high_ + step / 2; v += step) {
    const double y = y_of(v);
    p.setPen(QPen(grid, 1, Qt::DotLine));
    p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    p.setPen(text_colour);
    p.drawText(QRectF(0, y - 8, kLeftMargin - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
               Number(v, decimals));
  }
  for (const TimeTick& tick : TimeTicks(from_, to_, span_)) {
    const double tx = XOf(tick.utc);
    p.setPen(QPen(grid, 1, Qt::DotLine));
    p.drawLine(QPointF(tx, plot.top()), QPointF(tx, plot.bottom()));
    const double text_x = XOf(tick.text_utc);
    if (text_x + 20 > plot.right()) continue;  // a day that has barely begun
    p.setPen(text_colour);
    p.drawText(QRectF(text_x - 40, plot.bottom() + 3, 80, kBottomMargin - 4), Qt::AlignCenter,
               tick.text);
  }
  p.setPen(QPen(palette().color(QPalette::Mid), 1));
  p.drawRect(plot);

  p.save();
  p.setClipRect(plot);
  for (const ChartBar& bar : chart_.bars) {
    const double left = XOf(bar.start);
    const double right = XOf(bar.end);
    const double top = y_of(bar.value);
    p.fillRect(QRectF(left + 1, top, std::max(1.0, right - left - 2), y_of(0) - top), kBarColour);
  }
  const bool has_direction = std::any_of(chart_.lines.begin(), chart_.lines.end(),
                                         [](const ChartLine& l) { return l.on_direction_axis; });
  for (std::size_t i = 0; i < chart_.lines.size(); ++i) {
    const ChartLine& line = chart_.lines[i];
    const QColor colour = LineColour(chart_, i);
    if (line.on_direction_axis) {
      p.setPen(Qt::NoPen);
      p.setBrush(colour);
      for (const auto& run : line.runs) {
        for (const ChartPoint& pt : run) {
          const double y = plot.bottom() - plot.height() * pt.value / 360.0;
          p.drawEllipse(QPointF(XOf(pt.utc), y), 1.6, 1.6);
        }
      }
      p.setBrush(Qt::NoBrush);
      continue;
    }
    p.setPen(QPen(colour, 1.6));
    for (const auto& run : line.runs) {
      if (run.size() == 1) {
        p.drawPoint(QPointF(XOf(run[0].utc), y_of(run[0].value)));
        continue;
      }
      QPainterPath path(QPointF(XOf(run[0].utc), y_of(run[0].value)));
      for (std::size_t k = 1; k < run.size(); ++k) {
        path.lineTo(XOf(run[k].utc), y_of(run[k].value));
      }
      p.drawPath(path);
    }
  }
  p.restore();
  if (has_direction) {
    p.setPen(kDirectionColour);
    const char* const kCompass[] = {"N", "E", "S", "O", "N"};
    for (int k = 0; k <= 4; ++k) {
      const double y = plot.bottom() - plot.height() * k / 4.0;
      p.drawText(QRectF(plot.right() + 4, y - 8, kRightMargin - 6, 16),
                 Qt::AlignLeft | Qt::AlignVCenter, kCompass[k]);
    }
  }
  if (cursor_x_ >= plot.left() && cursor_x_ <= plot.right()) {
    p.setPen(QPen(text_colour, 1, Qt::DashLine));
    p.drawLine(QPointF(cursor_x_, plot.top()), QPointF(cursor_x_, plot.bottom()));
  }
}

QString HistoryChartView::TextAt(int x) const {
  const QRectF plot = Plot();
  if (x < plot.left() || x > plot.right()) return {};
  const std::int64_t at = UtcOf(x);
  // Within a few pixels' worth of time, and never further than two hours.
  const std::int64_t window = std::min<std::int64_t>(
      7200,
      std::max<std::int64_t>(300, (to_ - from_) * 6 / std::max(1, static_cast<int>(plot.width()))));
  QStringList lines;
  std::optional<std::int64_t> shown_time;
  for (const ChartBar& bar : chart_.bars) {
    if (at >= bar.start && at < bar.end) {
      lines << QString::fromStdString(chart_.bar_label) + " : " + Number(bar.value, 1) + " " +
                   QString::fromStdString(chart_.unit);
      shown_time = bar.start;
    }
  }
  for (const ChartLine& line : chart_.lines) {
    const auto point = line.Nearest(at, window);
    if (!point) continue;
    if (!shown_time) shown_time = point->utc;
    const QString value =
        line.on_direction_axis
            ? Number(point->value, 0) + " °"
            : Number(point->value, 1) +
                  (chart_.unit.empty() ? QString() : " " + QString::fromStdString(chart_.unit));
    lines << QString::fromStdString(line.label) + " : " + value;
  }
  if (lines.isEmpty()) return {};
  return TimeText(*shown_time) + "\n" + lines.join("\n");
}

void HistoryChartView::mouseMoveEvent(QMouseEvent* event) {
  cursor_x_ = static_cast<int>(event->position().x());
  const QString text = TextAt(cursor_x_);
  if (text.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(event->globalPosition().toPoint() + QPoint(14, 10), text, this);
  }
  update();
}

void HistoryChartView::leaveEvent(QEvent*) {
  cursor_x_ = -1;
  QToolTip::hideText();
  update();
}

HistoryWindow::HistoryWindow(ArchiveStore* store, std::string store_path,
                             std::function<std::int64_t()> now, QWidget* parent)
    : QWidget(parent, Qt::Window),
      store_(store),
      store_path_(std::move(store_path)),
      now_(std::move(now)) {
  if (!now_) {
    now_ = [] {
      return std::chrono::duration_cast<std::chrono::seconds>(
                 std::chrono::system_clock::now().time_since_epoch())
          .count();
    };
  }
  setObjectName("HistoryWindow");
  setWindowTitle("Historique - " + QString::fromStdString(AppTitle()));
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  bar->addWidget(new QLabel("Période :", this));
  const char* const kSpanNames[] = {"24 heures", "7 jours", "30 jours"};
  const HistorySpan kSpans[] = {HistorySpan::kDay, HistorySpan::kWeek, HistorySpan::kMonth};
  for (int i = 0; i < 3; ++i) {
    span_buttons_[i] = new QPushButton(kSpanNames[i], this);
    span_buttons_[i]->setCheckable(true);
    span_buttons_[i]->setObjectName(QString("HistorySpan%1").arg(i));
    const HistorySpan span = kSpans[i];
    connect(span_buttons_[i], &QPushButton::clicked, this,
            [this, span] { RunGuarded(report_, "historique", [&] { SetSpan(span); }); });
    bar->addWidget(span_buttons_[i]);
  }
  bar->addStretch(1);
  auto* export_button = new QPushButton("Exporter la période…", this);
  export_button->setObjectName("HistoryExport");
  connect(export_button, &QPushButton::clicked, this,
          [this] { RunGuarded(report_, "historique", [&] { Export(); }); });
  bar->addWidget(export_button);
  auto* reports_button = new QPushButton("Relevés climatologiques…", this);
  reports_button->setObjectName("HistoryClimateReports");
  reports_button->setEnabled(store_ != nullptr);
  connect(reports_button, &QPushButton::clicked, this,
          [this] { RunGuarded(report_, "historique", [&] { OpenReports(); }); });
  bar->addWidget(reports_button);
  layout->addLayout(bar);

  empty_ = new QLabel(this);
  empty_->setObjectName("HistoryEmpty");
  empty_->setAlignment(Qt::AlignCenter);
  empty_->setWordWrap(true);
  layout->addWidget(empty_, 1);

  scroll_ = new QScrollArea(this);
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  charts_box_ = new QWidget(scroll_);
  charts_layout_ = new QVBoxLayout(charts_box_);
  charts_layout_->setContentsMargins(0, 0, 0, 0);
  scroll_->setWidget(charts_box_);
  layout->addWidget(scroll_, 1);

  resize(900, 700);
  setMinimumSize(480, 360);
  QSettings settings("teskaro-ventaro", "historique");
  restoreGeometry(settings.value("geometry").toByteArray());
  const int saved = settings.value("span", 0).toInt();
  span_ = kSpans[std::clamp(saved, 0, 2)];
  for (int i = 0; i < 3; ++i) span_buttons_[i]->setChecked(kSpans[i] == span_);
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::Open() {
  Reload();
  show();
  raise();
  activateWindow();
}

void HistoryWindow::SetSpan(HistorySpan span) {
  span_ = span;
  const HistorySpan kSpans[] = {HistorySpan::kDay, HistorySpan::kWeek, HistorySpan::kMonth};
  for (int i = 0; i < 3; ++i) span_buttons_[i]->setChecked(kSpans[i] == span_);
  Reload();
}

void HistoryWindow::Reload() {
  to_ = now_();
  from_ = to_ - HistorySpanSeconds(span_);
  std::vector<HistoryRow> rows;
  QString problem;
  if (store_ == nullptr) {
    problem = "L'historique n'est pas tenu : ARCHIVE_Active vaut 0 dans tsk_vnt.ini.";
  } else if (store_->Range(from_, to_, &rows) != StoreStatus::kOk) {
    problem = "L'historique ne peut pas être lu pour le moment : " +
              QString::fromStdString(store_->last_error());
  }
  HistoryCharts charts = BuildHistoryCharts(rows, to_, span_);
  while (QLayoutItem* item = charts_layout_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  if (problem.isEmpty() && charts.Empty()) {
    problem =
        "Aucun relevé dans l'historique pour cette période.\nLes enregistrements de la console "
        "s'afficheront ici dès qu'ils auront été récupérés.";
  }
  empty_->setText(problem);
  empty_->setVisible(!problem.isEmpty());
  scroll_->setVisible(problem.isEmpty());
  for (Chart& chart : charts.charts) {
    auto* view = new HistoryChartView(charts_box_);
    view->setObjectName("HistoryChart_" + QString::fromStdString(chart.title));
    view->SetChart(std::move(chart), charts.from_utc, charts.to_utc, span_);
    charts_layout_->addWidget(view);
  }
}

QList<HistoryChartView*> HistoryWindow::Charts() const {
  return charts_box_->findChildren<HistoryChartView*>();
}

QString HistoryWindow::EmptyText() const {
  return empty_->isVisibleTo(this) ? empty_->text() : QString();
}

void HistoryWindow::SaveGeometry() {
  QSettings settings("teskaro-ventaro", "historique");
  settings.setValue("geometry", saveGeometry());
  settings.setValue("span", span_ == HistorySpan::kDay ? 0 : span_ == HistorySpan::kWeek ? 1 : 2);
}

void HistoryWindow::closeEvent(QCloseEvent* event) {
  SaveGeometry();
  event->accept();
}

void HistoryWindow::hideEvent(QHideEvent* event) {
  SaveGeometry();
  QWidget::hideEvent(event);
}

void HistoryWindow::OpenReports() {
  if (reports_ == nullptr) {
    // The years offered are those the store holds (this year's when it holds none).
    std::int64_t oldest = now_();
    std::int64_t newest = oldest;
    bool empty = true;
    if (store_ == nullptr || store_->Span(&oldest, &newest, &empty) != StoreStatus::kOk || empty) {
      oldest = newest = now_();
    }
    reports_ = new ClimateReportDialog(store_, oldest, newest, this);
  }
  if (report_header_) reports_->SetHeader(report_header_());
  reports_->show();
  reports_->raise();
}

void HistoryWindow::Export() {
  const std::tm tm = Local(to_);
  char name[64];
  std::strftime(name, sizeof name, "teskaro-ventaro-historique-%Y-%m-%d.csv", &tm);
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  const QString path = QFileDialog::getSaveFileName(
      this, "Exporter l'historique", folder + "/" + name, "CSV (*.csv);;JSON (*.json)");
  if (path.isEmpty()) return;
  std::string message;
  const bool written = ExportHistory(store_path_, from_, to_, path.toStdString(), &message);
  if (written) {
    QMessageBox::information(this, "Historique", QString::fromStdString(message));
  } else {
    QMessageBox::warning(this, "Historique", QString::fromStdString(message));
  }
}

}  // namespace tv
