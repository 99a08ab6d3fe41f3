// The editor windows and the File and Edit commands on them.
#include "editor/ui/frmEditor.h"

#include "editor/ui/ProgramSymbols.h"
#include "editor/ui/SourceDebug.h"
#include "editor/ui/SourceEdit.h"
#include "editor/ui/frmReplace.h"
#include "link/FileInput.h"
#include "link/FileOutput.h"
#include "shell/Settings.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTextBlock>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>

namespace zelk {

namespace {

// The busy pointer for the duration of a scope.
struct BusyPointer {
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
};

bool clipboardHasText()
{
    const QClipboard* c = QGuiApplication::clipboard();
    return c && !c->text().isEmpty();
}

QString defaultFileDialog(QWidget* owner, const QString& caption, const QString& filter, int& index,
                          const QString& preset, bool save)
{
    const QStringList filters = dialogFilters(filter);
    QFileDialog dlg(owner, caption, QString(), filters.join(QStringLiteral(";;")));
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !save);
    if (index >= 1 && index <= filters.size())
        dlg.selectNameFilter(filters[index - 1]);
    if (!preset.isEmpty())
        dlg.selectFile(preset);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    index = int(filters.indexOf(dlg.selectedNameFilter())) + 1;
    return dlg.selectedFiles().first();
}

QString readError(const QString& description) { return description + QStringLiteral(" !"); }

// The Save As dialog for an editor, preset to its file (or title); the
// chosen path, or empty for Cancel.
QString chooseSaveAsPath(QWidget* owner, const frmEditor& e)
{
    const QString preset = e.EditorName.isEmpty() ? e.EditorTitle : e.EditorName;
    int index = saveAsFilterIndex(preset);
    return EditorPrompts::fileDialog(owner, QStringLiteral("Save As"), QString::fromLatin1(SaveAsFilter), index,
                                     preset, true);
}

} // namespace

QMessageBox::StandardButton EditorPrompts::messageBox(QWidget* owner, const QString& caption, const QString& text,
                                                      QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, buttons, owner);
    return QMessageBox::StandardButton(box.exec());
}

std::function<QMessageBox::StandardButton(QWidget*, const QString&, const QString&, QMessageBox::StandardButtons,
                                          QMessageBox::Icon)>
    EditorPrompts::question = EditorPrompts::messageBox;
std::function<QString(QWidget*, const QString&, const QString&, int&, const QString&, bool)>
    EditorPrompts::fileDialog = defaultFileDialog;

EditorState& editorState()
{
    static EditorState s;
    return s;
}

QStringList dialogFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        // "*.*" means every file here.
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        QString text = parts[i];
        const qsizetype paren = text.indexOf(QLatin1String(" ("));
        if (paren >= 0)
            text.truncate(paren);
        out << QStringLiteral("%1 (%2)").arg(text, patterns);
    }
    return out;
}

int saveAsFilterIndex(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf('.');
    const QString ext = dot < 0 ? QString() : fileName.mid(dot + 1).toUpper();
    if (ext == QLatin1String("ASM"))
        return 1;
    if (ext == QLatin1String("LST"))
        return 2;
    if (ext == QLatin1String("TXT"))
        return 3;
    return 4;
}

// ---- The window ------------------------------------------------------------------

frmEditor::frmEditor(frmMain& m, QWidget* parent) : QWidget(parent), main_(m)
{
    setObjectName(QStringLiteral("frmEditor"));
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    Text = new SourceEdit(this);
    // Set on the window, so that a new editor font given to the window
    // (the Options dialog) reaches the text control too.
    setFont(toQFont(m.settings().screenFont));
    lay->addWidget(Text);
    resize(560, 380);
    ++editorState().editorCount;

    attachSourceDebug(m, *this);
    connect(Text, &QPlainTextEdit::textChanged, this, &frmEditor::updateButtons);
    connect(Text, &QPlainTextEdit::selectionChanged, this, &frmEditor::selectionChanged);
    connect(Text, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (active_)
            Cursor();
    });
    connect(Text->document(), &QTextDocument::undoAvailable, this, [this] { updateButtons(); });
    connect(Text->document(), &QTextDocument::redoAvailable, this, [this] { updateButtons(); });
    connect(Text->document(), &QTextDocument::modificationChanged, this, [this] { updateButtons(); });
    connect(Text, &SourceEdit::popupRequested, this, [this](const QPoint& at) {
        if (QMenu* edit = main_.menu(QStringLiteral("mnuEdit")))
            edit->exec(at);
    });
    connect(Text, &SourceEdit::ctrlKey, this, [this](int key, bool& handled) {
        handled = true;
        switch (key) {
        case Qt::Key_A: Text->selectAll(); break;
        case Qt::Key_Z:
            if (Undo())
                undoStep();
            else
                handled = false;  // the control's own handling
            break;
        case Qt::Key_C: Text->copy(); break;
        case Qt::Key_X: Text->cut(); break;
        case Qt::Key_V: Text->paste(); break;
        default: handled = false;
        }
    });
}

