#pragma once

#include <QString>

class MainForm;

// Ends the program with its message when the directory is missing.
void CheckDirectory(MainForm& f, const QString& name);
// True when the file exists; otherwise warns the user and answers false.
bool CheckFile(MainForm& f, const QString& description, const QString& directory,
               const QString& fileName);
