#include "update/updatecheck.h"

#include "calc/mainform.h"

void Update_Click(MainForm&) {}
void StartUpdateCheck(MainForm&, bool) {}
