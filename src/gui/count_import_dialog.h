#pragma once
// The two thresholds and the missing-data token that turn count data into band states. OK checks
// the entries and stores them in the count settings; only valid entries close the form with OK.

#include <QDialog>

#include <cstdint>
#include <string>

class QLineEdit;

class TCntDataImportForm : public QDialog {
    Q_OBJECT
public:
    explicit TCntDataImportForm(QWidget* parent = nullptr);

    // Fills the edits and marks the form cancelled until it is confirmed with valid values.
    void SetUp(const std::string& missingToken, std::int32_t absenceMax, std::int32_t presenceMin);
    // Reports the first problem with ShowError; on success stores CountMissingToken,
    // CountPresenceMin and CountAbsenceMax.
    bool ValidateInput();

    bool CountImportCancelled = true;

    QLineEdit* AbsenceEdit;
    QLineEdit* PresenceEdit;
    QLineEdit* MissingEdit;

private:
    void Button1Click();  // OK
    void Button2Click();  // Cancel
};
