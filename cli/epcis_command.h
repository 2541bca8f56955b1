#pragma once

#include "cli_support.h"

// journal export --epcis: the commissioning events of the tags issued, as an
// EPCIS 2.0 document (JSON-LD, or XML with --xml).
void addEpcisOptions(QCommandLineParser& parser);
// Any of the options above is given.
bool epcisRequested(const CommandParser& command);
int epcisExportCommand(const CommandParser& command);