frmEditor::~frmEditor()
{
    // Closing ran the deactivation; an editor destroyed with the main
    // window must not touch the half-destroyed window.
    EditorState& s = editorState();
    if (s.active == this) {
        s.active = nullptr;
        s.editorActive = false;
    }
    --editorState().editorCount;
}

bool frmEditor::TextChanged() const { return Text->document()->isModified(); }
bool frmEditor::Undo() const { return Text->document()->isUndoAvailable(); }
bool frmEditor::Redo() const { return Text->document()->isRedoAvailable(); }
void frmEditor::setTextChanged(bool changed) { Text->document()->setModified(changed); }

void frmEditor::setContent(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text->document()->setUndoRedoEnabled(false);
    Text->setPlainText(t);
    Text->document()->setUndoRedoEnabled(true);
    Text->document()->setModified(false);
    Text->moveCursor(QTextCursor::Start);
}

void frmEditor::Cursor()
{
    const QTextCursor c = Text->textCursor();
    const QString before = c.block().text().left(c.positionInBlock());
    int column = 0;
    for (QChar ch : before)
        column += ch == '\t' ? 9 - column % 9 : 1;
    // Panel 4 keeps the clock; line and column go to 5 and 6.
    main_.setPanelText(5, QStringLiteral("Line %1").arg(c.blockNumber() + 1));
    main_.setPanelText(6, QStringLiteral("Col. %1").arg(column + 1));
}

void frmEditor::setFileContent(const QByteArray& bytes)
{
    const DecodedSource d = decodeSource(std::string_view(bytes.constData(), size_t(bytes.size())));
    format_ = d.format;
    setContent(QString::fromUtf8(d.text.data(), qsizetype(d.text.size())));
}

bool frmEditor::fileContent(QByteArray& bytes, QString& error) const
{
    // The raw text: the plain-text form would turn no-break spaces (a
    // Latin-1 byte $A0) into spaces. Blocks are separated by U+2029.
    QString text = Text->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    const EncodeResult r = encodeSource(std::string_view(utf8.constData(), size_t(utf8.size())), format_, out);
    if (!r.ok) {
        error = QString::fromStdString(unencodableMessage(r.badLine));
        return false;
    }
    bytes = QByteArray(out.data(), qsizetype(out.size()));
    return true;
}

bool frmEditor::SaveEditor()
{
    QString error;
    QByteArray bytes;
    if (fileContent(bytes, error)) {
        BusyPointer busy;
        const std::string failure = writeFileAtomically(std::filesystem::path(QFile::encodeName(EditorName).toStdString()),
                                                        std::string_view(bytes.constData(), size_t(bytes.size())));
        error = QString::fromStdString(failure);
    }
    // A text that cannot be written leaves the file as it was.
    if (!error.isEmpty()) {
        main_.message("Tarvine - Write Error", readError(error).toStdString(), MessageIcon::Exclamation);
        return false;
    }
    setTextChanged(false);
    if (active_) {
        main_.setCommandEnabled(QStringLiteral("mnuFileSave"), false);
    }
    return true;
}

void frmEditor::goToLine(int n)
{
    const int last = Text->document()->blockCount() - 1;
    n = std::clamp(n, 0, std::max(0, last));
    QTextCursor c(Text->document()->findBlockByNumber(n));
    Text->setTextCursor(c);
    Text->centerCursor();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        main_.mdiArea()->setActiveSubWindow(sub);
    Text->setFocus();
}

