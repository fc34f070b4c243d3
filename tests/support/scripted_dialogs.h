#pragma once

#include "settings/dialogs.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvinax::test {

// Answers the program's questions from a script the test wrote beforehand, and keeps what it was
// told and asked.
class ScriptedDialogs final : public Dialogs {
public:
    void answer(bool yes) { m_answers.push_back(yes); }

    void showMessage(const std::string& text) override
    {
        messages.push_back(text);
        if (onMessage)
            onMessage(text);
    }
    bool askYesNo(const std::string& text, bool, Question kind) override
    {
        questions.push_back(text);
        questionKinds.push_back(kind);
        if (onQuestion)
            onQuestion(text);
        if (m_answers.empty())
            throw std::logic_error("unexpected question: " + text);
        const bool yes = m_answers.front();
        m_answers.pop_front();
        return yes;
    }

    // A Yes/No/Cancel question takes its answer from this script; without one, from the Yes/No script.
    void answerThreeWay(Answer answer) { m_threeWay.push_back(answer); }
    Answer askYesNoCancel(const std::string& text) override
    {
        if (m_threeWay.empty())
            return Dialogs::askYesNoCancel(text);
        questions.push_back(text);
        const Answer answer = m_threeWay.front();
        m_threeWay.pop_front();
        return answer;
    }

    std::function<void(const std::string&)> onMessage;
    std::function<void(const std::string&)> onQuestion;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<Question> questionKinds;

private:
    std::deque<bool> m_answers;
    std::deque<Answer> m_threeWay;
};

}  // namespace corvinax::test
