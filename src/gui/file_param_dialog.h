#pragma once
// The layout of a data file: orientation, headers, the six symbols and three flags. The caller fills
// the controls, shows the form modally and reads the controls back.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

// The dialog's contents as values.
struct FileParamFields {
    bool indInColumns = true;
    bool indHeader = true;
    bool locHeader = false;
    char presence = '1';
    char absence = '0';
    char ambiguity = '?';
    char openRemark = '{';
    char closeRemark = '}';
    char endOfData = '*';
    bool delimitedData = true;
    bool includeGroups = true;
    bool ambiguityNegative = false;
};

class TFileParamDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFileParamDialog(QWidget* parent = nullptr);

    void SetFields(const FileParamFields& fields);
    // The controls as values; an empty symbol field keeps the symbol of `previous`.
    FileParamFields Fields(const FileParamFields& previous) const;

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
    void OKBtnClick();
    void CancelBtnClick();
};
