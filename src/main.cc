#include "src/tarnwell.h"

int main() { return RunTarnwell(); }
