#include "profile/profile_document.h"
#include "reports/check_sign.h"
#include "support/example_report.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace corvinax
