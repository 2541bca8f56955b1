#pragma once

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The program's settings in a folder of the test's own, so that a test never
// reads or changes the user's: use() in initTestCase, clear() in init.
class PrivateSettings {
  public:
    void use() {
        QVERIFY(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }
    static void clear() {
        QSettings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup")).clear();
    }

    QString filePath(const QString& name) const { return dir_.filePath(name); }

  private:
    QTemporaryDir dir_;
};
