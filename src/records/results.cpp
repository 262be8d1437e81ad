#include "records/results.h"

#include "calc/mainform.h"

void CreateLogFiles(MainForm&) {}
void BuildResultsReport(MainForm&) {}
void AppendResultsLog(MainForm&) {}
void ViewL_Click(MainForm&) {}
QString R(int n, const QString& x) { return (QString(n, ' ') + x).right(n); }
