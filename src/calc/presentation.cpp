#include "calc/presentation.h"

#include "calc/mainform.h"

void ClearInputs(MainForm&) {}
void ClearActualResults(MainForm&) {}
void ClearPredictedResults(MainForm&) {}
void SetTaxWording(MainForm&) {}
void SetModeLabels(MainForm&) {}
void ShowMoneyResults(MainForm&) {}
void Clear_Click(MainForm&) {}
void Period_Click(MainForm&) {}
void VAT_Change(MainForm&) {}
void Disc1P_Click(MainForm&) {}
void Disc2F_Click(MainForm&) {}
void DRate_Click(MainForm&) {}
