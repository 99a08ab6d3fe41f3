// The on-chip pins window (see frmPins.h).
#include "views/ui/frmPins.h"

#include "link/Conversions.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace zelk {

namespace {

constexpr ChipPort kPorts[frmPins::Ports] = {ChipPort::A, ChipPort::B, ChipPort::C, ChipPort::D, ChipPort::E};
constexpr char kPortLetter[frmPins::Ports] = {'A', 'B', 'C', 'D', 'E'};
// Port D has PD0-PD5 only.
constexpr uint8_t kPortBits[frmPins::Ports] = {0xFF, 0xFF, 0xFF, 0x3F, 0xFF};

const char* const kInputTip = "An input: click to drive the pin high or low";
const char* const kOutputTip = "An output: the chip drives it";
const char* const kAnalogTip = "Port E follows its analog inputs: $80 and above reads high";

} // namespace

// ---- AnalogSpinBox -------------------------------------------------------------

AnalogSpinBox::AnalogSpinBox(QWidget* parent) : QSpinBox(parent)
{
    setRange(0, 255);
    setAccelerated(true);
    // The value counts when typing ends (Enter, leaving the box), not at
    // every key: "200" must not pass through 2 and 20 on its way.
    setKeyboardTracking(false);
    setToolTip(QStringLiteral("0-255: decimal, $ hex, % binary or @ octal"));
}