bool frmEditor::askToClose()
{
    if (!TextChanged())
        return true;
    const auto answer = EditorPrompts::question(
        this, QStringLiteral("Tarvine - Warning"), QStringLiteral("Save changes to %1 ?").arg(EditorTitle),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question);
    if (answer == QMessageBox::Yes) {
        if (EditorName.isEmpty()) {
            QString path = QDir::current().absoluteFilePath(EditorTitle);
            // The numbering starts again with every session: a file of that
            // name here is another document, never replaced unasked. The
            // user picks the name (Cancel keeps the window open).
            if (QFileInfo::exists(path)) {
                path = chooseSaveAsPath(this, *this);
                if (path.isEmpty())
                    return false;
                EditorTitle = QFileInfo(path).fileName();
                setWindowTitle(EditorTitle);
            }
            EditorName = QFileInfo(path).absoluteFilePath();
        }
        return SaveEditor();
    }
    return answer == QMessageBox::No;
}

bool frmEditor::queryUnload()
{
    if (!askToClose())
        return false;
    // The main window closes the editors right after asking all of them;
    // the close that follows must not ask again. The answer holds until
    // that close or until the main window withdraws it (cancelUnload).
    closeAnswered_ = true;
    return true;
}

void frmEditor::cancelUnload() { closeAnswered_ = false; }

void frmEditor::closeEvent(QCloseEvent* e)
{
    if (!closeAnswered_ && !askToClose()) {
        e->ignore();
        return;
    }
    closeAnswered_ = false;
    if (active_)
        deactivate();
    e->accept();
}

void frmEditor::activate()
{
    active_ = true;
    // An editor opened (or saved under a new name) after the assembly
    // takes up the marks of its source.
    applySourceMarks(main_);
    EditorState& s = editorState();
    s.editorActive = true;
    s.active = this;
    if (!EditorName.isEmpty()) {
        programFiles().assemblyTargetTitle = EditorTitle;
        // Assemble resolves the title against the current directory: make
        // it the folder of the active source.
        QDir::setCurrent(QFileInfo(EditorName).absolutePath());
    } else {
        programFiles().assemblyTargetTitle.clear();
    }
    for (const char* n : {"mnuFileClose", "mnuFileSaveAs", "mnuFilePrint"})
        main_.setCommandEnabled(QString::fromLatin1(n), true);
    if (canToggleBreakpointAtCaret())
        main_.setCommandEnabled(QStringLiteral("mnuDebugToggleBreakpoint"), true);
    if (QAction* b = main_.toolButton(QStringLiteral("Print")))
        b->setEnabled(true);
    main_.setCommandEnabled(QStringLiteral("mnuEditFind"), true);
    main_.setCommandEnabled(QStringLiteral("mnuEditFindNext"), findHistoryCount(main_) > 0);
    // Their shortcuts work before the Edit menu was first opened.
    main_.setCommandEnabled(QStringLiteral("mnuEditReplace"), true);
    main_.setCommandEnabled(QStringLiteral("mnuEditGoToLine"), true);
    updateButtons();
    selectionChanged();
    for (int p : {4, 5, 6})
        if (QLabel* l = main_.panel(p))
            l->setVisible(true);
}

void frmEditor::toggleBreakpointAtCaret()
{
    toggleSourceBreakpoint(main_, *this, Text->textCursor().blockNumber() + 1);
}

bool frmEditor::canToggleBreakpointAtCaret() const
{
    return holdsProgramSource(*this);
}

