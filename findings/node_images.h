#pragma once

#include <string_view>

namespace corvinax {

// Indices into the image list of the result tree.
enum NodeImage {
    kImageMessage = 0,
    kImageDirectory = 1,
    kImageComputer = 2,
    kImageCounter = 3,
    kImageAlarm = 4,  // also the state picture of a computer marked by a filter row
    kImageRemote = 5,
    kImageModem = 6,
    kImageAttention = 7,
    kImageSharing = 8,
    kImageSmart = 9,
    kImageRemoved = 10,
    kImageAdded = 11,
    kImagePointer = 12,  // state picture of a line matched by a filter row
    kImageCount = 13,
};

// A name for each picture, for readers of exported findings ("added", "modem", ...).
std::string_view imageName(int image);

// The picture of a change line: the first keyword, in table order, whose first occurrence in the
// line starts after its first character; the alarm picture when none does.
int GetImage(std::string_view line);

}  // namespace corvinax
