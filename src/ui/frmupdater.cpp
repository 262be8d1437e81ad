#include "ui/frmupdater.h"

void openUpdateWindow(MainForm&, bool, QWidget*) {}
void closeUpdateWindow() {}
