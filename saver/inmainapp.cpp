#include "saver/inmainapp.h"

bool InMainApp = false;
