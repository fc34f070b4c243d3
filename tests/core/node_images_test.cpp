#include "findings/node_images.h"
#include "findings/result_tree.h"
#include "support/image_rule.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

namespace corvinax {
namespace {

struct ImageCase {
    const char* line;
    int image;
};

class GetImageTest : public ::testing::TestWithParam<ImageCase> {};

TEST_P(GetImageTest, ClassifiesByTheFirstKeywordInTableOrder)
{
    EXPECT_EQ(GetImage(GetParam().line), GetParam().image) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, GetImageTest,
    ::testing::Values(ImageCase{"k=Disk counter changed", 3}, ImageCase{"k=#$#$ alarm", 4},
                      ImageCase{"k=Remote_Access on", 5}, ImageCase{"k=ADDED Modem : 56k", 6},
                      ImageCase{"k=ATTENTION! low space", 7}, ImageCase{"k=ADDED in Sharing C$", 8},
                      ImageCase{"k=Disk 0 SMART <5> : 12", 9}, ImageCase{"k=REMOVED Printer", 10},
                      ImageCase{"k=ADDED Printer", 11}, ImageCase{"k=nothing known", 4}, ImageCase{"", 4},
                      ImageCase{"Modem only at the start, Modem again", 4},
                      ImageCase{"ADDED first, then Modem", 6},
                      ImageCase{"k=SMART without blanks", 4}, ImageCase{"k=smart <5>", 4},
                      ImageCase{"k=added lower case", 4}, ImageCase{"ADDED at start and ADDED later", 4}),
    [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(GetImageRule, AgreesWithTheRuleOnLinesMadeOfKeywordPieces)
{
    const std::vector<std::string> pieces = {" counter ", "#$#$", "#$", "Remote_", "Modem", "ATTENTION! ",
                                             "ADDED in Sharing", "ADDED in", " SMART ", "REMOVED ", "ADDED ",
                                             "ADDED", " ", "x", "=", "\xC0"};
    std::mt19937 random(3);
    for (int n = 0; n < 20000; ++n) {
        std::string line;
        const int count = static_cast<int>(random() % 6);
        for (int i = 0; i < count; ++i)
            line += pieces[random() % pieces.size()];
        ASSERT_EQ(GetImage(line), test::imageOneKeywordAtATime(line)) << line;
    }
}

TEST(ResultTree, NodeDataIsCreatedOnFirstUseAndKeptByKind)
{
    ResultTree tree;
    ResultNode& message = tree.addTopLevel("message");
    EXPECT_FALSE(message.data);
    EXPECT_EQ(GetAdditional(message, kMark), "");
    ASSERT_TRUE(message.data);

    ResultNode& node = tree.addTopLevel("dir");
    EXPECT_EQ(GetAdditional(node, 0), "");
    EXPECT_EQ(GetAdditional(node, 4), "");
    EXPECT_TRUE(node.data);
    SetAdditional(node, kMacAddr, "00-0C");
    SetAdditional(node, kMark, "<DIR>");
    SetAdditional(node, kReportPath, "/data/a/PC.ini");
    SetAdditional(node, 7, "ignored");
    EXPECT_EQ(GetAdditional(node, kMacAddr), "00-0C");
    EXPECT_EQ(GetAdditional(node, kMark), "<DIR>");
    EXPECT_EQ(GetAdditional(node, kReportPath), "/data/a/PC.ini");
    EXPECT_EQ(&NewAddData(node), node.data.get());
}

TEST(ResultTree, DisplayOrderIsDepthFirstAndCountsEveryLevel)
{
    ResultTree tree;
    tree.addTopLevel("start");
    ResultNode& dir = tree.addTopLevel("dir");
    ResultNode& pc1 = tree.addChild(dir, "pc1");
    tree.addChild(pc1, "line1");
    ResultNode& pc2 = tree.addChild(dir, "pc2");
    tree.addChild(pc2, "line2");
    tree.addTopLevel("end");
    EXPECT_EQ(tree.count(), 7u);
    EXPECT_EQ(pc2.level(), 1);
    EXPECT_EQ(pc2.children()[0]->level(), 2);

    std::vector<std::string> order;
    tree.forEachInDisplayOrder([&](ResultNode& node) { order.push_back(node.text); });
    EXPECT_EQ(order, (std::vector<std::string>{"start", "dir", "pc1", "line1", "pc2", "line2", "end"}));

    tree.select(pc1.children()[0].get());
    tree.remove(pc1);
    EXPECT_EQ(tree.count(), 5u);
    EXPECT_EQ(tree.selected(), nullptr);
    EXPECT_EQ(pc2.row(), 0u);
    EXPECT_EQ(dir.children().size(), 1u);
}

TEST(ResultTree, SelectionShowsTheSamePictureAndExpandAllOpensEveryParent)
{
    ResultTree tree;
    ResultNode& dir = tree.addTopLevel("dir");
    dir.imageIndex = dir.selectedIndex = kImageDirectory;
    ResultNode& pc = tree.addChild(dir, "pc");
    ResultNode& line = tree.addChild(pc, "line");
    line.imageIndex = kImageModem;
    tree.select(&line);
    EXPECT_EQ(line.selectedIndex, kImageModem);
    tree.select(&dir);
    EXPECT_EQ(dir.selectedIndex, kImageDirectory);

    tree.expandAll();
    EXPECT_TRUE(dir.expanded);
    EXPECT_TRUE(pc.expanded);
    EXPECT_FALSE(line.expanded);
}

}  // namespace
}  // namespace corvinax
