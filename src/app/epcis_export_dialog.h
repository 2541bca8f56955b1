#pragma once

#include "uhf/epcis_stations.h"

#include <QDialog>
#include <QHash>
#include <functional>

class IssuingJournal;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;

// The journal's commissioning events as an EPCIS document, with the choices
// of `journal export --epcis`: the form, which records (all, those after the
// last export, those from a time on), the series, the station, and the read
// point and business location (a station's own are filled in, and kept when
// changed).
class EpcisExportDialog : public QDialog {
    Q_OBJECT
  public:
    // writeAddress: the journal's address, opened for writing when marks or
    // a location are to be kept.
    EpcisExportDialog(IssuingJournal& journal, const QString& writeAddress,
                      std::function<void(const QString&)> showError, QWidget* parent = nullptr);

    // Writes the document to the file; false (and the error box) on failure.
    bool exportTo(const QString& fileName);

  private:
    void stationChosen();

    IssuingJournal& journal_;
    QString writeAddress_;
    std::function<void(const QString&)> showError_;
    QHash<QString, EpcisStations::Location> locations_;
    QComboBox* format_;
    QComboBox* since_;
    QDateTimeEdit* sinceTime_;
    QComboBox* series_;
    QComboBox* station_;
    QLineEdit* readPoint_;
    QLineEdit* bizLocation_;
    QLabel* result_;
};
