#include <QProcess>
#include <QtTest>

#include "shell/program_identity.h"

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void identity() {
        QCOMPARE(QString::fromStdString(ProgramVersion), QStringLiteral("1.31"));
        QVERIFY(QString::fromStdString(ProgramTitle).startsWith(QStringLiteral("TESK - ")));
        QCOMPARE(QString::fromStdString(MainWindowCaption()),
                 QString::fromStdString(ProgramTitle + " 1.31" + (DevMode ? " DEV MODE !!!!!!" : "")));
        QCOMPARE(QString::fromStdString(ProgramMarker), QStringLiteral("#T#E#S#K#"));
        QCOMPARE(QString::fromStdString(WelcomeLine),
                 QStringLiteral("Welcome to TESK 1.3. Please report any problems you might experience."));
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
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
