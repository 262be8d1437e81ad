#include "shell/instance.h"

bool IsRunning(const QString&) { return false; }
