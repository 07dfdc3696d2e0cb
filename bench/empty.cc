// An empty Windows console program: the baseline for tarnwell.exe under Wine.
int main() { return 0; }
