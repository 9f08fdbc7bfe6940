#include "pages/UnloadedSettings.h"

#include "framework/MessageBox.h"

#include <algorithm>

bool AllSettingsLoaded(QWidget* parent, std::initializer_list<bool> blocksLoaded)
{
    if (std::all_of(blocksLoaded.begin(), blocksLoaded.end(), [](bool loaded) { return loaded; }))
        return true;
    MessageBox(parent,
               QStringLiteral("The settings have not been loaded from the meter, so nothing was written. "
                              "Press Load first."),
               QStringLiteral("VEMO400"), MessageIcon::Warning);
    return false;
}
