// Built as a file of profile/ would be: the check run lies above it and must not be reachable.
#include "check/check_run.h"

int climbs()
{
    return 0;
}
