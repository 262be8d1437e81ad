#include "records/save.h"

#include "calc/mainform.h"

void SaveCalculation(MainForm&) {}
void Save_Click(MainForm&) {}
void AutoSave_Click(MainForm&) {}
