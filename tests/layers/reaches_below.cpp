// Built as a file of profile/ would be: what lies below it is reachable.
#include "platform/text.h"
#include "profile/profile_document.h"

int reachesBelow()
{
    return 0;
}
