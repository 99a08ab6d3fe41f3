// The small modal dialogs that ask for one number (Enter Value, Memory
// Display Address, Go To Address, and the Watch dialog): their shared result
// fields and the validation of the typed text, without widgets. Each check
// says whether the dialog closes with a value, keeps the focus (empty text),
// or refuses the text with a message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

class SymbolTable;

// The fields the caller and the dialogs share. The caller clears DialogOK,
// shows the dialog and reads the results only when DialogOK is set.
struct DialogFields {
    bool DialogOK = false;
    std::string DialogName;   // prompt name; the Watch dialog returns the label here
    std::string DialogText;   // initial text of Enter Value and Watch
    bool DialogIsWord = false;
    int32_t DialogValue = 0;
    int32_t DialogAddress = 0;
};

enum class DialogVerdict {
    Refocus,  // empty text: OK only returns the focus to the text box
    Accept,   // valid: store the results, set DialogOK and close
    Refuse,   // invalid: empty the text box, show the message, keep the dialog open
};

struct DialogCheck {
    DialogVerdict verdict = DialogVerdict::Refocus;
    int32_t value = -1;      // the accepted value or address
    std::string name;        // Watch dialog: the upper-cased label when given by a label
    std::string message;     // Refuse: the text of the information box
    std::string caption;     // Refuse: its caption
};

// Enter Value: ParseNumber(text, isWord); "Invalid Number !" otherwise.
DialogCheck checkEnterValue(std::string_view text, bool isWord);

// Go To Address: a number (16 bits) or a label of the symbol table;
// "Invalid Address !" otherwise.
DialogCheck checkGoToAddress(std::string_view text, const SymbolTable& symbols);

// Watch dialog: as Go To Address, and a label also comes back as the name
// (upper case) so that the watch is shown by it. Caption "Tarvine - Watch".
DialogCheck checkWatchAddress(std::string_view text, const SymbolTable& symbols);

// Memory Display Address: the text (at most four hex digits) read as hex.
DialogCheck checkMemoryAddress(std::string_view text);

// The key filter of the Memory Display Address text box: at most four
// hexadecimal digits, lower case turned to upper, no "$".
struct MemAdrKey {
    std::string text;
    int caret = 0;         // position after the key, 0-based
    bool pressOK = false;  // Enter with a non-empty text
};
inline constexpr char KeyBackspace = 8;
inline constexpr char KeyEnter = 13;
// Applies one typed key to the box holding `text` with the caret at `caret`
// (0-based) and no selection.
MemAdrKey memAdrKey(std::string_view text, int caret, char key);

// The maximum lengths of the text boxes.
inline constexpr int EnterValueMaxLength = 18;
inline constexpr int GoToAddressMaxLength = 18;
inline constexpr int WatchAddressMaxLength = 18;
inline constexpr int MemAdrMaxLength = 5;

} // namespace zelk
