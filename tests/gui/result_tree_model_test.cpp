#include "app/result_tree_model.h"
#include "findings/result_tree.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace corvinax;

class ResultTreeModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void followsTheTreeAsNodesComeAndGo()
    {
        ResultTree tree;
        ResultTreeModel model(tree);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

        tree.addTopLevel("start");
        ResultNode& dir = tree.addTopLevel("/data/cfg");
        dir.imageIndex = 1;
        ResultNode& pc1 = tree.addChild(dir, "\xCA\xEE\xEC\xEF\xFC\xFE\xF2\xE5\xF0 :PC1");  // code page 1251
        tree.addChild(pc1, "line 1");
        tree.addChild(pc1, "line 2");
        ResultNode& pc2 = tree.addChild(dir, "pc2");
        pc2.stateIndex = 4;
        tree.addChild(pc2, "line 3");
        tree.addTopLevel("end");

        QCOMPARE(model.rowCount(), 3);
        const QModelIndex dirIndex = model.index(1, 0);
        QCOMPARE(model.rowCount(dirIndex), 2);
        QCOMPARE(model.data(model.index(0, 0, dirIndex)).toString(), u"Компьютер :PC1"_s);
        QCOMPARE(model.data(dirIndex, ResultTreeModel::ImageRole).toInt(), 1);
        QCOMPARE(model.data(model.index(1, 0, dirIndex), ResultTreeModel::StateRole).toInt(), 4);
        QCOMPARE(model.data(model.index(0, 0, model.index(0, 0, dirIndex)), ResultTreeModel::LevelRole).toInt(), 2);
        QCOMPARE(model.parent(model.index(1, 0, model.index(0, 0, dirIndex))), model.index(0, 0, dirIndex));

        tree.remove(pc1);
        QCOMPARE(model.rowCount(dirIndex), 1);
        QCOMPARE(model.data(model.index(0, 0, dirIndex)).toString(), u"pc2"_s);
        QCOMPARE(model.indexOf(&pc2), model.index(0, 0, dirIndex));
        QVERIFY(!(model.flags(dirIndex) & Qt::ItemIsEditable));
    }
};

QTEST_GUILESS_MAIN(ResultTreeModelTest)
#include "result_tree_model_test.moc"
