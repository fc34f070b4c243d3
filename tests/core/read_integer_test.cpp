#include "profile/profile_file.h"
#include "profile/read_integer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <climits>

namespace corvinax {
namespace {

struct IntegerCase {
    const char* text;
    std::int32_t expected;  // 7 is the default
};

class ReadInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ReadInteger, ParsesByTheProfileRules)
{
    EXPECT_EQ(parseProfileInteger(GetParam().text).value_or(7), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadInteger,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"42", 42}, IntegerCase{"+42", 42}, IntegerCase{"-42", -42},
                      IntegerCase{"00012", 12}, IntegerCase{" 5", 5}, IntegerCase{"2147483647", INT_MAX},
                      IntegerCase{"2147483648", 7}, IntegerCase{"-2147483648", INT_MIN},
                      IntegerCase{"-2147483649", 7}, IntegerCase{"99999999999999999999", 7},
                      IntegerCase{"0x10", 16}, IntegerCase{"0X1f", 31}, IntegerCase{"0x2", 2},
                      IntegerCase{"$ff", 255}, IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"$80000000", INT_MIN},
                      IntegerCase{"$100000000", 7}, IntegerCase{"$", 7}, IntegerCase{"0x", 7},
                      IntegerCase{"x1", 7}, IntegerCase{"-$1", 7}, IntegerCase{"$-1", 7}, IntegerCase{"1.5", 7},
                      IntegerCase{"12abc", 7}, IntegerCase{"5 ", 7}, IntegerCase{"yes", 7}, IntegerCase{"", 7},
                      IntegerCase{"+", 7}, IntegerCase{"-", 7}, IntegerCase{"1e3", 7}),
    [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(ReadIntegerFromFile, UsesTheReadStringValueAndItsDefault)
{
    test::TempDir dir;
    test::writeFile(dir.file("a.ini"), "[s]\nquoted=\" 5\"\nhex=0x2\nflag=2\nzero=0\nbad=yes\n");
    ProfileFile profile(dir.file("a.ini"));
    EXPECT_EQ(profile.readInteger("s", "quoted", 7), 5);
    EXPECT_EQ(profile.readInteger("s", "hex", 7), 2);
    EXPECT_EQ(profile.readInteger("s", "missing", 7), 7);
    EXPECT_EQ(profile.readInteger("s", "bad", -3), -3);
    EXPECT_TRUE(profile.readFlag("s", "flag", false));
    EXPECT_FALSE(profile.readFlag("s", "zero", true));
    EXPECT_TRUE(profile.readFlag("s", "missing", true));
    EXPECT_FALSE(profile.readFlag("s", "bad", false));
}

}  // namespace
}  // namespace corvinax
