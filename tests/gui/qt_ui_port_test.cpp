#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>
#include <QClipboard>
#include <QMessageBox>
#include <QtTest>

#include <string>
#include <vector>

#include "gui/file_param_dialog.h"
#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui_test_util.h"
#include "shell/settings.h"

class QtUiPortTest : public QObject {
    Q_OBJECT

private slots:
    void answerCodes_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("code");
        QTest::newRow("OK") << 0 << int(QMessageBox::Ok) << 1;
        QTest::newRow("Yes") << 4 << int(QMessageBox::Yes) << 6;
        QTest::newRow("No") << 4 << int(QMessageBox::No) << 7;
        QTest::newRow("OK with an error icon") << 0x10 << int(QMessageBox::Ok) << 1;
        QTest::newRow("Cancel") << 1 << int(QMessageBox::Cancel) << 2;
    }

    void answerCodes() {
        QFETCH(int, style);
        QFETCH(int, button);
        QFETCH(int, code);
        TMainPrg window;
        QtUiPort port(window);
        AnswerNextMessageBox(QMessageBox::StandardButton(button));
        QCOMPARE(port.ShowMessageBox("Write to analysis file?", "Statistics", style), code);
    }

    void closingWithoutAButtonGivesNoAnswer() {
        TMainPrg window;
        QtUiPort port(window);
        OnNextModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(port.ShowMessageBox("Append data to file rather than rewriting file?", "Output file exists",
                                     kQuestionYesNo),
                 kAnswerNone);
        OnNextModal<QMessageBox>([](QMessageBox* box) { box->close(); });
        QCOMPARE(port.ShowMessageBox("Append?", "Output file exists", kQuestionYesNo), kAnswerNone);
        OnNextModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(port.ShowMessageBox("Input file does not exist", "Error", kMessageOk), kAnswerNone);
    }

    void textIsPlain() {
        TMainPrg window;
        QtUiPort port(window);
        QString text;
        QString caption;
        Qt::TextFormat format = Qt::AutoText;
        OnNextModal<QMessageBox>([&](QMessageBox* box) {
            text = box->text();
            caption = box->windowTitle();
            format = box->textFormat();
            box->button(QMessageBox::Ok)->click();
        });
        port.ShowMessageBox("Input file <b>x.txt</b> & more", "Error", kMessageOk);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(text, QStringLiteral("Input file <b>x.txt</b> & more"));
        QCOMPARE(caption, QStringLiteral("Error"));
    }

    void fileParamDialogRunsOnTheSettings() {
        RestoreDefaultSettings();
        TMainPrg window;
        QtUiPort port(window);
        OnNextModal<TFileParamDialog>([](TFileParamDialog* d) {
            d->LociBox->setChecked(true);
            ClickButton(d, "CancelBtn");
        });
        QVERIFY(port.EditFileParams());
        QCOMPARE(LocHeader, std::uint8_t{1});  // kept although cancelled
        OnNextModal<TFileParamDialog>([](TFileParamDialog* d) { ClickButton(d, "OKBtn"); });
        QVERIFY(!port.EditFileParams());
        RestoreDefaultSettings();
    }

    void clipboardText() {
        TMainPrg window;
        QtUiPort port(window);
        std::string text = "old";
        QGuiApplication::clipboard()->clear();
        QVERIFY(!port.GetClipboardText(text));
        QGuiApplication::clipboard()->setText(QStringLiteral("ind1\t1 0 1\n"));
        if (QGuiApplication::clipboard()->text().isEmpty()) QSKIP("this platform has no clipboard");
        QVERIFY(port.GetClipboardText(text));
        QCOMPARE(text, std::string("ind1\t1 0 1\n"));
    }

    // A stand-in xdg-open first on PATH (or none at all) says how the desktop answered.
    void openerFailuresComeWithTheirReason() {
        QTemporaryDir bin;
        QTemporaryDir files;
        QVERIFY(bin.isValid() && files.isValid());
        const QString file = files.path() + QStringLiteral("/plot.pdf");
        const QString given = files.path() + QStringLiteral("/given.txt");
        QFile pdf(file);
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        pdf.write("%PDF");
        pdf.close();
        const QByteArray path = qgetenv("PATH");
        const QByteArray browser = qgetenv("BROWSER");
        qputenv("PATH", bin.path().toLocal8Bit());
        qunsetenv("BROWSER");
        struct Case {
            const char* label;
            const char* body;  // of the stand-in; null: no xdg-open installed
            bool opened;
            QString reason;
        };
        const QString noMethod = QStringLiteral("xdg-open: no method available for opening '%1'").arg(file);
        const std::vector<Case> cases = {
            {"opened", "exit 0", true, {}},
            {"no program for the kind of file", "echo \"xdg-open: no method available for opening '$1'\" >&2\nexit 3",
             false, QStringLiteral("xdg-open found no program for this kind of file.\r\n") + noMethod},
            {"failed without a word", "exit 4", false, QStringLiteral("xdg-open could not open the file.")},
            {"killed", "kill -9 $$", false, QStringLiteral("xdg-open ended abnormally.")},
            {"not installed", nullptr, false,
             QStringLiteral("xdg-open, which starts the desktop's viewers, is not installed, and the desktop offers no "
                            "other way.")},
        };
        TMainPrg window;
        QtUiPort port(window);
        QStringList failures;
        for (const Case& c : cases) {
            const QString opener = bin.path() + QStringLiteral("/xdg-open");
            QFile::remove(opener);
            QFile::remove(given);
            if (c.body != nullptr) {
                QFile script(opener);
                QVERIFY(script.open(QIODevice::WriteOnly));
                script.write("#!/bin/sh\nprintf '%s' \"$1\" > '" + given.toLocal8Bit() + "'\n" + c.body + "\n");
                script.close();
                script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            }
            std::string reason;
            const bool opened = port.OpenFileInViewer(file.toStdString(), reason);
            const QString label = QString::fromLatin1(c.label) + QStringLiteral(": ");
            if (opened != c.opened) failures.push_back(label + QStringLiteral("opened %1").arg(opened));
            if (QString::fromStdString(reason) != c.reason) failures.push_back(label + QString::fromStdString(reason));
            if (c.body != nullptr && ReadAll(given) != file) failures.push_back(label + QStringLiteral("given ") + ReadAll(given));
        }
        qputenv("PATH", path);
        if (!browser.isNull()) qputenv("BROWSER", browser);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    }

    void linesAndPanelsReachTheWindow() {
        TMainPrg window;
        QtUiPort port(window);
        MessageLines lines{"a", "b", "", "", "", "<i>f</i>"};
        port.SetMessageLines(lines);
        port.SetStatusPanel(MessageArea::PanelTrees, "UPGMA");
        QCOMPARE(window.MessageLine(0), QStringLiteral("a"));
        QCOMPARE(window.MessageLine(5), QStringLiteral("<i>f</i>"));
        QCOMPARE(window.StatusPanel(MessageArea::PanelTrees), QStringLiteral("UPGMA"));
    }
};

QTEST_MAIN(QtUiPortTest)
#include "qt_ui_port_test.moc"
