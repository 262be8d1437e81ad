#include "calc/predict.h"

#include "calc/mainform.h"

void PredictCosts(MainForm&) {}
