#include "gui/pcoa_viewer.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "foundation/cpu_dispatch.h"
#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "foundation/strict_number.h"
#include "gui/colour_dialog.h"
#include "gui/file_dialogs.h"
#include "gui/qt_canvas.h"
#include "gui/qt_text.h"
#include "gui/query_box.h"
#include "plot3d/coordinate_file.h"
#include "shell/commands.h"
#include "shell/global_dataset.h"
#include "shell/reporting.h"

namespace {

constexpr Extended kPi = 3.14159265358979324L;
constexpr float kRotationStep = 0.025f;  // radians per button press
constexpr float kZoomIn = 1.1f;
constexpr float kZoomOut = 0.9f;
constexpr float kDragDegreesPerPixel = 0.5f;
constexpr float kDragZoomPerPixel = 0.2f;
constexpr PlotColour kInternalPlaneColour = 0xA0A0A0;
constexpr PlotColour kExternalPlaneColour = 0xD0D0D0;
constexpr const char* kCaption = "TESK Plot";
constexpr const char* kCoordinateFilter = "Text files (*.txt)|*.txt";
constexpr const char* kBitmapFilter = "Bitmap (*.bmp)|*.bmp|PNG image (*.png)|*.png";
constexpr std::array<const char*, 2> kBitmapFormats = {"BMP", "PNG"};  // by the filter's types
constexpr const char* kVectorFilter = "Scalable Vector Graphics (*.svg)|*.svg";
constexpr const char* kNotANumber = "Entered value is not a number!";

// The shapes offered by the shape combo and the popup menu, by their codes.
constexpr std::array<std::uint16_t, 14> kPopupShapes = {
    kShapeCircle,       kShapeSquare,      kShapeTriangleUp,  kShapeTriangleDown, kShapeTriangleRight,
    kShapeTriangleLeft, kShapeDiamond,     kShapePoint,       kShapeCrossUp,      kShapeCrossSide,
    kShapeEllipseUp,    kShapeEllipseSide, kShapeRectangleUp, kShapeRectangleSide};

// A zoom the projection can use: finite and not so small that it loses its precision.
bool UsableZoom(float zoom) { return std::isfinite(zoom) && std::fpclassify(zoom) == FP_NORMAL; }

QString PercentItem(std::size_t axis, Extended percent) {
    return ToQt("Co. " + UIntToStr(axis) + " (" + ExtToStrF(percent, 1, 2) + "%)");
}

// Writes a file the save dialog chose (it has asked about an existing one), reporting a failure
// as the commands do; writer returns 0 or the system's error code.
void RewriteFile(const std::string& name, const std::function<int()>& writer) {
    CommandRun run;
    run.Write(name, [&](bool /*append*/) { return writer(); }, CommandRun::Output::Append);
}

// A menu caption shows '&' itself only when doubled.
QString MenuText(const std::string& text) { return ToQt(text).replace(QLatin1Char('&'), QStringLiteral("&&")); }

}  // namespace

// ---- The picture ----

TPlotImage::TPlotImage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Image1"));
    setMinimumSize(200, 150);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPlotImage::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (Picture != nullptr && !Picture->isNull()) painter.drawImage(0, 0, *Picture);
}

void TPlotImage::mousePressEvent(QMouseEvent* event) {
    if (OnPress) OnPress(event);
}

void TPlotImage::mouseReleaseEvent(QMouseEvent* event) {
    if (OnRelease) OnRelease(event);
}

void TPlotImage::wheelEvent(QWheelEvent* event) {
    if (OnWheel) OnWheel(event);
}

void TPlotImage::resizeEvent(QResizeEvent* /*event*/) {
    if (OnResize) OnResize(size());
}

// ---- The window ----

