#include "form/updatecheck.h"

#include "form/mainform.h"

void StartUpdateCheck(MainForm& f, bool automatic) {
    f.ManualCheck = !automatic;
    // The host loads the window: shown at once for a manual check, hidden for an automatic one.
    f.host.startUpdateCheck(automatic);
}

void Update_Click(MainForm& f) {
    StartUpdateCheck(f, false);
}
