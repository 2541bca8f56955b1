#pragma once

#include <QStringList>

// The subcommands that talk to the reader once; each takes the arguments
// after the program name, the subcommand's words first, and returns the exit code.
int versionCommand(const QStringList& arguments);
int formatCommand(const QStringList& arguments);
int readModeCommand(const QStringList& arguments);
int relayCommand(const QStringList& arguments);
int epcCommand(const QStringList& arguments);
int tidCommand(const QStringList& arguments);
int rawCommand(const QStringList& arguments);
