#pragma once

#include <QString>

class MainForm;

// Log-file steps the results log, the history log and the archive share.
namespace records {

// The first "<stem>_yymmdd_<n>.log" below Log (n = 1, 2, ...) that names no file, as a path
// relative to the working directory; empty when every sequence number is taken.
QString firstFreeName(MainForm& f, const QString& stem);

// Opens a log below Log in the text editor, after the directory and file checks.
void viewLog(MainForm& f, const QString& description, const QString& name);

} // namespace records
