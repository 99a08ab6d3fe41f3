// Syntax colouring of assembly source.
#include "editor/ui/AsmHighlighter.h"

#include "code/InstructionSet.h"

#include <QSet>

namespace zelk {

namespace {

const QSet<QString>& mnemonics()
{
    static const QSet<QString> set = [] {
        QSet<QString> s;
        for (const InstructionInfo& i : instructionSet())
            s.insert(QString::fromLatin1(i.mnemonic));
        return s;
    }();
    return set;
}

const QSet<QString>& directives()
{
    static const QSet<QString> set = {
        "ORG", "EQU", "SET", "FCB", "FDB", "FCC", "RMB", "RMW", "BSZ", "ZMB",
        "FILL", "END", "OPT", "PAGE", "NAM", "TTL", "SPC", "DB", "DW", "DS",
    };
    return set;
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
    const QString w = word.toUpper();
    if (mnemonics().contains(w))
        return int(Kind::Mnemonic);
    if (directives().contains(w))
        return int(Kind::Directive);
    return -1;
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
    if (i > start) {
        const int kind = operationKind(text.mid(start, i - start));
        if (kind >= 0)
            setFormat(start, i - start, formatOf(Kind(kind)));
    }
    // Operands: numbers and quoted text up to a comment.
    while (i < n) {
        const QChar c = text[i];
        if (c == ';') {
            setFormat(i, n - i, comment_);
            return;
        }
        if (c == '"' || c == '\'' || c == '/') {
            // Delimited text (FCC "abc", FCC /abc/, 'c' character constants).
            if (c == '/' && !(i > 0 && text[i - 1].isSpace())) {
                ++i;
                continue;
            }
            int end = text.indexOf(c, i + 1);
            if (c == '\'' && end < 0)
                end = std::min(i + 1, n - 1);  // 'A : a single character constant
            if (end < 0)
                end = n - 1;
            setFormat(i, end - i + 1, string_);
            i = end + 1;
            continue;
        }
        const bool prefixed = (c == '$' || c == '%' || c == '@') && i + 1 < n && text[i + 1].isLetterOrNumber();
        const bool wordStart = i == 0 || !isWordChar(text[i - 1]);
        if (prefixed || (c.isDigit() && wordStart)) {
            start = i++;
            while (i < n && text[i].isLetterOrNumber())
                ++i;
            setFormat(start, i - start, number_);
            continue;
        }
        ++i;
    }
}

} // namespace zelk
