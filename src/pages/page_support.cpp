#include "page_support.h"

#include "protocol/conversion.h"

#include <QPointer>

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    return named(new QPushButton(caption, parent), name);
}

QLineEdit* makeEdit(QWidget* parent, const char* name, const QString& text) {
    return named(new QLineEdit(text, parent), name);
}

QLabel* makeLabel(QWidget* parent, const QString& caption) {
    return new QLabel(caption, parent);
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked) {
    auto* box = named(new QCheckBox(caption, parent), name);
    box->setChecked(checked);
    return box;
}

QRadioButton* makeRadio(QWidget* parent, const char* name, const QString& caption, bool checked) {
    auto* radio = named(new QRadioButton(caption, parent), name);
    radio->setChecked(checked);
    return radio;
}

QComboBox* makeCombo(QWidget* parent, const char* name, const QStringList& items, bool editable) {
    auto* combo = named(new QComboBox(parent), name);
    combo->setEditable(editable);
    // The lists are fixed: Enter keeps what is typed as the text, not as an item.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    return combo;
}

QGroupBox* makeGroup(QWidget* parent, const char* name, const QString& caption) {
    return named(new QGroupBox(caption, parent), name);
}

void guarded(const PageContext& context, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const ConversionError& error) {
        context.showError(error.message());
    }
}

void repeatWhileChecked(QCheckBox* box, const std::function<void()>& pass) {
    const QPointer<QCheckBox> alive(box);
    while (alive && alive->isChecked())
        pass();
}
