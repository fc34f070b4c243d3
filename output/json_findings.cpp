#include "output/json_findings.h"

#include "findings/node_images.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/native_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace corvinax {

namespace {

// A JSON string of code page 1251 text.
void appendString(std::string& json, std::string_view text)
{
    json += '"';
    for (const char c : cp1251ToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    json += '"';
}

void appendField(std::string& json, std::string_view name, std::string_view value)
{
    json += json.back() == '{' ? "" : ",";
    appendString(json, name);
    json += ':';
    appendString(json, value);
}

}  // namespace

std::string isoTime(const LocalDateTime& moment)
{
    std::tm local{};
    local.tm_year = moment.year - 1900;
    local.tm_mon = moment.month - 1;
    local.tm_mday = moment.day;
    local.tm_hour = moment.hour;
    local.tm_min = moment.minute;
    local.tm_sec = moment.second;
    local.tm_isdst = -1;
    std::mktime(&local);  // fills in the offset of that moment
    const long offset = local.tm_gmtoff / 60;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", moment.year, moment.month,
                  moment.day, moment.hour, moment.minute, moment.second, offset < 0 ? '-' : '+',
                  (offset < 0 ? -offset : offset) / 60, (offset < 0 ? -offset : offset) % 60);
    return text;
}

void JsonFindings::addChange(const Source& source, std::string_view text, std::string_view mark, bool computerMarked,
                             int picture, std::string_view kind)
{
    std::string json = "{";
    appendField(json, "time", m_time);
    appendField(json, "kind", kind);
    appendField(json, "directory", source.directory);
    appendField(json, "file", source.file);
    appendField(json, "computer", source.computer);
    appendField(json, "user", source.user);
    appendField(json, "mac", source.mac);
    appendField(json, "key", text.substr(0, text.find('=')));
    appendField(json, "text", text);
    appendField(json, "mark", mark);
    json += computerMarked ? ",\"computer_marked\":true" : ",\"computer_marked\":false";
    appendField(json, "picture", imageName(picture));
    m_lines += json + "}\n";
}

void JsonFindings::addLine(std::string_view kind, std::string_view directory, std::string_view text)
{
    std::string json = "{";
    appendField(json, "time", m_time);
    appendField(json, "kind", kind);
    appendField(json, "directory", directory);
    appendField(json, "text", text);
    m_lines += json + "}\n";
}

void JsonFindings::write(const std::string& path) const
{
    if (!replaceFileAtomically(path, m_lines))
        throw Error("Ошибка записи " + path + " (" + std::strerror(errno) + ")");
}

}  // namespace corvinax
