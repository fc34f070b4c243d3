#include "app/unattended_view.h"

#include "app/version.h"
#include "platform/error.h"
#include "platform/native_text.h"

#include <iostream>

namespace corvinax {

UnattendedView::UnattendedView(std::function<void(const StateValues&)> save)
    : m_save(std::move(save)), m_title(windowCaption())
{
}

void UnattendedView::showMessage(const std::string& text)
{
    std::cerr << cp1251ToUtf8(text) << std::endl;
}

bool UnattendedView::askYesNo(const std::string& text, bool unattendedAnswer, Question)
{
    std::cerr << cp1251ToUtf8(text) << (unattendedAnswer ? " - Yes" : " - No") << std::endl;
    return unattendedAnswer;
}

// A save that fails is said, and the run's status tells it.
void UnattendedView::saveSettingsAndClose(const StateValues& state)
{
    try {
        m_save(state);
        m_saved = true;
    } catch (const ProfileWriteError& error) {
        showMessage(settingsNotWritten(error));
    } catch (const Error& error) {
        showMessage(error.what());
    }
}

}  // namespace corvinax
