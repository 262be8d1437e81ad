#pragma once

#include <QString>

class MainForm;

void CreateLogFiles(MainForm& f);
void BuildResultsReport(MainForm& f);
void AppendResultsLog(MainForm& f);
void ViewL_Click(MainForm& f);