TTeskPlot::TTeskPlot(QWidget* parent) : QDialog(parent), points_(std::make_shared<a3dsymbol>()) {
    setObjectName(QStringLiteral("TeskPlot"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setSizeGripEnabled(true);
    BuildControls();
    BuildPopupMenu();
    image1_->Picture = &image_;
    image1_->OnPress = [this](QMouseEvent* e) { ImagePressed(e); };
    image1_->OnRelease = [this](QMouseEvent* e) { ImageReleased(e); };
    image1_->OnWheel = [this](QWheelEvent* e) { ImageWheel(e); };
    image1_->OnResize = [this](QSize s) { ResizeImage(s); };
    resize(1040, 760);
    ResizeImage(image1_->size());
    InitPaint();
}

TTeskPlot::~TTeskPlot() = default;

void TTeskPlot::BuildControls() {
    image1_ = new TPlotImage(this);

    // Rotation and zoom: "<", an edit and ">" per row.
    auto* view = new QGroupBox(this);
    auto* viewGrid = new QGridLayout(view);
    const char* axisNames[] = {"X", "Y", "Z"};
    const auto stepRow = [&](int row, const QString& label, const QString& name, QLineEdit*& edit,
                             std::function<void()> down, std::function<void()> up) {
        auto* minus = new QPushButton(QStringLiteral("<"), view);
        auto* plus = new QPushButton(QStringLiteral(">"), view);
        minus->setObjectName(name + QStringLiteral("Down"));
        plus->setObjectName(name + QStringLiteral("Up"));
        for (QPushButton* b : {minus, plus}) {
            b->setFixedWidth(28);
            b->setAutoDefault(false);
        }
        edit = new QLineEdit(view);
        edit->setObjectName(name + QStringLiteral("Edit"));
        edit->setFixedWidth(80);
        edit->setAlignment(Qt::AlignRight);
        connect(minus, &QPushButton::clicked, this, std::move(down));
        connect(plus, &QPushButton::clicked, this, std::move(up));
        viewGrid->addWidget(new QLabel(label, view), row, 0);
        viewGrid->addWidget(minus, row, 1);
        viewGrid->addWidget(edit, row, 2);
        viewGrid->addWidget(plus, row, 3);
    };
    for (int axis = 0; axis < 3; ++axis) {
        const QString name = QStringLiteral("Rot") + QLatin1String(axisNames[axis]);
        stepRow(
            axis, QLatin1String(axisNames[axis]) + QStringLiteral(" rotation"), name,
            rotationEdits_[static_cast<std::size_t>(axis)], [this, axis] { RotateBy(axis, -kRotationStep); },
            [this, axis] { RotateBy(axis, kRotationStep); });
        connect(rotationEdits_[static_cast<std::size_t>(axis)], &QLineEdit::returnPressed, this,
                [this, axis] { RotationEntered(axis); });
    }
    stepRow(
        3, QStringLiteral("Zoom"), QStringLiteral("Zoom"), zoomEdit_, [this] { ZoomBy(kZoomOut); },
        [this] { ZoomBy(kZoomIn); });
    connect(zoomEdit_, &QLineEdit::returnPressed, this, &TTeskPlot::ZoomEntered);

    // Which coordinate column each axis shows, and the symbol size.
    auto* axes = new QGroupBox(this);
    auto* axesGrid = new QGridLayout(axes);
    for (int axis = 0; axis < 3; ++axis) {
        auto* combo = new QComboBox(axes);
        combo->setObjectName(QLatin1String(axisNames[axis]) + QStringLiteral("AxisCombo"));
        combo->setMinimumContentsLength(11);
        combo->setEnabled(false);
        connect(combo, &QComboBox::activated, this, [this, axis](int index) { ColumnChosen(axis, index); });
        columnCombos_[static_cast<std::size_t>(axis)] = combo;
        axesGrid->addWidget(new QLabel(QLatin1String(axisNames[axis]) + QStringLiteral(" axis"), axes), axis, 0);
        axesGrid->addWidget(combo, axis, 1, 1, 2);
    }
    auto* sizeDown = new QPushButton(QStringLiteral("-"), axes);
    auto* sizeUp = new QPushButton(QStringLiteral("+"), axes);
    sizeDown->setObjectName(QStringLiteral("SizeDown"));
    sizeUp->setObjectName(QStringLiteral("SizeUp"));
    for (QPushButton* b : {sizeDown, sizeUp}) b->setAutoDefault(false);
    connect(sizeDown, &QPushButton::clicked, this, [this] { SymbolSizeBy(-1); });
    connect(sizeUp, &QPushButton::clicked, this, [this] { SymbolSizeBy(1); });
    axesGrid->addWidget(new QLabel(QStringLiteral("Symbol size"), axes), 3, 0);
    axesGrid->addWidget(sizeDown, 3, 1);
    axesGrid->addWidget(sizeUp, 3, 2);

    // Ordination lines and labels.
    auto* lines = new QGroupBox(this);
    auto* linesLayout = new QGridLayout(lines);
    for (int axis = 0; axis < 3; ++axis) {
        auto* check = new QCheckBox(QLatin1String(axisNames[axis]) + QStringLiteral(" ordination"), lines);
        check->setObjectName(QLatin1String(axisNames[axis]) + QStringLiteral("Ordination"));
        connect(check, &QCheckBox::clicked, this, [this, axis](bool checked) { OrdinationClicked(axis, checked); });
        ordinationChecks_[static_cast<std::size_t>(axis)] = check;
        linesLayout->addWidget(check, axis, 0);
    }
    showLabels_ = new QCheckBox(QStringLiteral("Show labels"), lines);
    showLabels_->setObjectName(QStringLiteral("ShowLabels"));
    showLabels_->setChecked(true);
    connect(showLabels_, &QCheckBox::clicked, this, [this](bool checked) {
        if (!plot_) return;
        plot_->ShowLabels(checked);
        NewPlot();
    });
    linesLayout->addWidget(showLabels_, 3, 0);
    auto* reference = new QGroupBox(QStringLiteral("... to ..."), lines);
    reference->setObjectName(QStringLiteral("LineReference"));
    auto* referenceLayout = new QVBoxLayout(reference);
    referenceGroup_ = new QButtonGroup(this);
    const char* referenceNames[] = {"Zero", "Min", "Max"};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(QLatin1String(referenceNames[i]), reference);
        radio->setObjectName(QStringLiteral("Reference") + QLatin1String(referenceNames[i]));
        radio->setChecked(i == 0);
        referenceGroup_->addButton(radio, i);
        referenceLayout->addWidget(radio);
    }
    connect(referenceGroup_, &QButtonGroup::idClicked, this, &TTeskPlot::ReferenceClicked);
    linesLayout->addWidget(reference, 0, 1, 4, 1);

    // Colour and shape per group.
    auto* appearance = new QGroupBox(QStringLiteral("Group appearance"), this);
    appearance->setObjectName(QStringLiteral("GroupAppearance"));
    auto* appearanceGrid = new QGridLayout(appearance);
    groupCombo_ = new QComboBox(appearance);
    groupCombo_->setObjectName(QStringLiteral("GroupCombo"));
    groupCombo_->setPlaceholderText(QStringLiteral("AllData"));
    groupCombo_->setMinimumContentsLength(14);
    connect(groupCombo_, &QComboBox::activated, this, &TTeskPlot::GroupChosen);
    colourPanel_ = new QPushButton(appearance);
    colourPanel_->setObjectName(QStringLiteral("ColourPanel"));
    colourPanel_->setFixedSize(48, 22);
    colourPanel_->setAutoDefault(false);
    connect(colourPanel_, &QPushButton::clicked, this, &TTeskPlot::ColourPanelClick);
    shapeCombo_ = new QComboBox(appearance);
    shapeCombo_->setObjectName(QStringLiteral("ShapeCombo"));
    shapeCombo_->setPlaceholderText(QStringLiteral("unknown"));
    for (std::size_t code = kShapeCircle; code < kShapeCount; ++code)
        shapeCombo_->addItem(QLatin1String(kShapeNames[code]));
    shapeCombo_->setCurrentIndex(0);
    connect(shapeCombo_, &QComboBox::activated, this, &TTeskPlot::ShapeChosen);
    appearanceGrid->addWidget(groupCombo_, 0, 0, 1, 2);
    appearanceGrid->addWidget(new QLabel(QStringLiteral("Colour"), appearance), 1, 0);
    appearanceGrid->addWidget(colourPanel_, 1, 1, Qt::AlignLeft);
    appearanceGrid->addWidget(new QLabel(QStringLiteral("Symbol"), appearance), 2, 0);
    appearanceGrid->addWidget(shapeCombo_, 2, 1);
    ShowPanelColour(kPlotBlack);

    // Coordinates in and out, the picture out.
    auto* files = new QGroupBox(this);
    auto* filesGrid = new QGridLayout(files);
    const auto button = [&](const char* name, const char* caption, void (TTeskPlot::*handler)()) {
        auto* b = new QPushButton(QLatin1String(caption), files);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    filesGrid->addWidget(button("ImportButton", "Import coordinates", &TTeskPlot::ImportCoordinates), 0, 0);
    filesGrid->addWidget(button("Button12", "Export coordinates", &TTeskPlot::Button12Click), 1, 0);
    filesGrid->addWidget(button("Button9", "Save to file", &TTeskPlot::Button9Click), 2, 0);
    filesGrid->addWidget(button("Button10", "Copy to clipboard", &TTeskPlot::Button10Click), 3, 0);
    auto* format = new QGroupBox(QStringLiteral("Graphic format"), files);
    format->setObjectName(QStringLiteral("GraphicFormat"));
    auto* formatLayout = new QVBoxLayout(format);
    bitmapFormat_ = new QRadioButton(QStringLiteral("Bitmap"), format);
    bitmapFormat_->setObjectName(QStringLiteral("BitmapFormat"));
    bitmapFormat_->setChecked(true);
    bitmapFormat_->setToolTip(QStringLiteral("BMP or PNG picture of the window"));
    metafileFormat_ = new QRadioButton(QStringLiteral("Metafile"), format);
    metafileFormat_->setObjectName(QStringLiteral("MetafileFormat"));
    metafileFormat_->setToolTip(QStringLiteral("SVG vector picture"));
    formatLayout->addWidget(bitmapFormat_);
    formatLayout->addWidget(metafileFormat_);
    filesGrid->addWidget(format, 0, 1, 4, 1);

    auto* panel = new QHBoxLayout;
    // One row of equally tall boxes under the picture.
    for (QGroupBox* box : {view, axes, lines, appearance, files}) {
        box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        panel->addWidget(box);
    }
    panel->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(image1_, 1);
    layout->addLayout(panel);
}

QAction* TTeskPlot::AddPopupItem(QMenu* menu, const char* name, const char* caption, std::function<void()> action,
                                 bool checkable, bool checked) {
    QAction* item = menu->addAction(QString::fromLatin1(caption));
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(checkable);
    item->setChecked(checked);
    connect(item, &QAction::triggered, this, [action = std::move(action)] { action(); });
    return item;
}

void TTeskPlot::BuildPopupMenu() {
    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu1"));
    pointItems_[0] = AddPopupItem(popup_, "EditLabel1", "&Edit label", [this] { EditLabel(); });
    pointItems_[1] = AddPopupItem(
        popup_, "ShowLabel1", "Show label",
        [this] {
            if (t3dsymbol* p = Selected()) {
                p->ShowLabel = pointItems_[1]->isChecked();
                NewPlot();
            }
        },
        true);
    QMenu* symbols = popup_->addMenu(QStringLiteral("Change symbol"));
    symbols->setObjectName(QStringLiteral("ChangeSymbol1"));
    pointItems_[2] = symbols->menuAction();
    for (const std::uint16_t shape : kPopupShapes) {
        QAction* item = symbols->addAction(QLatin1String(kShapeNames[shape]));
        item->setObjectName(QStringLiteral("Symbol") + QString::number(shape));
        connect(item, &QAction::triggered, this, [this, shape] { ChangeSymbol(shape); });
    }
    pointItems_[3] = AddPopupItem(popup_, "ChangeSize1", "Change size", [this] { ChangeSize(); });
    pointItems_[4] = AddPopupItem(popup_, "ChangeColour1", "Change colour", [this] { ChangeColour(); });
    popup_->addSeparator();

    // Switches of the plot: each item's check is the switch.
    const auto toggle = [this](QMenu* menu, const char* name, const char* caption, bool tplot3d::*flag,
                               bool checked) {
        QAction* item = menu->addAction(QString::fromLatin1(caption));
        item->setObjectName(QString::fromLatin1(name));
        item->setCheckable(true);
        item->setChecked(checked);
        connect(item, &QAction::toggled, this, [this, flag](bool on) {
            if (!plot_) return;
            (*plot_).*flag = on;
            NewPlot();
        });
        return item;
    };
    QMenu* internal = popup_->addMenu(QStringLiteral("Internal planes"));
    internal->setObjectName(QStringLiteral("InternalPlanes1"));
    internalPlaneItems_ = {toggle(internal, "ShowXY1", "Show XY", &tplot3d::ShowXY, false),
                           toggle(internal, "ShowXZ1", "Show XZ", &tplot3d::ShowXZ, false),
                           toggle(internal, "ShowYZ1", "Show YZ", &tplot3d::ShowYZ, false)};
    AddPopupItem(internal, "InternalColour1", "Colour", [this] {
        if (plot_) AskPlotColour(plot_->InternalPlaneColour);
    });
    QMenu* external = popup_->addMenu(QStringLiteral("External planes"));
    external->setObjectName(QStringLiteral("ExternalPlanes1"));
    externalPlaneItems_ = {toggle(external, "ShowPosXY1", "Show pos. XY", &tplot3d::ShowPosXY, false),
                           toggle(external, "ShowPosXZ1", "Show pos. XZ", &tplot3d::ShowPosXZ, false),
                           toggle(external, "ShowPosYZ1", "Show pos. YZ", &tplot3d::ShowPosYZ, false),
                           toggle(external, "ShowNegXY1", "Show neg. XY", &tplot3d::ShowNegXY, false),
                           toggle(external, "ShowNegXZ1", "Show neg. XZ", &tplot3d::ShowNegXZ, false),
                           toggle(external, "ShowNegYZ1", "Show neg. YZ", &tplot3d::ShowNegYZ, false)};
    AddPopupItem(external, "ExternalColour1", "Colour", [this] {
        if (plot_) AskPlotColour(plot_->ExternalPlaneColour);
    });
    QMenu* area = popup_->addMenu(QStringLiteral("Plot area"));
    area->setObjectName(QStringLiteral("PlotArea1"));
    AddPopupItem(area, "ForegroundColour1", "Foreground colour", [this] {
        if (plot_) AskPlotColour(plot_->ForeColour);
    });
    AddPopupItem(area, "BackgroundColour1", "Background colour", [this] {
        if (plot_) AskPlotColour(plot_->BackColour);
    });
    QMenu* axes = popup_->addMenu(QStringLiteral("Coordinate axes"));
    axes->setObjectName(QStringLiteral("CoordinateAxes1"));
    axesItems_ = {toggle(axes, "PositiveAxes1", "Positive axes", &tplot3d::ShowPositiveAxes, true),
                  toggle(axes, "NegativeAxes1", "Negative axes", &tplot3d::ShowNegativeAxes, true)};
    AddPopupItem(axes, "AxesWidth1", "Width", [this] { AskAxisWidth(); });
    popup_->addSeparator();
    AddPopupItem(popup_, "MoveOriginHere1", "Move origin here", [this] {
        if (!plot_) return;
        plot_->SetOrigin(rightPress_.x(), rightPress_.y());
        NewPlot();
    });
    for (QAction* item : pointItems_) item->setEnabled(false);
}

// ---- Set-up ----

void TTeskPlot::LoadPCoA(const AString& names, const TFilterArray& groups, const AAExt& coords, const AExt& percentages,
                         std::int32_t trailing, bool includeTrailing) {
    FreePlot();
    groups_ = groups;
    InitPaint();
    std::size_t n = names.size();
    if (!includeTrailing) {
        const std::size_t cut = trailing > 0 ? static_cast<std::size_t>(trailing) : 0;
        n = n > cut ? n - cut : 0;
    }
    if (n == 0) {
        ShowError("PCoA View Error: no OTU names");
        return;
    }
    if (coords.size() < n) {
        ShowError("PCoA View Error: more OTU names than coordinate rows");
        return;
    }
    const bool threeEach = std::all_of(coords.begin(), coords.begin() + static_cast<std::ptrdiff_t>(n),
                                       [](const AExt& row) { return row.size() >= 3; });
    if (!threeEach || percentages.size() < 3) {
        ShowError("PCoA View Error: less than 3 dimensions");
        return;
    }
    points_->assign(n, t3dsymbol{});
    for (std::size_t i = 0; i < n; ++i) {
        t3dsymbol& p = (*points_)[i];
        p.ShowLabel = true;
        p.Label = names[i].substr(0, kMaxLabelLength);
        p.Shape = PlotDefaultShape;
        p.Size = PlotSymbolSize;
        p.X = ToSingle(coords[i][0]);
        p.Y = ToSingle(coords[i][1]);
        p.Z = ToSingle(coords[i][2]);
    }
    for (std::size_t axis = 0; axis < 3; ++axis) {
        QComboBox* combo = columnCombos_[axis];
        combo->clear();
        for (std::size_t k = 0; k < percentages.size(); ++k) combo->addItem(PercentItem(k + 1, percentages[k]));
        combo->setCurrentIndex(static_cast<int>(axis));
        combo->setEnabled(true);
    }
    viewColumns_ = {0, 1, 2};
    coords_ = coords;
    Redraw();
}

void TTeskPlot::Redraw() {
    if (!plot_) plot_ = std::make_unique<tplot3d>();
    tplot3d& p = *plot_;
    p.Init(image_.width(), image_.height(), PlotFont{});
    p.UseSSE = CPUFeatures().SSE == 1;
    p.SetColours(kPlotWhite, kPlotBlack);
    p.SetScale(10, 10, 10);
    p.SetZoom(50);
    p.SetRotation(30, 30, 0);
    p.SetSymbols(points_);
    p.SetAxesStyle({.Positive = true, .Negative = true});
    p.AxisWidth = 2;
    p.SetInternalPlanes(InternalPlanes{}, kInternalPlaneColour);
    p.SetExternalPlanes(ExternalPlanes{}, kExternalPlaneColour);
    extents_ = p.GetExtent();
    const auto& e = extents_;
    // Each axis from its minimum to its maximum with a tenth of the maximum to spare at both ends.
    p.BuildBox(e[0] + 0.1f * e[0], e[1] - 0.1f * e[0], e[2] + 0.1f * e[2], e[3] - 0.1f * e[2], e[4] + 0.1f * e[4],
               e[5] - 0.1f * e[4]);
    p.SetXReference(kRefZero);
    p.SetYReference(kRefZero);
    p.SetZReference(kRefZero);
    p.SetAxes(OrdinationLines{});
    SyncPopupChecks();
    Repaint(true);
    UpdateFPLabels();
}

void TTeskPlot::ClearPlot() {
    groups_.clear();
    InitPaint();
    points_->clear();
    coords_.clear();
    for (QComboBox* combo : columnCombos_) {
        combo->clear();
        combo->setEnabled(false);
    }
    viewColumns_ = {0, 1, 2};
    plot_.reset();
    ClearImage();
    UpdateFPLabels();
}

void TTeskPlot::InitPaint() {
    ShowPanelColour(kPlotBlack);
    groupCombo_->clear();
    groupAppearance_.assign(groups_.size(), TGroupAppearance{PlotDefaultShape, PlotDefaultColour});
    for (const TdsFilterRec& group : groups_) groupCombo_->addItem(ToQt(group.Name));
    // A group is always chosen while there are any, so colour and shape act on a real group.
    if (!groups_.empty()) GroupChosen(0);
}

void TTeskPlot::FreePlot() {
    if (plot_) {
        {
            QtCanvas canvas(&image_, font());
            plot_->ClearCanvas(canvas);
        }
        image1_->update();
        plot_.reset();
    }
    points_->clear();
}

void TTeskPlot::NewPlot() { Repaint(true); }

void TTeskPlot::UpdateFPLabels() {
    if (!plot_) {
        for (QLineEdit* edit : rotationEdits_) edit->clear();
        zoomEdit_->clear();
        return;
    }
    const float angles[] = {plot_->RotX, plot_->RotY, plot_->RotZ};
    for (std::size_t axis = 0; axis < 3; ++axis)
        rotationEdits_[axis]->setText(ToQt(ExtToStrF(static_cast<Extended>(angles[axis]) * 180.0L / kPi, 1, 3)));
    zoomEdit_->setText(ToQt(ExtToStrF(plot_->Zoom, 1, 3)));
}

void TTeskPlot::SetViewColumns() {
    if (!plot_) return;
    const std::size_t n = points_->size();
    const std::size_t widest = *std::max_element(viewColumns_.begin(), viewColumns_.end());
    // Only coordinates that belong to these points: after an import there are none.
    if (n == 0 || coords_.size() < n) return;
    for (std::size_t i = 0; i < n; ++i)
        if (coords_[i].size() <= widest) return;
    for (std::size_t i = 0; i < n; ++i) {
        t3dsymbol& p = (*points_)[i];
        p.X = ToSingle(coords_[i][viewColumns_[0]]);
        p.Y = ToSingle(coords_[i][viewColumns_[1]]);
        p.Z = ToSingle(coords_[i][viewColumns_[2]]);
    }
    plot_->SetSymbols(points_);
    NewPlot();
}

// ---- Drawing ----

void TTeskPlot::ClearImage() {
    tplot3d blank;
    blank.Init(image_.width(), image_.height(), PlotFont{});
    {
        QtCanvas canvas(&image_, font());
        blank.ClearCanvas(canvas);
    }
    image1_->update();
}

void TTeskPlot::Repaint(bool clear) {
    if (!plot_) return;
    {
        QtCanvas canvas(&image_, font());
        if (clear) plot_->ClearCanvas(canvas);
        plot_->Draw(canvas);
    }
    image1_->update();
}

void TTeskPlot::ResizeImage(QSize size) {
    image_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    if (plot_) {
        plot_->Resize(image_.width(), image_.height());
        Repaint(true);
    } else {
        ClearImage();
    }
}

QByteArray TTeskPlot::VectorPicture() const {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(image_.size());
    generator.setViewBox(QRect(QPoint(0, 0), image_.size()));
    generator.setResolution(96);
    generator.setTitle(QString::fromLatin1(kCaption));
    if (plot_) {
        QtCanvas canvas(&generator, font());
        canvas.SetClipRect(0, 0, image_.width(), image_.height());
        plot_->Draw(canvas);
    } else {
        QPainter empty(&generator);
    }
    return buffer.data();
}

// ---- Mouse ----

void TTeskPlot::ImagePressed(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        leftPress_ = at;
        return;
    }
    if (event->button() != Qt::RightButton) return;
    rightPress_ = at;
    std::size_t index = 0;
    const bool hit = plot_ && plot_->FindSymbolAt(at.x(), at.y(), index) && index < points_->size();
    if (hit) {
        selected_ = index;
        const t3dsymbol& p = (*points_)[index];
        pointItems_[0]->setText(QStringLiteral("&Edit label \"") + MenuText(p.Label) + QStringLiteral("\""));
        pointItems_[1]->setChecked(p.ShowLabel);
    } else {
        pointItems_[0]->setText(QStringLiteral("&Edit label"));
    }
    for (QAction* item : pointItems_) item->setEnabled(hit);
    popup_->popup(image1_->mapToGlobal(at));
}

void TTeskPlot::ImageReleased(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (at.x() == -1 || at.y() == -1) return;
    if (event->button() == Qt::LeftButton && plot_) {
        const int dx = at.x() - leftPress_.x();
        const int dy = at.y() - leftPress_.y();
        if (event->modifiers() & Qt::ShiftModifier) {
            // Zoom by a fifth per pixel: out to the right, in to the left. Applied pixel by pixel,
            // so a long drag makes the plot small but never collapses or mirrors it.
            if (dx != 0) {
                const float step = dx > 0 ? 1.0f - kDragZoomPerPixel : 1.0f + kDragZoomPerPixel;
                ZoomBy(std::pow(step, static_cast<float>(std::abs(dx))));
            }
        } else if (dx != 0 || dy != 0) {
            plot_->Rotate(static_cast<float>(-dx) * kDragDegreesPerPixel,
                          static_cast<float>(-dy) * kDragDegreesPerPixel, 0.0f);
            NewPlot();
        }
    }
    UpdateFPLabels();
}

void TTeskPlot::ImageWheel(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0 || !plot_) return;
    ZoomBy(std::pow(steps > 0 ? kZoomIn : kZoomOut, static_cast<float>(std::abs(steps))));
    UpdateFPLabels();
    event->accept();
}

