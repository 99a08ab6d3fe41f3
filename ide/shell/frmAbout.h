// frmAbout: the modal About box with the product name and its version.
#pragma once

#include <QDialog>

namespace zelk {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    // "Version " & major & "." & minor.
    static QString versionLine();
};

} // namespace zelk
