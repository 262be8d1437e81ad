#include "records/archive.h"

#include "calc/mainform.h"

void Archive_Click(MainForm&) {}
