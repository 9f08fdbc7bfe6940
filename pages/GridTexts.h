#pragma once

#include "widgets/GridCtrl.h"

#include <span>

// Writes a row of fixed texts from column 0 on; empty texts leave their cells as they are.
inline void WriteRowTexts(CGridCtrl& grid, int row, std::span<const char* const> texts)
{
    for (int column = 0; column < static_cast<int>(texts.size()); ++column)
        if (*texts[column])
            grid.SetCellText(row, column, QString::fromUtf8(texts[column]));
}