void frmEditor::deactivate()
{
    active_ = false;
    EditorState& s = editorState();
    s.editorActive = false;
    if (s.active == this)
        s.active = nullptr;
    programFiles().assemblyTargetTitle.clear();
    for (const char* n : {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs", "mnuFilePrint"})
        main_.setCommandEnabled(QString::fromLatin1(n), false);
    // The disassembler enables it again when it becomes the active child.
    if (canToggleBreakpointAtCaret())
        main_.setCommandEnabled(QStringLiteral("mnuDebugToggleBreakpoint"), false);
    for (const char* n : {"Save", "Print", "Cut", "Copy", "Paste", "Undo", "Redo", "Find", "Find Next"})
        if (QAction* b = main_.toolButton(QString::fromLatin1(n)))
            b->setEnabled(false);
    // The clock in panel 4 stays readable.
    for (int p : {5, 6})
        if (QLabel* l = main_.panel(p))
            l->setVisible(false);
    hideFindDialog(main_);
}

void frmEditor::updateButtons()
{
    if (!active_)
        return;
    main_.setCommandEnabled(QStringLiteral("mnuFileSave"), TextChanged());
    main_.setCommandEnabled(QStringLiteral("mnuEditUndo"), Undo());
    main_.setCommandEnabled(QStringLiteral("mnuEditRedo"), Redo());
}

void frmEditor::selectionChanged()
{
    if (!active_)
        return;
    const bool sel = Text->textCursor().hasSelection();
    main_.setCommandEnabled(QStringLiteral("mnuEditCut"), sel);
    main_.setCommandEnabled(QStringLiteral("mnuEditCopy"), sel);
    main_.setCommandEnabled(QStringLiteral("mnuEditPaste"), clipboardHasText());
    Cursor();
}

void frmEditor::undoStep()
{
    Text->undo();
    updateButtons();
}

void frmEditor::redoStep()
{
    Text->redo();
    updateButtons();
}

// ---- The commands ----------------------------------------------------------------

namespace {

QMdiSubWindow* showEditor(frmMain& m, frmEditor* e)
{
    e->setWindowTitle(e->EditorTitle);
    QMdiSubWindow* sub = m.addChild(e);
    sub->setWindowIcon(QIcon(QStringLiteral(":/icons/new.svg")));
    sub->resize(std::max(420, m.mdiArea()->width() * 2 / 3), std::max(300, m.mdiArea()->height() * 2 / 3));
    sub->show();
    m.mdiArea()->setActiveSubWindow(sub);
    e->Text->setFocus();
    return sub;
}

} // namespace

frmEditor* NewEditor(frmMain& m)
{
    EditorState& s = editorState();
    ++s.untitledCounter;
    auto* e = new frmEditor(m);
    e->EditorTitle = QStringLiteral("Untitled%1.asm").arg(s.untitledCounter);
    showEditor(m, e);
    return e;
}

frmEditor* OpenEditor(frmMain& m, const QString& path, const QString& title)
{
    QByteArray data;
    QString error;
    {
        BusyPointer busy;
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            // One byte past the bound tells an over-long (or endless) file.
            data = f.read(qint64(MaxInputFileBytes) + 1);
            if (f.error() != QFileDevice::NoError) {
                error = f.errorString();
            } else if (size_t(data.size()) > MaxInputFileBytes) {
                data.clear();
                error = QString::fromLatin1(std::strerror(EFBIG));
            }
        } else {
            error = f.errorString();
        }
    }
    if (!error.isEmpty()) {
        m.message(ReadErrorCaption, readError(error).toStdString(), MessageIcon::Exclamation);
        return nullptr;
    }
    auto* e = new frmEditor(m);
    e->EditorName = QFileInfo(path).absoluteFilePath();
    e->EditorTitle = title.isEmpty() ? QFileInfo(path).fileName() : title;
    e->setFileContent(data);
    showEditor(m, e);
    return e;
}

frmEditor* activeEditor(frmMain& m)
{
    QMdiSubWindow* sub = m.mdiArea()->currentSubWindow();
    return sub ? qobject_cast<frmEditor*>(sub->widget()) : nullptr;
}

bool sameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (a == b)
        return true;
    // The same file reached through a symbolic link, "..", or a second
    // slash: canonical paths (with every link resolved) are equal.
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    // A file that no longer exists: compare the cleaned absolute paths.
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

frmEditor* findEditor(frmMain& m, const QString& path)
{
    for (QMdiSubWindow* s : m.editors())
        if (auto* e = qobject_cast<frmEditor*>(s->widget()); e && sameFile(e->EditorName, path))
            return e;
    return nullptr;
}

void mnuFileOpen(frmMain& m)
{
    EditorState& s = editorState();
    int index = s.openFilterIndex;
    const QString path =
        EditorPrompts::fileDialog(&m, QStringLiteral("Open"), QString::fromLatin1(OpenFilter), index, {}, false);
    s.openFilterIndex = index;
    if (path.isEmpty())
        return;
    QDir::setCurrent(QFileInfo(path).absolutePath());
    OpenEditor(m, path);
}

void mnuFileSaveAs(frmMain& m)
{
    frmEditor* e = activeEditor(m);
    if (!e)
        return;
    const QString path = chooseSaveAsPath(&m, *e);
    if (path.isEmpty())
        return;
    const QFileInfo fi(path);
    QDir::setCurrent(fi.absolutePath());
    programFiles().assemblyTargetTitle = fi.fileName();
    e->EditorName = fi.absoluteFilePath();
    e->EditorTitle = fi.fileName();
    e->setWindowTitle(e->EditorTitle);
    e->SaveEditor();
}

void mnuFileSave(frmMain& m)
{
    frmEditor* e = activeEditor(m);
    if (!e)
        return;
    if (e->EditorName.isEmpty())
        mnuFileSaveAs(m);
    else
        e->SaveEditor();
}

void mnuFileClose(frmMain& m)
{
    if (frmEditor* e = activeEditor(m))
        if (auto* sub = qobject_cast<QMdiSubWindow*>(e->parentWidget()))
            sub->close();
}

void mnuEditOpening(frmMain& m)
{
    frmEditor* e = editorState().editorActive ? activeEditor(m) : nullptr;
    auto set = [&m](const char* n, bool on) {
        if (QAction* a = m.menuItem(QString::fromLatin1(n)))
            a->setEnabled(on);
    };
    if (e) {
        const bool sel = e->Text->textCursor().hasSelection();
        set("mnuEditUndo", e->Undo());
        set("mnuEditRedo", e->Redo());
        set("mnuEditCut", sel);
        set("mnuEditCopy", sel);
        set("mnuEditDelete", sel);
        set("mnuEditPaste", clipboardHasText());
        for (const char* n : {"mnuEditSelectAll", "mnuEditFind", "mnuEditReplace", "mnuEditGoToLine"})
            set(n, true);
        set("mnuEditFindNext", findHistoryCount(m) > 0);
    } else {
        for (const char* n : {"mnuEditUndo", "mnuEditRedo", "mnuEditCut", "mnuEditCopy", "mnuEditPaste",
                              "mnuEditDelete", "mnuEditSelectAll", "mnuEditFind", "mnuEditFindNext",
                              "mnuEditReplace", "mnuEditGoToLine"})
            set(n, false);
    }
}

namespace {

void installEditorCommands(frmMain& m)
{
    frmMain* mp = &m;
    auto onEditor = [mp](auto fn) {
        return [mp, fn] {
            if (frmEditor* e = activeEditor(*mp))
                fn(*e);
        };
    };
    m.setCommand(QStringLiteral("mnuFileNew"), [mp] { NewEditor(*mp); });
    m.setCommand(QStringLiteral("mnuFileOpen"), [mp] { mnuFileOpen(*mp); });
    m.setCommand(QStringLiteral("mnuFileClose"), [mp] { mnuFileClose(*mp); });
    m.setCommand(QStringLiteral("mnuFileSave"), [mp] { mnuFileSave(*mp); });
    m.setCommand(QStringLiteral("mnuFileSaveAs"), [mp] { mnuFileSaveAs(*mp); });
    m.setCommand(QStringLiteral("mnuEditUndo"), onEditor([](frmEditor& e) { e.undoStep(); }));
    m.setCommand(QStringLiteral("mnuEditRedo"), onEditor([](frmEditor& e) { e.redoStep(); }));
    m.setCommand(QStringLiteral("mnuEditCut"), onEditor([](frmEditor& e) { e.Text->cut(); }));
    m.setCommand(QStringLiteral("mnuEditCopy"), onEditor([](frmEditor& e) { e.Text->copy(); }));
    m.setCommand(QStringLiteral("mnuEditPaste"), onEditor([](frmEditor& e) { e.Text->paste(); }));
    m.setCommand(QStringLiteral("mnuEditDelete"),
                 onEditor([](frmEditor& e) { e.Text->textCursor().removeSelectedText(); }));
    m.setCommand(QStringLiteral("mnuEditSelectAll"), onEditor([](frmEditor& e) { e.Text->selectAll(); }));
    m.setSourceOpener([mp](const QString& path) {
        QDir::setCurrent(QFileInfo(path).absolutePath());
        return OpenEditor(*mp, path) != nullptr;
    });
    if (QMenu* edit = m.menu(QStringLiteral("mnuEdit")))
        QObject::connect(edit, &QMenu::aboutToShow, mp, [mp] { mnuEditOpening(*mp); });
    // Line and column appear while an editor is active.
    for (int p : {5, 6})
        if (QLabel* l = m.panel(p))
            l->setVisible(false);

    // Activation follows the current child; a null child only means the
    // main window lost the focus (a dialog), which changes nothing.
    QObject::connect(m.mdiArea(), &QMdiArea::subWindowActivated, mp, [](QMdiSubWindow* sub) {
        if (!sub)
            return;
        auto* e = qobject_cast<frmEditor*>(sub->widget());
        EditorState& s = editorState();
        if (s.active && s.active != e)
            s.active->deactivate();
        if (e && s.active != e)
            e->activate();
    });
}

} // namespace

ZELK_REGISTER_EXTENSION(editors, installEditorCommands);

} // namespace zelk
