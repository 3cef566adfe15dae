#include "dictionary/cell_symbols.h"

namespace torv {

char CellSymbol(int planeA, int planeB) {
    if (planeA != 0) {
        return planeB != 0 ? '*' : '+';
    }
    return planeB != 0 ? '-' : ' ';
}

void WriteCellSymbol(int planeA, int planeB, std::string& text) {
    text += CellSymbol(planeA, planeB);
}

int CellSymbolValue(char symbol) {
    switch (symbol) {
        case '*':
        case '+':
            return 1;
        case ' ':
        case '-':
            return 0;
        default:
            return -1;
    }
}

}  // namespace torv
