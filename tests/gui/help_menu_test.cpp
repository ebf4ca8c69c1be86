// The Help menu and the R items of the View menu, through the real window and port; the web check
// against a local HTTP server (never the internet).
#include <QAction>
#include <QClipboard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <memory>

#include "gui/main_window.h"
#include "gui/qt_ui_port.h"
#include "gui/qt_url_fetcher.h"
#include "gui_test_util.h"
#include "shell/help_commands.h"
#include "shell/program_identity.h"
#include "shell/settings.h"
#include "shell/url_fetcher.h"
#include "shell/version_check.h"

namespace {

struct MenuFixture {
    TMainPrg window;
    QtUiPort port{window};
    InstalledPort installed{port};

    MenuFixture() { RestoreDefaultSettings(); }
    ~MenuFixture() { RestoreDefaultSettings(); }
    void Trigger(const char* item) {
        QAction* action = window.Action(QString::fromLatin1(item));
        QVERIFY2(action != nullptr && action->isEnabled(), item);
        action->trigger();
    }
};

// How the local server answers one request.
enum class Serve { Whole, Silent, Trickle };

// A local HTTP server answering every request with one fixed response.
class LocalServer {
public:
    LocalServer(QByteArray response, Serve serve) : response_(std::move(response)), serve_(serve) {
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) Answer(socket);
        });
        QVERIFY(server_.listen(QHostAddress::LocalHost));
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + "/version.txt"; }

private:
    void Answer(QTcpSocket* socket) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        if (serve_ == Serve::Silent) return;
        if (serve_ == Serve::Whole) {
            // Answer once the request has arrived.
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                socket->readAll();
                socket->write(response_);
                socket->disconnectFromHost();
            });
            return;
        }
        // The head at once, then the body a byte at a time: never stalled, never complete in time.
        const qsizetype head = response_.indexOf("\r\n\r\n") + 4;
        socket->write(response_.left(head));
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(head);
        QObject::connect(timer, &QTimer::timeout, socket, [this, socket, sent] {
            if (*sent < response_.size()) socket->write(response_.mid((*sent)++, 1));
        });
        timer->start(40);
    }

    QTcpServer server_;
    QByteArray response_;
    Serve serve_;
};