// ---- Controls ----

void TTeskPlot::RotateBy(int axis, float radians) {
    if (!plot_) return;
    float* angles[] = {&plot_->RotX, &plot_->RotY, &plot_->RotZ};
    *angles[axis] += radians;
    NewPlot();
    UpdateFPLabels();
}

void TTeskPlot::ZoomBy(float factor) {
    if (!plot_) return;
    const float zoom = plot_->Zoom * factor;
    if (!UsableZoom(zoom)) return;
    plot_->SetZoom(zoom);
    NewPlot();
    UpdateFPLabels();
}

void TTeskPlot::RotationEntered(int axis) {
    if (!plot_) return;
    Extended degrees = 0.0L;
    const std::string text = FromQt(rotationEdits_[static_cast<std::size_t>(axis)]->text());
    if (!ParseStrictFloat(text, degrees) || !FitsSingle(degrees * kPi / 180.0L)) {
        ShowError(kNotANumber);
        return;
    }
    float* angles[] = {&plot_->RotX, &plot_->RotY, &plot_->RotZ};
    *angles[axis] = static_cast<float>(degrees * kPi / 180.0L);
    NewPlot();
}

void TTeskPlot::ZoomEntered() {
    if (!plot_) return;
    Extended value = 0.0L;
    if (!ParseStrictFloat(FromQt(zoomEdit_->text()), value) || !FitsSingle(value)) {
        ShowError(kNotANumber);
        return;
    }
    plot_->SetZoom(static_cast<float>(value));
    NewPlot();
}

