#include "gui/command_box.h"

#include <QBoxLayout>
#include <QPushButton>

#include <string>

#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "shell/command_interpreter.h"
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
    QWidget* area = window.centralWidget();
    auto* layout = area != nullptr ? qobject_cast<QBoxLayout*>(area->layout()) : nullptr;
    if (layout == nullptr) return;
    auto* row = new QHBoxLayout;
    row->addWidget(new TCommandBox(area), 1);
    struct Button {
        const char* name;
        const char* caption;
        void (*run)();  // none: the button does nothing
    };
    for (const Button& b :
         {Button{"MeasureBtn", "Measure", nullptr}, Button{"pwRdmBtn", "+pwR(dm)", [] { CustomAnalysisLeuShannon(); }},
          Button{"CoordDMBtn", "+Coord>DM", nullptr}, Button{"amovaBtn", "amova", CustomAnalysisAmova}}) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), area);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setAutoDefault(false);
        if (b.run != nullptr)
            QObject::connect(button, &QPushButton::clicked, &window, [run = b.run] { RunCommand(run); });
        row->addWidget(button);
    }
    layout->insertLayout(static_cast<int>(MessageArea::kLineCount), row);
}
