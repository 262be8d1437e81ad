#include "shell/config.h"

#include "calc/mainform.h"

void ReadConfiguration(MainForm&) {}
void Save_Defaults_Click(MainForm&) {}
void Reset_Defaults_Click(MainForm&) {}
