// The program's forms and translation object, made and freed in the one
// order the program relies on: translation first, then the About box, the
// options dialog (which reads the settings) and the main window; at the end
// the main window first (it stops its searches and saves its history while
// the options still exist).
#pragma once

// Makes them; the main window becomes the application's main form unless
// asked not to (a test or a benchmark that runs no message loop of its own).
void CreateProgramForms(bool asMainForm = true);
void DestroyProgramForms();