void TTeskPlot::OrdinationClicked(int axis, bool checked) {
    bool* settings[] = {&PlotXLines, &PlotYLines, &PlotZLines};
    *settings[axis] = checked;
    ordinationChecks_[static_cast<std::size_t>(axis)]->setChecked(checked);
    if (!plot_) return;
    plot_->SetAxes({.X = PlotXLines, .Y = PlotYLines, .Z = PlotZLines});
    NewPlot();
}

void TTeskPlot::ReferenceClicked(int index) {
    PlotLineReference = static_cast<std::uint8_t>(index + 1);
    if (!plot_) return;
    plot_->SetXReference(PlotLineReference);
    plot_->SetYReference(PlotLineReference);
    plot_->SetZReference(PlotLineReference);
    plot_->SetAxes({.X = PlotXLines, .Y = PlotYLines, .Z = PlotZLines});
    NewPlot();
}

void TTeskPlot::SymbolSizeBy(int delta) {
    PlotSymbolSize = static_cast<std::uint8_t>(std::clamp(PlotSymbolSize + delta, 0, 255));
    if (!plot_) return;
    plot_->SetSymbolSize(PlotSymbolSize);
    NewPlot();
}

void TTeskPlot::ColumnChosen(int axis, int index) {
    if (index < 0) return;
    viewColumns_[static_cast<std::size_t>(axis)] = static_cast<std::size_t>(index);
    SetViewColumns();
}

