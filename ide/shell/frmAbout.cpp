// The About box.
#include "shell/frmAbout.h"

#include "Korvex.hpp"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

namespace zelk {

QString frmAbout::versionLine()
{
    QVersionNumber v = QVersionNumber::fromString(QCoreApplication::applicationVersion());
    if (v.isNull())
        v = QVersionNumber(1, 0);
    return QStringLiteral("Version %1.%2").arg(v.majorVersion()).arg(v.minorVersion());
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ZELK"));
    setModal(true);
    auto* icon = new QLabel;
    icon->setPixmap(QIcon(QStringLiteral(":/icons/zelk.svg")).pixmap(64, 64));
    auto* name = new QLabel(QStringLiteral("<b style='font-size:14pt'>ZELK</b><br>"
                                           "Development environment for the 68HC11"));
    name->setObjectName(QStringLiteral("lbProduct"));
    auto* version = new QLabel(versionLine());
    version->setObjectName(QStringLiteral("lbVersion"));
    auto* sim = new QLabel(QString::fromUtf8(Korvex::aboutText()).replace('\n', QStringLiteral(", ")));
    auto* cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(version);
    text->addWidget(sim);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(cmdOK);
    auto* v = new QVBoxLayout(this);
    v->addLayout(top);
    v->addLayout(row);
}

} // namespace zelk
