#pragma once
// The "OK" (default) and "Cancel" buttons every modal form of the program ends with.

#include <QDialogButtonBox>
#include <QPushButton>

struct OkCancelButtons {
    QDialogButtonBox* box;
    QPushButton* ok;      // object name "OKBtn"
    QPushButton* cancel;  // object name "CancelBtn"
};

inline OkCancelButtons MakeOkCancelButtons(QWidget* parent) {
    auto* box = new QDialogButtonBox(parent);
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("OKBtn"));
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    ok->setDefault(true);
    return {box, ok, cancel};
}
