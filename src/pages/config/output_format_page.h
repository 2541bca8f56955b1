#pragma once

#include "pages/page_context.h"
#include "settings/setting_frames.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;

// Page TabSheet1: output format of a reader that emits card numbers as text.
// It also holds the hidden group with the reader address selector setadd,
// whose text goes into every HF frame.
class OutputFormatPage : public QWidget {
    Q_OBJECT
  public:
    explicit OutputFormatPage(PageContext& context, QWidget* parent = nullptr);

    QString address() const;
    QComboBox* setadd() const { return setadd_; }

    // Description of a format code read back from the reader ("0F" gives
    // "10位10进制（id后4字节转换）"); codes above 10 are custom lengths.
    static QString formatDescription(const QString& code) {
        return settings::formatDescription(code);
    }

    void Button64Click(); // buzzer off, or on again

  private:
    QWidget* makeFormatGroup();
    QWidget* makeBuzzerGroup();
    QWidget* makeButtonGroup();
    QString setFormatPayload() const;
    QString formatCode() const;
    void logFormat(const QString& reply, const QString& time);
    void logVersion(const QString& reply, const QString& time);
    bool checked(const char* name) const;

    PageContext& context_;
    QComboBox* setadd_;
    QLineEdit* edit64_ = nullptr;
    QPushButton* button64_ = nullptr;
};
