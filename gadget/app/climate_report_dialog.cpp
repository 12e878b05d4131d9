#include "gadget/app/climate_report_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <exception>

#include "gadget/archive/archive_store.h"
#include "gadget/export/atomic_file.h"
#include "lib/common/app_values.h"
#include "lib/config/config_file.h"
#include "lib/config/config_table.h"

namespace tv {
namespace {

const char* const kMonths[12] = {"janvier",   "février", "mars",     "avril",
                                 "mai",       "juin",    "juillet",  "août",
                                 "septembre", "octobre", "novembre", "décembre"};

ReportSettings SettingsFromIni() {
  ConfigTable config;
  LoadIniFile(IniPath(), config, "");
  return ReportSettingsFromConfig(config);
}

}  // namespace

ClimateReportDialog::ClimateReportDialog(ArchiveStore* store, std::int64_t oldest_utc,
                                         std::int64_t newest_utc, QWidget* parent)
    : QDialog(parent), store_(store), settings_(SettingsFromIni()) {
  setObjectName("ClimateReportDialog");
  setWindowTitle("Relevés climatologiques");
  const auto newest = static_cast<std::time_t>(newest_utc - 1);
  std::tm tm{};
  localtime_r(&newest, &tm);
  // A record stamps the end of its interval: the one at 00:00 on 1 January
  // belongs to the year before.
  const auto oldest = static_cast<std::time_t>(std::min(oldest_utc, newest_utc) - 1);
  std::tm first{};
  localtime_r(&oldest, &first);

  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  bar->addWidget(new QLabel("Relevé :", this));
  month_ = new QComboBox(this);
  month_->setObjectName("ClimateReportMonth");
  month_->addItem("Année entière", 0);
  for (int m = 0; m < 12; ++m) month_->addItem(kMonths[m], m + 1);
  year_ = new QComboBox(this);
  year_->setObjectName("ClimateReportYear");
  for (int y = tm.tm_year + 1900; y >= first.tm_year + 1900; --y) {
    year_->addItem(QString::number(y), y);
  }
  month_->setCurrentIndex(tm.tm_mon + 1);
  bar->addWidget(month_);
  bar->addWidget(year_);
  bar->addStretch(1);
  auto* save = new QPushButton("Enregistrer…", this);
  save->setObjectName("ClimateReportSave");
  bar->addWidget(save);
  layout->addLayout(bar);

  text_ = new QPlainTextEdit(this);
  text_->setObjectName("ClimateReportText");
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  layout->addWidget(text_, 1);
  resize(1000, 640);

  auto refresh = [this] {
    try {
      Refresh();
    } catch (const std::exception& e) {
      text_->setPlainText(QString("Relevé impossible : ") + e.what());
    }
  };
  connect(month_, &QComboBox::currentIndexChanged, this, refresh);
  connect(year_, &QComboBox::currentIndexChanged, this, refresh);
  connect(save, &QPushButton::clicked, this, [this] {
    try {
      Save();
    } catch (const std::exception& e) {
      QMessageBox::warning(this, "Relevés climatologiques", e.what());
    }
  });
  Refresh();
}

ReportPeriod ClimateReportDialog::period() const {
  return {year_->currentData().toInt(), month_->currentData().toInt()};
}

void ClimateReportDialog::SelectPeriod(const ReportPeriod& period) {
  const QSignalBlocker block_year(year_);
  const QSignalBlocker block_month(month_);
  int index = year_->findData(period.year);
  if (index < 0) {
    year_->addItem(QString::number(period.year), period.year);
    index = year_->count() - 1;
  }
  year_->setCurrentIndex(index);
  month_->setCurrentIndex(period.month);
  Refresh();
}

void ClimateReportDialog::SetHeader(const ReportHeader& header) {
  header_ = header;
  Refresh();
}

QString ClimateReportDialog::Text() const {
  return text_->toPlainText();
}

void ClimateReportDialog::Refresh() {
  if (store_ == nullptr) {
    text_->setPlainText("Aucune archive n'est conservée.");
    return;
  }
  std::string contents, message;
  const auto result = MakeClimateReport(*store_, period(), ReportFormat::kText, settings_, header_,
                                        &contents, &message);
  text_->setPlainText(
      QString::fromStdString(result == ReportResult::kWritten ? contents : message));
}

bool ClimateReportDialog::SaveTo(const QString& path) {
  std::string target = path.toStdString();
  const auto format = ReportFormatOfPath(target);
  std::string contents, message;
  ReportResult result = ReportResult::kNotUnderstood;
  if (!format) {
    message = "Le nom du fichier doit finir par .txt ou .csv : " + target;
  } else if (store_ == nullptr) {
    result = ReportResult::kNothing;
    message = "Aucune archive n'est conservée.";
  } else {
    result = MakeClimateReport(*store_, period(), *format, settings_, header_, &contents, &message);
  }
  std::string error;
  if (result == ReportResult::kWritten && !WriteFileAtomically(target, contents, &error)) {
    result = ReportResult::kNothing;
    message = "Impossible d'écrire " + target + " : " + error;
  }
  if (result != ReportResult::kWritten) {
    QMessageBox::warning(this, "Relevés climatologiques", QString::fromStdString(message));
    return false;
  }
  return true;
}

void ClimateReportDialog::Save() {
  const ReportPeriod p = period();
  QString name = QString("releve-climatologique-%1").arg(p.year);
  if (p.month != 0) name += QString("-%1").arg(p.month, 2, 10, QChar('0'));
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  QString filter;
  QString path =
      QFileDialog::getSaveFileName(this, "Enregistrer le relevé", folder + "/" + name + ".txt",
                                   "Texte (*.txt);;CSV (*.csv)", &filter);
  if (path.isEmpty()) return;
  if (!path.endsWith(".txt", Qt::CaseInsensitive) && !path.endsWith(".csv", Qt::CaseInsensitive)) {
    path += filter.startsWith("CSV") ? ".csv" : ".txt";
  }
  SaveTo(path);
}

}  // namespace tv
