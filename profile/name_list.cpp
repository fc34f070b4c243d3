#include "profile/name_list.h"

namespace corvinax {

std::vector<std::string> fitNameBuffer(const std::vector<std::string>& names, std::size_t bufferSize)
{
    std::vector<std::string> fitted;
    if (bufferSize < 2)
        return fitted;
    std::size_t room = bufferSize - 1;  // the final terminator is always written
    for (const std::string& name : names) {
        if (name.empty() || room < 2)
            break;
        if (name.size() + 1 <= room) {
            fitted.push_back(name);
            room -= name.size() + 1;
            continue;
        }
        fitted.push_back(name.substr(0, room - 1));
        break;
    }
    return fitted;
}

}  // namespace corvinax
