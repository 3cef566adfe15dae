#pragma once
// One character for one grid cell, from its plane-A and plane-B bits, in dictionary files and NG
// data files: " " neither, "-" plane B only, "+" plane A only, "*" both. A dictionary has only plane
// A and gives its dot as both bits, so it writes "*" and " ".

#include <string>

namespace torv {

// The symbol of a cell (zero or non-zero bits).
char CellSymbol(int planeA, int planeB);

// Appends the cell's symbol to the text being written.
void WriteCellSymbol(int planeA, int planeB, std::string& text);

// 1 for "*" and "+" (a set dot), 0 for " " and "-", -1 for any other character.
int CellSymbolValue(char symbol);

}  // namespace torv
