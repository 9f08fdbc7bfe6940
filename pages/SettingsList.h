#pragma once

class QComboBox;

// A settings list whose position is the register value. A loaded value that the list
// has no item for (newer firmware may hold one) is shown as an item of its own,
// "(value 7)", and written back as it was unless the user picks another item.
namespace SettingsList {
// Selects the loaded register value's item, adding "(value N)" for a value without one.
void SelectLoaded(QComboBox& list, int value);
// The register value of the selection: its position, the loaded value of a "(value N)"
// item, or -1 (written as 65535) for no selection.
int SelectedValue(const QComboBox& list);
} // namespace SettingsList
