#include "platform/report_read_ahead.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

namespace corvinax {
namespace {

using test::TempDir;
using test::writeFile;

struct ReadAheadCase {
    const char* name;
    std::size_t files;
    ReadAheadLimits limits;
};

std::ostream& operator<<(std::ostream& out, const ReadAheadCase& c)
{
    return out << c.name;
}

class ReadAhead : public ::testing::TestWithParam<ReadAheadCase> {};

// A directory of files of growing sizes (every seventh missing, every eleventh a directory, every
// thirteenth too large for the ring, the first empty) read ahead must give exactly what reading each file when asked
// gives.
TEST_P(ReadAhead, GivesEveryFileInOrderAsReadingItThenWould)
{
    TempDir dir;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < GetParam().files; ++i) {
        const std::string name = "PC-" + std::to_string(i) + ".ini";
        names.push_back(name);
        if (i % 11 == 10)
            std::filesystem::create_directory(dir.file(name));
        else if (i % 7 != 6)
            writeFile(dir.file(name),
                      std::string(i % 13 == 12 ? 70000 + i : i * 37 % 3000, static_cast<char>('a' + i % 26)));
    }
    const OpenDirectory directory(dir.path());

    ReportReadAhead readAhead(directory, names, GetParam().limits);
    std::string bytes;
    std::string expected;
    for (const std::string& name : names) {
        const bool read = readAhead.next(bytes);
        EXPECT_EQ(read, directory.readWholeFile(name, expected)) << name;
        EXPECT_EQ(bytes, expected) << name;
    }
    EXPECT_FALSE(readAhead.next(bytes));
    EXPECT_TRUE(bytes.empty());
}

INSTANTIATE_TEST_SUITE_P(Limits, ReadAhead,
                         ::testing::Values(ReadAheadCase{"none", 0, {}}, ReadAheadCase{"one", 1, {}},
                                           ReadAheadCase{"many_within_the_window", 40, {}},
                                           ReadAheadCase{"many_beyond_the_window", 1000, {}},
                                           ReadAheadCase{"a_window_of_one", 50, {1, 1 << 20}},
                                           ReadAheadCase{"a_window_of_two", 50, {2, 1 << 20}},
                                           ReadAheadCase{"every_file_beyond_the_byte_limit", 50, {64, 10}},
                                           ReadAheadCase{"a_window_of_none_counts_as_one", 20, {0, 0}},
                                           ReadAheadCase{"one_call_at_a_time", 1000, {64, 16 << 20, false}},
                                           ReadAheadCase{
                                               "one_call_at_a_time_beyond_the_byte_limit", 50, {64, 10, false}}),
                         [](const ::testing::TestParamInfo<ReadAheadCase>& param) { return param.param.name; });

TEST(ReadAheadStop, EndsWithoutHangingWhenTheRunStopsEarly)
{
    TempDir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 500; ++i) {
        names.push_back(std::to_string(i));
        writeFile(dir.file(names.back()), "x");
    }
    const OpenDirectory directory(dir.path());
    for (std::size_t taken : {0, 1, 3, 200}) {
        ReportReadAhead readAhead(directory, names, {4, 1 << 20});
        std::string bytes;
        for (std::size_t i = 0; i < taken; ++i)
            ASSERT_TRUE(readAhead.next(bytes));
    }
}

}  // namespace
}  // namespace corvinax