void TTeskPlot::GroupChosen(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= groupAppearance_.size()) return;
    groupCombo_->setCurrentIndex(index);
    const TGroupAppearance& look = groupAppearance_[static_cast<std::size_t>(index)];
    ShowPanelColour(look.Colour);
    shapeCombo_->setCurrentIndex(look.Shape >= kShapeCircle && look.Shape < kShapeCount ? look.Shape - 1 : -1);
}

void TTeskPlot::ShowPanelColour(PlotColour colour) {
    panelColour_ = colour;
    colourPanel_->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid #808080; }")
                                    .arg(ToQColor(colour).name()));
}

void TTeskPlot::ApplyToGroup(const std::function<void(TGroupAppearance&)>& group,
                             const std::function<void(t3dsymbol&)>& point) {
    if (groupCombo_->count() == 0) {
        for (t3dsymbol& p : *points_) point(p);
    } else {
        const std::size_t g = static_cast<std::size_t>(std::max(groupCombo_->currentIndex(), 0));
        if (g >= groupAppearance_.size()) return;
        group(groupAppearance_[g]);
        for (t3dsymbol& p : *points_)
            if (GroupContainsName(p.Label, groups_, g)) point(p);
    }
    NewPlot();
}

void TTeskPlot::ColourPanelClick() {
    const std::optional<PlotColour> colour = AskColour(this, panelColour_);
    if (!colour) return;
    ShowPanelColour(*colour);
    ApplyToGroup([&](TGroupAppearance& g) { g.Colour = *colour; }, [&](t3dsymbol& p) { p.Colour = *colour; });
}

