#pragma once

#include <QString>

// The system-wide mark of a running copy. The operating system drops it when the process
// ends, so a crashed copy never leaves it behind.
//
// True when another process already holds the mark `name`; otherwise this process takes it
// and keeps it until it ends.
bool IsRunning(const QString& name);
