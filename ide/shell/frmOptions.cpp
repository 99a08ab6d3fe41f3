// The Options dialog.
#include "shell/frmOptions.h"

#include "shell/frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace zelk {

namespace {

QLabel* valueLabel(const char* name)
{
    auto* l = new QLabel;
    l->setObjectName(QString::fromLatin1(name));
    l->setMinimumWidth(160);
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

QGroupBox* fontFrame(const QString& title, QLabel* name, QLabel* style, QLabel* size,
                     QPushButton* set)
{
    auto* box = new QGroupBox(title);
    auto* g = new QGridLayout(box);
    g->addWidget(new QLabel(QStringLiteral("Name:")), 0, 0);
    g->addWidget(name, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Style:")), 1, 0);
    g->addWidget(style, 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Size:")), 2, 0);
    g->addWidget(size, 2, 1);
    g->addWidget(set, 0, 2, 1, 1, Qt::AlignTop);
    g->setColumnStretch(1, 1);
    return box;
}

QString sizeText(double s) { return QString::number(s, 'g', 4); }

} // namespace

frmOptions::frmOptions(const AppSettings& current, QWidget* parent)
    : QDialog(parent), work_(current)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);

    cbComPort_ = new QComboBox;
    cbComPort_->setObjectName(QStringLiteral("cbComPort"));
    for (int i = 1; i <= 4; ++i)
        cbComPort_->addItem(QStringLiteral("COM %1").arg(i));
    auto* lbPort = new QLabel(QStringLiteral("&Communication Port:"));
    lbPort->setBuddy(cbComPort_);
    lbDevice_ = new QLabel;
    lbDevice_->setObjectName(QStringLiteral("lbDevice"));
    // The machine's serial devices to pick from, or any path typed in (a
    // pseudo-terminal such as zelk-board's /dev/pts/N); empty = the device
    // of the COM port above.
    cbDevice_ = new QComboBox;
    cbDevice_->setObjectName(QStringLiteral("cbDevice"));
    cbDevice_->setEditable(true);
    cbDevice_->setInsertPolicy(QComboBox::NoInsert);
    cbDevice_->addItem(QString());
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        cbDevice_->addItem(info.systemLocation());
        if (!info.description().isEmpty())
            cbDevice_->setItemData(cbDevice_->count() - 1, info.description(), Qt::ToolTipRole);
    }
    txtDevice_ = cbDevice_->lineEdit();
    txtDevice_->setObjectName(QStringLiteral("txtDevice"));
    txtDevice_->setPlaceholderText(QStringLiteral("device of the port chosen above"));
    cbDevice_->setToolTip(QStringLiteral("A serial device of this machine, or a typed path (e.g. /dev/ttyUSB0 "
                                         "or a pseudo-terminal), used instead of the COM port's device"));
    auto* lbDev = new QLabel(QStringLiteral("De&vice:"));
    lbDev->setBuddy(cbDevice_);

    chSimEnabled_ = new QCheckBox(QStringLiteral("Simulator"));
    chSimEnabled_->setObjectName(QStringLiteral("chSimEnabled"));

    auto* cmdESet = new QPushButton(QStringLiteral("Set Font ..."));
    cmdESet->setObjectName(QStringLiteral("cmdESet"));
    auto* cmdPSet = new QPushButton(QStringLiteral("Set Font ..."));
    cmdPSet->setObjectName(QStringLiteral("cmdPSet"));
    lbSName_ = valueLabel("lbSName");
    lbSStyle_ = valueLabel("lbSStyle");
    lbSSize_ = valueLabel("lbSSize");
    lbPName_ = valueLabel("lbPName");
    lbPStyle_ = valueLabel("lbPStyle");
    lbPSize_ = valueLabel("lbPSize");

