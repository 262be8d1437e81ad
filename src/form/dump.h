#pragma once

#include <QString>

class MainForm;

// Appends the dump to the results log, tells the user and ends the program. Never returns.
[[noreturn]] void FatalErrorDump(MainForm& f, const QString& where, int location);
