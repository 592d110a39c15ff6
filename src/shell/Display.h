#pragma once

#include <memory>

class QApplication;

// Makes the application object, which opens the display. Without a display (none named, or one
// that cannot be reached) Qt would abort with a core file; instead the program says so in one
// line on standard error and exits with status 1. Qt's own messages while the display opens are
// passed on once it has opened.
std::unique_ptr<QApplication> openDisplay(int &argc, char **argv);
