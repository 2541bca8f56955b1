#pragma once

#include <QStringList>

// rfid-setup-cli module show | set NAME VALUE ...: the UHF module's RF settings,
// each set read back.
int moduleCommand(const QStringList& arguments);
