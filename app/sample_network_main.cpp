// corvinax-sample-network FOLDER SETTINGS_FILE SMART_FILE: writes the sample network.

#include "app/sample_network.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/native_text.h"

#include <iostream>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::cerr << "usage: corvinax-sample-network FOLDER SETTINGS_FILE SMART_FILE\n";
        return 2;
    }
    using namespace corvinax;
    try {
        writeSampleNetwork({fromNativeName(argv[1]), fromNativeName(argv[2]), fromNativeName(argv[3])},
                           SystemClock().now());
    } catch (const Error& error) {
        std::cerr << cp1251ToUtf8(error.what()) << "\n";
        return 1;
    }
    return 0;
}
