// The screensaver program. Its full-screen clock and settings window are not
// built yet, so for now every start ends at once.
int main() { return 0; }
