#pragma once

class MainForm;

// Shows the update-check window (manual) or loads it hidden (automatic).
void StartUpdateCheck(MainForm& f, bool automatic);
void Update_Click(MainForm& f);
