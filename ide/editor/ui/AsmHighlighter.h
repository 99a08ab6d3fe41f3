// Colours 68HC11 assembly source in the editors: labels in the first column,
// instruction mnemonics and directives (as the assembler knows them),
// numbers ($hex, %binary, @octal, decimal), quoted text and comments (";"
// anywhere outside quotes, "*" in the first column).
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace zelk {

class AsmHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit AsmHighlighter(QTextDocument* doc);

    enum class Kind { Label, Mnemonic, Directive, Number, String, Comment };
    // The kind of a word in the operation column (mnemonic, directive or
    // neither: -1), case-insensitive.
    static int operationKind(const QString& word);
    QTextCharFormat formatOf(Kind k) const;

protected:
    void highlightBlock(const QString& text) override;

private:
    QTextCharFormat label_, mnemonic_, directive_, number_, string_, comment_;
};

} // namespace zelk
