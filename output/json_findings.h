#pragma once

// The findings of a warehouse run as JSON Lines in UTF-8, for log collectors that take no dBASE:
// one object per shown change line, and one per file-count and invalid-directory line.

#include <string>
#include <string_view>

namespace corvinax {

struct LocalDateTime;

// ISO 8601 with the offset of the local time zone, as 2026-12-07T09:00:05+03:00.
std::string isoTime(const LocalDateTime& moment);

class JsonFindings {
public:
    // runStart in ISO 8601, the "time" of every object.
    explicit JsonFindings(std::string runStart) : m_time(std::move(runStart)) {}

    // Where a change line was found (code page 1251 text).
    struct Source {
        std::string_view directory;  // as listed
        std::string_view file;       // as shown
        std::string_view computer;
        std::string_view user;
        std::string_view mac;
    };
    // A shown change line as the tree shows it (decoded), its mark, whether its computer is marked
    // and its picture.
    // kind is "change", or "unread_file" for the line that says the report could not be read.
    void addChange(const Source& source, std::string_view text, std::string_view mark, bool computerMarked,
                   int picture, std::string_view kind = "change");
    // A message line of the run about a directory: kind "file_count", "invalid_directory" or
    // "read_interrupted".
    void addLine(std::string_view kind, std::string_view directory, std::string_view text);

    const std::string& lines() const { return m_lines; }
    // Replaces the file as a whole (a new file, then a rename); throws Error naming the file and the
    // reason, and the file is then as it was.
    void write(const std::string& path) const;

private:
    std::string m_time;
    std::string m_lines;
};

}  // namespace corvinax
