#pragma once

#include <QStringList>

// journal list | export --csv | series | check
int journalCommand(const QStringList& arguments);
