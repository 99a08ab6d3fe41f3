// The Download command and its progress dialog.
#include "link/ui/frmDownload.h"

#include "editor/ui/ProgramSymbols.h"
#include "editor/ui/frmEditor.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace zelk {

// The dialog's side of the download: labels, bar, and the Cancel button
// noticed between lines.
class DownloadDialogProgress final : public DownloadProgress {
public:
    explicit DownloadDialogProgress(frmDownload& d) : d_(d) {}
    void progress(int percent) override
    {
        if (d_.ProgressBar->value() != percent)
            d_.ProgressBar->setValue(percent);
    }
    void record(const std::string& addressText, const std::string& sizeText) override
    {
        d_.lbAddress->setText(QString::fromStdString(addressText));
        d_.lbSize->setText(QString::fromStdString(sizeText));
        if (frmDownload::recordHook)
            frmDownload::recordHook(d_);
    }
    bool cancelRequested() override
    {
        QCoreApplication::processEvents();
        return d_.cancel_;
    }

private:
    frmDownload& d_;
};

frmDownload::frmDownload(frmMain& m, const QString& fileName) : QDialog(&m), main_(m), fileName_(fileName)
{
    setObjectName(QStringLiteral("frmDownload"));
    setWindowTitle(QStringLiteral("Download"));
    setModal(true);
    auto* lay = new QVBoxLayout(this);
    lbDown = new QLabel(QStringLiteral("Downloading:"));
    lbDown->setObjectName(QStringLiteral("lbDown"));
    lbAddress = new QLabel;
    lbAddress->setObjectName(QStringLiteral("lbAddress"));
    lbSize = new QLabel;
    lbSize->setObjectName(QStringLiteral("lbSize"));
    auto* labels = new QHBoxLayout;
    labels->addWidget(lbDown);
    labels->addWidget(lbAddress, 1);
    labels->addWidget(lbSize);
    lay->addLayout(labels);
    ProgressBar = new QProgressBar;
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    lay->addWidget(ProgressBar);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    lay->addLayout(buttons);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDownload::cmdCancelClick);
    resize(360, 110);
}

void frmDownload::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!started_)
        QTimer::singleShot(0, this, &frmDownload::download);
}

void frmDownload::cmdCancelClick() { cancel_ = true; }

void frmDownload::reject()
{
    // Escape and the close box act as Cancel while the work runs.
    if (running_)
        cmdCancelClick();
    else
        QDialog::reject();
}

void frmDownload::download()
{
    if (started_)
        return;
    QCoreApplication::processEvents();
    started_ = true;
    running_ = true;
    ProgressBar->setValue(0);
    cancel_ = false;
    DownloadDialogProgress progress(*this);
    result_ = DownloadFile(main_.access(), QFile::encodeName(fileName_).toStdString(), &progress);
    running_ = false;
    if (QMdiSubWindow* sub = main_.mdiArea()->currentSubWindow())
        sub->raise();
    lbAddress->clear();
    lbSize->clear();
    accept();
}

namespace {

void raiseView(frmMain& m, const char* item, bool activate = false)
{
    if (QWidget* w = m.viewWidget(QString::fromLatin1(item)))
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
            sub->raise();
            if (activate)
                m.mdiArea()->setActiveSubWindow(sub);
        }
}

} // namespace

void runDownload(frmMain& m, const QString& fileName)
{
    frmDownload dlg(m, fileName);
    dlg.exec();
    if (!dlg.result().cancelled)
        reportSkippedRecords(m.access(), dlg.result());
    if (!dlg.result().downloadOK)
        return;
    m.setPanelText(2, QStringLiteral("Program: ") + QFileInfo(fileName).fileName());
    m.resetPeripherals();  // the program starts from its reset vector, the chip from its reset
    m.breakpoints().clear();
    m.access().InCPU();
    if (m.access().linkReady()) {
        for (const char* item : {"mnuViewRegCPU", "mnuViewStack"})
            if (!m.isShown(QString::fromLatin1(item)))
                m.openView(QString::fromLatin1(item));
        if (m.access().linkReady()) {
            const QString dis = QStringLiteral("mnuViewDisassembler");
            if (!m.isShown(dis)) {
                m.openView(dis);
            } else if (DebugView* d = m.view(dis)) {
                raiseView(m, "mnuViewDisassembler", true);
                d->mnuGoToPCAddress();
                d->mnuRefresh();
            }
        }
    }
    m.RefreshRun();
    emit m.programCounterShown();
    raiseView(m, "mnuViewStack");
    raiseView(m, "mnuViewRegCPU");
    raiseView(m, "mnuViewDisassembler", true);
    // The Run and Debug commands follow the new state.
    m.Menus();
}

void mnuFileDownload(frmMain& m)
{
    QString& name = programFiles().downloadFileName;
    if (name.isEmpty() || !QFileInfo::exists(name)) {
        int index = 1;
        const QString chosen = EditorPrompts::fileDialog(&m, QStringLiteral("Download"),
                                                         QString::fromLatin1(DownloadDialogFilter), index,
                                                         name.isEmpty() ? QString() : QFileInfo(name).fileName(),
                                                         false);
        if (chosen.isEmpty())
            return;
        name = QFileInfo(chosen).absoluteFilePath();
    }
    runDownload(m, name);
}

void FileDownload(frmMain& m)
{
    const QString& name = programFiles().downloadFileName;
    if (!name.isEmpty() && QFileInfo::exists(name))
        runDownload(m, name);
}

namespace {

void installDownloadCommands(frmMain& m)
{
    frmMain* mp = &m;
    m.setCommand(QStringLiteral("mnuFileDownload"), [mp] { mnuFileDownload(*mp); });
    m.setCommand(QStringLiteral("Download"), [mp] { FileDownload(*mp); });
}

} // namespace

ZELK_REGISTER_EXTENSION(download, installDownloadCommands);

} // namespace zelk
