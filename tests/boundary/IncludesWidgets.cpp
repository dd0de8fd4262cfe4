// Compiled by the boundary checks only: the models and the engine must not see Qt Widgets.
#include <QWidget>

int main() { return 0; }
