#include "app/version.h"

namespace corvinax {

std::string windowCaption()
{
    return std::string("Проверка изменений конфигураций компьютеров") + " " + kVersionTag;
}

}  // namespace corvinax
