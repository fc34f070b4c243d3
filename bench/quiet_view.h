#pragma once

#include "settings/run_view.h"

#include <string>

namespace corvinax::bench {

// The window of a run that nobody watches.
class QuietView final : public RunView {
public:
    void showMessage(const std::string&) override {}
    bool askYesNo(const std::string&, bool answer, Question) override { return answer; }
    void pumpEvents() override {}
    void showResultsPage() override {}
    void setExitEnabled(bool) override {}
    void hideStartButton() override {}
    void showSaveButton() override {}
    void showGauges(bool) override {}
    void setGauge(Gauge, int, int) override {}
    void setFilterGridAttached(bool) override {}
    void presentResults() override {}
    std::string applicationTitle() const override { return {}; }
    void setApplicationTitle(const std::string&) override {}
    void minimise() override {}
    void restore() override {}
    void closeMainWindow() override {}
    void saveSettingsAndClose(const StateValues&) override {}
};

}  // namespace corvinax::bench