QString AnalogSpinBox::textFromValue(int value) const
{
    return QStringLiteral("$%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

int AnalogSpinBox::valueFromText(const QString& text) const
{
    const int32_t v = ParseNumber(text.trimmed().toStdString(), false);
    return v < 0 ? value() : v;
}

QValidator::State AnalogSpinBox::validate(QString& input, int& /*pos*/) const
{
    const QString t = input.trimmed();
    if (ParseNumber(t.toStdString(), false) >= 0)
        return QValidator::Acceptable;
    // On the way to a number (a prefix alone, digits still to come) the text
    // may stay; a number out of range is refused when editing ends, and any
    // other character is refused at once.
    if (t.size() > 17)
        return QValidator::Invalid;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        const bool prefix = i == 0 && (c == '$' || c == '%' || c == '@');
        if (!prefix && !(c.isDigit() || (c.toLower() >= 'a' && c.toLower() <= 'f')))
            return QValidator::Invalid;
    }
    return QValidator::Intermediate;
}

// ---- frmPins ------------------------------------------------------------------

frmPins::frmPins(frmMain& main, QWidget* parent) : QWidget(parent), main_(main)
{
    setObjectName(QStringLiteral("frmPins"));
    setWindowTitle(QStringLiteral("On-chip Pins"));

    auto* ports = new QGroupBox(QStringLiteral("Ports"));
    ports->setObjectName(QStringLiteral("FramePorts"));
    auto* grid = new QGridLayout(ports);
    grid->setHorizontalSpacing(4);
    for (int p = 0; p < Ports; ++p) {
        grid->addWidget(new QLabel(QStringLiteral("Port %1").arg(QLatin1Char(kPortLetter[p]))), p, 0);
        for (int bit = 7; bit >= 0; --bit) {
            if (!(kPortBits[p] >> bit & 1))
                continue;
            const QString name = QStringLiteral("P%1%2").arg(QLatin1Char(kPortLetter[p])).arg(bit);
            auto* box = new QCheckBox(name);
            box->setObjectName(QStringLiteral("chk") + name);
            pins_[static_cast<size_t>(p)][static_cast<size_t>(bit)] = box;
            grid->addWidget(box, p, 8 - bit);
            connect(box, &QCheckBox::clicked, this, [this, p, bit](bool on) { pinClicked(p, bit, on); });
        }
    }
    grid->setColumnStretch(9, 1);
    // Outputs are disabled (the user cannot drive them) but must stay easy
    // to read: their level is the point of showing them. Dark blue marks
    // what the chip drives.
    QPalette driven = ports->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        driven.setColor(QPalette::Disabled, role, QColor(0x1F, 0x3A, 0x8A));
    driven.setColor(QPalette::Disabled, QPalette::Base, driven.color(QPalette::Active, QPalette::Base));
    ports->setPalette(driven);

    auto* ad = new QGroupBox(QStringLiteral("A/D Inputs"));
    ad->setObjectName(QStringLiteral("FrameAnalog"));
    auto* adGrid = new QGridLayout(ad);
    for (int ch = 0; ch < 8; ++ch) {
        auto* spin = new AnalogSpinBox;
        spin->setObjectName(QStringLiteral("spPE%1").arg(ch));
        analog_[static_cast<size_t>(ch)] = spin;
        auto* label = new QLabel(QStringLiteral("PE%1").arg(ch));
        label->setBuddy(spin);
        adGrid->addWidget(label, ch / 4, (ch % 4) * 2);
        adGrid->addWidget(spin, ch / 4, (ch % 4) * 2 + 1);
        connect(spin, &QSpinBox::valueChanged, this, [this, ch](int v) { analogChanged(ch, v); });
    }

    cmdIRQ_ = new QPushButton(QStringLiteral("IRQ"));
    cmdIRQ_->setObjectName(QStringLiteral("cmdIRQ"));
    cmdIRQ_->setToolTip(QStringLiteral("Requests the IRQ interrupt (vector $FFF2) until it is taken"));
    cmdXIRQ_ = new QPushButton(QStringLiteral("XIRQ"));
    cmdXIRQ_->setObjectName(QStringLiteral("cmdXIRQ"));
    cmdXIRQ_->setToolTip(QStringLiteral("Requests the XIRQ interrupt (vector $FFF4) until it is taken"));
    lbState_ = new QLabel;
    lbState_->setObjectName(QStringLiteral("lbState"));
    connect(cmdIRQ_, &QPushButton::clicked, this, [this] {
        if (live())
            chip().pulseIrq();
        Redraw();
    });
    connect(cmdXIRQ_, &QPushButton::clicked, this, [this] {
        if (live())
            chip().pulseXirq();
        Redraw();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdIRQ_);
    buttons->addWidget(cmdXIRQ_);
    buttons->addSpacing(12);
    buttons->addWidget(lbState_, 1);

    auto* v = new QVBoxLayout(this);
    v->addWidget(ports);
    v->addWidget(ad);
    v->addLayout(buttons);
    v->addStretch(1);

    // While a program runs, window messages run every few milliseconds:
    // this timer then shows the pins about ten times a second.
    tmrPins_ = new QTimer(this);
    tmrPins_->setObjectName(QStringLiteral("tmrPins"));
    tmrPins_->setInterval(100);
    connect(tmrPins_, &QTimer::timeout, this, [this] {
        if (main_.running())
            Redraw();
    });
    tmrPins_->start();
    connect(&main_, &frmMain::programCounterShown, this, &frmPins::Redraw);
    connect(&main_, &frmMain::peripheralsReset, this, &frmPins::Redraw);
    Redraw();
}

OnChip& frmPins::chip() const { return main_.access().simulator().chip(); }

bool frmPins::live() const { return chip().enabled() && main_.access().simulatorMode(); }

void frmPins::pinClicked(int port, int bit, bool high)
{
    if (live())
        chip().setPin(kPorts[port], bit, high);
    Redraw();  // an output refuses the click: the box shows the chip's level again
}

void frmPins::analogChanged(int channel, int value)
{
    OnChip& c = chip();
    if (!live() || c.analog(channel) == value)
        return;
    c.setAnalog(channel, static_cast<uint8_t>(value));
    Redraw();
}

void frmPins::Redraw()
{
    OnChip& c = chip();
    const bool on = live();
    if (on)
        c.catchUp();  // pin actions of compares that are due (as a view's read does)
    for (int p = 0; p < Ports; ++p) {
        const uint8_t levels = on ? c.pins(kPorts[p]) : 0;
        const uint8_t inputs = on ? c.inputMask(kPorts[p]) : 0;
        for (int bit = 0; bit < 8; ++bit) {
            QCheckBox* box = pins_[static_cast<size_t>(p)][static_cast<size_t>(bit)];
            if (!box)
                continue;
            const bool high = levels >> bit & 1;
            const bool input = inputs >> bit & 1;
            if (box->isChecked() != high) {
                const QSignalBlocker quiet(box);
                box->setChecked(high);
            }
            if (box->isEnabled() != input)
                box->setEnabled(input);
            const char* tip = kPorts[p] == ChipPort::E ? kAnalogTip : input ? kInputTip : kOutputTip;
            if (box->toolTip() != QLatin1String(tip))
                box->setToolTip(QString::fromLatin1(tip));
        }
    }
    for (int ch = 0; ch < 8; ++ch) {
        AnalogSpinBox* spin = analog_[static_cast<size_t>(ch)];
        spin->setEnabled(on);
        // Not while the user is typing a value into it.
        if (spin->value() != c.analog(ch) && !spin->hasFocus()) {
            const QSignalBlocker quiet(spin);
            spin->setValue(c.analog(ch));
        }
    }
    cmdIRQ_->setEnabled(on);
    cmdXIRQ_->setEnabled(on);
    QString state;
    if (!main_.access().simulatorMode())
        state = QStringLiteral("Board mode: these are the simulator's pins");
    else if (!on)
        state = QStringLiteral("Peripherals not simulated");
    else if (c.s.cpu == CpuMode::Waiting)
        state = QStringLiteral("CPU waits (WAI)");
    else if (c.s.cpu == CpuMode::Stopped)
        state = QStringLiteral("CPU stopped (STOP)");
    QStringList pending;
    if (on && c.s.irqLatch)
        pending << QStringLiteral("IRQ");
    if (on && c.s.xirqLatch)
        pending << QStringLiteral("XIRQ");
    if (!pending.isEmpty())
        state += (state.isEmpty() ? QString() : QStringLiteral(", ")) + pending.join(QStringLiteral(" and ")) +
                 QStringLiteral(" requested");
    if (lbState_->text() != state)
        lbState_->setText(state);
}

ZELK_REGISTER_VIEW(frmPins, "mnuViewPins", "Pins", [](frmMain& m) -> QWidget* { return new frmPins(m); });

} // namespace zelk
