#include <QProcess>
#include <QtTest>

#include "gui/command_line.h"
#include "gui/strict_number.h"
#include "shell/program_identity.h"

Q_DECLARE_METATYPE(CommandLineAction)

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void identity() {
        QCOMPARE(QString::fromStdString(ProgramVersion), QStringLiteral("1.31"));
        QVERIFY(QString::fromStdString(ProgramTitle).startsWith(QStringLiteral("TESK - ")));
        QCOMPARE(QString::fromStdString(MainWindowCaption()), QString::fromStdString(ProgramTitle + " 1.31"));
        QCOMPARE(QString::fromStdString(ProgramMarker), QStringLiteral("#T#E#S#K#"));
        QCOMPARE(QString::fromStdString(WelcomeLine),
                 QStringLiteral("Welcome to TESK 1.3. Please report any problems you might experience."));
    }

    void commandLine_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<CommandLineAction>("action");
        QTest::newRow("relative name") << "data.txt" << false << CommandLineAction::LoadFile;
        QTest::newRow("name with blanks") << "my data.txt" << false << CommandLineAction::LoadFile;
        QTest::newRow("existing absolute file") << "/tmp/x" << true << CommandLineAction::LoadFile;
        QTest::newRow("missing absolute file") << "/home/u/data.txt" << false << CommandLineAction::LoadFile;
        QTest::newRow("existing file named like a switch") << "/M" << true << CommandLineAction::LoadFile;
        QTest::newRow("clipboard") << "/M" << false << CommandLineAction::LoadClipboard;
        QTest::newRow("clipboard lower case") << "/m" << false << CommandLineAction::LoadClipboard;
        QTest::newRow("clipboard, rest ignored") << "/Mxyz" << false << CommandLineAction::LoadClipboard;
        QTest::newRow("quit") << "/@" << false << CommandLineAction::Quit;
        QTest::newRow("quit, rest ignored") << "/@now" << false << CommandLineAction::Quit;
        QTest::newRow("slash alone") << "/" << false << CommandLineAction::Ignore;
        QTest::newRow("empty") << "" << false << CommandLineAction::Ignore;
        QTest::newRow("unknown switch") << "/X" << false << CommandLineAction::Refuse;
        QTest::newRow("unknown long switch") << "/help" << false << CommandLineAction::Refuse;
    }

    void commandLine() {
        QFETCH(QString, argument);
        QFETCH(bool, exists);
        QFETCH(CommandLineAction, action);
        QCOMPARE(ClassifyArgument(argument.toStdString(), exists), action);
    }

    void quitSwitchEndsWithoutEnteringTheEventLoop() {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TESK_BINARY_DIR "/app/tesk"), {QStringLiteral("/@")});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

    void strictIntegers() {
        const std::pair<const char*, std::int64_t> good[] = {
            {"0", 0}, {"42", 42}, {"-7", -7}, {"+7", 7}, {" 25 ", 25},
            {"9223372036854775807", INT64_MAX}, {"-9223372036854775808", INT64_MIN}};
        for (const auto& [text, expected] : good) {
            std::int64_t value = 99;
            QVERIFY2(ParseStrictInteger(text, value), text);
            QCOMPARE(value, expected);
        }
        for (const char* text : {"", " ", "-", "+", "1.5", "1e3", "0x10", "12a", "1 2", "+-1", "--1",
                                 "9223372036854775808", "1,000"}) {
            std::int64_t value = 99;
            QVERIFY2(!ParseStrictInteger(text, value), text);
            QCOMPARE(value, std::int64_t{99});
        }
    }

    void strictFloats() {
        const std::pair<const char*, Extended> good[] = {
            {"0", 0.0L}, {"2.5", 2.5L}, {"-0.25", -0.25L}, {".5", 0.5L}, {"5.", 5.0L}, {"1e-5", 1e-5L},
            {"+3E2", 300.0L}, {" 12.5\t", 12.5L}};
        for (const auto& [text, expected] : good) {
            Extended value = 99.0L;
            QVERIFY2(ParseStrictFloat(text, value), text);
            QCOMPARE(value, expected);
        }
        for (const char* text : {"", ".", "-", "12,5", "nan", "inf", "-inf", "0x1p3", "1e", "1e+", "5%",
                                 "1.2.3", "e5", "1e99999"}) {
            Extended value = 99.0L;
            QVERIFY2(!ParseStrictFloat(text, value), text);
            QCOMPARE(value, 99.0L);
        }
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
