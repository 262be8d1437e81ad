#pragma once

#include "domain/bill.h"
#include "records/billformat.h"

class MainForm;

// Shows the prediction the domain worked out with the bill, when the tariff asks for one.
void PredictCosts(MainForm& f, const domain::Bill& bill, const billformat::BillTexts& texts);
