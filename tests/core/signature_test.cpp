#include "profile/profile_document.h"
#include "reports/check_sign.h"
#include "support/example_report.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace corvinax {
namespace {

std::string signatureOf(const std::string& text)
{
    return CalcSignature(ProfileDocument::parse(text));
}

TEST(Signature, WorkedValues)
{
    EXPECT_EQ(signatureOf("[Info]\r\nComputer_Name=PC1\r\n"), "IKIL-QPAN-2T4I-ACVI-7000-0000-0000-0000");
    EXPECT_EQ(signatureOf(test::kExampleReport),
              "U28L-373B-9PM9-G434-1T7Z-4Q77-C87H-EV87");
    EXPECT_EQ(signatureOf(""), "0000-0000-0000-0000-0000-0000-0000-0000");
    EXPECT_EQ(signatureOf("no sections at all\r\nx=1\r\n"), "0000-0000-0000-0000-0000-0000-0000-0000");
}

struct SameSignatureCase {
    const char* name;
    std::string a;
    std::string b;
    bool same;
};

class SignatureRules : public ::testing::TestWithParam<SameSignatureCase> {};

TEST_P(SignatureRules, TellWhatChangesTheSignature)
{
    const auto& c = GetParam();
    EXPECT_EQ(signatureOf(c.a) == signatureOf(c.b), c.same);
}

const std::string kBase = "[Info]\r\nComputer_Name=PC1\r\n[Config_changes]\r\n01.01.2026 10:00:00=ADDED Modem\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, SignatureRules,
    ::testing::Values(
        SameSignatureCase{"SignatureSectionsLeftOut", kBase,
                          kBase + "[Signature]\r\n0=x\r\n[Signature2]\r\na=b\r\n[OldSignature]\r\nc=d\r\n", true},
        SameSignatureCase{"LowerCaseSignatureSectionSummed", kBase, kBase + "[signature]\r\n0=x\r\n", false},
        SameSignatureCase{"EmptyValueAddsNothing", kBase, kBase + "empty=\r\n", true},
        SameSignatureCase{"BlanksAddNothing", kBase,
                          "[Info]\r\n  Computer_Name =  PC1  \r\n[Config_changes]\r\n01.01.2026 10:00:00 = ADDED Modem\r\n",
                          true},
        SameSignatureCase{"SectionsExchanged", kBase,
                          "[Config_changes]\r\n01.01.2026 10:00:00=ADDED Modem\r\n[Info]\r\nComputer_Name=PC1\r\n", true},
        SameSignatureCase{"LinesExchanged", "[s]\r\na=1\r\nb=2\r\n", "[s]\r\nb=2\r\na=1\r\n", true},
        SameSignatureCase{"ValueChanged", kBase, "[Info]\r\nComputer_Name=PC2\r\n[Config_changes]\r\n"
                                                 "01.01.2026 10:00:00=ADDED Modem\r\n", false},
        SameSignatureCase{"CommentsAndPlainLinesAddNothing", kBase, kBase + "; note\r\nplain line\r\n", true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Signature, RepeatedKeyCountsOnceWithItsLaterSpelling)
{
    // Section values keep one entry per name: the first value under the later spelling.
    EXPECT_EQ(signatureOf("[s]\r\nAB=1\r\nab=2\r\n"), signatureOf("[s]\r\nab=1\r\n"));
}

TEST(Signature, PositionsWrapAfter32Characters)
{
    // "k=" + 31 characters: 33 in all, the 33rd goes to accumulator 1 again.
    const std::string value = std::string(30, '0') + "A";
    const std::string signature = signatureOf("[s]\r\nk=" + value + "\r\n");
    // Accumulator 1 holds "k" (107) and "A" (65): 48 + 172 = 220 -> 220 - 42*4 = 52 -> "4".
    EXPECT_EQ(signature[0], '4');
    EXPECT_EQ(signature.size(), 39u);
}

TEST(Signature, ReadsThroughTheWindowsNameListLimit)
{
    // Keys past the 8192-character key list do not count, as for the agents that sign reports.
    std::string text = "[s]\r\n";
    for (int i = 0; i < 420; ++i) {
        char line[48];
        std::snprintf(line, sizeof line, "01.01.2005 %08d=x\r\n", i);
        text += line;
    }
    EXPECT_EQ(signatureOf(text), signatureOf(text + "01.01.2005 99999999=changed beyond the limit\r\n"));
}

// The signature added one code at a time, as the agents do, over the section-values strings.
std::string signatureOneCodeAtATime(const std::string& text)
{
    const ProfileDocument document = ProfileDocument::parse(text);
    std::array<int, 32> accumulators;
    accumulators.fill('0');
    for (const std::string& section : document.sectionNames(NameList::WindowsBuffer)) {
        if (section.find("Signature") != std::string::npos)
            continue;
        std::vector<std::string> entries;
        document.appendSectionValues(section, entries, NameList::WindowsBuffer);
        for (const std::string& entry : entries) {
            for (std::size_t i = 0; i < entry.size(); ++i) {
                int& sum = accumulators[i % 32];
                sum += static_cast<unsigned char>(entry[i]);
                while (sum > 90)
                    sum -= 42;
            }
        }
    }
    std::string signature;
    for (std::size_t n = 0; n < 32; ++n) {
        int code = accumulators[n];
        if (code >= 58 && code <= 64)
            code -= 9;
        signature += static_cast<char>(code);
        if (n % 4 == 3 && n < 31)
            signature += '-';
    }
    return signature;
}

TEST(Signature, EqualsTheSumOneCodeAtATimeOnLargeAndIrregularReports)
{
    // Thousands of blocks (past any intermediate sum), values up to the length limit, keys and
    // values that do not stand as "key=value" in the file, high codes, repeated names.
    std::mt19937 random(20261210);
    for (int report = 0; report < 20; ++report) {
        std::string text;
        const int sections = 1 + static_cast<int>(random() % 5);
        for (int s = 0; s < sections; ++s) {
            text += "[Section" + std::to_string(s) + "]\r\n";
            const int lines = static_cast<int>(random() % 300);
            for (int l = 0; l < lines; ++l) {
                std::string key = "key" + std::to_string(random() % 400);
                std::string value(random() % 1100, 'x');
                for (char& c : value)
                    c = static_cast<char>(32 + random() % 224);
                for (char& c : value)
                    c = c == '\r' || c == '\n' ? '.' : c;
                const int shape = static_cast<int>(random() % 4);
                text += shape == 0 ? key + " = " + value : shape == 1 ? "'" + key + "'=\"" + value + "\"" : key + "=" + value;
                text += "\r\n";
            }
        }
        SCOPED_TRACE(report);
        EXPECT_EQ(signatureOf(text), signatureOneCodeAtATime(text));
    }
}

}  // namespace
}  // namespace corvinax
