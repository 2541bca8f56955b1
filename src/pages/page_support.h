#pragma once

#include "page_context.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

// Small builders so that every control gets its objectName in one place.
template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A caption from the settings' tables (shared with the command-line tool,
// whose catalog translates them under the context "settings").
QString settingsText(const char* text);

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption);
QLineEdit* makeEdit(QWidget* parent, const char* name, const QString& text);
QLabel* makeLabel(QWidget* parent, const QString& caption);
QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption,
                        bool checked = false);
QRadioButton* makeRadio(QWidget* parent, const char* name, const QString& caption,
                        bool checked = false);
QComboBox* makeCombo(QWidget* parent, const char* name, const QStringList& items,
                     bool editable = false);
QGroupBox* makeGroup(QWidget* parent, const char* name, const QString& caption);

// Two radio buttons in an untitled box of their own added to layout, the
// first checked; returns the second.
QRadioButton* addRadioPair(QWidget* parent, QLayout* layout, const char* group, const char* first,
                           const QString& firstCaption, const char* second,
                           const QString& secondCaption, Qt::Orientation orientation);
// The request choice of the HF card pages: "Idle" (checked), then "All", which
// it returns.
QRadioButton* addRequestPair(QWidget* parent, QLayout* layout, const char* group, const char* idle,
                             const char* all, Qt::Orientation orientation);

// Replaces the file with the bytes only when every byte went in: a short
// write (a full disk) cancels the save and keeps the old file. False, with
// the error box saying why, on any failure.
bool saveFile(const PageContext& context, const QString& fileName, const QByteArray& bytes);

// Runs a handler; input it refuses (InputError, a conversion error too) stops
// it and shows the error box.
void guarded(const PageContext& context, const std::function<void()>& handler);

// A continuous mode: repeat pass while the box stays checked. The pass waits
// in the event loop, where the click that unticks the box is handled. The box
// may go away meanwhile (the window closing): the loop then ends.
void repeatWhileChecked(QCheckBox* box, const std::function<void()>& pass);
