#pragma once

// What an unattended run (warehouse mode, from a scheduler) shows of itself: nobody watches, so a
// message goes to standard error, a question takes the answer that loses nothing (said on standard
// error too), and the window's gauges, pages and buttons are not there.

#include "settings/run_view.h"

#include <functional>
#include <string>

namespace corvinax {

class UnattendedView final : public RunView {
public:
    // save writes the settings with the state given; it throws Error when it cannot.
    explicit UnattendedView(std::function<void(const StateValues&)> save);

    bool saved() const { return m_saved; }

    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text, bool unattendedAnswer, Question kind) override;
    void pumpEvents() override {}
    void showResultsPage() override {}
    void setExitEnabled(bool) override {}
    void hideStartButton() override {}
    void showSaveButton() override {}
    void showGauges(bool) override {}
    void setGauge(Gauge, int, int) override {}
    void setFilterGridAttached(bool) override {}
    void presentResults() override {}
    std::string applicationTitle() const override { return m_title; }
    void setApplicationTitle(const std::string& title) override { m_title = title; }
    void minimise() override {}
    void restore() override {}
    void closeMainWindow() override {}
    void saveSettingsAndClose(const StateValues& state) override;

private:
    std::function<void(const StateValues&)> m_save;
    std::string m_title;
    bool m_saved = false;
};

}  // namespace corvinax
