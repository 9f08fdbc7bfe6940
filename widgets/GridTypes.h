#pragma once

// A cell position; -1 in either part means "no cell".
struct CellId
{
    int row = -1;
    int column = -1;

    bool IsValid() const { return row >= 0 && column >= 0; }
    bool operator==(const CellId&) const = default;
    bool operator<(const CellId& other) const
    {
        return row != other.row ? row < other.row : column < other.column;
    }
};

// An inclusive block of cells; invalid while any bound is -1.
struct CellRange
{
    int minRow = -1;
    int minColumn = -1;
    int maxRow = -1;
    int maxColumn = -1;

    bool IsValid() const
    {
        return minRow >= 0 && minColumn >= 0 && maxRow >= minRow && maxColumn >= minColumn;
    }
    bool Contains(int row, int column) const
    {
        return IsValid() && row >= minRow && row <= maxRow && column >= minColumn && column <= maxColumn;
    }
    bool operator==(const CellRange&) const = default;
};