QByteArray Http(const QByteArray& status, const QByteArray& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace

class HelpMenuTest : public QObject {
    Q_OBJECT

private slots:
    void aboutVersionAndCitationBoxes() {
        MenuFixture menu;
        QString text, caption;
        AnswerNextMessageBox(QMessageBox::Ok, &text, &caption);
        menu.Trigger("About1");
        QCOMPARE(caption, QStringLiteral("About this program"));
        QVERIFY(text.contains(QStringLiteral("2003-2013")));

        AnswerNextMessageBox(QMessageBox::Ok, &text, &caption);
        menu.Trigger("Version1");
        QCOMPARE(caption, QStringLiteral("TESK Version"));
        QVERIFY(text.contains(QString::fromStdString("Version " + ProgramVersion)));

        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        AnswerNextMessageBox(QMessageBox::No, &text, &caption);
        menu.Trigger("Citation1");
        QCOMPARE(caption, QStringLiteral("Citation"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        AnswerNextMessageBox(QMessageBox::Yes);
        menu.Trigger("Citation1");
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(CitationText));
    }

    void missingFilesAreReported() {
        MenuFixture menu;
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString();
        struct Case {
            const char* item;
            std::function<void()> arrange;
            QString expected;
        };
        const std::vector<Case> cases = {
            {"HelpFile1", [&] { HelpFileName = folder + "/none.pdf"; },
             QString::fromStdString("Help file (" + folder + "/none.pdf) not found.")},
            {"LastRPlot1", [&] { RPlotFileName = folder + "/none.pdf"; },
             QString::fromStdString("No file to view: " + folder + "/none.pdf")},
            {"PlotwithRandView1", [&] { RscriptPath = folder + "/Rscript"; },
             QString::fromStdString("R script interpreter " + folder +
                                    "/Rscript cannot be run: it is missing or not executable")},
        };
        for (const Case& c : cases) {
            c.arrange();
            QString text, caption;
            AnswerNextMessageBox(QMessageBox::Ok, &text, &caption);
            menu.Trigger(c.item);
            QCOMPARE(caption, QStringLiteral("Error"));
            QCOMPARE(text, c.expected);
        }
    }

    void webCheckAgainstALocalServer() {
        MenuFixture menu;
        const std::string previousUrl = VersionCheckUrl;
        SetUrlFetcher(FetchUrlWithQt);
        struct Case {
            const char* label;
            QByteArray response;
            QString caption;
            QString contains;
        };
        const std::vector<Case> cases = {
            {"newer", Http("200 OK", "9.00\r\nPlease update\r\n"), QStringLiteral("Most recent TESK Version"),
             QStringLiteral("NEWER")},
            {"same", Http("200 OK", QByteArray::fromStdString(ProgramVersion) + "\n"),
             QStringLiteral("Most recent TESK Version"), QStringLiteral("TESK is up to date.")},
            {"malformed", Http("200 OK", "<html>oops</html>"), QStringLiteral("Most recent TESK Version"),
             QStringLiteral("Cannot retrieve/parse version information from the web")},
            {"missing", Http("404 Not Found", "no such file"), QStringLiteral("Error"),
             QStringLiteral("Retrieving information from the web failed")},
        };
        for (const Case& c : cases) {
            LocalServer server(c.response, Serve::Whole);
            VersionCheckUrl = server.Url();
            QString text, caption;
            AnswerNextMessageBox(QMessageBox::Ok, &text, &caption);
            menu.Trigger("Checkfornewversion1");
            QVERIFY2(caption == c.caption, c.label);
            QVERIFY2(text.contains(c.contains), qPrintable(QString::fromLatin1(c.label) + ": " + text));
        }
        QVERIFY(menu.window.MessageLine(0).contains(QStringLiteral("Checking newest TESK version")) ||
                menu.window.MessageLine(5).contains(QStringLiteral("Checking newest TESK version")));
        VersionCheckUrl = previousUrl;
        SetUrlFetcher({});
    }

    void fetcherKeepsItsLimits() {
        using namespace std::chrono_literals;
        UrlFetchLimits limits;
        limits.stall = 300ms;
        limits.total = 1500ms;
        limits.maxBytes = 100;
        struct Case {
            const char* label;
            QByteArray response;
            Serve serve;
            bool ok;
            std::string contains;
        };
        const std::vector<Case> cases = {
            {"whole", Http("200 OK", "1.31\r\n"), Serve::Whole, true, "1.31\r\n"},
            {"too large", Http("200 OK", QByteArray(200, '1')), Serve::Whole, false, "is too large"},
            {"silent", {}, Serve::Silent, false, "within 0.3 s"},
            {"trickling", Http("200 OK", QByteArray(60, '1')), Serve::Trickle, false, "not complete within 1.5 s"},
        };
        for (const Case& c : cases) {
            LocalServer server(c.response, c.serve);
            const auto start = std::chrono::steady_clock::now();
            const UrlFetchResult result = FetchUrlWithQt(server.Url(), limits);
            QVERIFY2(std::chrono::steady_clock::now() - start < 10s, c.label);
            QVERIFY2(result.ok == c.ok, c.label);
            QVERIFY2((result.ok ? result.text : result.error).find(c.contains) != std::string::npos,
                     qPrintable(QString::fromLatin1(c.label) + ": " + QString::fromStdString(result.error)));
        }
        QVERIFY(!FetchUrlWithQt("file:///etc/passwd", limits).ok);
        QVERIFY(!FetchUrlWithQt("http://127.0.0.1:1/version.txt", limits).ok);  // nobody listens
    }
};

QTEST_MAIN(HelpMenuTest)
#include "help_menu_test.moc"
