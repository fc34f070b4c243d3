#include "check/smart_decoder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvinax {
namespace {

using test::TempDir;
using test::writeFile;

constexpr const char* kDictionary =
    "[Main]\r\nParamName=ENG\r\n[ENG]\r\nunknown=Unknown attribute\r\n5=Reallocated Sectors Count\r\n"
    "194=Temperature\r\n256=Last\r\n[RUS]\r\n5=Переназначенные сектора\r\n";

struct DecodeCase {
    const char* name;
    std::string line;
    std::string decoded;
};

class DecodeSmart : public ::testing::TestWithParam<DecodeCase> {
protected:
    void SetUp() override { writeFile(m_dir.file("Smart"), kDictionary); }
    TempDir m_dir;
};

TEST_P(DecodeSmart, ReplacesTheFirstBracketedNumber)
{
    SmartDecoder decoder([this] { return m_dir.file("Smart"); });
    EXPECT_EQ(decoder.DecodeSMART(GetParam().line), GetParam().decoded);
}

const std::string kTail(300, 't');

INSTANTIATE_TEST_SUITE_P(
    Rules, DecodeSmart,
    ::testing::Values(
        DecodeCase{"Example", "03.03.2005 09:10:03=Disk 0 SMART <5> : 12",
                   "03.03.2005 09:10:03=Disk 0 SMART [5] Reallocated Sectors Count : 12"},
        DecodeCase{"LowerCaseWord", "k=disk smart <5>", "k=disk smart [5] Reallocated Sectors Count"},
        DecodeCase{"MixedCaseWordAfterTheNumber", "k=<5> is sMaRt", "k=[5] Reallocated Sectors Count is sMaRt"},
        DecodeCase{"BrokenWord", "k=SMAR T <5>", "k=SMAR T <5>"},
        DecodeCase{"NoWordNoDecoding", "k=Disk <5>", "k=Disk <5>"},
        DecodeCase{"ClosingBracketFirst", "k=SMART > <5>", "k=SMART > <5>"},
        DecodeCase{"EmptyBrackets", "k=SMART <> x", "k=SMART <> x"},
        DecodeCase{"LeadingZero", "k=SMART <05>", "k=SMART <05>"},
        DecodeCase{"LeadingBlank", "k=SMART < 5>", "k=SMART < 5>"},
        DecodeCase{"UnknownName", "k=SMART <7>", "k=SMART [7] Unknown attribute"},
        DecodeCase{"Highest", "k=SMART <256>", "k=SMART [256] Last"},
        DecodeCase{"BeyondTheList", "k=SMART <257>", "k=SMART <257>"},
        DecodeCase{"FourDigits", "k=SMART <1005>", "k=SMART <1005>"},
        DecodeCase{"Negative", "k=SMART <-1>", "k=SMART <-1>"},
        DecodeCase{"LetterKey", "k=SMART <V>", "k=SMART <V>"},
        DecodeCase{"OnlyTheFirst", "k=SMART <5> <194>", "k=SMART [5] Reallocated Sectors Count <194>"},
        DecodeCase{"TailCutTo255", "k=SMART <194>" + kTail, "k=SMART [194] Temperature" + kTail.substr(0, 255)},
        DecodeCase{"FreeFromAReportIsALine", "Free=x SMART <5>", "Free=x SMART [5] Reallocated Sectors Count"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SmartDictionary, LoadsOncePerRunAndRemembersItsLanguage)
{
    TempDir dir;
    const std::string path = dir.file("Smart");
    writeFile(path, "[Main]\r\nParamName=RUS\r\n[RUS]\r\n5=Переназначенные сектора\r\n");
    SmartDecoder decoder([&] { return path; });
    EXPECT_EQ(decoder.DecodeSMART("k=SMART <5>"), "k=SMART [5] Переназначенные сектора");

    // Changed on disk during a run: the loaded list stays until "Free".
    writeFile(path, "[RUS]\r\n5=Другое имя\r\n");
    EXPECT_EQ(decoder.DecodeSMART("k=SMART <5>"), "k=SMART [5] Переназначенные сектора");
    EXPECT_EQ(decoder.DecodeSMART("Free"), "Free");
    EXPECT_FALSE(decoder.loaded());

    // The next load has no [Main]: the language of the previous load stays.
    EXPECT_EQ(decoder.DecodeSMART("k=SMART <5>"), "k=SMART [5] Другое имя");
    EXPECT_EQ(decoder.languageName(), "RUS");
    EXPECT_EQ(decoder.DecodeSMART("k=SMART <6>"), "k=SMART [6] unknown");
}

TEST(SmartDictionary, MissingFileLeavesLinesAsTheyAreAndIsTriedAgain)
{
    TempDir dir;
    const std::string path = dir.file("Smart");
    SmartDecoder decoder([&] { return path; });
    EXPECT_EQ(decoder.DecodeSMART("k=SMART <5>"), "k=SMART <5>");
    EXPECT_EQ(decoder.DecodeSMART("Free"), "Free");
    writeFile(path, "[ENG]\r\n5=Reallocated\r\n");
    EXPECT_EQ(decoder.DecodeSMART("k=SMART <5>"), "k=SMART [5] Reallocated");

    SmartDecoder onDirectory([&] { return dir.path(); });
    EXPECT_EQ(onDirectory.DecodeSMART("k=SMART <5>"), "k=SMART <5>");
}

}  // namespace
}  // namespace corvinax
