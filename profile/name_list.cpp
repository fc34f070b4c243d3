#include "profile/name_list.h"

namespace corvinax {

void fitNameBuffer(const std::vector<std::string_view>& names, std::size_t bufferSize,
                   std::vector<std::string_view>& fitted)
{
    fitted.clear();
    if (bufferSize < 2)
        return;
    std::size_t room = bufferSize - 1;  // the final terminator is always written
    for (std::string_view name : names) {
        if (name.empty() || room < 2)
            break;
        if (name.size() + 1 > room) {
            fitted.push_back(name.substr(0, room - 1));
            break;
        }
        fitted.push_back(name);
        room -= name.size() + 1;
    }
}

}  // namespace corvinax
