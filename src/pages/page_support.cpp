#include "page_support.h"

#include "protocol/conversion.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QPointer>
#include <QSaveFile>

QString settingsText(const char* text) {
    return QCoreApplication::translate("settings", text);
}

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

QRadioButton* addRadioPair(QWidget* parent, QLayout* layout, const char* group, const char* first,
                           const QString& firstCaption, const char* second,
                           const QString& secondCaption, Qt::Orientation orientation) {
    auto* box = makeGroup(parent, group, QString());
    auto* pair = new QBoxLayout(
        orientation == Qt::Vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, box);
    if (orientation == Qt::Vertical) {
        pair->setContentsMargins(4, 0, 4, 0);
        pair->setSpacing(0);
    } else {
        pair->setContentsMargins(6, 2, 6, 2);
    }
    pair->addWidget(makeRadio(box, first, firstCaption, true));
    auto* other = makeRadio(box, second, secondCaption);
    pair->addWidget(other);
    layout->addWidget(box);
    return other;
}

QRadioButton* addRequestPair(QWidget* parent, QLayout* layout, const char* group, const char* idle,
                             const char* all, Qt::Orientation orientation) {
    return addRadioPair(parent, layout, group, idle, QStringLiteral("Idle"), all,
                        QStringLiteral("All"), orientation);
}

void guarded(const PageContext& context, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const InputError& error) {
        context.showError(error.message());
    }
}

void repeatWhileChecked(QCheckBox* box, const std::function<void()>& pass) {
    const QPointer<QCheckBox> alive(box);
    while (alive && alive->isChecked())
        pass();
}

bool saveFile(const PageContext& context, const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    // Unbuffered, so that every write reaches the device and is seen to.
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    // A device that took only part of the bytes is asked again for the rest,
    // so that its refusal names the reason.
    for (qint64 done = 0; written && done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        written = n > 0;
        done += n;
    }
    if (!written || !file.commit()) {
        context.showError(QCoreApplication::translate("PageSupport", "无法保存文件 %1：%2")
                              .arg(fileName, file.errorString()));
        return false;
    }
    return true;
}
