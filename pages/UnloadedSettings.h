#pragma once

#include <initializer_list>

class QWidget;

// Set writes a settings block only once the block has loaded from the meter
// since the page was created: before that its fields hold placeholders (0 and
// empty lists), values nobody read or typed, which the meter would take as
// settings. True when every block has loaded; otherwise shows one warning and
// the caller writes nothing.
bool AllSettingsLoaded(QWidget* parent, std::initializer_list<bool> blocksLoaded);
