// The help viewer: ZELK.html beside the program, shown in a text browser and
// opened at the anchor of a help context number ("ctx39"), contents at 0.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace zelk {

class HelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(const QString& file, QWidget* parent = nullptr);
    // Shows the viewer at the topic of a context number (0 = contents);
    // false when the help file is missing (the viewer then shows a "Help
    // not found" page).
    bool showTopic(int context);
    void setFile(const QString& file) { file_ = file; }
    const QString& file() const { return file_; }
    QTextBrowser* browser() const { return browser_; }
    static QString anchorFor(int context);

private:
    QString file_;
    QTextBrowser* browser_;
};

} // namespace zelk
