#pragma once
// The layout of a data file: orientation, headers, the six symbols and three flags. The caller fills
// the controls, shows the form modally and reads the controls back.

#include <QDialog>

#include <cstdint>

#include "shell/file_params.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

class TFileParamDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFileParamDialog(QWidget* parent = nullptr);

    // Fills the controls from the record's orientation, headers, symbols and three flags.
    void SetFields(const FileParamRecord& rec);
    // `previous` with the controls' values; an empty symbol field, or a remark symbol that
    // RemarkSymbolAllowed refuses, keeps the previous symbol.
    FileParamRecord Fields(const FileParamRecord& previous) const;

    // Set by Cancel (and by closing the window); the caller clears it before showing the form.
    bool FileParamCancelled = false;

    QRadioButton* RowsBtn;
    QRadioButton* ColumnsBtn;
    QCheckBox* IndividualsBox;
    QCheckBox* LociBox;
    QLineEdit* PresenceEdit;
    QLineEdit* AbsenceEdit;
    QLineEdit* AmbiguityEdit;
    QLineEdit* OpenRemarkEdit;
    QLineEdit* CloseRemarkEdit;
    QLineEdit* EndOfDataEdit;
    QCheckBox* DelimitedBox;
    QCheckBox* IncludeGroupsBox;
    QCheckBox* AmbiguityNegativeBox;

private:
    // Refuses a remark symbol that RemarkSymbolAllowed refuses (the form stays open); else accepts.
    void OKBtnClick();
    void CancelBtnClick();
};

// Runs the dialog on the input-format settings: fills it from them, shows it modally and copies
// every control back whichever button closed it. Returns true when the user cancelled.
// showAmbiguityNegative shows the "Ambiguity negative" box for this one use (saving).
bool EditFileParams(TFileParamDialog& dialog, bool showAmbiguityNegative = false);
