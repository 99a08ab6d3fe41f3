// The Memory Display Address dialog.
#include "views/ui/frmMemAdr.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace zelk {

frmMemAdr::frmMemAdr(DialogFields& fields, QWidget* parent) : ValueDialog(fields, parent)
{
    setObjectName(QStringLiteral("frmMemAdr"));
    setWindowTitle(QStringLiteral("Memory Display Address"));

    lbAdr = new QLabel(QStringLiteral("Hex Address:"));
    txtAdr = new QLineEdit;
    txtAdr->setFont(fixedFont());
    layOutEntry(lbAdr, QStringLiteral("lbAdr"), txtAdr, QStringLiteral("txtAdr"), MemAdrMaxLength);
    // Typed keys go through the key filter below; a pasted text must be hex
    // digits only, as typing could give.
    txtAdr->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,4}")), txtAdr));
    txtAdr->installEventFilter(this);
}

bool frmMemAdr::eventFilter(QObject* o, QEvent* e)
{
    if (o != txtAdr || e->type() != QEvent::KeyPress)
        return ValueDialog::eventFilter(o, e);
    auto* k = static_cast<QKeyEvent*>(e);
    char key = 0;
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
        key = KeyEnter;
    else if (k->key() == Qt::Key_Backspace)
        key = KeyBackspace;
    else if (k->text().size() == 1 && k->text()[0].unicode() >= 0x20 && k->text()[0].unicode() < 0x7F &&
             !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        key = static_cast<char>(k->text()[0].unicode());
    else
        return false;  // caret movement, Delete, shortcuts: the box's own handling
    if (key == KeyBackspace && txtAdr->hasSelectedText())
        return false;  // deletes the selection as usual

    QString text = txtAdr->text();
    int caret = txtAdr->cursorPosition();
    if (key != KeyEnter && key != KeyBackspace && txtAdr->hasSelectedText()) {
        // A typed key replaces the selection (the text selected by a double
        // click, say) before the filter looks at the caret.
        const int start = txtAdr->selectionStart();
        text.remove(start, txtAdr->selectedText().size());
        caret = start;
    }
    const MemAdrKey r = memAdrKey(text.toStdString(), caret, key);
    if (r.pressOK) {
        cmdOKClick();
        return true;
    }
    if (key == KeyEnter) {
        txtAdr->setFocus();
        return true;
    }
    txtAdr->setText(QString::fromStdString(r.text));
    txtAdr->setCursorPosition(r.caret);
    return true;
}

void frmMemAdr::cmdOKClick()
{
    const DialogCheck c = checkMemoryAddress(txtAdr->text().toUpper().toStdString());
    if (c.verdict != DialogVerdict::Accept) {
        txtAdr->setFocus();
        return;
    }
    fields_.DialogAddress = c.value;
    fields_.DialogOK = true;
    accept();
}

} // namespace zelk
