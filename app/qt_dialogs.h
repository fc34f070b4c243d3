#pragma once

#include "settings/dialogs.h"

class QWidget;

namespace corvinax {

// Message boxes over a parent window.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text, bool unattendedAnswer, Question kind) override;
    Answer askYesNoCancel(const std::string& text) override;

private:
    QWidget* m_parent;
};

}  // namespace corvinax
