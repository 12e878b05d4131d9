#pragma once

#include <QDialog>
#include <string>

#include "gadget/reports/climate_report.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;

namespace tv {

class ArchiveStore;

// "Relevés climatologiques": the month's or year's climate summary from the
// store, in a fixed-width font, made again each time a period is chosen (so
// records brought by a catch-up show), and saved as text or CSV. The units
// and degree-day base are read from tsk_vnt.ini when it opens.
class ClimateReportDialog final : public QDialog {
  Q_OBJECT

 public:
  // `newest_utc` is the newest record's second (the period shown first);
  // the years offered are its year and the nine before.
  ClimateReportDialog(ArchiveStore* store, std::int64_t oldest_utc, std::int64_t newest_utc,
                      QWidget* parent = nullptr);

  // Chooses the period (month 0: the whole year) and shows its report.
  void SelectPeriod(const ReportPeriod& period);
  ReportPeriod period() const;
  QString Text() const;
  // The station's name and place for the report's header; shown again.
  void SetHeader(const ReportHeader& header);
  // Writes the period's report to `path` (.txt or .csv); false with a
  // message box when it could not be.
  bool SaveTo(const QString& path);

 private:
  void Refresh();
  void Save();

  ArchiveStore* store_;
  ReportSettings settings_;
  ReportHeader header_;
  QComboBox* year_ = nullptr;
  QComboBox* month_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
};

}  // namespace tv
