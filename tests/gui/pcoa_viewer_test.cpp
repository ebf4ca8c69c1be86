// The 3-D viewer: opened by a PCoA of the example, and every way a user changes what it shows.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <string>
#include <vector>

#include "gui/colour_dialog.h"
#include "gui/file_dialogs.h"
#include "gui/main_window.h"
#include "gui/pcoa_viewer.h"
#include "gui/qt_canvas.h"
#include "gui/qt_ui_port.h"
#include "gui/query_box.h"
#include "gui_test_util.h"
#include "plot3d/coordinate_file.h"
#include "shell/analysis_commands.h"
#include "shell/data_commands.h"
#include "shell/global_dataset.h"
#include "shell/settings.h"
#include "trees/dist_analysis.h"

namespace {

// Four points in two groups, four coordinate columns.
const AString kNames{"A1", "A2", "B1", "B2"};
const AAExt kCoords{
    {0.3L, 0.1L, 0.0L, 0.5L}, {0.2L, -0.3L, 0.1L, -0.5L}, {-0.3L, 0.2L, -0.2L, 0.25L}, {-0.2L, -0.1L, 0.3L, -0.25L}};
const AExt kPercents{41.5L, 30.25L, 20.0L, 8.25L};

TFilterArray Groups() {
    TFilterArray groups(3);
    groups[0].Name = "AllData";
    groups[0].Members = kNames;
    groups[1].Name = "AllData/A";
    groups[1].Members = {"A1", "A2"};
    groups[2].Name = "AllData/B";
    groups[2].Members = {"B1", "B2"};
    return groups;
}

template <class T>
T* Child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

ScreenPoint ScreenOf(const TTeskPlot& viewer, std::size_t point) {
    for (const HitRec& hit : viewer.Plot()->HitList)
        if (hit.Index == point) return {hit.X, hit.Y};
    return {-1, -1};
}

QPoint At(ScreenPoint p) { return QPoint(p.X, p.Y); }

}  // namespace

class PCoAViewerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    // A viewer on show with the four points loaded.
    void Load(TTeskPlot& viewer, const TFilterArray& groups = Groups()) {
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.LoadPCoA(kNames, groups, kCoords, kPercents, 0, true);
        QVERIFY(viewer.Plot() != nullptr);
    }

    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

