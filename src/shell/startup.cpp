#include "shell/startup.h"

#include "calc/mainform.h"

void Form_Load(MainForm&) {}
void Form_Activate(MainForm&) {}
void Exit_Click(MainForm&) {}
void OnTop_Click(MainForm&) {}
void Timer1_Timer(MainForm&) {}
int RunModeFromCommandLine(const QString&) { return 0; }
void CheckDirectory(MainForm&, const QString&) {}
bool CheckFile(MainForm&, const QString&, const QString&, const QString&) { return true; }
