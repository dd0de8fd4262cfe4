// Compiled by the boundary checks only: the command table must not see Qt at all.
#include <QString>

int main() { return QString().isEmpty() ? 0 : 1; }
