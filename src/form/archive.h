#pragma once

class MainForm;

void Archive_Click(MainForm& f);
