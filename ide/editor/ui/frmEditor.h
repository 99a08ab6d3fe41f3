// The editor window (frmEditor): one assembly source in a text control
// (`Text`), the file it belongs to, and whether it differs from that file.
// While it is the active child it keeps the main window's File and Edit
// commands, toolbar buttons and the line/column panels in step with itself.
//
// The module's functions below are the File and Edit commands (New, Open,
// Close, Save, Save As, Undo ... Select All) that the main window runs on the
// active editor, and the application-wide editor state. Questions and file
// dialogs go through EditorPrompts so that tests can answer them.
#pragma once

#include "editor/SourceText.h"
#include "shell/DebugView.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

namespace zelk {

class frmMain;
class SourceEdit;

class frmEditor : public QWidget, public DebugView {
    Q_OBJECT
public:
    explicit frmEditor(frmMain& m, QWidget* parent = nullptr);
    ~frmEditor() override;

    QString EditorName;   // full path; empty for a document never saved
    QString EditorTitle;  // file name, or "UntitledN.asm"; also the caption
    // The text differs from the file; an undo or redo step is pending.
    bool TextChanged() const;
    bool Undo() const;
    bool Redo() const;
    void setTextChanged(bool changed);

    SourceEdit* Text = nullptr;

    // Puts text into the control as the file's content (no undo step, not changed).
    void setContent(const QString& text);
    // Puts a file's bytes into the control, remembering their encoding and
    // line ends so that SaveEditor writes unedited bytes back unchanged.
    void setFileContent(const QByteArray& bytes);
    // The bytes SaveEditor writes: the text in the file's format. False
    // (with a message) when the text cannot be written in that format.
    bool fileContent(QByteArray& bytes, QString& error) const;
    const SourceFormat& sourceFormat() const { return format_; }
    // Writes "Line n" and "Col. n" into the status bar (tabs every nine columns).
    void Cursor();
    // Writes the text to EditorName (atomically: a failed write keeps the
    // old file). On failure shows "Tarvine - Write Error"; returns ok.
    bool SaveEditor();
    // Puts the caret at the start of 0-based line n (limited to the last
    // line) and gives the text the focus.
    void goToLine(int n);

    // The close question; false when the close is refused.
    bool queryUnload() override;
    void cancelUnload() override;
    bool refreshable() const override { return false; }

    // Debug > Toggle Breakpoint (F9) while this editor is active: the
    // breakpoint of the caret line's instruction, as a click in the margin
    // sets it (the same table as the disassembler's). Found by name by the
    // command, which acts on the disassembler otherwise.
    Q_INVOKABLE void toggleBreakpointAtCaret();
    // Whether the command can act here (this editor shows the assembled source).
    Q_INVOKABLE bool canToggleBreakpointAtCaret() const;

    // Activation and deactivation as the active child changes.
    void activate();
    void deactivate();

    // The Edit commands on this editor.
    void undoStep();
    void redoStep();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    bool askToClose();
    void selectionChanged();
    void updateButtons();

    frmMain& main_;
    // How the file was written; a new document gets UTF-8 and LF.
    SourceFormat format_ = newDocumentFormat();
    // Set once the close question has been answered for a close now in
    // progress (the main window asks every editor before closing any).
    bool closeAnswered_ = false;
    bool active_ = false;
};

// The answers the editors ask for; tests replace them.
struct EditorPrompts {
    // The real modal message box, the default of `question`.
    static QMessageBox::StandardButton messageBox(QWidget* owner, const QString& caption, const QString& text,
                                                  QMessageBox::StandardButtons buttons, QMessageBox::Icon icon);
    // A message box with these buttons; returns the button pressed.
    static std::function<QMessageBox::StandardButton(QWidget* owner, const QString& caption, const QString& text,
                                                     QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)>
        question;
    // A file dialog: `filter` in the "Text|*.ext|Text|*.ext" form, `index`
    // the 1-based filter (updated with the chosen one), `preset` the file
    // name shown. Returns the chosen full path, or empty for Cancel.
    static std::function<QString(QWidget* owner, const QString& caption, const QString& filter, int& index,
                                 const QString& preset, bool save)>
        fileDialog;
};

// Application-wide editor state.
struct EditorState {
    int untitledCounter = 0;   // numbers new documents 1, 2, 3 ...
    int editorCount = 0;       // open editors
    bool editorActive = false; // an editor is the active child
    int openFilterIndex = 1;   // the Open dialog's remembered filter
    QPointer<frmEditor> active;
};
EditorState& editorState();

// The commands.
frmEditor* NewEditor(frmMain& m);
// Reads a file into a new editor (busy pointer; "Tarvine - Read Error" on
// failure, and no window). `title` empty: the file's name.
frmEditor* OpenEditor(frmMain& m, const QString& path, const QString& title = {});
void mnuFileOpen(frmMain& m);
void mnuFileSave(frmMain& m);
void mnuFileSaveAs(frmMain& m);
void mnuFileClose(frmMain& m);
// The active editor (the current editor child), or null.
frmEditor* activeEditor(frmMain& m);
// Whether two paths name the same file (symbolic links resolved).
bool sameFile(const QString& a, const QString& b);
// The editor whose EditorName is the file `path` names, or null.
frmEditor* findEditor(frmMain& m, const QString& path);
// Runs the Edit menu's enabling rule (also done when the menu opens).
void mnuEditOpening(frmMain& m);

// The filter index Save As presets for a file name: asm 1, lst 2, txt 3, other 4.
int saveAsFilterIndex(const QString& fileName);
// Converts a "Text|*.ext|..." filter into Qt's "Text (*.ext);;..." list.
QStringList dialogFilters(const QString& filter);

inline constexpr const char* OpenFilter =
    "Assembly Source (*.asm)|*.asm|Listing Files (*.lst)|*.lst|Error Listing (*.err)|*.err|"
    "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
inline constexpr const char* SaveAsFilter =
    "Assembly Source (*.asm)|*.asm|Listing Files (*.lst)|*.lst|Text Files (*.txt)|*.txt|All Files (*.*)|*.*";

} // namespace zelk
