#pragma once

// The check log: a plain-text history to which every run that found something appends its result
// tree, one line per node, rotated by size.

#include <string>
#include <string_view>
#include <vector>

namespace corvinax {

class ResultNode;
class ResultTree;

// The first two lines of a new log.
struct LogHeader {
    std::string caption;         // the main window's caption
    std::string executablePath;  // the program's executable, full path
};

// The line of one node: Mark and text at level 0; MAC, report path, Mark and text at level 1;
// three blanks and the text with Mark after its first "=" (at most 250 characters after it) below.
std::string logLine(const ResultNode& node);
// The same added to the end of a block.
void appendLogLine(std::string& block, const ResultNode& node);

// The log's name with its extension replaced by ".old" (or ".old" appended when it has none).
std::string rotatedLogName(const std::string& path);

// The log path as a file field holds it, without the quotes a file dialog puts around a name with
// a blank.
std::string logPathFromField(std::string_view field);

class CheckLog {
public:
    CheckLog(std::string path, LogHeader header);

    // Appends the whole tree, then an empty line, when the tree holds more than two nodes (or
    // always, for a run that was stopped); rotates the log first when it is larger than sizeLimitMB
    // MiB (0 or less: never). Throws Error naming the file when it cannot be written.
    void writeRunBlock(const ResultTree& tree, int sizeLimitMB, bool always = false);
    // Appends the lines, then an empty line; never rotates. Throws Error like writeRunBlock.
    void appendLines(const std::vector<std::string>& lines);

private:
    // One block appended to the log: opened at the start (with the header lines when the log is
    // new), written in pieces, taken back whole when a piece cannot be written.
    class BlockWriter {
    public:
        BlockWriter(const std::string& path, const LogHeader& header);
        ~BlockWriter();
        BlockWriter(const BlockWriter&) = delete;
        BlockWriter& operator=(const BlockWriter&) = delete;

        std::string& buffer() { return m_buffer; }
        void writeIfFull();
        void finish();

    private:
        void write();
        [[noreturn]] void fail(int error);

        const std::string& m_path;
        bool m_remote = false;  // a log on a share goes there whole at the end
        std::string m_header;   // a new log's first lines, for a log on a share
        int m_fd = -1;
        bool m_sized = false;
        long long m_sizeBefore = 0;
        std::string m_buffer;
    };

    void rotateIfLarger(int sizeLimitMB);

    std::string m_path;
    LogHeader m_header;
};

}  // namespace corvinax
