#include "SeededRandom.h"
