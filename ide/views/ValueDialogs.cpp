// Validation of the number and address dialogs.
#include "views/ValueDialogs.h"

#include "editor/SymbolTable.h"
#include "link/Conversions.h"

#include <cctype>

namespace zelk {

namespace {

DialogCheck refuse(std::string message, std::string caption)
{
    DialogCheck c;
    c.verdict = DialogVerdict::Refuse;
    c.message = std::move(message);
    c.caption = std::move(caption);
    return c;
}

DialogCheck accept(int32_t value, std::string name = {})
{
    DialogCheck c;
    c.verdict = DialogVerdict::Accept;
    c.value = value;
    c.name = std::move(name);
    return c;
}

// A number, or else a label of the table. Returns -1 when neither;
// `label` receives the upper-cased text when the label was found.
int32_t addressOrLabel(std::string_view text, const SymbolTable& symbols, std::string& label)
{
    int32_t value = ParseNumber(text, true);
    if (value != -1)
        return value;
    std::string name(text);
    value = symbols.FindSymbol(name);
    if (value != -1)
        label = std::move(name);
    return value;
}

} // namespace

DialogCheck checkEnterValue(std::string_view text, bool isWord)
{
    if (text.empty())
        return {};
    int32_t value = ParseNumber(text, isWord);
    if (value == -1)
        return refuse("Invalid Number !", "Tarvine - Enter Value");
    return accept(value);
}

DialogCheck checkGoToAddress(std::string_view text, const SymbolTable& symbols)
{
    if (text.empty())
        return {};
    std::string label;
    int32_t value = addressOrLabel(text, symbols, label);
    if (value == -1)
        return refuse("Invalid Address !", "Tarvine - Go To Address");
    return accept(value);
}

DialogCheck checkWatchAddress(std::string_view text, const SymbolTable& symbols)
{
    if (text.empty())
        return {};
    std::string label;
    int32_t value = addressOrLabel(text, symbols, label);
    if (value == -1)
        return refuse("Invalid Address !", "Tarvine - Watch");
    return accept(value, std::move(label));
}

DialogCheck checkMemoryAddress(std::string_view text)
{
    if (text.empty())
        return {};
    // The key filter lets only hex digits in; a pasted text is cut to the
    // box's four digits' worth of value so the address stays in range.
    return accept(HexToLong(text) & 0xFFFF);
}

MemAdrKey memAdrKey(std::string_view text, int caret, char key)
{
    MemAdrKey r{std::string(text), caret, false};
    if (r.caret < 0)
        r.caret = 0;
    if (r.caret > static_cast<int>(r.text.size()))
        r.caret = static_cast<int>(r.text.size());

    if (key == KeyEnter) {
        r.pressOK = !r.text.empty();
        return r;
    }
    if (key == KeyBackspace) {
        if (r.caret > 0) {
            r.text.erase(static_cast<size_t>(r.caret - 1), 1);
            --r.caret;
        }
        return r;
    }
    if (r.caret >= 4)
        return r;
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    if (!std::isdigit(static_cast<unsigned char>(c)) && !(c >= 'A' && c <= 'F'))
        return r;
    r.text.insert(static_cast<size_t>(r.caret), 1, c);
    ++r.caret;
    if (r.text.size() > 4)  // typed into a full box: overtype the next character
        r.text.erase(static_cast<size_t>(r.caret), 1);
    return r;
}

} // namespace zelk