void TTeskPlot::ShapeChosen(int index) {
    if (index < 0) return;
    const auto shape = static_cast<std::uint8_t>(index + 1);
    ApplyToGroup([&](TGroupAppearance& g) { g.Shape = shape; }, [&](t3dsymbol& p) { p.Shape = shape; });
}

void TTeskPlot::SyncPopupChecks() {
    if (!plot_) return;
    const std::array<bool, 3> internal{plot_->ShowXY, plot_->ShowXZ, plot_->ShowYZ};
    const std::array<bool, 6> external{plot_->ShowPosXY, plot_->ShowPosXZ, plot_->ShowPosYZ,
                                               plot_->ShowNegXY, plot_->ShowNegXZ, plot_->ShowNegYZ};
    const std::array<bool, 2> axes{plot_->ShowPositiveAxes, plot_->ShowNegativeAxes};
    const auto sync = [](QAction* item, bool on) {
        const QSignalBlocker quiet(item);
        item->setChecked(on);
    };
    for (std::size_t i = 0; i < internal.size(); ++i) sync(internalPlaneItems_[i], internal[i]);
    for (std::size_t i = 0; i < external.size(); ++i) sync(externalPlaneItems_[i], external[i]);
    for (std::size_t i = 0; i < axes.size(); ++i) sync(axesItems_[i], axes[i]);
}

