#include "platform/atomic_file.h"
#include "platform/error.h"
#include "profile/profile_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>

namespace corvinax {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

struct Op {
    enum Kind { Write, WriteInt, WriteFlag, Delete, Erase } kind;
    std::string section;
    std::string key;
    std::string value;
};

struct WriteCase {
    const char* name;
    std::optional<std::string> initial;  // nullopt: no file
    std::vector<Op> ops;
    std::optional<std::string> expected;  // nullopt: still no file
};

void apply(ProfileFile& profile, const Op& op)
{
    switch (op.kind) {
    case Op::Write: profile.writeString(op.section, op.key, op.value); break;
    case Op::WriteInt: profile.writeInteger(op.section, op.key, std::stoi(op.value)); break;
    case Op::WriteFlag: profile.writeFlag(op.section, op.key, op.value == "1"); break;
    case Op::Delete: profile.deleteKey(op.section, op.key); break;
    case Op::Erase: profile.eraseSection(op.section); break;
    }
}

class ProfileWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, ChangesOnlyWhatItConcerns)
{
    const WriteCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("a.ini");
    if (c.initial)
        writeFile(path, *c.initial);
    ProfileFile profile(path);
    for (const Op& op : c.ops)
        apply(profile, op);
    ASSERT_EQ(test::fileExists(path), c.expected.has_value());
    if (c.expected) {
        EXPECT_EQ(readFile(path), *c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ProfileWrite,
    ::testing::Values(
        WriteCase{"CreatesMissingFile", std::nullopt, {{Op::Write, "App", "key", "value"}}, "[App]\r\nkey=value\r\n"},
        WriteCase{"EmptyValue", std::nullopt, {{Op::Write, "App", "key", ""}}, "[App]\r\nkey=\r\n"},
        WriteCase{"NewKeyAtEndOfItsSection", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n", {{Op::Write, "a", "z", "3"}},
                  "[a]\r\nx=1\r\nz=3\r\n[b]\r\ny=2\r\n"},
        WriteCase{"NewKeyBeforeBlankLines", "[a]\r\nx=1\r\n\r\n[b]\r\n", {{Op::Write, "A", "z", "3"}},
                  "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\n"},
        WriteCase{"NewKeyInEmptySection", "[a]\r\n[b]\r\n", {{Op::Write, "a", "z", "3"}}, "[a]\r\nz=3\r\n[b]\r\n"},
        WriteCase{"NewSectionAtEnd", "[a]\r\nx=1\r\n", {{Op::Write, "b", "y", "2"}}, "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
        WriteCase{"NewSectionAfterUnendedLine", "[a]\r\nx=1", {{Op::Write, "b", "y", "2"}},
                  "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
        WriteCase{"NewKeyAfterUnendedLine", "[a]\nx=1", {{Op::Write, "a", "z", "3"}}, "[a]\nx=1\r\nz=3\r\n"},
        WriteCase{"NewKeyAfterUnendedHeader", "[a]", {{Op::Write, "a", "z", "3"}}, "[a]\r\nz=3\r\n"},
        WriteCase{"ReplaceKeepsSpellingAndLineEnd", "[a]\nKEY=1\nnext=2\n", {{Op::Write, "a", "key", "2"}},
                  "[a]\nKEY=2\nnext=2\n"},
        WriteCase{"OtherLinesUntouched", "; c\r\njunk\n[a]\r  x = 1 \n\ty = 2\r\n\r\n",
                  {{Op::Write, "a", "Y", "3"}}, "; c\r\njunk\n[a]\r  x = 1 \ny=3\r\n\r\n"},
        WriteCase{"FirstDuplicateSectionAndKeyWritten", "[a]\nk=1\nk=2\n[a]\nk=3\n", {{Op::Write, "a", "k", "9"}},
                  "[a]\nk=9\nk=2\n[a]\nk=3\n"},
        WriteCase{"IntegerAndFlag", std::nullopt,
                  {{Op::WriteInt, "s", "i", "-5"}, {Op::WriteFlag, "s", "on", "1"}, {Op::WriteFlag, "s", "off", "0"}},
                  "[s]\r\ni=-5\r\non=1\r\noff=0\r\n"},
        WriteCase{"DeleteKeyTwice", "[a]\r\nx=1\r\ny=2\r\n", {{Op::Delete, "a", "X", ""}, {Op::Delete, "a", "x", ""}},
                  "[a]\r\ny=2\r\n"},
        WriteCase{"EraseFirstOfDuplicateSections", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n[A]\r\nz=3\r\n",
                  {{Op::Erase, "a", "", ""}}, "[b]\r\ny=2\r\n[A]\r\nz=3\r\n"},
        WriteCase{"EraseThenRewrite", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n",
                  {{Op::Erase, "a", "", ""}, {Op::Write, "a", "x", "5"}}, "[b]\r\ny=2\r\n[a]\r\nx=5\r\n"},
        WriteCase{"NamesAreTakenTrimmed", std::nullopt,
                  {{Op::Write, " s ", "\tk ", "1"}, {Op::Write, "S", "K", "2"}, {Op::Write, "s", "x", "3"}},
                  "[s]\r\nk=2\r\nx=3\r\n"},
        WriteCase{"EraseOrDeleteOnMissingFileCreatesNothing", std::nullopt,
                  {{Op::Erase, "a", "", ""}, {Op::Delete, "a", "x", ""}}, std::nullopt}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ProfileWriteFailure, MissingDirectoryGivesTheMessageAndCreatesNothing)
{
    TempDir dir;
    const std::string path = dir.file("no/such/dir/a.ini");
    ProfileFile profile(path);
    try {
        profile.writeString("s", "k", "v");
        FAIL() << "the write should have failed";
    } catch (const ProfileWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
    EXPECT_FALSE(test::fileExists(path));
    EXPECT_EQ(profile.readString("s", "k", "d"), "d");
}

TEST(ProfileWriteFailure, ReadOnlyFileStaysAsItWas)
{
    TempDir dir;
    const std::string path = dir.file("a.ini");
    writeFile(path, "[s]\r\nk=1\r\n");
    ::chmod(path.c_str(), 0444);
    ProfileFile profile(path);
    EXPECT_THROW(profile.writeString("s", "k", "2"), ProfileWriteError);
    EXPECT_THROW(profile.eraseSection("s"), ProfileWriteError);
    EXPECT_EQ(readFile(path), "[s]\r\nk=1\r\n");
    EXPECT_EQ(profile.readString("s", "k", ""), "1");
    EXPECT_EQ(std::filesystem::directory_iterator(dir.path())->path().filename(), "a.ini");
}

TEST(ProfileWriteFailure, AKeyThatWouldNotReadBackIsRefused)
{
    TempDir dir;
    ProfileFile profile(dir.file("a.ini"));
    for (const char* key : {"a=b", "[x]", ";c", ""})
        EXPECT_THROW(profile.writeString("s", key, "v"), ProfileWriteError) << key;
    EXPECT_FALSE(test::fileExists(dir.file("a.ini")));
}

TEST(ProfileWriteFailure, LineBreakInAValueIsRefused)
{
    TempDir dir;
    const std::string path = dir.file("a.ini");
    writeFile(path, "[s]\r\nk=1\r\n");
    ProfileFile profile(path);
    EXPECT_THROW(profile.writeString("s", "k", "2\r\n[x]"), ProfileWriteError);
    EXPECT_THROW(profile.writeString("s\n", "k", "2"), ProfileWriteError);
    EXPECT_EQ(readFile(path), "[s]\r\nk=1\r\n");
}

TEST(ProfileReplace, KeepsPermissionsAndLinks)
{
    TempDir dir;
    const std::string target = dir.file("real.ini");
    const std::string link = dir.file("link.ini");
    writeFile(target, "[s]\r\nk=1\r\n");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, link);

    ProfileFile profile(link);
    profile.writeString("s", "k", "2");

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(target), "[s]\r\nk=2\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    // Nothing is left beside the file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// A replacement killed before its rename leaves its new file; the next start removes it, and only it.
TEST(ProfileReplace, WhatAKilledReplacementLeftGoesAtTheNextStart)
{
    TempDir dir;
    const std::string path = dir.file("corvinax.ini");
    writeFile(path, "[Config]\r\n");
    struct Entry {
        const char* name;
        bool old;
        bool stays;
        uid_t owner = ::geteuid();
        bool linkedTwice = false;
    };
    const Entry entries[] = {
        {".corvinax-new-ab12cd34ef56", true, false},          // left by a killed save
        {".corvinax-new-xy34zw56ab78", false, true},          // a save that may still be under way
        {".corvinax.ini.Ab12Cd", true, true},                 // not a name the program makes
        {".corvinax.ini.backup", true, true},                 // an administrator's own copy
        {".corvinax-new-ab12cd34ef5", true, true},            // one character short
        {".corvinax-new-AB12CD34EF56", true, true},           // not the program's letters
        {".corvinax-new-aa12cd34ef56", true, true, 65534},    // another user's (checked when root)
        {".corvinax-new-bb12cd34ef56", true, true, ::geteuid(), true},  // a second name of a file
    };
    for (const Entry& entry : entries) {
        writeFile(dir.file(entry.name), "x");
        const time_t when = entry.old ? 1'000'000'000 : ::time(nullptr);
        const timespec times[2] = {{when, 0}, {when, 0}};
        ::utimensat(AT_FDCWD, dir.file(entry.name).c_str(), times, 0);
        if (entry.owner != ::geteuid())
            (void)!::chown(dir.file(entry.name).c_str(), entry.owner, entry.owner);
        if (entry.linkedTwice)
            ::link(dir.file(entry.name).c_str(), dir.file("kept-elsewhere").c_str());
    }
    removeInterruptedReplacements(path);
    for (const Entry& entry : entries)
        EXPECT_EQ(std::filesystem::exists(dir.file(entry.name)), entry.stays) << entry.name;
    EXPECT_EQ(readFile(path), "[Config]\r\n");
}

// Read-modify-replace: what another writer put into the file after this object read it survives
// this object's replacement, and this object's changes win where both changed the same key.
TEST(ProfileUpdate, WhatAnotherWriterChangedMeanwhileSurvives)
{
    TempDir dir;
    const std::string path = dir.file("corvinax.ini");
    writeFile(path, "[Config]\r\nMaxLines=16\r\nLogin=a\r\n[Strings]\r\nText0=old\r\n[/data/a]\r\nPC.ini=1\r\n");
    ProfileFile mine(path);
    mine.beginUpdate();
    mine.writeString("/data/a", "PC.ini", "2");
    mine.eraseSection("Strings");
    mine.writeString("Strings", "Text0", "new");
    mine.writeString("Config", "Login", "\" b \"");

    ProfileFile other(path);
    other.writeString("/data/b", "XP.ini", "7");
    other.writeString("Config", "MaxLines", "5");
    other.writeString("Config", "Login", "c");

    mine.commitUpdate();
    const std::string text = readFile(path);
    EXPECT_EQ(text, "[Config]\r\nMaxLines=5\r\nLogin=\" b \"\r\n[/data/a]\r\nPC.ini=2\r\n[/data/b]\r\nXP.ini=7\r\n"
                    "[Strings]\r\nText0=new\r\n");
    EXPECT_EQ(ProfileFile(path).readString("/data/b", "XP.ini", ""), "7");
}

TEST(ProfileUpdate, WritesReachTheFileTogetherOnCommit)
{
    TempDir dir;
    const std::string path = dir.file("a.ini");
    writeFile(path, "[s]\r\nk=1\r\n");
    ProfileFile profile(path);
    {
        ProfileUpdate update(profile);
        profile.writeString("s", "k", "2");
        profile.writeString("t", "x", "3");
        EXPECT_EQ(readFile(path), "[s]\r\nk=1\r\n");
        EXPECT_EQ(profile.readString("s", "k", ""), "2");
        update.commit();
    }
    EXPECT_EQ(readFile(path), "[s]\r\nk=2\r\n[t]\r\nx=3\r\n");
}

TEST(ProfileUpdate, ReadsFindTheirSectionAfterSectionsComeAndGo)
{
    // Reads of one section in a row, with sections erased and added between them, in files of a
    // few sections and of many.
    for (const int extra : {0, 20}) {
        TempDir dir;
        const std::string path = dir.file("a.ini");
        std::string text = "[b]\r\nk=B\r\n[a]\r\nk=A\r\n";
        for (int i = 0; i < extra; ++i)
            text += "[x" + std::to_string(i) + "]\r\nk=X\r\n";
        writeFile(path, text + "[B]\r\nk=second b\r\n");
        ProfileFile profile(path);
        ProfileUpdate update(profile);
        EXPECT_EQ(profile.readString("b", "k", ""), "B");
        profile.eraseSection("a");
        EXPECT_EQ(profile.readString("b", "k", ""), "B");
        EXPECT_EQ(profile.readString("a", "k", "none"), "none");
        profile.eraseSection("b");
        EXPECT_EQ(profile.readString("b", "k", ""), "second b");
        profile.writeString("c", "k", "C");
        EXPECT_EQ(profile.readString("B", "k", ""), "second b");
        EXPECT_EQ(profile.readString("c", "k", ""), "C");
    }
}

TEST(ProfileUpdate, WithoutCommitNothingChanges)
{
    TempDir dir;
    const std::string path = dir.file("a.ini");
    writeFile(path, "[s]\r\nk=1\r\n");
    ProfileFile profile(path);
    {
        ProfileUpdate update(profile);
        profile.writeString("s", "k", "2");
    }
    EXPECT_EQ(readFile(path), "[s]\r\nk=1\r\n");
    EXPECT_EQ(profile.readString("s", "k", ""), "1");
}

TEST(ProfileUpdate, FailedCommitLeavesTheFileAndTheReadsAsOnDisk)
{
    TempDir dir;
    const std::string path = dir.file("a.ini");
    writeFile(path, "[s]\r\nk=1\r\n");
    ProfileFile profile(path);
    ProfileUpdate update(profile);
    profile.writeString("s", "k", "2");
    ::chmod(path.c_str(), 0444);
    EXPECT_THROW(update.commit(), ProfileWriteError);
    EXPECT_EQ(readFile(path), "[s]\r\nk=1\r\n");
    EXPECT_EQ(profile.readString("s", "k", ""), "1");
}

}  // namespace
}  // namespace corvinax
