#include "state.h"

ProcessState G;
