// The help viewer over the HTML help file.
#include "shell/HelpViewer.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace zelk {

HelpViewer::HelpViewer(const QString& file, QWidget* parent) : QDialog(parent), file_(file)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("ZELK Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    browser_ = new QTextBrowser;
    browser_->setObjectName(QStringLiteral("txtHelp"));
    browser_->setOpenExternalLinks(false);
    auto* back = new QPushButton(QStringLiteral("&Back"));
    auto* contents = new QPushButton(QStringLiteral("&Contents"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    auto* row = new QHBoxLayout;
    row->addWidget(contents);
    row->addWidget(back);
    row->addStretch(1);
    row->addWidget(close);
    auto* v = new QVBoxLayout(this);
    v->addLayout(row);
    v->addWidget(browser_);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic(0); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    back->setEnabled(false);
    resize(760, 600);
}

QString HelpViewer::anchorFor(int context)
{
    return context > 0 ? QStringLiteral("ctx%1").arg(context) : QStringLiteral("contents");
}

bool HelpViewer::showTopic(int context)
{
    const bool found = QFileInfo(file_).isFile();
    if (found) {
        QUrl url = QUrl::fromLocalFile(file_);
        url.setFragment(anchorFor(context));
        browser_->setSource(url);
    } else {
        // The viewer opens with this page, so that the command visibly
        // answers and says what is wrong.
        browser_->setHtml(QStringLiteral("<h2>Help not found</h2><p>The help file <tt>%1</tt> "
                                         "is missing: it belongs beside the program.</p>")
                              .arg(file_.toHtmlEscaped()));
    }
    show();
    raise();
    activateWindow();
    return found;
}

} // namespace zelk
