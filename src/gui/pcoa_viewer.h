#pragma once
// The 3-D viewer window: principal coordinates (or points read from a coordinate file) as a
// rotatable scatter plot. Made once with the main window and shown modally.

#include <QDialog>
#include <QImage>
#include <QPoint>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "foundation/types.h"
#include "plot3d/plot3d.h"
#include "popgen/data/groups.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

// The picture of the plot, filling the window above the controls; it reports presses, releases,
// the wheel and its new size.
class TPlotImage : public QWidget {
    Q_OBJECT
public:
    explicit TPlotImage(QWidget* parent = nullptr);

    const QImage* Picture = nullptr;
    std::function<void(QMouseEvent*)> OnPress;
    std::function<void(QMouseEvent*)> OnRelease;
    std::function<void(QWheelEvent*)> OnWheel;
    std::function<void(QSize)> OnResize;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

class TTeskPlot : public QDialog {
    Q_OBJECT
public:
    explicit TTeskPlot(QWidget* parent = nullptr);
    ~TTeskPlot() override;

    // One group's appearance: the shape code and the colour its members get.
    struct TGroupAppearance {
        std::uint8_t Shape = kShapeCircle;
        PlotColour Colour = kPlotBlack;
    };

    // Viewer settings (not saved between runs).
    std::uint8_t PlotSymbolSize = 3;
    std::uint8_t PlotDefaultShape = kShapeCircle;
    PlotColour PlotDefaultColour = kPlotBlack;
    bool PlotXLines = false, PlotYLines = false, PlotZLines = false;
    std::uint8_t PlotLineReference = kRefZero;

    // Loads a PCoA result: one point per name (without the trailing rows, such as appended
    // centroids, unless includeTrailing), coloured and shaped by default, on the first three axes.
    void LoadPCoA(const AString& names, const TFilterArray& groups, const AAExt& coords, const AExt& percentages,
                  std::int32_t trailing, bool includeTrailing);
    // Sets up the plot on the points with the default view and draws it.
    void Redraw();
    // Empties the viewer: no points, no coordinates, no groups, no plot.
    void ClearPlot();
    // The group list and appearances from the groups.
    void InitPaint();
    // Frees the plot and empties the points.
    void FreePlot();
    void NewPlot();
    // The rotation and zoom edits from the plot.
    void UpdateFPLabels();
    // The points' X, Y, Z from the chosen coordinate columns.
    void SetViewColumns();

    void ImportCoordinates();
    void Button12Click();  // export coordinates
    void Button9Click();   // picture to file
    void Button10Click();  // picture to clipboard

    // What the window shows, for its handlers and the tests.
    tplot3d* Plot() const { return plot_.get(); }
    const a3dsymbol& Points() const { return *points_; }
    a3dsymbol& Points() { return *points_; }
    const AAExt& Coordinates() const { return coords_; }
    const std::vector<TGroupAppearance>& GroupAppearance() const { return groupAppearance_; }
    const std::array<std::size_t, 3>& ViewColumns() const { return viewColumns_; }
    const QImage& Picture() const { return image_; }
    QMenu* PopupMenu() const { return popup_; }
    std::size_t SelectedPoint() const { return selected_; }
    // The picture as a vector graphic (SVG): the scene drawn again, without the background.
    QByteArray VectorPicture() const;

private:
    void BuildControls();
    void BuildPopupMenu();
    QAction* AddPopupItem(QMenu* menu, const char* name, const char* caption, std::function<void()> action,
                          bool checkable = false, bool checked = false);
    void ClearImage();
    void Repaint(bool clear);
    void ResizeImage(QSize size);
    void ImagePressed(QMouseEvent* event);
    void ImageReleased(QMouseEvent* event);
    void ImageWheel(QWheelEvent* event);
    void RotateBy(int axis, float radians);
    void ZoomBy(float factor);
    void RotationEntered(int axis);
    void ZoomEntered();
    void OrdinationClicked(int axis, bool checked);
    void ReferenceClicked(int index);
    void SymbolSizeBy(int delta);
    void ColumnChosen(int axis, int index);
    void GroupChosen(int index);
    void ColourPanelClick();
    void ShapeChosen(int index);
    // Gives every point of the chosen group (all points when no group is listed) the colour or shape.
    void ApplyToGroup(const std::function<void(TGroupAppearance&)>& group,
                      const std::function<void(t3dsymbol&)>& point);
    void ShowPanelColour(PlotColour colour);
    void SyncPopupChecks();
    t3dsymbol* Selected();
    void EditLabel();
    void ChangeSize();
    void ChangeColour();
    void ChangeSymbol(std::uint16_t shape);
    void AskPlotColour(PlotColour& colour);
    void AskAxisWidth();

    std::unique_ptr<tplot3d> plot_;
    std::shared_ptr<a3dsymbol> points_;
    AAExt coords_;
    TFilterArray groups_;
    std::vector<TGroupAppearance> groupAppearance_;
    std::size_t selected_ = 0;
    QPoint leftPress_, rightPress_;
    std::array<std::size_t, 3> viewColumns_{0, 1, 2};
    std::array<float, 6> extents_{};
    QImage image_;
    PlotColour panelColour_ = kPlotBlack;

    TPlotImage* image1_;
    std::array<QLineEdit*, 3> rotationEdits_{};
    QLineEdit* zoomEdit_;
    std::array<QComboBox*, 3> columnCombos_{};
    std::array<QCheckBox*, 3> ordinationChecks_{};
    QCheckBox* showLabels_;
    QButtonGroup* referenceGroup_;
    QComboBox* groupCombo_;
    QPushButton* colourPanel_;
    QComboBox* shapeCombo_;
    QRadioButton* bitmapFormat_;
    QRadioButton* metafileFormat_;
    QMenu* popup_;
    std::array<QAction*, 5> pointItems_{};  // edit label, show label, change symbol, size, colour
    std::array<QAction*, 3> internalPlaneItems_{};
    std::array<QAction*, 6> externalPlaneItems_{};
    std::array<QAction*, 2> axesItems_{};
};
