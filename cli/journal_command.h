#pragma once

#include <QStringList>

// journal list | export --csv | check
int journalCommand(const QStringList& arguments);
