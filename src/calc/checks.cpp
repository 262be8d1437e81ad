#include "calc/checks.h"

#include "calc/mainform.h"

void CheckBreakPoint(MainForm&) {}
void CheckReadingValues(MainForm&) {}
void CheckReadingRules(MainForm&) {}
void CheckTariffData(MainForm&, bool, bool) {}
