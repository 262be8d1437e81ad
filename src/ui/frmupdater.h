#pragma once

class MainForm;
class QWidget;

// The update-check window: shown at once (manual) or loaded hidden (automatic).
void openUpdateWindow(MainForm& f, bool automatic, QWidget* parent);
// Closes the update-check window when it is open.
void closeUpdateWindow();
