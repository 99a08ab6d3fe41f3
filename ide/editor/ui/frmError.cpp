// The error list window.
#include "editor/ui/frmError.h"

#include "editor/SymbolTable.h"
#include "editor/ui/ProgramSymbols.h"
#include "editor/ui/SourceEdit.h"
#include "editor/ui/frmEditor.h"
#include "shell/frmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelk {

namespace {
QPointer<frmError> g_error;
}

frmError* frmError::instance() { return g_error; }

frmError::frmError(frmMain& m) : QDialog(&m), main_(m)
{
    setObjectName(QStringLiteral("frmError"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* lay = new QVBoxLayout(this);
    List = new QListWidget;
    List->setObjectName(QStringLiteral("List"));
    List->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lay->addWidget(List);
    auto* buttons = new QHBoxLayout;
    cmdShow = new QPushButton(QStringLiteral("Show Error"));
    cmdShow->setObjectName(QStringLiteral("cmdShow"));
    cmdShow->setDefault(true);
    cmdClose = new QPushButton(QStringLiteral("Close"));
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    buttons->addStretch();
    buttons->addWidget(cmdShow);
    buttons->addWidget(cmdClose);
    lay->addLayout(buttons);
    resize(520, 220);
    connect(cmdShow, &QPushButton::clicked, this, &frmError::cmdShowClick);
    connect(List, &QListWidget::itemDoubleClicked, this, &frmError::cmdShowClick);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    g_error = this;
}

bool frmError::ErrorShow(const QString& path)
{
    setWindowTitle(programFiles().errorTitle.isEmpty() ? QFileInfo(path).fileName() : programFiles().errorTitle);
    List->clear();
    lines_.clear();
    const ErrorListing listing = parseErrorListing(std::filesystem::path(path.toStdString()));
    if (!listing.ok) {
        main_.message(ReadErrorCaption, readErrorMessage(listing.error), MessageIcon::Exclamation);
        return false;
    }
    for (const ErrorLine& l : listing.lines) {
        List->addItem(QString::fromStdString(l.text));
        lines_.push_back(l.line);
    }
    if (!lines_.empty())
        List->setCurrentRow(0);
    cmdShow->setEnabled(!lines_.empty());
    if (isVisible()) {
        raise();
        activateWindow();
    } else {
        show();
    }
    List->setFocus();
    return true;
}

void frmError::cmdShowClick()
{
    const int row = List->currentRow();
    if (row < 0 || row >= int(lines_.size()))
        return;
    const ProgramFiles& files = programFiles();
    frmEditor* e = findEditor(main_, files.errorSourcePath);
    if (!e)
        e = OpenEditor(main_, files.errorSourcePath, files.errorSourceTitle);
    if (!e)
        return;
    const int last = e->Text->document()->blockCount() - 1;
    e->goToLine(errorCaretLine(lines_[size_t(row)], last));
    main_.activateWindow();
}

void frmError::closeEvent(QCloseEvent* e)
{
    main_.activateWindow();
    main_.setFocus();
    QDialog::closeEvent(e);
}

} // namespace zelk
