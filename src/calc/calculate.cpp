#include "calc/calculate.h"

#include "calc/mainform.h"

void Calculate(MainForm&) {}
