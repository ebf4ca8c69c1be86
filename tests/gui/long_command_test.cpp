// A long command keeps the windows painted: what was to be repainted before it is painted while it
// runs, the status bar saying "Calculating"; a command asked for meanwhile starts only once it has
// returned.
#include <QAction>
#include <QPaintEvent>
#include <QPainter>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <chrono>

#include "foundation/keep_alive.h"
#include "foundation/scope_exit.h"
#include "gui/main_window.h"
#include "gui_test_util.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/settings.h"

namespace {

// Another window: it is painted only when the event loop gets to it, never by the main window's
// own repaints. Records the activity panel at every paint.
class PaintRecorder final : public QWidget {
public:
    explicit PaintRecorder(const TMainPrg& window) : window_(window) { resize(120, 80); }
    QStringList states;

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        states << window_.StatusPanel(MessageArea::PanelState);
        QPainter(this).fillRect(rect(), Qt::white);
    }

private:
    const TMainPrg& window_;
};

}  // namespace

class LongCommandTest : public QObject {
    Q_OBJECT

private slots:
    void aPCoAKeepsTheWindowsPaintedAndLetsNoCommandStart() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        UseOutputIn(dir);
        PCoAAutostart = 0;
        ShownMainWindow shown;
        TMainPrg& window = shown.window;
        LoadExample(window);
        QVERIFY(DataSet != nullptr);
        window.Action(QStringLiteral("StandardSimilarity1"))->trigger();

        PaintRecorder other(window);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QCoreApplication::processEvents();
        other.states.clear();

        // Every look at the clock lets the windows repaint, so that a short run shows it too.
        const std::chrono::nanoseconds interval = SetKeepAliveInterval(std::chrono::nanoseconds(0));
        const ScopeExit restore([interval] { SetKeepAliveInterval(interval); });
        other.update();
        // A command asked for from outside the menus while the PCoA runs (a desktop's global menu).
        QStringList commandStates;
        QMetaObject::invokeMethod(
            qApp, [&] { RunCommand([&] { commandStates << window.StatusPanel(MessageArea::PanelState); }); },
            Qt::QueuedConnection);
        window.Action(QStringLiteral("PrincipalCoordinateAnalysis1"))->trigger();
        QVERIFY(AnyLineIs(window, QStringLiteral("Performing PCoA...done.")));
        QVERIFY(!other.states.isEmpty());
        QCOMPARE(other.states.front(), QStringLiteral("Calculating"));
        QVERIFY(commandStates.isEmpty());

        QCoreApplication::processEvents();  // back in the event loop
        QCOMPARE(commandStates, QStringList{QStringLiteral("Idle")});
    }
};

QTEST_MAIN(LongCommandTest)
#include "long_command_test.moc"
