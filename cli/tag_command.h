#pragma once

#include <QStringList>

// rfid-setup-cli tag read | write | set-password | lock | kill | password:
// one chosen tag's memory, passwords and locks, and the access password that
// issuing derives for a tag.
int tagCommand(const QStringList& arguments);
