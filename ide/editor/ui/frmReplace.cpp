// The find and replace dialog and the Find, Find Next and Replace commands.
#include "editor/ui/frmReplace.h"

#include "editor/TextSearch.h"
#include "editor/ui/SourceEdit.h"
#include "editor/ui/frmEditor.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace zelk {

namespace {

std::u16string_view view(const QString& s) { return {QStringView(s).utf16(), std::size_t(s.size())}; }

// Upper case one code unit at a time, as the editor's characters are counted.
const CaseFold& qtFold()
{
    static const CaseFold fold([](char16_t c) -> char16_t {
        const char32_t u = QChar::toUpper(char32_t(c));
        return u > 0xFFFF ? c : char16_t(u);
    });
    return fold;
}

// The selected text with line ends as '\n' (the control reports paragraph
// separators).
QString selectedText(const QTextCursor& c)
{
    QString s = c.selectedText();
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    s.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return s;
}

struct BusyPointer {
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
};

const char* const kSearchCaption = "Tarvine - Search";
const char* const kNotFound = "Search Text not found !";

} // namespace

frmReplace::frmReplace(frmMain& m) : QDialog(&m), main_(m)
{
    setObjectName(QStringLiteral("frmReplace"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);

    cbWhat = new QComboBox;
    cbWhat->setObjectName(QStringLiteral("cbWhat"));
    cbWith = new QComboBox;
    cbWith->setObjectName(QStringLiteral("cbWith"));
    for (QComboBox* cb : {cbWhat, cbWith}) {
        cb->setEditable(true);
        // The history is kept by AddItem, most recent first.
        cb->setInsertPolicy(QComboBox::NoInsert);
        // What is typed stays as typed: no completion from the history.
        cb->setCompleter(nullptr);
        cb->setMinimumContentsLength(28);
        cb->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    lbWhat = new QLabel(QStringLiteral("&Find What:"));
    lbWhat->setObjectName(QStringLiteral("lbWhat"));
    lbWhat->setBuddy(cbWhat);
    lbWith = new QLabel(QStringLiteral("Replace &With:"));
    lbWith->setObjectName(QStringLiteral("lbWith"));
    lbWith->setBuddy(cbWith);

    chkCase = new QCheckBox(QStringLiteral("Match &Case"));
    chkCase->setObjectName(QStringLiteral("chkCase"));
    fraDirection = new QGroupBox(QStringLiteral("Direction"));
    fraDirection->setObjectName(QStringLiteral("fraDirection"));
    optUp = new QRadioButton(QStringLiteral("&Up"));
    optUp->setObjectName(QStringLiteral("optUp"));
    optDown = new QRadioButton(QStringLiteral("&Down"));
    optDown->setObjectName(QStringLiteral("optDown"));
    optDown->setChecked(true);
    auto* dir = new QHBoxLayout(fraDirection);
    dir->addWidget(optUp);
    dir->addWidget(optDown);

    cmdFindNext = new QPushButton(QStringLiteral("Find &Next"));
    cmdFindNext->setObjectName(QStringLiteral("cmdFindNext"));
    cmdFindNext->setDefault(true);
    cmdReplace = new QPushButton(QStringLiteral("&Replace ..."));
    cmdReplace->setObjectName(QStringLiteral("cmdReplace"));
    cmdReplaceAll = new QPushButton(QStringLiteral("Replace All"));
    cmdReplaceAll->setObjectName(QStringLiteral("cmdReplaceAll"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    // Left: the texts, then the options; right: the buttons. Hiding the
    // replace row moves the options up into their find-mode place.
    auto* texts = new QFormLayout;
    texts->addRow(lbWhat, cbWhat);
    texts->addRow(lbWith, cbWith);
    auto* options = new QHBoxLayout;
    options->addWidget(chkCase, 0, Qt::AlignVCenter);
    options->addStretch();
    options->addWidget(fraDirection);
    auto* left = new QVBoxLayout;
    left->addLayout(texts);
    left->addLayout(options);
    left->addStretch();
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdFindNext, cmdReplace, cmdReplaceAll, cmdCancel})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* all = new QHBoxLayout(this);
    all->addLayout(left, 1);
    all->addLayout(buttons);
    all->setSizeConstraint(QLayout::SetFixedSize);

    connect(cbWhat, &QComboBox::editTextChanged, this, &frmReplace::UpdateCmd);
    connect(cmdFindNext, &QPushButton::clicked, this, &frmReplace::cmdFindNextClick);
    connect(cmdReplace, &QPushButton::clicked, this, &frmReplace::cmdReplaceClick);
    connect(cmdReplaceAll, &QPushButton::clicked, this, &frmReplace::cmdReplaceAllClick);
    connect(cmdCancel, &QPushButton::clicked, this, &frmReplace::EndReplace);
    UpdateCmd();
}

frmReplace::~frmReplace() { releaseSelection(); }

frmReplace* frmReplace::of(frmMain& m) { return m.findChild<frmReplace*>(QStringLiteral("frmReplace")); }

int frmReplace::historyCount() const { return cbWhat->count(); }
bool frmReplace::down() const { return optDown->isChecked(); }
bool frmReplace::matchCase() const { return chkCase->isChecked(); }

void frmReplace::ShowFind() { setMode(false); }

void frmReplace::ShowReplace() { setMode(true); }

void frmReplace::setMode(bool replace)
{
    // Find mode hides the replace controls; the Replace button then switches
    // to replace mode.
    replaceMode_ = replace;
    for (QWidget* w : {static_cast<QWidget*>(lbWith), static_cast<QWidget*>(cbWith),
                       static_cast<QWidget*>(cmdReplaceAll)})
        w->setVisible(replace);
    cmdReplace->setText(replace ? QStringLiteral("&Replace") : QStringLiteral("&Replace ..."));
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    showCommon();
}

void frmReplace::showCommon()
{
    frmEditor* e = activeEditor(main_);
    if (!e)
        return;
    // A selection over several lines offers its first line: the search
    // text is one line.
    QString sel = selectedText(e->Text->textCursor());
    sel.truncate(sel.indexOf(QLatin1Char('\n')) < 0 ? sel.size() : sel.indexOf(QLatin1Char('\n')));
    if (sel.isEmpty()) {
        cbWhat->setEditText(cbWhat->count() ? cbWhat->itemText(0) : QString());
    } else {
        if (cbWhat->count() == 0 || sel != cbWhat->itemText(0)) {
            cbWhat->insertItem(0, sel);
            main_.setCommandEnabled(QStringLiteral("mnuEditFindNext"), true);
        }
        cbWhat->setCurrentIndex(0);
        cbWhat->setEditText(cbWhat->itemText(0));
    }
    UpdateCmd();
    cbWith->setEditText(cbWith->count() ? cbWith->itemText(0) : QString());
    keepSelectionVisible(e);
    show();
    raise();
    activateWindow();
    cbWhat->setFocus();
    cbWhat->lineEdit()->selectAll();
}

void frmReplace::AddItem()
{
    const QString what = cbWhat->currentText();
    if (cbWhat->count() == 0 || what != cbWhat->itemText(0)) {
        cbWhat->insertItem(0, what);
        cbWhat->setCurrentIndex(0);
        main_.setCommandEnabled(QStringLiteral("mnuEditFindNext"), true);
    }
    const QString with = cbWith->currentText();
    if (!with.isEmpty() && (cbWith->count() == 0 || with != cbWith->itemText(0))) {
        cbWith->insertItem(0, with);
        cbWith->setCurrentIndex(0);
    }
}

bool frmReplace::FindStr(bool down, bool matchCase, bool noMessage)
{
    frmEditor* e = activeEditor(main_);
    const QString what = cbWhat->currentText();
    if (!e || what.isEmpty())
        return false;
    const QString text = e->Text->toPlainText();
    QTextCursor c = e->Text->textCursor();
    const SearchPattern pattern(view(what), matchCase, qtFold());
    const auto at = findString(view(text), pattern,
                               {std::size_t(c.selectionStart()), std::size_t(c.selectionEnd() - c.selectionStart())},
                               down);
    if (!at) {
        if (!noMessage)
            main_.message(kSearchCaption, kNotFound, MessageIcon::Exclamation);
        return false;
    }
    c.setPosition(int(*at));
    c.setPosition(int(*at) + int(what.size()), QTextCursor::KeepAnchor);
    e->Text->setTextCursor(c);
    return true;
}

void frmReplace::EndReplace()
{
    hide();
    if (frmEditor* e = activeEditor(main_)) {
        main_.activateWindow();
        e->Text->setFocus();
    }
}

void frmReplace::UpdateCmd()
{
    const bool on = !cbWhat->currentText().isEmpty();
    for (QPushButton* b : {cmdFindNext, cmdReplace, cmdReplaceAll})
        b->setEnabled(on);
}

void frmReplace::cmdFindNextClick()
{
    AddItem();
    FindStr(down(), matchCase(), false);
}

void frmReplace::cmdReplaceClick()
{
    AddItem();
    if (!replaceMode_) {
        ShowReplace();
        return;
    }
    frmEditor* e = activeEditor(main_);
    if (!e)
        return;
    QTextCursor c = e->Text->textCursor();
    const QString what = cbWhat->currentText();
    if (c.hasSelection() && selectedText(c) == what) {
        const QString with = cbWith->currentText();
        const int start = c.selectionStart();
        c.insertText(with);
        c.setPosition(start);
        c.setPosition(start + int(with.size()), QTextCursor::KeepAnchor);
        e->Text->setTextCursor(c);
        return;
    }
    FindStr(down(), matchCase(), false);
}

void frmReplace::cmdReplaceAllClick()
{
    AddItem();
    frmEditor* e = activeEditor(main_);
    const QString what = cbWhat->currentText();
    if (!e || what.isEmpty())
        return;
    const QString with = cbWith->currentText();
    std::size_t count = 0;
    {
        BusyPointer busy;
        QTextDocument* doc = e->Text->document();
        const QString text = e->Text->toPlainText();
        const QTextCursor sel = e->Text->textCursor();
        const SearchPattern pattern(view(what), matchCase(), qtFold());
        const ReplaceAllPlan plan = planReplaceAll(
            view(text), view(what), pattern, std::size_t(with.size()),
            {std::size_t(sel.selectionStart()), std::size_t(sel.selectionEnd() - sel.selectionStart())}, down());
        count = plan.count();
        if (count) {
            // One edit block: one undo step takes the whole Replace All back.
            // From the end backwards, so the planned positions stay valid.
            QTextCursor c(doc);
            c.beginEditBlock();
            for (auto it = plan.at.rbegin(); it != plan.at.rend(); ++it) {
                c.setPosition(int(*it));
                c.setPosition(int(*it + what.size()), QTextCursor::KeepAnchor);
                c.insertText(with);
            }
            c.endEditBlock();
            QTextCursor caret(doc);
            caret.setPosition(int(plan.caret));
            e->Text->setTextCursor(caret);
        }
    }
    if (count == 1)
        main_.message("Tarvine - Replace", "1 item replaced !", MessageIcon::Information);
    else if (count > 1)
        main_.message("Tarvine - Replace", std::to_string(count) + " items replaced !", MessageIcon::Information);
    else
        main_.message(kSearchCaption, kNotFound, MessageIcon::Exclamation);
}

void frmReplace::FindNext() { FindStr(down(), matchCase(), false); }

void frmReplace::reject() { EndReplace(); }

void frmReplace::hideEvent(QHideEvent* e)
{
    releaseSelection();
    QDialog::hideEvent(e);
}

void frmReplace::keepSelectionVisible(frmEditor* e)
{
    if (shownFor_ == e)
        return;
    releaseSelection();
    savedPalette_ = e->Text->palette();
    QPalette p = savedPalette_;
    for (QPalette::ColorRole r : {QPalette::Highlight, QPalette::HighlightedText})
        p.setBrush(QPalette::Inactive, r, p.brush(QPalette::Active, r));
    e->Text->setPalette(p);
    shownFor_ = e;
}

void frmReplace::releaseSelection()
{
    if (shownFor_)
        shownFor_->Text->setPalette(savedPalette_);
    shownFor_ = nullptr;
}

int findHistoryCount(frmMain& m)
{
    const frmReplace* f = frmReplace::of(m);
    return f ? f->historyCount() : 0;
}

void hideFindDialog(frmMain& m)
{
    if (frmReplace* f = frmReplace::of(m); f && f->isVisible())
        f->hide();
}

namespace {

void installFindCommands(frmMain& m)
{
    // Loaded hidden at start-up, so the history exists from the beginning.
    auto* dialog = new frmReplace(m);
    dialog->hide();
    frmMain* mp = &m;
    auto withDialog = [mp](void (frmReplace::*fn)()) {
        return [mp, fn] {
            if (frmReplace* f = frmReplace::of(*mp); f && activeEditor(*mp))
                (f->*fn)();
        };
    };
    m.setCommand(QStringLiteral("mnuEditFind"), withDialog(&frmReplace::ShowFind));
    m.setCommand(QStringLiteral("mnuEditReplace"), withDialog(&frmReplace::ShowReplace));
    m.setCommand(QStringLiteral("mnuEditFindNext"), withDialog(&frmReplace::FindNext));
}

} // namespace

ZELK_REGISTER_EXTENSION(findDialog, installFindCommands);

} // namespace zelk
