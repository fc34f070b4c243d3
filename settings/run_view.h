#pragma once

#include "settings/dialogs.h"
#include "settings/settings.h"

#include <string>

namespace corvinax {

// What a check run needs of the window around it. The window implements it over its widgets;
// tests record the calls; the unattended warehouse mode uses the window with answers of its own.
class RunView : public Dialogs {
public:
    enum class Gauge { Reports = 1, Directories = 2 };

    // Lets the window handle waiting events (clicks, activation, repaint) during a run.
    virtual void pumpEvents() = 0;

    virtual void showResultsPage() = 0;
    virtual void setExitEnabled(bool enabled) = 0;
    virtual void hideStartButton() = 0;
    // Shows the save button, in the start button's place when the start button is hidden.
    virtual void showSaveButton() = 0;
    virtual void showGauges(bool visible) = 0;
    // Both gauges run from -1 to maximum.
    virtual void setGauge(Gauge gauge, int maximum, int position) = 0;
    // Detaching posts a pending edit of the filter grid first; the run keeps it detached.
    virtual void setFilterGridAttached(bool attached) = 0;
    // Makes the results page current again and gives the tree the focus; the tree's nodes,
    // expansion and selection changed.
    virtual void presentResults() = 0;

    virtual std::string applicationTitle() const = 0;
    virtual void setApplicationTitle(const std::string& title) = 0;
    virtual void minimise() = 0;
    virtual void restore() = 0;
    virtual void closeMainWindow() = 0;
    // The exit button: saves every setting, with the state values given in the same replacement
    // of the file, and closes the program.
    virtual void saveSettingsAndClose(const StateValues& state) = 0;
};

}  // namespace corvinax
