#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include <functional>

#include "gui/query_box.h"
#include "gui_test_util.h"

namespace {

// Types text into the next query's edit and presses OK (or Cancel).
void AnswerEdit(const QString& text, bool ok = true, QString* shown = nullptr, QString* unit = nullptr) {
    OnNextModal<TQBox>([=](TQBox* box) {
        if (shown != nullptr) *shown = box->Edit1->text();
        if (unit != nullptr) *unit = box->Label4->isVisible() ? box->Label4->text() : QString();
        box->Edit1->setText(text);
        ClickButton(box, ok ? "OKBtn" : "CancelBtn");
    });
}

}  // namespace

class QueryBoxTest : public QObject {
    Q_OBJECT

private slots:
    void stringQueryKeepsTheTextEvenOnCancel() {
        std::string value = "2";
        QString shown;
        AnswerEdit(QStringLiteral("4"), true, &shown);
        QVERIFY(QueryString("Export to Structure", "What is the ploidy level for your data?", "", "", value));
        QCOMPARE(shown, QStringLiteral("2"));
        QCOMPARE(value, std::string("4"));
        AnswerEdit(QStringLiteral("x"), false);
        QVERIFY(!QueryString("c", "", "", "", value));
        QCOMPARE(value, std::string("x"));
    }

    void byteQuery_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("value");
        QTest::newRow("in range") << "200" << true << true << 200;
        QTest::newRow("zero") << "0" << true << true << 0;
        QTest::newRow("300 is refused, not wrapped") << "300" << true << false << 7;
        QTest::newRow("negative") << "-1" << true << false << 7;
        QTest::newRow("not a number") << "abc" << true << false << 7;
        QTest::newRow("valid but cancelled") << "9" << false << false << 9;
    }

    void byteQuery() {
        QFETCH(QString, entry);
        QFETCH(bool, ok);
        QFETCH(bool, result);
        QFETCH(int, value);
        std::uint8_t byte = 7;
        AnswerEdit(entry, ok);
        QCOMPARE(QueryByte("caption", "text", "", "", byte), result);
        QCOMPARE(int(byte), value);
    }

    void integerQuery_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("result");
        QTest::addColumn<quint32>("value");
        QTest::newRow("typical") << "250" << true << true << quint32(250);
        QTest::newRow("largest") << "4294967295" << true << true << quint32(4294967295u);
        QTest::newRow("too large") << "4294967296" << true << false << quint32(5);
        QTest::newRow("negative") << "-1" << true << false << quint32(5);
        QTest::newRow("fraction") << "2.5" << true << false << quint32(5);
        QTest::newRow("cancelled") << "250" << false << false << quint32(5);
    }

    void integerQuery() {
        QFETCH(QString, entry);
        QFETCH(bool, ok);
        QFETCH(bool, result);
        QFETCH(quint32, value);
        std::uint32_t n = 5;
        QString shown;
        AnswerEdit(entry, ok, &shown);
        QCOMPARE(QueryInteger("Shannon index bootstrapping", "Number of individuals to be sampled", "", "", n), result);
        QCOMPARE(shown, QStringLiteral("5"));
        QCOMPARE(n, value);
    }

    void floatQueryIsStrictAndShowsTheUnit() {
        Extended value = 25.0L;
        QString shown;
        QString unit;
        AnswerEdit(QStringLiteral("12.5"), true, &shown, &unit);
        QVERIFY(QueryFloat("Data removal...", "Remove loci with more than x% missing data:", "", "", value, 2, "%"));
        QCOMPARE(shown, QStringLiteral("25.00"));
        QCOMPARE(unit, QStringLiteral("%"));
        QCOMPARE(value, 12.5L);

        for (const char* bad : {"12,5", "nan", "inf", "0x10", "1e", "", "5%"}) {
            AnswerEdit(QString::fromLatin1(bad));
            QVERIFY2(!QueryFloat("c", "", "", "", value, 2, "%"), bad);
            QCOMPARE(value, 12.5L);
        }
        AnswerEdit(QStringLiteral("3"), false);
        QVERIFY(!QueryFloat("c", "", "", "", value, 2, ""));
        QCOMPARE(value, 12.5L);
    }

    void comboQueryStartsOnTheGivenItemOrTheFirst() {
        const AString items{"Square root", "Lynch-Milligan", "Bayesian, uniform prior"};
        std::int32_t index = 7;
        QString shown;
        OnNextModal<TQBox>([&shown](TQBox* box) {
            shown = box->ComboBox1->currentText();
            box->ComboBox1->setCurrentIndex(2);
            ClickButton(box, "OKBtn");
        });
        QVERIFY(QueryComboIndex("Population distance", "Allele frequencies have to be estimated.", "", "", items, index));
        QCOMPARE(shown, QStringLiteral("Square root"));
        QCOMPARE(index, 2);

        // A typed text that is no item gives -1; Cancel still reports the index.
        int wideWidth = 0;
        OnNextModal<TQBox>([&wideWidth](TQBox* box) {
            wideWidth = box->ComboBox1->minimumWidth();
            box->ComboBox1->setEditText(QStringLiteral("something else"));
            ClickButton(box, "CancelBtn");
        });
        QVERIFY(!QueryComboIndexWide("c", "", "", "", items, index));
        QCOMPARE(index, -1);
        QVERIFY(wideWidth > 0);

        // Items that read alike: the one chosen counts, not the first of that text.
        const AString alike{"AllData", "pop1", "pop1"};
        OnNextModal<TQBox>([](TQBox* box) {
            box->ComboBox1->setCurrentIndex(2);
            ClickButton(box, "OKBtn");
        });
        QVERIFY(QueryComboIndex("c", "", "", "", alike, index));
        QCOMPARE(index, 2);

        const AString none;
        QVERIFY(!QueryComboIndex("c", "", "", "", none, index));
    }

    void checkListReturnsTheMarksEvenOnCancel() {
        const AString items{"AllData", "popA", "popB"};
        ABool flags{0, 1, 0};
        OnNextModal<TQBox>([](TQBox* box) {
            QListWidget* list = box->CheckListBox1;
            QCOMPARE(list->count(), 3);
            QCOMPARE(list->item(1)->checkState(), Qt::Checked);
            list->item(0)->setCheckState(Qt::Checked);
            list->item(1)->setCheckState(Qt::Unchecked);
            ClickButton(box, "CancelBtn");
        });
        QVERIFY(!QueryCheckList("Export to DfDist format", "Please select the groups (populations) you wish to export",
                                "", items, flags));
        QCOMPARE(flags, (ABool{1, 0, 0}));

        OnNextModal<TQBox>([](TQBox* box) { ClickButton(box, "OKBtn"); });
        QVERIFY(QueryCheckList("c", "", "", items, flags));

        ABool tooFew{1};
        QVERIFY(!QueryCheckList("c", "", "", items, tooFew));
        QCOMPARE(tooFew, ABool{1});
    }

    void textsArePlainAndEmptyLinesHidden() {
        std::string value;
        OnNextModal<TQBox>([](TQBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("<i>cap</i>"));
            QCOMPARE(box->Label1->textFormat(), Qt::PlainText);
            QCOMPARE(box->Label1->text(), QStringLiteral("<b>one</b>"));
            QVERIFY(box->Label2->isHidden());
            QVERIFY(box->ComboBox1->isHidden());
            QVERIFY(box->CheckListBox1->isHidden());
            ClickButton(box, "OKBtn");
        });
        QVERIFY(QueryString("<i>cap</i>", "<b>one</b>", "", "", value));
    }
};

QTEST_MAIN(QueryBoxTest)
#include "query_box_test.moc"
