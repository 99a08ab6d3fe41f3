// frmIOBOard, "Input-Output Unit": the virtual peripheral at $6000-$6003 of
// simulator mode. The In Unit takes a byte typed in one of four formats and
// offers it to the program (Data Pending); the Out Unit shows the byte the
// program writes, as text in one of four formats, as bits and on eight LEDs
// (Data Ready until the user presses Read).
//
// The unit's state and rules are IoUnitModel's; the main window owns one
// model for its lifetime (the access layer calls it even while the window is
// closed, when a view writes $6000-$6003), and the window shows it. While
// the window is open its View item is checked and the program's accesses
// drive the unit. Closing the window resets the unit to its loaded state.
//
// The model only records what the program does; the window redraws when
// window messages run, so Play pays little for an open window.
#pragma once

#include "shell/DebugView.h"
#include "terminal/IoUnitModel.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace zelk {

class frmMain;
class LedWidget;

class frmIOBOard : public QWidget, public DebugView, private IoUnitModel::Listener {
    Q_OBJECT
public:
    explicit frmIOBOard(frmMain& main, QWidget* parent = nullptr);
    ~frmIOBOard() override;

    bool refreshable() const override { return false; }

    // The main window's unit (created with the main window).
    static IoUnitModel& unit(frmMain& main);

    // The window's procedures.
    void CommandInputClick();   // Enter
    void CommandReadClick();    // Read
    void showLED();
    // Brings every control up to the model now (otherwise done when window
    // messages run after a change).
    void redraw();

    // Controls, by their names.
    QLineEdit* TextIn() const { return TextIn_; }
    QComboBox* ComboFormatIn() const { return ComboFormatIn_; }
    QLineEdit* TextInBinary() const { return TextInBinary_; }
    LedWidget* ShapeInFresh() const { return ShapeInFresh_; }
    QPushButton* CommandInput() const { return CommandInput_; }
    QLineEdit* TextOut() const { return TextOut_; }
    QComboBox* ComboFormatOut() const { return ComboFormatOut_; }
    QLineEdit* TextOutBinary() const { return TextOutBinary_; }
    LedWidget* ShapeOutFresh() const { return ShapeOutFresh_; }
    QPushButton* CommandRead() const { return CommandRead_; }
    QCheckBox* CheckLEDPower() const { return CheckLEDPower_; }
    LedWidget* ShapeLed(int i) const { return ShapeLed_[static_cast<size_t>(i)]; }  // 0 = bit 7 (leftmost)
    QPushButton* CommandClose() const { return CommandClose_; }

private:
    void ioUnitChanged(bool rewriteInText) override;
    static void setTextIfChanged(QLineEdit* e, const QString& text);

    frmMain& main_;
    IoUnitModel& unit_;
    bool redrawQueued_ = false;
    bool rewriteInText_ = true;

    QLineEdit* TextIn_ = nullptr;
    QComboBox* ComboFormatIn_ = nullptr;
    QLineEdit* TextInBinary_ = nullptr;
    LedWidget* ShapeInFresh_ = nullptr;
    QPushButton* CommandInput_ = nullptr;
    QLineEdit* TextOut_ = nullptr;
    QComboBox* ComboFormatOut_ = nullptr;
    QLineEdit* TextOutBinary_ = nullptr;
    LedWidget* ShapeOutFresh_ = nullptr;
    QPushButton* CommandRead_ = nullptr;
    QCheckBox* CheckLEDPower_ = nullptr;
    std::array<LedWidget*, 8> ShapeLed_{};
    QPushButton* CommandClose_ = nullptr;
};

} // namespace zelk
