#pragma once

#include <string>

namespace corvinax {

// How the program asks and tells the person something. Texts are code page 1251. The window
// shows message boxes; tests answer from a script; the unattended warehouse mode answers alone.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // What a question is: a confirmation of something the person asked for (an amnesty, removing a
    // report), or a warning about something the program needs (a working directory to create).
    enum class Question { Confirmation, Warning };

    // A plain message box (information) with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // A box with Yes and No; true for Yes. unattendedAnswer is the answer that loses nothing, given
    // when nobody is there to ask. A confirmation offers No first, so that Enter never deletes.
    virtual bool askYesNo(const std::string& text, bool unattendedAnswer, Question kind) = 0;

    enum class Answer { Yes, No, Cancel };
    // A box with Yes, No and Cancel, Yes offered first; where only two answers can be had, Yes or No.
    virtual Answer askYesNoCancel(const std::string& text)
    {
        return askYesNo(text, true, Question::Warning) ? Answer::Yes : Answer::No;
    }
};

}  // namespace corvinax
