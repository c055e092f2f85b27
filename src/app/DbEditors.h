#pragma once

// Commands over the data-aware editors (DbEdit, DbMemo, DbMapListCombo,
// DbDateEdit) and the plain edits and combos that query panels also hold.
// Deliberately light: list windows and query panels include only this.

class Dataset;
class QWidget;

// Empties one editor the way "清除条件" does: edits get empty text, combos no
// selected item, date pickers no date. Any other control (memos, buttons,
// labels) is left alone and gives false. An unbound editor emits no
// userEdited; a bound one writes null into its field (auto edit), unless it
// may not change it now.
bool ClearEditor(QWidget *editor);

// The clear command of a query panel: the controls placed directly on the
// panel, from the last to the first, enabled ones only.
void ClearQueryEditors(QWidget *panel);

// Writes what the user typed into every data-aware editor inside container
// (the container itself included). Call it before posting or before reading
// typed values: a save from a toolbar button, which takes no focus, must still
// see the text of the editor being typed in. Stops at the first editor whose
// text is no value: that one shows the message and gets the focus; false.
bool CommitEditors(QWidget *container);

// The same for every editor bound to dataset, wherever it is.
bool CommitEditors(Dataset *dataset);
