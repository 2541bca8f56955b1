#pragma once

#include "pages/page_context.h"
#include "uhf/module_settings.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The group "射频设置" of the inventory page: the UHF module's information,
// transmit power, region, channel and hopping, and the Query parameters.
// Every set is read back; each outcome is one log line (a refusal a second
// with the module's error in words).
class ModuleSettingsGroup : public QGroupBox {
    Q_OBJECT
  public:
    explicit ModuleSettingsGroup(PageContext& context, QWidget* parent = nullptr);

    // Reads everything the module tells into the controls.
    void readAll();
    void setPowerClick();
    // Region, then channel, then hopping.
    void setFrequencyClick();
    void setQueryClick();

    // The Query parameters as last read or set.
    const QueryParameters& query() const { return query_; }

  signals:
    void queryChanged(const QueryParameters& query);

  private:
    // Logs the outcome of one read or set; true when it succeeded.
    bool report(ModuleSettings::Outcome outcome, const QString& what, bool logSuccess = true);
    void fillChannels(int region);
    void showQuery(const QueryParameters& query);
    QString time() const { return context_.link.time(); }

    PageContext& context_;
    ModuleSettings settings_;
    QueryParameters query_;
    QLabel* info_;
    QSpinBox* power_;
    QComboBox* region_;
    QComboBox* channel_;
    QCheckBox* hopping_;
    QComboBox* session_;
    QComboBox* target_;
    QSpinBox* q_;
};