    auto* cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("Cancel"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* port = new QGridLayout;
    port->addWidget(lbPort, 0, 0);
    port->addWidget(cbComPort_, 0, 1);
    port->addWidget(lbDevice_, 0, 2);
    port->addWidget(lbDev, 1, 0);
    port->addWidget(cbDevice_, 1, 1, 1, 2);
    port->setColumnStretch(2, 1);

    // Simulator: Play's pace, the E clock and the step history.
    cbSpeed_ = new QComboBox;
    cbSpeed_->setObjectName(QStringLiteral("cbSpeed"));
    for (int percent : {0, 1, 10, 50, 100, 200, 1000})
        cbSpeed_->addItem(percent == 0 ? QStringLiteral("Full speed")
                                       : QStringLiteral("%1 % of the E clock").arg(percent),
                          percent);
    spEClock_ = new QSpinBox;
    spEClock_->setObjectName(QStringLiteral("spEClock"));
    spEClock_->setRange(1000, 8000000);
    spEClock_->setSingleStep(100000);
    spEClock_->setSuffix(QStringLiteral(" Hz"));
    spEClock_->setGroupSeparatorShown(true);
    spHistory_ = new QSpinBox;
    spHistory_->setObjectName(QStringLiteral("spHistory"));
    spHistory_->setRange(0, 10000000);
    spHistory_->setSingleStep(100000);
    spHistory_->setSuffix(QStringLiteral(" steps"));
    spHistory_->setSpecialValueText(QStringLiteral("Off"));
    spHistory_->setGroupSeparatorShown(true);
    chSimPeripherals_ = new QCheckBox(QStringLiteral("Simulate on-chip peripherals"));
    chSimPeripherals_->setObjectName(QStringLiteral("chSimPeripherals"));
    chSimPeripherals_->setToolTip(QStringLiteral("Timer, SCI, A/D converter, ports and interrupts at $1000-$103F; "
                                                 "off, the register block is plain memory"));
    auto* simBox = new QGroupBox(QStringLiteral("Simulator"));
    auto* sim = new QFormLayout(simBox);
    sim->addRow(chSimPeripherals_);
    sim->addRow(QStringLiteral("Play speed:"), cbSpeed_);
    sim->addRow(QStringLiteral("E clock:"), spEClock_);
    sim->addRow(QStringLiteral("Step Back history:"), spHistory_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* v = new QVBoxLayout(this);
    v->addLayout(port);
    v->addWidget(chSimEnabled_);
    v->addWidget(simBox);
    v->addWidget(fontFrame(QStringLiteral("Editor Font"), lbSName_, lbSStyle_, lbSSize_, cmdESet));
    v->addWidget(fontFrame(QStringLiteral("Printer Font"), lbPName_, lbPStyle_, lbPSize_, cmdPSet));
    v->addLayout(buttons);

    fontChooser = [this](QFont& f, const QString& title) {
        bool ok = false;
        QFont chosen = QFontDialog::getFont(&ok, f, this, title);
        if (ok)
            f = chosen;
        return ok;
    };

    // Load: labels, port entry, check box from the working copies.
    UpdateSLabels();
    UpdatePLabels();
    cbComPort_->setCurrentIndex(std::clamp(work_.comPort, 1, 4) - 1);
    txtDevice_->setText(work_.comDevice);
    chSimEnabled_->setChecked(work_.simEnabled);
    int speed = cbSpeed_->findData(work_.speedPercent);
    if (speed < 0) {
        // A stored pace the list does not offer stays selectable.
        cbSpeed_->addItem(QStringLiteral("%1 % of the E clock").arg(work_.speedPercent), work_.speedPercent);
        speed = cbSpeed_->count() - 1;
    }
    cbSpeed_->setCurrentIndex(speed);
    spEClock_->setValue(work_.eClockHz);
    spHistory_->setValue(work_.historySteps);
    chSimPeripherals_->setChecked(work_.simulatePeripherals);
    showDevice();

    connect(cbComPort_, &QComboBox::currentIndexChanged, this, [this] { showDevice(); });
    connect(cmdESet, &QPushButton::clicked, this, [this] { setFont(true); });
    connect(cmdPSet, &QPushButton::clicked, this, [this] { setFont(false); });
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmOptions::showDevice()
{
    lbDevice_->setText(frmMain::portDevice(cbComPort_->currentIndex() + 1));
}

AppSettings frmOptions::result() const
{
    AppSettings a = work_;
    a.simEnabled = chSimEnabled_->isChecked();
    a.comPort = cbComPort_->currentIndex() + 1;
    a.comDevice = txtDevice_->text().trimmed();
    a.speedPercent = cbSpeed_->currentData().toInt();
    a.eClockHz = spEClock_->value();
    a.historySteps = spHistory_->value();
    a.simulatePeripherals = chSimPeripherals_->isChecked();
    return a;
}

void frmOptions::UpdateSLabels()
{
    lbSName_->setText(work_.screenFont.name);
    lbSStyle_->setText(fontStyleText(work_.screenFont));
    lbSSize_->setText(sizeText(work_.screenFont.size));
}

void frmOptions::UpdatePLabels()
{
    lbPName_->setText(work_.printFont.name);
    lbPStyle_->setText(fontStyleText(work_.printFont));
    lbPSize_->setText(sizeText(work_.printFont.size));
}

QFont frmOptions::UpdateSDialog() const { return toQFont(work_.screenFont, true); }
QFont frmOptions::UpdatePDialog() const { return toQFont(work_.printFont, false); }

void frmOptions::UpdateSFont(const QFont& f) { work_.screenFont = fromQFont(f); }
void frmOptions::UpdatePFont(const QFont& f) { work_.printFont = fromQFont(f); }

void frmOptions::setFont(bool screen)
{
    QFont f = screen ? UpdateSDialog() : UpdatePDialog();
    if (!fontChooser(f, screen ? QStringLiteral("Editor Font") : QStringLiteral("Printer Font")))
        return;  // cancelled: the working record stays
    if (screen) {
        UpdateSFont(f);
        UpdateSLabels();
    } else {
        UpdatePFont(f);
        UpdatePLabels();
    }
}

} // namespace zelk
