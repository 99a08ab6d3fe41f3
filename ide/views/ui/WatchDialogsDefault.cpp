// Plain Enter Value and Watch dialogs over the shared dialog checks.
#include "views/ui/WatchDialogsDefault.h"

#include "editor/ui/ProgramSymbols.h"
#include "shell/frmMain.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zelk {

namespace {

void refuse(const DialogCheck& c)
{
    if (frmMain* m = frmMain::instance())
        m->message(c.caption, c.message, MessageIcon::Information);
}

} // namespace

void defaultEnterValueDialog(QWidget* owner, DialogFields& f)
{
    QDialog dlg(owner);
    dlg.setWindowTitle(QStringLiteral("Enter Value"));
    auto* lay = new QFormLayout(&dlg);
    auto* txt = new QLineEdit(QString::fromStdString(f.DialogText));
    txt->setObjectName(QStringLiteral("txtValue"));
    txt->setMaxLength(EnterValueMaxLength);
    txt->selectAll();
    lay->addRow(QString::fromStdString(f.DialogName) + ':', txt);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    lay->addRow(box);
    QObject::connect(box, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    QObject::connect(box, &QDialogButtonBox::accepted, &dlg, [&] {
        const DialogCheck c = checkEnterValue(txt->text().toStdString(), f.DialogIsWord);
        if (c.verdict == DialogVerdict::Accept) {
            f.DialogValue = c.value;
            f.DialogOK = true;
            dlg.accept();
            return;
        }
        if (c.verdict == DialogVerdict::Refuse) {
            txt->clear();
            refuse(c);
        }
        txt->setFocus();
    });
    dlg.exec();
}

void defaultWatchAddressDialog(QWidget* owner, DialogFields& f)
{
    QDialog dlg(owner);
    dlg.setWindowTitle(QStringLiteral("Watch"));
    auto* lay = new QVBoxLayout(&dlg);
    auto* row = new QHBoxLayout;
    auto* lbl = new QLabel(QStringLiteral("&Address:"));
    auto* txt = new QLineEdit(QString::fromStdString(f.DialogText));
    txt->setObjectName(QStringLiteral("txtAdr"));
    txt->setMaxLength(WatchAddressMaxLength);
    txt->selectAll();
    lbl->setBuddy(txt);
    row->addWidget(lbl);
    row->addWidget(txt);
    lay->addLayout(row);
    auto* frame = new QGroupBox(QStringLiteral("Data Type"));
    auto* fl = new QHBoxLayout(frame);
    auto* optWord = new QRadioButton(QStringLiteral("&Word"));
    auto* optByte = new QRadioButton(QStringLiteral("&Byte"));
    optWord->setObjectName(QStringLiteral("optWord"));
    optByte->setObjectName(QStringLiteral("optByte"));
    (f.DialogIsWord ? optWord : optByte)->setChecked(true);
    fl->addWidget(optWord);
    fl->addWidget(optByte);
    lay->addWidget(frame);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    lay->addWidget(box);
    QObject::connect(box, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    QObject::connect(box, &QDialogButtonBox::accepted, &dlg, [&] {
        const DialogCheck c = checkWatchAddress(txt->text().toStdString(), programSymbols());
        if (c.verdict == DialogVerdict::Accept) {
            f.DialogValue = c.value;
            f.DialogName = c.name;
            f.DialogIsWord = optWord->isChecked();
            f.DialogOK = true;
            dlg.accept();
            return;
        }
        if (c.verdict == DialogVerdict::Refuse) {
            txt->clear();
            refuse(c);
        }
        txt->setFocus();
    });
    dlg.exec();
}

} // namespace zelk
