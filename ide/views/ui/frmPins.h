// frmPins, "On-chip Pins": the pins of the simulated 68HC11 (simulator mode
// with the on-chip peripherals simulated). Ports A-E as check boxes, one per
// pin: the inputs the user drives (a change acts at once: an input capture
// edge, a pulse accumulator count, the level a program reads), the outputs
// shown as the chip drives them (disabled). Port E's levels follow its
// analog inputs PE0-PE7, set in the spin boxes below (0-255, typed as
// decimal, "$" hex, "%" binary or "@" octal). The IRQ and XIRQ buttons
// request those interrupts; the request holds until it is taken.
//
// The window reads the model with its const accessors only (no register
// access, no side effect on the program). It redraws every 100 ms while a
// program runs, after each step (the main window's programCounterShown) and
// when the chip is reset or the mode changes; a redraw rewrites only what
// changed. Outside simulator mode, or with the peripherals off, the
// controls are disabled and say why.
#pragma once

#include "shell/DebugView.h"
#include "link/chip/OnChip.h"

#include <QSpinBox>
#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace zelk {

class frmMain;

// A 0-255 spin box that shows "$xx" and takes the user's number syntax;
// text that is no such number (or above 255) is not accepted.
class AnalogSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit AnalogSpinBox(QWidget* parent = nullptr);

protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString& text) const override;
    QValidator::State validate(QString& input, int& pos) const override;
};

class frmPins : public QWidget, public DebugView {
    Q_OBJECT
public:
    static constexpr int Ports = 5;  // A-E

    explicit frmPins(frmMain& main, QWidget* parent = nullptr);

    bool refreshable() const override { return false; }
    // Brings every control up to the model.
    void Redraw() override;

    // Controls, by port (0 = A) and bit (0 = PA0): null for a pin the port
    // does not have (PD6, PD7).
    QCheckBox* pinBox(int port, int bit) const { return pins_[static_cast<size_t>(port)][static_cast<size_t>(bit)]; }
    AnalogSpinBox* analogBox(int channel) const { return analog_[static_cast<size_t>(channel)]; }
    QPushButton* cmdIRQ() const { return cmdIRQ_; }
    QPushButton* cmdXIRQ() const { return cmdXIRQ_; }
    QLabel* lbState() const { return lbState_; }
    QTimer* tmrPins() const { return tmrPins_; }

private:
    OnChip& chip() const;
    // Simulator mode with the peripherals simulated: the controls act.
    bool live() const;
    void pinClicked(int port, int bit, bool high);
    void analogChanged(int channel, int value);

    frmMain& main_;
    std::array<std::array<QCheckBox*, 8>, Ports> pins_{};
    std::array<AnalogSpinBox*, 8> analog_{};
    QPushButton* cmdIRQ_ = nullptr;
    QPushButton* cmdXIRQ_ = nullptr;
    QLabel* lbState_ = nullptr;
    QTimer* tmrPins_ = nullptr;
};

} // namespace zelk
