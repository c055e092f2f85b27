#pragma once

class Dataset;

// Reads the system title (S_SET N_SYS) and the module name (N_MOD) back
// into the shared state, creating a missing row with its default. Both rows
// are read and created in one transaction; the shared state changes only
// after the store has them. A failure is shown (the statement's error box)
// and gives false with the names in memory as they were.
bool ReloadSystemNames(Dataset &query);
