#pragma once

#include <QStringList>

// issue: waits for each new tag, writes it the next number of a series, reads
// it back and records it in the journal, until N tags are issued.
int issueCommand(const QStringList& arguments);
