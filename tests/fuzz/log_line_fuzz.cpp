// Log lines of nodes of every level with any texts and marks.

#include "findings/result_tree.h"
#include "output/check_log.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    using namespace corvinax;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string mark = text.substr(0, std::min<std::size_t>(size, 5));
    ResultTree tree;
    ResultNode& top = tree.addTopLevel(text);
    ResultNode& computer = tree.addChild(top, text);
    ResultNode& line = tree.addChild(computer, text);
    for (ResultNode* node : {&top, &computer, &line})
        SetAdditional(*node, kMark, mark);
    if (logLine(top).size() != mark.size() + text.size())
        std::abort();
    if (logLine(line).size() > 3 + text.size() + mark.size())
        std::abort();
    (void)logLine(computer);
    (void)rotatedLogName(text);
    return 0;
}
