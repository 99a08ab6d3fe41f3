// The Enter Value dialog.
#include "views/ui/frmEnterVal.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zelk {

frmEnterVal::frmEnterVal(DialogFields& fields, QWidget* parent) : ValueDialog(fields, parent)
{
    setObjectName(QStringLiteral("frmEnterVal"));
    setWindowTitle(QStringLiteral("Enter Value"));
    setHelpContext(193);
    setFont(fixedFont());

    lbName = new QLabel(QString::fromStdString(fields_.DialogName) + QStringLiteral(":"));
    txtValue = new QLineEdit;
    layOutEntry(lbName, QStringLiteral("lbName"), txtValue, QStringLiteral("txtValue"), EnterValueMaxLength);
    txtValue->setText(QString::fromStdString(fields_.DialogText));
    txtValue->selectAll();
}

void frmEnterVal::cmdOKClick()
{
    const DialogCheck c = checkEnterValue(txtValue->text().toStdString(), fields_.DialogIsWord);
    if (!settle(txtValue, c))
        return;
    fields_.DialogValue = c.value;
    fields_.DialogOK = true;
    accept();
}

} // namespace zelk
