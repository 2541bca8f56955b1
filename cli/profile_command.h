#pragma once

#include <QStringList>

// profile apply | check | template: configuration profiles from the shell.
int profileCommand(const QStringList& arguments);
