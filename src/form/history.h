#pragma once

class MainForm;

void BuildHistoryRecord(MainForm& f);
void AppendHistoryHeaders(MainForm& f);
void AppendHistoryLog(MainForm& f);
void UpgradeHistoryLog(MainForm& f);
void Get_Last_Click(MainForm& f);
void Del_Last_Click(MainForm& f);
void ViewH_Click(MainForm& f);
