#pragma once

#include <QString>

class MainForm;

// R(n, x): x right-aligned in n characters; a longer text loses its first characters.
QString R(int n, const QString& x);

void CreateLogFiles(MainForm& f);
void BuildResultsReport(MainForm& f);
void AppendResultsLog(MainForm& f);
void ViewL_Click(MainForm& f);
