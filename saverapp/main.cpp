#include "saverapp/vnmod.h"

int main(int argc, char** argv) { return VNMod::Main(argc, argv); }
