#include "app/warehouse_status.h"

namespace corvinax {

// The first failure in the order the run meets them decides; a run that went through but could not
// read everything says so last, so that no other failure hides behind it.
int warehouseExitStatus(const CheckRunner::Outcome& outcome, bool saved, bool failOnFindings)
{
    if (!outcome.ran)
        return 1;  // nothing to check, or no working directory
    if (outcome.stoppedBy != 0)
        return 128 + outcome.stoppedBy;  // a signal asked to stop: nothing was changed
    if (!outcome.exported.has_value() || *outcome.exported == ExportResult::Failed)
        return 3;  // the run stopped on an error, or the table is damaged or could not be written
    if (*outcome.exported == ExportResult::NotOpened)
        return 2;  // the warehouse table is missing, locked, busy or may not be written
    if (!saved)
        return 4;  // the settings could not be saved
    if (outcome.jsonFailed)
        return 3;  // the JSON file could not be written: the previous one is as it was
    if (outcome.interruptedDirectories > 0 || outcome.unreadReports > 0)
        return 6;  // some reports were not read: a server stopped answering, or a report could not be read
    if (failOnFindings && outcome.violators > 0)
        return 5;  // everything went through, and there are violators to look at
    return 0;
}

}  // namespace corvinax
