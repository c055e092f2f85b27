#pragma once

// The program from the single-instance guard to the end of the message loop:
// guard, data module, login, main window. Returns the process exit code.
// The application object and the message boxes must exist.
int RunProgram();
