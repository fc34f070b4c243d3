#pragma once

#include <QSpinBox>

namespace corvinax {

// A whole number of days from 10 to 9999: a typed value outside the limits is brought into them
// when the field is left, not thrown away.
class DaySpinBox final : public QSpinBox {
    Q_OBJECT

public:
    explicit DaySpinBox(QWidget* parent = nullptr);

protected:
    void fixup(QString& input) const override;
};

}  // namespace corvinax
