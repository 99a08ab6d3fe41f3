// The Enter Value dialog.
#include "views/ui/frmEnterVal.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelk {

frmEnterVal::frmEnterVal(DialogFields& fields, QWidget* parent) : ValueDialog(fields, parent)
{
    setObjectName(QStringLiteral("frmEnterVal"));
    setWindowTitle(QStringLiteral("Enter Value"));
    setHelpContext(193);
    setFont(fixedFont());

    lbName = new QLabel(QString::fromStdString(fields_.DialogName) + QStringLiteral(":"));
    lbName->setObjectName(QStringLiteral("lbName"));
    txtValue = new QLineEdit;
    txtValue->setObjectName(QStringLiteral("txtValue"));
    txtValue->setMaxLength(EnterValueMaxLength);
    txtValue->setText(QString::fromStdString(fields_.DialogText));
    txtValue->selectAll();
    lbName->setBuddy(txtValue);

    auto* body = new QVBoxLayout;
    body->addWidget(lbName);
    body->addWidget(txtValue);
    body->addStretch(1);
    finishLayout(body);
    txtValue->setFocus();
}

void frmEnterVal::cmdOKClick()
{
    const DialogCheck c = checkEnterValue(txtValue->text().toStdString(), fields_.DialogIsWord);
    switch (c.verdict) {
    case DialogVerdict::Refocus:
        txtValue->setFocus();
        return;
    case DialogVerdict::Refuse:
        refuse(txtValue, c);
        return;
    case DialogVerdict::Accept:
        fields_.DialogValue = c.value;
        fields_.DialogOK = true;
        accept();
        return;
    }
}

} // namespace zelk
