#include "app/text_codec.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TextCodecTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void convertsBothWays_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("cp1251");
        QTest::newRow("ascii") << u"PC-07.ini"_s << QByteArray("PC-07.ini");
        QTest::newRow("cyrillic") << u"Компьютер :Ёж"_s << QByteArray("\xCA\xEE\xEC\xEF\xFC\xFE\xF2\xE5\xF0 :\xA8\xE6");
        QTest::newRow("signs") << u"№ «x» €"_s << QByteArray("\xB9 \xAB" "x\xBB \x88");
        QTest::newRow("empty") << QString() << QByteArray();
    }

    void convertsBothWays()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, cp1251);
        const std::string bytes = corvinax::toCp1251(text);
        QCOMPARE(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), cp1251);
        QCOMPARE(corvinax::fromCp1251(std::string_view(cp1251.constData(), static_cast<std::size_t>(cp1251.size()))),
                 text);
    }

    void unrepresentableCharactersBecomeQuestionMarks()
    {
        QCOMPARE(corvinax::toCp1251(u"a中b😀c"_s), std::string("a?b?c"));
        QCOMPARE(corvinax::fromCp1251("a\x98z"), u"a\uFFFDz"_s);
    }
};

QTEST_GUILESS_MAIN(TextCodecTest)
#include "text_codec_test.moc"
