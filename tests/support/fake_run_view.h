#pragma once

#include "settings/run_view.h"
#include "support/scripted_dialogs.h"

#include <functional>
#include <string>
#include <vector>

namespace corvinax::test {

// Stands in for the window around a run: answers questions from a script and records what the
// run asked of it.
class FakeRunView final : public RunView {
public:
    void answer(bool yes) { dialogs.answer(yes); }

    void showMessage(const std::string& text) override { dialogs.showMessage(text); }
    bool askYesNo(const std::string& text, bool unattendedAnswer, Question kind) override
    {
        return dialogs.askYesNo(text, unattendedAnswer, kind);
    }
    void pumpEvents() override
    {
        ++pumps;
        if (onPump)
            onPump();
    }
    void showResultsPage() override { events.push_back("results page"); }
    void setExitEnabled(bool enabled) override { events.push_back(enabled ? "exit on" : "exit off"); }
    void hideStartButton() override { events.push_back("start hidden"); }
    void showSaveButton() override { events.push_back("save shown"); }
    void showGauges(bool visible) override { events.push_back(visible ? "gauges shown" : "gauges hidden"); }
    void setGauge(Gauge gauge, int maximum, int position) override
    {
        (gauge == Gauge::Reports ? gauge1 : gauge2) = {maximum, position};
    }
    void setFilterGridAttached(bool attached) override { events.push_back(attached ? "grid on" : "grid off"); }
    void presentResults() override { events.push_back("present"); }
    std::string applicationTitle() const override { return title; }
    void setApplicationTitle(const std::string& text) override
    {
        title = text;
        titles.push_back(text);
    }
    void minimise() override { events.push_back("minimise"); }
    void restore() override { events.push_back("restore"); }
    void closeMainWindow() override { events.push_back("close"); }
    void saveSettingsAndClose(const StateValues& state) override
    {
        events.push_back("save and close");
        savedState = state;
    }
    StateValues savedState;

    struct GaugeState {
        int maximum = 0;
        int position = 0;
        bool operator==(const GaugeState&) const = default;
    };

    ScriptedDialogs dialogs;  // messages and questions, answered from the script
    std::vector<std::string>& messages = dialogs.messages;
    std::vector<std::string>& questions = dialogs.questions;
    std::function<void(const std::string&)>& onMessage = dialogs.onMessage;
    std::function<void(const std::string&)>& onQuestion = dialogs.onQuestion;
    std::vector<std::string> events;
    std::vector<std::string> titles;
    std::string title = "Corvinax";
    GaugeState gauge1;
    GaugeState gauge2;
    int pumps = 0;
    std::function<void()> onPump;
};

}  // namespace corvinax::test
