#pragma once
// The main window: the whole menu tree, the six-line message area and the five-panel status bar.
// Menu items do nothing until a command is connected to them (menu_commands.cpp); an item without
// a command stays disabled.

#include <QHash>
#include <QMainWindow>
#include <QStringList>

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/message_area.h"

class QAction;
class QLabel;
class QMenu;
class TCntDataImportForm;
class TFileParamDialog;
class TGrpManDlg;
class THinExpFilt;
class TTeskOptions;
class TTeskPlot;
class TpwicDlg;
class TtTstDlg;

class TMainPrg : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainPrg(QWidget* parent = nullptr);

    // The menu item or submenu with this object name (e.g. "Load1"), or nullptr.
    QAction* Action(const QString& objectName) const;
    // Runs handler when the item is triggered and enables the item. An exception from the handler
    // never reaches Qt: it is reported as an error and the status returns to "Idle".
    void ConnectCommand(const QString& objectName, std::function<void()> handler);

    // Rebuilds DataMatrix > "Select Group Only" and "Select LocusSet Only" from the data set: the
    // designed first items ("AllData", "AllLoci") stay, one item per further group or locus set
    // follows; an item selects the entry of its position.
    void UpdateMenuQuickGroupSel();

    // File > "Turn log on" reads "Turn log off" while logging is on.
    void SetLoggingCaption(bool loggingOn);

    void SetMessageLines(const std::array<std::string, MessageArea::kLineCount>& lines);
    // Sets one panel and repaints the window at once: a command holds the event loop, and its long
    // loops let the window repaint only now and then.
    void SetStatusPanel(std::size_t panel, std::string_view text);

    QString MessageLine(std::size_t index) const;
    QString StatusPanel(std::size_t panel) const;

    // The dialogs, made once with the window and reused.
    THinExpFilt& HinExpFilt() const { return *hinExpFilt_; }
    TCntDataImportForm& CntDataImportForm() const { return *cntDataImportForm_; }
    TtTstDlg& TTestDlg() const { return *tTestDlg_; }
    TFileParamDialog& FileParamDialog() const { return *fileParamDialog_; }
    TTeskPlot& PCoAViewer() const { return *pcoaViewer_; }
    TTeskOptions& OptionsDialog() const { return *teskOptions_; }
    TGrpManDlg& GroupManagerDialog() const { return *grpManDlg_; }
    TpwicDlg& PairwiseComparisonDialog() const { return *pwicDlg_; }

private:
    void BuildMenu();
    void BuildMessageArea();
    void BuildStatusBar();

    void RebuildQuickMenu(const QString& submenuName, std::vector<QAction*>& added, const QStringList& captions,
                          bool groups);

    QHash<QString, QAction*> actions_;
    std::vector<QAction*> quickGroupItems_;
    std::vector<QAction*> quickLocusSetItems_;
    std::array<QLabel*, MessageArea::kLineCount> lines_{};
    std::array<QLabel*, MessageArea::kPanelCount> panels_{};
    THinExpFilt* hinExpFilt_;
    TCntDataImportForm* cntDataImportForm_;
    TtTstDlg* tTestDlg_;
    TFileParamDialog* fileParamDialog_;
    TTeskPlot* pcoaViewer_;
    TTeskOptions* teskOptions_;
    TGrpManDlg* grpManDlg_;
    TpwicDlg* pwicDlg_;
};
