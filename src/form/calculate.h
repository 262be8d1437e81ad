#pragma once

class MainForm;

// The Calculate action (click on Calc).
void Calculate(MainForm& f);