// ---- Popup menu ----

t3dsymbol* TTeskPlot::Selected() {
    if (!plot_ || selected_ >= points_->size()) return nullptr;
    return &(*points_)[selected_];
}

void TTeskPlot::EditLabel() {
    t3dsymbol* p = Selected();
    if (p == nullptr) return;
    std::string label = p->Label;
    if (!QueryString(kCaption, "Modify the point's label below", "", "", label)) return;
    p->Label = label.substr(0, kMaxLabelLength);
    NewPlot();
}

void TTeskPlot::ChangeSymbol(std::uint16_t shape) {
    if (t3dsymbol* p = Selected()) {
        p->Shape = shape;
        NewPlot();
    }
}

void TTeskPlot::ChangeSize() {
    t3dsymbol* p = Selected();
    if (p == nullptr) return;
    std::uint8_t size = static_cast<std::uint8_t>(std::min<std::uint16_t>(p->Size, 255));
    if (!QueryByte(kCaption, "Change symbols size", "", "", size)) return;
    p->Size = size;
    plot_->UpdateHitRadius();
    NewPlot();
}

void TTeskPlot::ChangeColour() {
    t3dsymbol* p = Selected();
    if (p == nullptr) return;
    const std::optional<PlotColour> colour = AskColour(this, p->Colour);
    if (!colour) return;
    p->Colour = *colour;
    Repaint(false);
}

