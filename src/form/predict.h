#pragma once

class MainForm;

void PredictCosts(MainForm& f);