private slots:
    void init() {
        RestoreDefaultSettings();
        SetFileDialogAnswer(nullptr);
        SetColourDialogAnswer(nullptr);
    }
    void cleanup() {
        SetFileDialogAnswer(nullptr);
        SetColourDialogAnswer(nullptr);
        FreeDataSet();
        RestoreDefaultSettings();
    }

    void pcoaOfTheExampleOpensTheViewer() {
        AnalysisFileName = Path("analysis.txt").toStdString();
        OverwriteMode = 1;
        TMainPrg window;
        QtUiPort port(window);
        InstalledPort installed(port);
        window.show();
        CmdLoadInputFile(TESK_SOURCE_DIR "/examples/fingerprints.txt");
        window.Action(QStringLiteral("StandardSimilarity1"))->trigger();

        std::size_t shown = 0;
        QStringList groupItems;
        QString xAxis;
        int columns = 0;
        std::vector<PlotColour> colours;
        OnNextModal<TTeskPlot>([&](TTeskPlot* viewer) {
            shown = viewer->Points().size();
            auto* groups = Child<QComboBox>(viewer, "GroupCombo");
            for (int i = 0; i < groups->count(); ++i) groupItems << groups->itemText(i);
            xAxis = Child<QComboBox>(viewer, "XAxisCombo")->currentText();
            columns = Child<QComboBox>(viewer, "ZAxisCombo")->count();
            const QString shots = qEnvironmentVariable("TESK_SCREENSHOT_DIR");
            if (!shots.isEmpty()) viewer->grab().save(shots + QStringLiteral("/pcoa_viewer_example.png"));
            // Group colours: North red, South blue.
            groups->setCurrentIndex(1);
            emit groups->activated(1);
            SetColourDialogAnswer([](PlotColour) { return std::optional<PlotColour>(0x0000FF); });
            Child<QPushButton>(viewer, "ColourPanel")->click();
            groups->setCurrentIndex(4);
            emit groups->activated(4);
            SetColourDialogAnswer([](PlotColour) { return std::optional<PlotColour>(0xFF0000); });
            Child<QPushButton>(viewer, "ColourPanel")->click();
            for (const t3dsymbol& p : viewer->Points()) colours.push_back(p.Colour);
            if (!shots.isEmpty()) {
                viewer->grab().save(shots + QStringLiteral("/pcoa_viewer_groups.png"));
                for (const char* item : {"ShowNegXY1", "ShowNegXZ1", "ShowNegYZ1", "ShowXY1"})
                    Child<QAction>(viewer->PopupMenu(), item)->trigger();
                Child<QCheckBox>(viewer, "YOrdination")->click();
                Child<QRadioButton>(viewer, "ReferenceMin")->click();
                auto* zoom = Child<QLineEdit>(viewer, "ZoomEdit");
                zoom->setText(QStringLiteral("100"));
                QTest::keyClick(zoom, Qt::Key_Return);
                viewer->grab().save(shots + QStringLiteral("/pcoa_viewer_planes.png"));
            }
            viewer->close();
        });
        window.Action(QStringLiteral("PrincipalCoordinateAnalysis1"))->trigger();
        QCOMPARE(window.MessageLine(2), QStringLiteral("Performing PCoA...done. Starting PCoA Viewer."));
        QCOMPARE(shown, std::size_t{40});
        QCOMPARE(groupItems, (QStringList{"AllData", "AllData/North", "AllData/North/N1", "AllData/North/N2",
                                          "AllData/South", "AllData/South/S1", "AllData/South/S2"}));
        QVERIFY(xAxis.startsWith(QStringLiteral("Co. 1 (")) && xAxis.endsWith(QStringLiteral("%)")));
        QCOMPARE(columns, static_cast<int>(DataSet->GetCurrLayer().Analysis->EigenPercents.size()));
        QCOMPARE(colours.size(), std::size_t{40});
        for (std::size_t i = 0; i < 40; ++i) QCOMPARE(colours[i], PlotColour(i < 20 ? 0x0000FF : 0xFF0000));
    }

    void theViewMenuOpensItEmpty() {
        TMainPrg window;
        QtUiPort port(window);
        InstalledPort installed(port);
        window.PCoAViewer().LoadPCoA(kNames, Groups(), kCoords, kPercents, 0, true);
        bool empty = false;
        bool choosers = true;
        OnNextModal<TTeskPlot>([&](TTeskPlot* viewer) {
            empty = viewer->Points().empty() && viewer->Plot() == nullptr && viewer->Coordinates().empty();
            choosers = Child<QComboBox>(viewer, "XAxisCombo")->isEnabled();
            viewer->close();
        });
        window.Action(QStringLiteral("PCoA3DViewer1"))->trigger();
        QVERIFY(empty);
        QVERIFY(!choosers);
        QString last;
        for (std::size_t i = 0; i < MessageArea::kLineCount; ++i)
            if (!window.MessageLine(i).isEmpty()) last = window.MessageLine(i);
        QCOMPARE(last, QStringLiteral("Starting 3D coordinate viewer"));
    }

    void loadingGuardsItsInput() {
        RecordingPort port;
        TTeskPlot viewer;
        viewer.LoadPCoA({}, {}, kCoords, kPercents, 0, true);
        viewer.LoadPCoA(kNames, {}, kCoords, kPercents, 4, false);  // only trailing rows
        viewer.LoadPCoA(kNames, {}, AAExt(kCoords.begin(), kCoords.begin() + 2), kPercents, 0, true);
        viewer.LoadPCoA(kNames, {}, AAExt(4, AExt{1.0L, 2.0L}), kPercents, 0, true);
        QCOMPARE(port.boxes, (std::vector<std::string>{"Error: PCoA View Error: no OTU names",
                                                       "Error: PCoA View Error: no OTU names",
                                                       "Error: PCoA View Error: more OTU names than coordinate rows",
                                                       "Error: PCoA View Error: less than 3 dimensions"}));
        QVERIFY(viewer.Points().empty());
        // Centroid rows at the end are left out unless asked for.
        viewer.LoadPCoA(kNames, {}, kCoords, kPercents, 1, false);
        QCOMPARE(viewer.Points().size(), std::size_t{3});
        viewer.LoadPCoA(kNames, {}, kCoords, kPercents, 1, true);
        QCOMPARE(viewer.Points().size(), std::size_t{4});
        const t3dsymbol& p = viewer.Points()[3];
        QCOMPARE(p.Label, std::string("B2"));
        QCOMPARE(p.X, -0.2f);
        QCOMPARE(p.Z, 0.3f);
        QCOMPARE(p.Shape, std::uint16_t{kShapeCircle});
        QCOMPARE(p.Size, std::uint16_t{3});
        QCOMPARE(p.ShowLabel, true);
        QCOMPARE(Child<QComboBox>(&viewer, "YAxisCombo")->currentText(), QStringLiteral("Co. 2 (30.25%)"));
        QCOMPARE(Child<QComboBox>(&viewer, "YAxisCombo")->itemText(3), QStringLiteral("Co. 4 (8.25%)"));
    }

    void buttonsEditsMouseAndWheelChangeTheView() {
        RecordingPort port;
        TTeskPlot viewer;
        Load(viewer);
        tplot3d& plot = *viewer.Plot();
        auto* rotX = Child<QLineEdit>(&viewer, "RotXEdit");
        QCOMPARE(rotX->text(), QStringLiteral("30.000"));
        QCOMPARE(Child<QLineEdit>(&viewer, "ZoomEdit")->text(), QStringLiteral("50.000"));

        const QImage before = viewer.Picture().copy();
        Child<QPushButton>(&viewer, "RotYUp")->click();
        QVERIFY(viewer.Picture() != before);
        QCOMPARE(Child<QLineEdit>(&viewer, "RotYEdit")->text(),
                 QString::number((30.0 * 3.14159265358979 / 180 + 0.025) * 180 / 3.14159265358979, 'f', 3));
        Child<QPushButton>(&viewer, "ZoomUp")->click();
        QCOMPARE(plot.Zoom, 55.0f);

        rotX->setText(QStringLiteral("1e12"));
        QTest::keyClick(rotX, Qt::Key_Return);  // wraps at once
        QVERIFY(std::fabs(plot.RotX) <= 6.2831855f);
        for (const char* bad : {"abc", "nan", "1e400"}) {
            rotX->setText(QString::fromLatin1(bad));
            QTest::keyClick(rotX, Qt::Key_Return);
        }
        auto* zoom = Child<QLineEdit>(&viewer, "ZoomEdit");
        zoom->setText(QStringLiteral("1e39"));
        QTest::keyClick(zoom, Qt::Key_Return);
        QCOMPARE(port.boxes, std::vector<std::string>(4, "Error: Entered value is not a number!"));
        QCOMPARE(plot.Zoom, 55.0f);
        zoom->setText(QStringLiteral(" 20 "));
        QTest::keyClick(zoom, Qt::Key_Return);
        QCOMPARE(plot.Zoom, 20.0f);

        // A left drag rotates by half a degree per pixel.
        plot.SetRotation(0, 0, 0);
        TPlotImage* image = Child<TPlotImage>(&viewer, "Image1");
        QTest::mousePress(image, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QTest::mouseRelease(image, Qt::LeftButton, Qt::NoModifier, QPoint(110, 96));
        QVERIFY(std::fabs(plot.RotX - (-5.0f * 3.14159265f / 180)) < 1e-6f);
        QVERIFY(std::fabs(plot.RotY - (2.0f * 3.14159265f / 180)) < 1e-6f);
        QCOMPARE(rotX->text(), QStringLiteral("-5.000"));
        // With Shift it zooms: a fifth per pixel, never down to nothing or mirrored.
        QTest::mousePress(image, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));
        QTest::mouseRelease(image, Qt::LeftButton, Qt::ShiftModifier, QPoint(105, 100));
        QVERIFY(std::fabs(plot.Zoom - 20.0f * std::pow(0.8f, 5.0f)) < 1e-4f);
        QTest::mousePress(image, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));
        QTest::mouseRelease(image, Qt::LeftButton, Qt::ShiftModifier, QPoint(99, 100));
        QVERIFY(std::fabs(plot.Zoom - 20.0f * std::pow(0.8f, 5.0f) * 1.2f) < 1e-4f);
        QTest::mousePress(image, Qt::LeftButton, Qt::ShiftModifier, QPoint(0, 100));
        QTest::mouseRelease(image, Qt::LeftButton, Qt::ShiftModifier, QPoint(900, 100));
        QVERIFY(plot.Zoom > 0.0f);
        // The wheel zooms like the buttons.
        plot.SetZoom(10);
        QWheelEvent up(QPointF(50, 50), image->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 240), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(image, &up);
        QVERIFY(std::fabs(plot.Zoom - 12.1f) < 1e-4f);
    }

    void symbolSizeLabelsAndOrdinationLines() {
        TTeskPlot viewer;
        Load(viewer);
        tplot3d& plot = *viewer.Plot();
        Child<QPushButton>(&viewer, "SizeUp")->click();
        QCOMPARE(viewer.Points()[0].Size, std::uint16_t{4});
        QCOMPARE(plot.HitRadius, std::uint16_t{4});
        for (int i = 0; i < 6; ++i) Child<QPushButton>(&viewer, "SizeDown")->click();
        QCOMPARE(viewer.PlotSymbolSize, std::uint8_t{0});

        Child<QCheckBox>(&viewer, "ShowLabels")->click();
        for (const t3dsymbol& p : viewer.Points()) QCOMPARE(p.ShowLabel, false);

        Child<QCheckBox>(&viewer, "YOrdination")->click();
        QCOMPARE(viewer.PlotYLines, true);
        QCOMPARE(plot.ShowYLines, true);
        QCOMPARE(plot.YLineStart, std::size_t{4 + 27});
        Child<QRadioButton>(&viewer, "ReferenceMax")->click();
        QCOMPARE(viewer.PlotLineReference, std::uint8_t{kRefHigh});
        QCOMPARE(DecodeRefs(viewer.Points()[2].Refs).Y, std::uint8_t{kRefHigh});
        // The line ends on the box's high Y bound: the largest Y plus a tenth of it.
        QCOMPARE(plot.VY[plot.YLineStart], 0.2f + 0.1f * 0.2f);
    }

    void columnsChooseTheAxes() {
        TTeskPlot viewer;
        Load(viewer);
        auto* z = Child<QComboBox>(&viewer, "ZAxisCombo");
        z->setCurrentIndex(3);
        emit z->activated(3);
        QCOMPARE(viewer.ViewColumns()[2], std::size_t{3});
        QCOMPARE(viewer.Points()[0].Z, 0.5f);
        QCOMPARE(viewer.Points()[3].Z, -0.25f);
        QCOMPARE(viewer.Points()[3].X, -0.2f);
    }

    void coloursAndShapesByGroup() {
        TTeskPlot viewer;
        Load(viewer);
        auto* groups = Child<QComboBox>(&viewer, "GroupCombo");
        // With no group picked, the first one (all points) is the one coloured.
        QCOMPARE(groups->currentIndex(), 0);
        SetColourDialogAnswer([](PlotColour initial) {
            return initial == kPlotBlack ? std::optional<PlotColour>(0x00FF00) : std::nullopt;
        });
        Child<QPushButton>(&viewer, "ColourPanel")->click();
        for (const t3dsymbol& p : viewer.Points()) QCOMPARE(p.Colour, PlotColour(0x00FF00));

        groups->setCurrentIndex(2);
        emit groups->activated(2);
        SetColourDialogAnswer([](PlotColour) { return std::optional<PlotColour>(0x0000FF); });
        Child<QPushButton>(&viewer, "ColourPanel")->click();
        auto* shapes = Child<QComboBox>(&viewer, "ShapeCombo");
        shapes->setCurrentIndex(4);
        emit shapes->activated(4);  // "Triangle up"
        QCOMPARE(viewer.GroupAppearance()[2].Colour, PlotColour(0x0000FF));
        QCOMPARE(viewer.GroupAppearance()[2].Shape, std::uint8_t{kShapeTriangleUp});
        QCOMPARE(viewer.Points()[0].Colour, PlotColour(0x00FF00));
        QCOMPARE(viewer.Points()[2].Colour, PlotColour(0x0000FF));
        QCOMPARE(viewer.Points()[3].Shape, std::uint16_t{kShapeTriangleUp});
        QCOMPARE(viewer.Points()[1].Shape, std::uint16_t{kShapeCircle});
        // The symbol's centre shows its colour.
        const QPoint b1 = At(ScreenOf(viewer, 2));
        QCOMPARE(viewer.Picture().pixelColor(b1), QColor(255, 0, 0));
        // Choosing a group shows its colour and shape; a cancelled dialog changes nothing.
        groups->setCurrentIndex(0);
        emit groups->activated(0);
        QCOMPARE(shapes->currentText(), QStringLiteral("Circle"));
        SetColourDialogAnswer([](PlotColour) { return std::nullopt; });
        Child<QPushButton>(&viewer, "ColourPanel")->click();
        QCOMPARE(viewer.Points()[2].Colour, PlotColour(0x0000FF));

        // Without groups every point takes the colour.
        TTeskPlot ungrouped;
        Load(ungrouped, {});
        SetColourDialogAnswer([](PlotColour) { return std::optional<PlotColour>(0x123456); });
        Child<QPushButton>(&ungrouped, "ColourPanel")->click();
        for (const t3dsymbol& p : ungrouped.Points()) QCOMPARE(p.Colour, PlotColour(0x123456));
    }

    void aRightClickNamesThePointAndItsMenuActsOnIt() {
        TTeskPlot viewer;
        Load(viewer);
        TPlotImage* image = Child<TPlotImage>(&viewer, "Image1");
        QMenu* popup = viewer.PopupMenu();
        const QPoint a2 = At(ScreenOf(viewer, 1));
        QTest::mousePress(image, Qt::RightButton, Qt::NoModifier, a2);
        QTRY_VERIFY(popup->isVisible());
        QAction* edit = Child<QAction>(popup, "EditLabel1");
        QCOMPARE(edit->text(), QStringLiteral("&Edit label \"A2\""));
        QVERIFY(edit->isEnabled());
        QVERIFY(Child<QAction>(popup, "ShowLabel1")->isChecked());
        QCOMPARE(viewer.SelectedPoint(), std::size_t{1});
        popup->close();

        Child<QAction>(popup, "Symbol3")->trigger();  // Diamond
        QCOMPARE(viewer.Points()[1].Shape, std::uint16_t{kShapeDiamond});
        Child<QAction>(popup, "ShowLabel1")->trigger();
        QCOMPARE(viewer.Points()[1].ShowLabel, false);
        SetColourDialogAnswer([](PlotColour) { return std::optional<PlotColour>(0xABCDEF); });
        Child<QAction>(popup, "ChangeColour1")->trigger();
        QCOMPARE(viewer.Points()[1].Colour, PlotColour(0xABCDEF));
        OnNextModal<TQBox>([](TQBox* box) {
            box->Edit1->setText(QStringLiteral("renamed"));
            ClickButton(box, "OKBtn");
        });
        edit->trigger();
        QCOMPARE(viewer.Points()[1].Label, std::string("renamed"));
        OnNextModal<TQBox>([](TQBox* box) {
            box->Edit1->setText(QStringLiteral("9"));
            ClickButton(box, "OKBtn");
        });
        Child<QAction>(popup, "ChangeSize1")->trigger();
        QCOMPARE(viewer.Points()[1].Size, std::uint16_t{9});
        QCOMPARE(viewer.Plot()->HitRadius, std::uint16_t{9});

        // Planes, axes and the origin.
        Child<QAction>(popup, "ShowXY1")->trigger();
        Child<QAction>(popup, "ShowNegYZ1")->trigger();
        Child<QAction>(popup, "NegativeAxes1")->trigger();
        QCOMPARE(viewer.Plot()->ShowXY, true);
        QCOMPARE(viewer.Plot()->ShowNegYZ, true);
        QCOMPARE(viewer.Plot()->ShowNegativeAxes, false);
        QTest::mousePress(image, Qt::RightButton, Qt::NoModifier, QPoint(3, 4));
        QTRY_VERIFY(popup->isVisible());
        QCOMPARE(edit->text(), QStringLiteral("&Edit label"));
        QVERIFY(!edit->isEnabled());
        popup->close();
        Child<QAction>(popup, "MoveOriginHere1")->trigger();
        QCOMPARE(viewer.Plot()->OriginX, 3);
        QCOMPARE(viewer.Plot()->OriginY, 4);
        // A new set-up shows the planes and axes as they start again.
        viewer.Redraw();
        QVERIFY(!Child<QAction>(popup, "ShowXY1")->isChecked());
        QVERIFY(Child<QAction>(popup, "NegativeAxes1")->isChecked());
    }

    void exportThenImportGivesTheSamePoints() {
        RecordingPort port;
        TTeskPlot viewer;
        viewer.show();
        viewer.Button12Click();
        QCOMPARE(port.boxes, std::vector<std::string>{"Error: Nothing to export"});
        Load(viewer);
        viewer.Points()[0].Shape = 261;
        viewer.Points()[1].Colour = 0x00FFFF;
        viewer.Points()[2].Label = "with blank";
        const a3dsymbol exported = viewer.Points();
        const std::string file = Path("coords.txt").toStdString();
        SetFileDialogAnswer([&](const std::string&, const std::string&) { return file; });
        viewer.Button12Click();
        viewer.ImportCoordinates();
        QCOMPARE(port.boxes.size(), std::size_t{1});
        const a3dsymbol& back = viewer.Points();
        QCOMPARE(back.size(), exported.size());
        for (std::size_t i = 0; i < back.size(); ++i) {
            QVERIFY(std::fabs(back[i].X - exported[i].X) < 1e-5f);
            QVERIFY(std::fabs(back[i].Z - exported[i].Z) < 1e-5f);
            QCOMPARE(back[i].Shape, exported[i].Shape);
            QCOMPARE(back[i].Colour, exported[i].Colour);
        }
        QCOMPARE(back[2].Label, std::string("with_blank"));
        QCOMPARE(back[0].Size, std::uint16_t{2});
        // The PCoA's columns no longer belong to the points.
        QVERIFY(viewer.Coordinates().empty());
        auto* x = Child<QComboBox>(&viewer, "XAxisCombo");
        QVERIFY(!x->isEnabled());
        viewer.SetViewColumns();
        QVERIFY(std::fabs(back[0].X - 0.3f) < 1e-5f);

        // An unreadable file changes nothing; bad lines are reported.
        SetFileDialogAnswer([&](const std::string&, const std::string&) { return Path("missing.txt").toStdString(); });
        viewer.ImportCoordinates();
        QCOMPARE(viewer.Points().size(), std::size_t{4});
        QFile bad(Path("bad.txt"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("1 2\r\n1 x 3\r\n4 5 6 C 7 BLUE\r\n");
        bad.close();
        SetFileDialogAnswer([&](const std::string&, const std::string&) { return Path("bad.txt").toStdString(); });
        viewer.ImportCoordinates();
        QCOMPARE(viewer.Points().size(), std::size_t{3});
        QCOMPARE(viewer.Points()[2].Colour, PlotColour(0xFF0000));
        QCOMPARE(port.boxes, (std::vector<std::string>{"Error: Nothing to export", "Error: Line contains < 3 arguments",
                                                       "Error: Not a valid number: 1 x 3"}));
    }

    // The picture is written in the type chosen in the dialog; a name typed without an extension
    // gets that type's, and a name ending in one of the offered extensions is of that type.
    void picturesAreSavedInTheChosenType_data() {
        QTest::addColumn<bool>("metafile");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");
        const QByteArray bmp("BM");
        const QByteArray png("\x89PNG");
        const QByteArray svg("<?xml");
        QTest::newRow("Bitmap, plot") << false << 0 << "plot"
                                      << "plot.bmp" << bmp;
        QTest::newRow("Bitmap, plot.bmp") << false << 0 << "plot.bmp"
                                          << "plot.bmp" << bmp;
        QTest::newRow("PNG image, plot") << false << 1 << "plot"
                                         << "plot.png" << png;
        QTest::newRow("PNG image, plot.png") << false << 1 << "plot.png"
                                             << "plot.png" << png;
        QTest::newRow("PNG image, plot.BMP") << false << 1 << "plot.BMP"
                                             << "plot.BMP" << bmp;
        QTest::newRow("Bitmap, plot.png") << false << 0 << "plot.png"
                                          << "plot.png" << png;
        QTest::newRow("PNG image, run.2024") << false << 1 << "run.2024"
                                             << "run.2024" << png;
        QTest::newRow("SVG, plot") << true << 0 << "plot"
                                   << "plot.svg" << svg;
        QTest::newRow("SVG, plot.svg") << true << 0 << "plot.svg"
                                       << "plot.svg" << svg;
    }

    void picturesAreSavedInTheChosenType() {
        QFETCH(bool, metafile);
        QFETCH(int, type);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        TTeskPlot viewer;
        Load(viewer);
        Child<QRadioButton>(&viewer, metafile ? "MetafileFormat" : "BitmapFormat")->click();
        QTemporaryDir folder;
        SetFileDialogScript([&](const FileDialogRequest&) {
            return SaveChoice{folder.filePath(typed).toStdString(), std::size_t(type)};
        });
        viewer.Button9Click();
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{written});
        QFile file(folder.filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(start));
        if (!metafile) QCOMPARE(QImage(folder.filePath(written)).size(), viewer.Picture().size());
    }

    // In Qt's own dialog the extension added to a typed name follows the type the user picks.
    void theSaveDialogAddsTheChosenTypesExtension() {
        QTemporaryDir folder;
        constexpr const char* kFilter = "Bitmap (*.bmp)|*.bmp|PNG image (*.png)|*.png";
        for (const int type : {0, 1}) {
            QFileDialog dialog(nullptr, QString(), QString(), QtFileFilter(kFilter));
            dialog.setOption(QFileDialog::DontUseNativeDialog, true);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            FollowChosenType(dialog, kFilter);
            dialog.setDirectory(folder.path());
            dialog.show();
            auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QVERIFY(types != nullptr);
            types->setFocus();
            if (type == 1) QTest::keyClick(types, Qt::Key_Down);  // as the user picks it
            QCOMPARE(types->currentIndex(), type);
            dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("plot"));
            QVERIFY(QMetaObject::invokeMethod(&dialog, "accept"));
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            const QString expected = folder.filePath(type == 1 ? "plot.png" : "plot.bmp");
            QCOMPARE(dialog.selectedFiles(), QStringList{expected});  // so the overwrite question saw it
            const SaveChoice choice = TypedSaveChoice(dialog, kFilter);
            QCOMPARE(choice.Type, std::size_t(type));
            QCOMPARE(QString::fromStdString(choice.FileName), QDir::toNativeSeparators(expected));
        }
    }

    void picturesGoToFilesAndTheClipboard() {
        TTeskPlot viewer;
        Load(viewer);
        const QSize size = viewer.Picture().size();
        for (const char* name : {"plot.png", "plot.bmp"}) {
            SetFileDialogAnswer([&](const std::string&, const std::string&) { return Path(name).toStdString(); });
            viewer.Button9Click();
            const QImage saved(Path(name));
            QCOMPARE(saved.size(), size);
            QCOMPARE(saved.pixelColor(At(ScreenOf(viewer, 0))), QColor(Qt::black));
        }
        Child<QRadioButton>(&viewer, "MetafileFormat")->click();
        SetFileDialogAnswer([&](const std::string&, const std::string&) { return Path("plot.svg").toStdString(); });
        viewer.Button9Click();
        QSvgRenderer svg(Path("plot.svg"));
        QVERIFY(svg.isValid());
        QCOMPARE(svg.viewBox(), QRect(QPoint(0, 0), size));
        QFile svgFile(Path("plot.svg"));
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        QVERIFY(svgFile.readAll().contains("A1"));

        viewer.Button10Click();
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("image/svg+xml")));
        Child<QRadioButton>(&viewer, "BitmapFormat")->click();
        viewer.Button10Click();
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), size);

        // A file that cannot be written is reported.
        RecordingPort port;
        SetFileDialogAnswer(
            [&](const std::string&, const std::string&) { return Path("no/such/plot.bmp").toStdString(); });
        viewer.Button9Click();
        QCOMPARE(port.boxes.size(), std::size_t{1});
        QVERIFY(port.boxes[0].starts_with("Error: Could not write to file"));
    }
};

QTEST_MAIN(PCoAViewerTest)
#include "pcoa_viewer_test.moc"
