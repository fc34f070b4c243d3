#include "app/day_spin_box.h"

#include "settings/settings.h"

#include <QLineEdit>

namespace corvinax {

DaySpinBox::DaySpinBox(QWidget* parent) : QSpinBox(parent)
{
    setRange(Settings::kMinDeleteOldDays, Settings::kMaxDeleteOldDays);
    setSingleStep(1);
    lineEdit()->setMaxLength(4);
}

// A text that is no number counts as the lower limit.
void DaySpinBox::fixup(QString& input) const
{
    bool ok = false;
    const int typed = input.trimmed().toInt(&ok);
    input = QString::number(ok ? Settings::clampDeleteOldDays(typed) : minimum());
}

}  // namespace corvinax
