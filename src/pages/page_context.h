#pragma once

#include "protocol/reader_link.h"

#include <QString>
#include <functional>

class QCheckBox;

// What the main window hands every page: the reader link and the few things
// that cross pages, wired once by the main window.
struct PageContext {
    ReaderLink& link;
    // Continuous-mode boxes that a page change or closing the window unticks.
    std::function<void(QCheckBox*)> registerLoopBox;
    // The error box of conversion and file errors.
    std::function<void(const QString&)> showError;
    // Shows the card memory structure window ("扇区结构").
    std::function<void()> showCardMemory;
    // Interval of the HF continuous modes, Edit22 on the system commands page.
    std::function<int()> hfInterval;
    // Empties the log pane RichEdit1; set by the main window after the pages.
    std::function<void()> clearLog = {};
};
