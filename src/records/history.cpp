#include "records/history.h"

#include "calc/mainform.h"

void BuildHistoryRecord(MainForm&) {}
void AppendHistoryHeaders(MainForm&) {}
void AppendHistoryLog(MainForm&) {}
void UpgradeHistoryLog(MainForm&) {}
void Get_Last_Click(MainForm&) {}
void Del_Last_Click(MainForm&) {}
void ViewH_Click(MainForm&) {}
