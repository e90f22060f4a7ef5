#include "shell/version.h"
