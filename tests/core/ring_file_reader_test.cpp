#include "platform/ring_file_reader.h"

#include "platform/atomic_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace corvinax {
namespace {

using test::TempDir;
using test::writeFile;

constexpr std::size_t kLimit = RingFileReader::kFileLimit;

struct RingCase {
    const char* name;
    // Makes the file (or whatever stands under that name) in the directory; the name is in code
    // page 1251, as the run holds it.
    void (*make)(const TempDir& dir, const std::string& name);
    std::optional<std::size_t> wholeSize;  // nothing: left to the plain reading
};

std::ostream& operator<<(std::ostream& out, const RingCase& c)
{
    return out << c.name;
}

void sized(const TempDir& dir, const std::string& name, std::size_t size)
{
    std::string bytes(size, 'r');
    for (std::size_t i = 0; i < size; i += 7)
        bytes[i] = static_cast<char>('0' + i % 10);
    writeFile(dir.file(name), bytes);
}

class RingRead : public ::testing::TestWithParam<RingCase> {};

// Each kind of entry stands in the middle of a batch of ordinary reports, so that what the ring
// does with one file is seen not to disturb the others.
TEST_P(RingRead, SettlesOnlyWhatItReadWhole)
{
    TempDir dir;
    const OpenDirectory directory(dir.path());
    RingFileReader ring(directory.descriptor());
    if (!ring.valid())
        GTEST_SKIP() << "the system offers no submission ring here";

    std::vector<std::string> names;
    for (int i = 0; i < 9; ++i) {
        names.push_back("PC-" + std::to_string(i) + ".ini");
        sized(dir, names.back(), 100 + i);
    }
    names[4] = "subject.ini";
    GetParam().make(dir, names[4]);

    // Twice, so that the second batch finds the ring's slots of the first one free again.
    for (int round = 0; round < 2; ++round) {
        const std::vector<RingFileReader::Result>& results = ring.read(names, 0, names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::string plain;
            directory.readWholeFile(names[i], plain);
            const std::optional<std::size_t> expected = i == 4 ? GetParam().wholeSize : plain.size();
            ASSERT_EQ(results[i].whole, expected.has_value()) << names[i];
            if (expected) {
                EXPECT_EQ(results[i].bytes.size(), *expected) << names[i];
                EXPECT_EQ(results[i].bytes, plain) << names[i];
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RingRead,
    ::testing::Values(
        RingCase{"small", [](const TempDir& d, const std::string& n) { sized(d, n, 1); }, 1},
        RingCase{"one_byte_under_the_limit", [](const TempDir& d, const std::string& n) { sized(d, n, kLimit - 1); },
                 kLimit - 1},
        RingCase{"at_the_limit", [](const TempDir& d, const std::string& n) { sized(d, n, kLimit); }, std::nullopt},
        RingCase{"far_beyond_the_limit", [](const TempDir& d, const std::string& n) { sized(d, n, 3 * kLimit); },
                 std::nullopt},
        RingCase{"empty", [](const TempDir& d, const std::string& n) { sized(d, n, 0); }, std::nullopt},
        RingCase{"missing", [](const TempDir&, const std::string&) {}, std::nullopt},
        RingCase{"a_directory",
                 [](const TempDir& d, const std::string& n) { std::filesystem::create_directory(d.file(n)); },
                 std::nullopt},
        RingCase{"a_link_to_a_report",
                 [](const TempDir& d, const std::string& n) {
                     sized(d, "target", 321);
                     std::filesystem::create_symlink("target", d.file(n));
                 },
                 321},
        RingCase{"a_dangling_link",
                 [](const TempDir& d, const std::string& n) { std::filesystem::create_symlink("gone", d.file(n)); },
                 std::nullopt},
        RingCase{"a_pipe_without_a_writer",
                 [](const TempDir& d, const std::string& n) { ASSERT_EQ(::mkfifo(d.file(n).c_str(), 0600), 0); },
                 std::nullopt}),
    [](const ::testing::TestParamInfo<RingCase>& param) { return param.param.name; });

TEST(RingReadNames, ReachesNamesAsListedAndNeverLeavesTheDirectory)
{
    TempDir dir;
    const OpenDirectory directory(dir.path());
    RingFileReader ring(directory.descriptor());
    if (!ring.valid())
        GTEST_SKIP() << "the system offers no submission ring here";
    writeFile(dir.file("\xD0\x9F\xD0\x9A-1.ini"), "cyrillic");  // "ПК-1.ini" as the file system holds it
    std::filesystem::create_directory(dir.file("sub"));
    writeFile(dir.file("sub/a.ini"), "inside");

    const std::vector<std::string> names{"\xD0\x9F\xD0\x9A-1.ini", "sub/a.ini", "",
                                         "../" + dir.path().substr(1) + "/sub/a.ini"};
    const std::vector<RingFileReader::Result>& results = ring.read(names, 0, names.size());
    ASSERT_TRUE(results[0].whole);
    EXPECT_EQ(results[0].bytes, "cyrillic");
    for (std::size_t i = 1; i < names.size(); ++i)
        EXPECT_FALSE(results[i].whole) << names[i];
}

// A writer that holds a pipe open must not hold the reading, silent or after part of what it has
// to say: the ring gives the name up after its bound and the plain reading refuses it.
class RingReadPipe : public ::testing::TestWithParam<const char*> {};

TEST_P(RingReadPipe, IsNotWaitedOnWhileItsWriterHoldsItOpen)
{
    TempDir dir;
    const std::string pipe = dir.file("AB-PIPE.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);  // lets the writer open without waiting
    const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const std::string written = GetParam();
    ASSERT_EQ(::write(writer, written.data(), written.size()), static_cast<ssize_t>(written.size()));
    writeFile(dir.file("PC-1.ini"), "report");

    const OpenDirectory directory(dir.path());
    RingFileReader ring(directory.descriptor());
    if (!ring.valid())
        GTEST_SKIP() << "the system offers no submission ring here";
    const std::vector<std::string> names{"AB-PIPE.ini", "PC-1.ini"};
    const std::vector<RingFileReader::Result>& results = ring.read(names, 0, names.size());
    EXPECT_FALSE(results[0].whole);
    ASSERT_TRUE(results[1].whole);
    EXPECT_EQ(results[1].bytes, "report");
    std::string bytes;
    EXPECT_FALSE(directory.readWholeFile(names[0], bytes));
    ::close(writer);
    ::close(reader);
}

INSTANTIATE_TEST_SUITE_P(Writers, RingReadPipe, ::testing::Values("", "[Info]\r\nComputer=AB"));

}  // namespace
}  // namespace corvinax