void TTeskPlot::AskPlotColour(PlotColour& colour) {
    if (const std::optional<PlotColour> chosen = AskColour(this, colour)) {
        colour = *chosen;
        NewPlot();
    }
}

void TTeskPlot::AskAxisWidth() {
    if (!plot_) return;
    std::uint8_t width = plot_->AxisWidth;
    if (!QueryByte(kCaption, "Thickness of coordinate axes", "", "", width)) return;
    plot_->AxisWidth = width;
    NewPlot();
}

// ---- Files and clipboard ----

void TTeskPlot::ImportCoordinates() {
    const std::string name = AskOpenFileName(this, "Open", kCoordinateFilter, "", "");
    if (name.empty()) return;
    a3dsymbol read;
    // An unreadable or empty file changes nothing: the plot on show stays.
    Reporter& reporter = ProgramReporter();
    if (!ReportShortage(reporter, [&] { return ReadCoordinateFile(reporter, name, read); })) return;
    FreePlot();
    *points_ = std::move(read);
    // The PCoA's coordinates do not belong to these points.
    coords_.clear();
    for (QComboBox* combo : columnCombos_) combo->setEnabled(false);
    Redraw();
}

void TTeskPlot::Button12Click() {
    if (points_->empty()) {
        ShowError("Nothing to export");
        return;
    }
    const std::string name = AskSaveFileName(this, "", kCoordinateFilter, "", "", true, "txt");
    if (name.empty()) return;
    RewriteFile(name, [&] { return WriteCoordinateFile(name, *points_); });
}

void TTeskPlot::Button9Click() {
    const bool bitmap = bitmapFormat_->isChecked();
    const SaveChoice choice = AskSaveFileAndType(this, "", bitmap ? kBitmapFilter : kVectorFilter, "", "", true);
    const std::string& name = choice.FileName;
    if (name.empty()) return;
    QByteArray bytes;
    if (bitmap) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image_.save(&buffer, kBitmapFormats.at(choice.Type));
    } else {
        bytes = VectorPicture();
    }
    RewriteFile(name, [&] {
        return WriteTextFile(name, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), false);
    });
}

void TTeskPlot::Button10Click() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    if (bitmapFormat_->isChecked()) {
        clipboard->setImage(image_);
        return;
    }
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), VectorPicture());
    clipboard->setMimeData(mime);
}
