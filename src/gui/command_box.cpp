#include "gui/command_box.h"

#include <QAction>
#include <QBoxLayout>
#include <QMenu>
#include <QMenuBar>

#include <string>

#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "shell/command_box.h"
#include "shell/commands.h"
#include "shell/custom_analyses.h"
#include "shell/message_area.h"
#include "shell/program_identity.h"

TCommandBox::TCommandBox(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("Edit1"));
    connect(this, &QLineEdit::returnPressed, this, &TCommandBox::Execute);
}

void TCommandBox::Execute() {
    const std::string line = FromQt(text());
    WriteMsg(">" + line);
    clear();
    RunCommand([&line] { ExecuteCommandLine(line); });
}

void AddDeveloperTools(TMainPrg& window) {
    if (!DevMode) return;
    if (QWidget* area = window.centralWidget(); area != nullptr)
        if (auto* layout = qobject_cast<QBoxLayout*>(area->layout()))
            layout->insertWidget(static_cast<int>(MessageArea::kLineCount), new TCommandBox(area));

    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("DevMode"));
    menu->setObjectName(QStringLiteral("DevMode1"));
    QMenu* old = menu->addMenu(QStringLiteral("O&ptionsOLD"));
    old->addAction(QStringLiteral("Install/Uninstall E&xcel Plugin"))->setEnabled(false);
    for (const char* caption : {"AllDMs>Trees", "Coords>DM"})
        menu->addAction(QString::fromLatin1(caption))->setEnabled(false);
    QAction* leuShannon = menu->addAction(QStringLiteral("pwR(dm)"));
    QObject::connect(leuShannon, &QAction::triggered, &window, [] { RunCommand([] { CustomAnalysisLeuShannon(); }); });
    QAction* avgInd2Pop = menu->addAction(QStringLiteral("avgind2pop"));
    QObject::connect(avgInd2Pop, &QAction::triggered, &window, [] { RunCommand([] { CmdAvgInd2Pop(); }); });
    menu->addAction(QStringLiteral("Test THings..."))->setEnabled(false);
}
