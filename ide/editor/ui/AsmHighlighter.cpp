// Syntax colouring of assembly source.
#include "editor/ui/AsmHighlighter.h"

#include "Directive.h"
#include "OpcodeIndex.h"

#include <QRegularExpression>

#include <string>

namespace zelk {

namespace {

// The word in the operation column, looked up once per line with the
// assembler's own tables, so that exactly what it accepts is coloured
// (mnemonic aliases included) and what it would reject is not.
struct Operation {
    const as11::MnemonicForms* forms = nullptr;
    as11::Directive directive = as11::Directive::None;

    explicit Operation(const QString& word)
    {
        const std::string w = word.toStdString();
        forms = as11::findMnemonic(w);
        if (!forms)
            directive = as11::findDirective(w);
    }
    int kind() const
    {
        if (forms)
            return int(AsmHighlighter::Kind::Mnemonic);
        return directive != as11::Directive::None ? int(AsmHighlighter::Kind::Directive) : -1;
    }
    // The assembler takes the rest of the line as comment.
    bool takesNoOperand() const
    {
        return forms ? forms->inherentOnly() : directive == as11::Directive::Ignored;
    }
    // Fields of a bit instruction's operand (0: not a bit instruction).
    int bitFields() const
    {
        if (!forms)
            return 0;
        return forms->isBitBranch() ? 3 : forms->isBitSetClear() ? 2 : 0;
    }
};

// Fields in an operand written so far: items between commas and blanks,
// not counting the index register of "addr,X".
int operandFields(const QString& operand)
{
    int count = 0;
    for (const QString& item : operand.split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts))
        if (item.compare(QLatin1String("X"), Qt::CaseInsensitive) != 0 &&
            item.compare(QLatin1String("Y"), Qt::CaseInsensitive) != 0)
            ++count;
    return count;
}

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == '_' || c == '.'; }

} // namespace

AsmHighlighter::AsmHighlighter(QTextDocument* doc) : QSyntaxHighlighter(doc)
{
    label_.setForeground(QColor(0x80, 0x00, 0x80));
    label_.setFontWeight(QFont::Bold);
    mnemonic_.setForeground(QColor(0x00, 0x00, 0xC0));
    mnemonic_.setFontWeight(QFont::Bold);
    directive_.setForeground(QColor(0x00, 0x70, 0x70));
    number_.setForeground(QColor(0xA0, 0x30, 0x00));
    string_.setForeground(QColor(0x80, 0x60, 0x00));
    comment_.setForeground(QColor(0x00, 0x80, 0x00));
    comment_.setFontItalic(true);
}

int AsmHighlighter::operationKind(const QString& word)
{
    return Operation(word).kind();
}

QTextCharFormat AsmHighlighter::formatOf(Kind k) const
{
    switch (k) {
    case Kind::Label: return label_;
    case Kind::Mnemonic: return mnemonic_;
    case Kind::Directive: return directive_;
    case Kind::Number: return number_;
    case Kind::String: return string_;
    case Kind::Comment: return comment_;
    }
    return {};
}

void AsmHighlighter::highlightBlock(const QString& text)
{
    const int n = int(text.size());
    if (n == 0)
        return;
    if (text[0] == '*' || text[0] == ';') {
        setFormat(0, n, comment_);
        return;
    }
    int i = 0;
    // Label: a word starting in the first column.
    if (isWordChar(text[0])) {
        while (i < n && isWordChar(text[i]) && text[i] != ':')
            ++i;
        setFormat(0, i, label_);
        if (i < n && text[i] == ':')
            ++i;
    }
    // Operation: the first word after the label field.
    while (i < n && text[i].isSpace())
        ++i;
    if (i < n && text[i] == ';') {
        setFormat(i, n - i, comment_);
        return;
    }
    int start = i;
    while (i < n && isWordChar(text[i]))
        ++i;
    const Operation operation(text.mid(start, i - start));
    if (const int kind = operation.kind(); kind >= 0)
        setFormat(start, i - start, formatOf(Kind(kind)));
    while (i < n && text[i].isSpace())
        ++i;
    // An operation without operands leaves the rest of the line to comment.
    if (i < n && (text[i] == ';' || operation.takesNoOperand())) {
        setFormat(i, n - i, comment_);
        return;
    }
    // The operand field runs to the first blank outside quoted text; numbers
    // and quoted text in it are coloured, the rest of the line is comment.
    const bool delimitedText = operation.directive == as11::Directive::Fcc;
    const int operandStart = i;
    // The bit instructions may separate their fields by blanks: address,
    // mask and (for the branches) the target.
    const int fields = operation.bitFields();
    for (;;) {
        while (i < n && !text[i].isSpace()) {
            const QChar c = text[i];
            if (c == ';')
                break;
            if (c == '"' || (delimitedText && i == operandStart && !c.isLetterOrNumber())) {
                // FCC "text" or FCC /text/: up to the closing delimiter.
                int end = text.indexOf(c, i + 1);
                if (end < 0)
                    end = n - 1;
                setFormat(i, end - i + 1, string_);
                i = end + 1;
                continue;
            }
            if (c == '\'') {
                // A character constant: the quote and one character.
                const int len = std::min(2, n - i);
                setFormat(i, len, string_);
                i += len;
                continue;
            }
            const bool prefixed = (c == '$' || c == '%' || c == '@') && i + 1 < n && text[i + 1].isLetterOrNumber();
            const bool wordStart = i == 0 || !isWordChar(text[i - 1]);
            if (prefixed || (c.isDigit() && wordStart)) {
                const int from = i++;
                while (i < n && text[i].isLetterOrNumber())
                    ++i;
                setFormat(from, i - from, number_);
                continue;
            }
            ++i;
        }
        if (fields == 0 || i >= n || operandFields(text.mid(operandStart, i - operandStart)) >= fields)
            break;
        while (i < n && text[i].isSpace())
            ++i;
        if (i >= n || text[i] == ';')
            break;
    }
    while (i < n && text[i].isSpace())
        ++i;
    if (i < n)
        setFormat(i, n - i, comment_);
}

} // namespace zelk
