#pragma once

#include "settings/profile_applier.h"

#include <QDialog>
#include <QMap>

class IssuingJournal;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class ReaderLink;

// The profile's values as the window's controls hold them now, found by their
// objectName under form ("section.key" → value).
QMap<QString, QString> profileValuesOf(const QWidget* form);

// "应用设置方案": the settings a profile holds, applied to the reader in use or
// to every reader found, with a progress bar and a copyable table of the
// result per setting and per reader. The waits keep the window responsive and
// the log pane gets the pages' lines; each application is recorded in the
// journal when it can be opened.
class ProfileWindow : public QDialog {
    Q_OBJECT
  public:
    ProfileWindow(ReaderLink& link, IssuingJournal* journal, const settings::Profile& profile,
                  QWidget* parent = nullptr);

    void apply();
    // The result table as tab-separated lines, as copied.
    QString resultText() const;

  protected:
    void reject() override;

  private:
    void addResult(const QString& reader, const settings::SettingResult& result);

    ReaderLink& link_;
    IssuingJournal* journal_;
    settings::Profile profile_;
    QCheckBox* allReaders_;
    QProgressBar* progress_;
    QTableWidget* results_;
    QLabel* summary_;
    QPushButton* applyButton_;
    bool applying_ = false;
};
