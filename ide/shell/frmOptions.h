// frmOptions: the Options dialog. Target mode (simulator check box) and the
// simulator's options (on-chip peripherals, Play's pace, E clock, history), the
// serial port (COM 1-4, each mapped to a device of this machine, or one of
// the machine's serial devices or a typed device path), and the editor and printer fonts. Works on copies of the
// settings; the caller applies them when the dialog is accepted.
#pragma once

#include "shell/Settings.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace zelk {

class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(const AppSettings& current, QWidget* parent = nullptr);

    // The settings as the dialog leaves them (meaningful after accept()).
    AppSettings result() const;

    // Copies between the working font records, the labels and the font
    // dialog (S = editor, P = printer).
    void UpdateSLabels();
    void UpdatePLabels();
    QFont UpdateSDialog() const;
    QFont UpdatePDialog() const;
    void UpdateSFont(const QFont& f);
    void UpdatePFont(const QFont& f);

    // Runs the font dialog for one record; a test replaces it.
    std::function<bool(QFont& inOut, const QString& title)> fontChooser;

private:
    void setFont(bool screen);
    void showDevice();

    AppSettings work_;
    QComboBox* cbComPort_;
    QLabel* lbDevice_;
    QComboBox* cbDevice_;
    QLineEdit* txtDevice_;  // cbDevice_'s edit field
    QCheckBox* chSimEnabled_;
    QCheckBox* chSimPeripherals_;
    QComboBox* cbSpeed_;
    QSpinBox* spEClock_;
    QSpinBox* spHistory_;
    QLabel* lbSName_;
    QLabel* lbSStyle_;
    QLabel* lbSSize_;
    QLabel* lbPName_;
    QLabel* lbPStyle_;
    QLabel* lbPSize_;
};

} // namespace zelk
