#include "profile/name_list.h"
#include "profile/profile_file.h"
#include "profile/profile_lines.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace corvinax {
namespace {

using test::TempDir;
using test::writeFile;

constexpr const char* kDefault = "<default>";

struct ReadCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, GivesTheValueWindowsGives)
{
    const ReadCase& c = GetParam();
    TempDir dir;
    writeFile(dir.file("a.ini"), c.file);
    ProfileFile profile(dir.file("a.ini"));
    EXPECT_EQ(profile.readString(c.section, c.key, kDefault), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileRead,
    ::testing::Values(
        ReadCase{"CrLf", "[s]\r\na=1\r\nb=2\r\n", "s", "b", "2"},
        ReadCase{"LfAlone", "[s]\na=1\nb=2", "s", "b", "2"},
        ReadCase{"CrAlone", "[s]\ra=1\rb=2", "s", "b", "2"},
        ReadCase{"BlanksAroundKeyAndValue", "[s]\r\n  Key \t=\t  some value  \r\n", "s", "Key", "some value"},
        ReadCase{"OtherBlanks", "[s]\n\x0bk=\x1av\x0c\n", "s", "k", "v"},
        ReadCase{"SplitAtFirstEquals", "[s]\na=b=c\n", "s", "a", "b=c"},
        ReadCase{"LineWithoutEquals", "[s]\nlonely\n", "s", "lonely", kDefault},
        ReadCase{"CommentLine", "[s]\n ;a=1\n", "s", ";a", kDefault},
        ReadCase{"NoInlineComment", "[s]\npepsi=diet ;x\n", "s", "pepsi", "diet ;x"},
        ReadCase{"HashIsNoComment", "[s]\n#x=1\n", "s", "#x", "1"},
        ReadCase{"HeaderTrimmed", "[ section1 ]\nk=v\n", "section1", "k", "v"},
        ReadCase{"HeaderJunkAfterBracket", "[sec] junk\nk=v\n", "sec", "k", "v"},
        ReadCase{"HeaderUpToLastBracket", "[a]b]\nk=v\n", "a]b", "k", "v"},
        ReadCase{"UnclosedHeaderIsALine", "[s]\n[abc\nk=v\n", "s", "k", "v"},
        ReadCase{"PreambleNeverRead", "k=v\n[s]\n", "", "k", kDefault},
        ReadCase{"NamesIgnoreCase", "[SeC]\nKeY=v\n", "sec", "key", "v"},
        ReadCase{"CyrillicNamesIgnoreCase", "[Раздел Ё]\nКлюч=v\n", "раздел ё", "КЛЮЧ", "v"},
        ReadCase{"DoubleQuotesRemoved", "[s]\nk=\"val2\"\n", "s", "k", "val2"},
        ReadCase{"SingleQuotesRemoved", "[s]\nk='x'\n", "s", "k", "x"},
        ReadCase{"EmptyQuotes", "[s]\nk=\"\"\n", "s", "k", ""},
        ReadCase{"MismatchedQuotesKept", "[s]\nk=\"a'\n", "s", "k", "\"a'"},
        ReadCase{"LoneQuoteKept", "[s]\nk=\"\n", "s", "k", "\""},
        ReadCase{"QuotedBlanksKept", "[s]\nk=\" a \"\n", "s", "k", " a "},
        ReadCase{"EmptyValueIsNoDefault", "[s]\nk=\n", "s", "k", ""},
        ReadCase{"FirstDuplicateKeyWins", "[s]\na=1\nA=2\n", "s", "a", "1"},
        ReadCase{"FirstDuplicateSectionWins", "[s]\na=1\n[S]\na=2\nb=3\n", "s", "a", "1"},
        ReadCase{"LaterDuplicateSectionInvisible", "[s]\na=1\n[S]\na=2\nb=3\n", "s", "b", kDefault},
        ReadCase{"MissingSection", "[s]\na=1\n", "t", "a", kDefault},
        ReadCase{"LongValueCut", "[s]\nk=" + std::string(1500, 'x') + "\n", "s", "k", std::string(1023, 'x')},
        ReadCase{"EmptyFile", "", "s", "k", kDefault}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ProfileReadFile, MissingOrUnreadableFileReadsAsEmpty)
{
    TempDir dir;
    ProfileFile missing(dir.file("none.ini"));
    EXPECT_EQ(missing.readString("s", "k", "d"), "d");
    EXPECT_TRUE(missing.readSectionNames().empty());

    ProfileFile directory(dir.path());
    EXPECT_EQ(directory.readString("s", "k", "d"), "d");
}

TEST(ProfileReadFile, DefaultIsCutLikeAValue)
{
    TempDir dir;
    ProfileFile profile(dir.file("none.ini"));
    EXPECT_EQ(profile.readString("s", "k", std::string(2000, 'd')).size(), 1023u);
}

TEST(ProfileReadFile, SeesAFileReplacedBehindItsBack)
{
    TempDir dir;
    const std::string path = dir.file("a.ini");
    writeFile(path, "[s]\nk=old\n");
    ProfileFile profile(path);
    ASSERT_EQ(profile.readString("s", "k", ""), "old");

    writeFile(dir.file("b.ini"), "[s]\nk=new value\n");
    std::rename(dir.file("b.ini").c_str(), path.c_str());
    EXPECT_EQ(profile.readString("s", "k", ""), "new value");
}

TEST(ProfileNames, SectionNamesInFileOrderWithEmptyAndDuplicateSections)
{
    TempDir dir;
    writeFile(dir.file("a.ini"), "x=0\n[a]\n[b]\nk=1\n[A]\nk=2\n");
    ProfileFile profile(dir.file("a.ini"));
    EXPECT_EQ(profile.readSectionNames(), (std::vector<std::string>{"a", "b", "A"}));
}

TEST(ProfileNames, KeyNamesOncePerOccurrenceSkippingCommentsAndPlainLines)
{
    TempDir dir;
    writeFile(dir.file("a.ini"), "[s]\n k1 =1\nplain\n;c=1\nk2=\nK1=3\n[t]\nk3=1\n");
    ProfileFile profile(dir.file("a.ini"));
    EXPECT_EQ(profile.readKeyNames("S"), (std::vector<std::string>{"k1", "k2", "K1"}));
    EXPECT_TRUE(profile.readKeyNames("missing").empty());
}

TEST(ProfileNames, BufferCutsTheLastNameThatDoesNotFit)
{
    auto fit = [](const std::vector<std::string_view>& names, std::size_t size) {
        std::vector<std::string_view> fitted;
        fitNameBuffer(names, size, fitted);
        return std::vector<std::string>(fitted.begin(), fitted.end());
    };
    const std::vector<std::string_view> names{"name1", "name2", "name4"};
    EXPECT_EQ(fit(names, 16), (std::vector<std::string>{"name1", "name2", "na"}));
    EXPECT_EQ(fit(names, 19), (std::vector<std::string>{"name1", "name2", "name4"}));
    EXPECT_EQ(fit(names, 18), (std::vector<std::string>{"name1", "name2", "name"}));
    EXPECT_EQ(fit(names, 14), (std::vector<std::string>{"name1", "name2"}));
    EXPECT_EQ(fit({"a", "", "b"}, 100), (std::vector<std::string>{"a"}));
}

TEST(ProfileNames, WindowsFormStopsAt8192CharactersCompleteFormDoesNot)
{
    std::string text = "[Config_changes]\r\n";
    for (int i = 0; i < 500; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "01.01.2005 %08d", i);  // 19 characters, 20 with its zero
        text += std::string(key) + "=line\r\n";
    }
    TempDir dir;
    writeFile(dir.file("r.ini"), text);
    ProfileFile profile(dir.file("r.ini"));

    EXPECT_EQ(profile.readKeyNames("Config_changes").size(), 500u);
    const auto limited = profile.readKeyNames("Config_changes", NameList::WindowsBuffer);
    ASSERT_EQ(limited.size(), 410u);  // 409 whole names, then the cut one
    EXPECT_EQ(limited[408], "01.01.2005 00000408");
    EXPECT_EQ(limited[409], "01.01.2005");
}

TEST(ProfileLineMarks, TheFastMarksAreTheMarksOfTheBytesOneByOne)
{
    // Every length around the blocks of 64 and 32 bytes, with the marked bytes at every place.
    const std::string alphabet = "ab=\r\n \xFF";
    std::mt19937 random(5);
    profile_lines::ByteMarks fast;
    profile_lines::ByteMarks narrow;
    profile_lines::ByteMarks plain;
    for (std::size_t size = 0; size < 300; ++size) {
        std::string text;
        for (std::size_t i = 0; i < size; ++i)
            text += alphabet[random() % alphabet.size()];
        profile_lines::markBytes(text, fast);
        profile_lines::markBytesNarrow(text, narrow);
        profile_lines::markBytesPlain(text, plain);
        ASSERT_EQ(fast.lineEnds, plain.lineEnds) << size;
        ASSERT_EQ(fast.equals, plain.equals) << size;
        ASSERT_EQ(narrow.lineEnds, plain.lineEnds) << size;
        ASSERT_EQ(narrow.equals, plain.equals) << size;
    }
}

struct SectionValuesCase {
    const char* name;
    std::string file;
    NameList form;
    std::vector<std::string> values;
};

class ProfileSectionValues : public ::testing::TestWithParam<SectionValuesCase> {};

TEST_P(ProfileSectionValues, GivesOneEntryPerName)
{
    const SectionValuesCase& c = GetParam();
    TempDir dir;
    writeFile(dir.file("a.ini"), c.file);
    std::vector<std::string> values;
    ProfileFile(dir.file("a.ini")).readSectionValues("s", values, c.form);
    EXPECT_EQ(values, c.values);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileSectionValues,
    ::testing::Values(
        // The later spelling of a repeated name replaces the entry, the first value stays.
        SectionValuesCase{"RepeatedNameAtItsFirstPlaceWithItsFirstValue",
                          "[s]\nb = 2 \na=1\nempty=\nB=3\nplain\nq=\"x\"\n", NameList::Complete,
                          {"B=2", "a=1", "q=x"}},
        // The names after the empty one are as long as the ones before it: each keeps its own value.
        SectionValuesCase{"EmptyNameLeftOut", "[s]\nab=1\n=x\ncd=2\nef=3\n", NameList::Complete,
                          {"ab=1", "cd=2", "ef=3"}},
        SectionValuesCase{"EmptyNameEndsTheWindowsBuffer", "[s]\nab=1\n=x\ncd=2\nef=3\n", NameList::WindowsBuffer,
                          {"ab=1"}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ProfileSectionValuesList, ReplacesAndRemovesEntriesOfANonEmptyList)
{
    TempDir dir;
    writeFile(dir.file("a.ini"), "[s]\nA=new\ngone=\nc=3\n");
    ProfileFile profile(dir.file("a.ini"));
    std::vector<std::string> values{"keep=1", "a=old", "GONE=x"};
    profile.readSectionValues("s", values);
    EXPECT_EQ(values, (std::vector<std::string>{"keep=1", "A=new", "c=3"}));
}

}  // namespace
}  // namespace corvinax
