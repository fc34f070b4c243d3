#pragma once

class QWidget;

namespace corvinax {

// Puts a window in the middle of the screen it will show on (its available part).
void placeInTheMiddleOfTheScreen(QWidget& window);

}  // namespace corvinax
