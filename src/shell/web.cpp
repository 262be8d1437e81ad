#include "shell/web.h"

#include "calc/mainform.h"

void Help1_Click(MainForm&) {}
void About_Click(MainForm&) {}
void Logo_Click(MainForm&) {}
void OpenWebPage(MainForm&, const QString&) {}
