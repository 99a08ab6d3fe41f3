// The two passes of as11. Pass 1 splits every line into its fields, defines
// labels and decides the size of every statement (and, for instructions, the
// addressing mode). Pass 2 evaluates the operands with all symbols known,
// reports errors, emits the bytes and writes the listing. Pass 2 never changes
// a size that pass 1 chose, so addresses cannot drift between the passes.
#include "Assembler.h"

#include "Directive.h"
#include "Expression.h"
#include "OpcodeIndex.h"

#include <algorithm>
#include <charconv>

namespace zelk::as11 {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// End of the whitespace-delimited field starting at pos. Character constants
// ('c' or 'c) are skipped whole so that ' ' and ';' can be operands; a ';'
// outside them starts a comment.
size_t fieldEnd(std::string_view text, size_t pos)
{
    while (pos < text.size()) {
        char c = text[pos];
        if (isSpace(c) || c == ';')
            break;
        if (c == '\'') {
            pos += 2;
            if (pos < text.size() && text[pos] == '\'')
                ++pos;
            continue;
        }
        ++pos;
    }
    return std::min(pos, text.size());
}

size_t skipSpaces(std::string_view text, size_t pos)
{
    while (pos < text.size() && isSpace(text[pos]))
        ++pos;
    return pos;
}

// Splits at commas that are outside parentheses and character constants.
// Returns false when there are more than maxItems pieces.
template <typename F>
void splitCommas(std::string_view text, F&& each)
{
    size_t start = 0;
    int depth = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\'') {
            i += 1;
            if (i + 1 < text.size() && text[i + 1] == '\'')
                ++i;
            continue;
        }
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if (c == ',' && depth <= 0) {
            each(text.substr(start, i - start));
            start = i + 1;
        }
    }
    each(text.substr(std::min(start, text.size())));
}

bool isIndexRegister(std::string_view s, char& reg)
{
    s = trim(s);
    if (s.size() != 1)
        return false;
    char c = upperAscii(s[0]);
    if (c != 'X' && c != 'Y')
        return false;
    reg = c;
    return true;
}

// The items of a bit instruction's operand: fields separated by commas or
// blanks. Empty pieces are dropped except a leading one (",X $40").
void appendBitItems(std::string_view field, std::vector<std::string_view>& items, bool& first)
{
    splitCommas(field, [&](std::string_view piece) {
        if (!piece.empty() || (first && items.empty()))
            items.push_back(piece);
        first = false;
    });
}

std::vector<std::string_view> bitItems(std::string_view operand)
{
    std::vector<std::string_view> items;
    size_t pos = 0;
    bool first = true;
    while (pos < operand.size()) {
        pos = skipSpaces(operand, pos);
        if (pos >= operand.size())
            break;
        size_t end = fieldEnd(operand, pos);
        if (end == pos)
            end = pos + 1;  // a stray ';' inside a gathered operand
        appendBitItems(operand.substr(pos, end - pos), items, first);
        pos = end;
    }
    return items;
}

const char hexDigits[] = "0123456789ABCDEF";

void appendHex(std::string& out, uint32_t value, int digits)
{
    for (int i = digits - 1; i >= 0; --i)
        out += hexDigits[(value >> (4 * i)) & 0xF];
}

std::string hexText(int32_t value)
{
    std::string s = value < 0 ? "-$" : "$";
    uint32_t v = value < 0 ? static_cast<uint32_t>(-static_cast<int64_t>(value)) : static_cast<uint32_t>(value);
    appendHex(s, v, v > 0xFFFF ? 8 : (v > 0xFF ? 4 : 2));
    return s;
}

// The parsed operand of an ordinary instruction.
struct Operand {
    enum Kind : uint8_t { None, Immediate, Address, Indexed, Bad } kind = None;
    char force = 0;   // '<' direct, '>' extended
    char index = 0;   // 'X' or 'Y'
    std::string_view value;
};

Operand parseOperand(std::string_view text)
{
    Operand op;
    if (text.empty())
        return op;
    if (text[0] == '#') {
        op.kind = Operand::Immediate;
        op.value = text.substr(1);
        return op;
    }
    std::string_view pieces[3];
    size_t count = 0;
    splitCommas(text, [&](std::string_view p) {
        if (count < 3)
            pieces[count] = p;
        ++count;
    });
    if (count == 1) {
        op.kind = Operand::Address;
        op.value = text;
        if (text[0] == '<' || text[0] == '>') {
            op.force = text[0];
            op.value = text.substr(1);
        }
        return op;
    }
    if (count == 2 && isIndexRegister(pieces[1], op.index)) {
        op.kind = Operand::Indexed;
        op.value = pieces[0];
        return op;
    }
    op.kind = Operand::Bad;
    return op;
}

// What pass 1 decided about a line, kept for pass 2. Kept small: a source
// of ten million empty lines must not need gigabytes.
struct LineState {
    uint32_t address = 0;
    uint32_t size = 0;
    uint16_t info = 0xFFFF;  // index into instructionSet(), 0xFFFF for none
    uint8_t flags = 0;
};
constexpr uint8_t flagAfterEnd = 1, flagForward = 2, flagHasAddress = 4;

// One source line split into its fields, rebuilt in each pass.
struct Line {
    std::string_view text;
    std::string_view label;
    std::string_view mnemonic;
    std::string_view operand;
    const MnemonicForms* forms = nullptr;
    const InstructionInfo* info = nullptr;  // addressing mode chosen in pass 1
    uint32_t address = 0;                   // location counter at the line
    uint32_t size = 0;                      // bytes (or reserved bytes) of the line
    Directive directive = Directive::None;
    bool afterEnd = false;
    bool forwardInPass1 = false;  // a value pass 1 needed was not yet known
    bool badLabel = false;
    bool hasAddress = false;      // listed with its address (a code line)
};

class Assembler {
public:
    Assembler(std::string_view source, const AssemblerOptions& options, AssemblyResult& result)
        : source_(source), options_(options), result_(result) {}

    void run();

private:
    template <typename F>
    void forEachLine(F&& each) const;
    void loadState(Line& line, const LineState& st) const;
    void saveState(const Line& line, LineState& st) const;
    void parseFields(Line& line);
    void pass1(Line& line, int number);
    void resolvePendingEquates();
    void pass2(Line& line, int number);
    void instruction(Line& line, bool final);
    void directive(Line& line, bool final);
    void defineLabel(Line& line, int number, bool final);

    ExprResult eval(std::string_view text, uint32_t pc) const
    {
        ExpressionEvaluator ev(result_.symbols, static_cast<int32_t>(pc & 0xFFFF));
        return ev.evaluate(text);
    }
    // Final-pass evaluation: reports syntax errors and undefined symbols.
    bool finalValue(std::string_view text, int32_t& value);
    bool checkRange(int32_t value, int bits, const char* what);

    void error(std::string message);
    void emit(uint8_t byte);
    void emitWord(int32_t value) { emit(static_cast<uint8_t>(value >> 8)); emit(static_cast<uint8_t>(value)); }
    void writeListingLine(const Line& line, int number);
    void writeListingFooter();

    std::string_view source_;
    const AssemblerOptions& options_;
    AssemblyResult& result_;
    struct PendingEquate {
        std::string_view label, operand;
        uint32_t address;
    };
    std::vector<LineState> states_;
    std::vector<PendingEquate> pendingEquates_;
    uint32_t pc_ = 0;
    int currentLine_ = 0;
    size_t errorsAtLineStart_ = 0;
    int errorsThisLine_ = 0;
    bool overflowReported_ = false;
    std::vector<uint8_t> lineBytes_;  // bytes of the current line, for the listing
};

void Assembler::run()
{
    // A byte-order mark some editors put at the start is not part of line 1.
    if (source_.substr(0, 3) == "\xEF\xBB\xBF")
        source_.remove_prefix(3);
    states_.reserve(static_cast<size_t>(std::count(source_.begin(), source_.end(), '\n')) + 1);
    pc_ = 0;
    bool ended = false;
    forEachLine([&](std::string_view text) {
        states_.emplace_back();
        Line line;
        line.text = text;
        line.afterEnd = ended;
        if (!ended) {
            parseFields(line);
            pass1(line, static_cast<int>(states_.size()));
            ended = line.directive == Directive::End;
        }
        saveState(line, states_.back());
    });
    result_.lineCount = static_cast<int>(states_.size());
    resolvePendingEquates();

    pc_ = 0;
    result_.listing.reserve(source_.size() + states_.size() * 32 + 1024);
    size_t index = 0;
    forEachLine([&](std::string_view text) {
        Line line;
        line.text = text;
        loadState(line, states_[index]);
        if (!line.afterEnd)
            parseFields(line);
        ++index;
        pass2(line, static_cast<int>(index));
    });
    writeListingFooter();

    uint16_t start = result_.startAddress >= 0 ? static_cast<uint16_t>(result_.startAddress) : 0;
    result_.srecords = formatSRecords(result_.segments, start, options_.moduleName);
}

template <typename F>
void Assembler::forEachLine(F&& each) const
{
    size_t pos = 0;
    while (pos < source_.size()) {
        size_t nl = source_.find('\n', pos);
        size_t end = nl == std::string_view::npos ? source_.size() : nl;
        std::string_view text = source_.substr(pos, end - pos);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        each(text);
        pos = nl == std::string_view::npos ? source_.size() : nl + 1;
    }
}

void Assembler::saveState(const Line& line, LineState& st) const
{
    st.address = line.address;
    st.size = line.size;
    st.info = line.info ? static_cast<uint16_t>(line.info - instructionSet().data()) : 0xFFFF;
    st.flags = static_cast<uint8_t>((line.afterEnd ? flagAfterEnd : 0) | (line.forwardInPass1 ? flagForward : 0) |
                                    (line.hasAddress ? flagHasAddress : 0));
}

void Assembler::loadState(Line& line, const LineState& st) const
{
    line.address = st.address;
    line.size = st.size;
    line.info = st.info == 0xFFFF ? nullptr : &instructionSet()[st.info];
    line.afterEnd = (st.flags & flagAfterEnd) != 0;
    line.forwardInPass1 = (st.flags & flagForward) != 0;
    line.hasAddress = (st.flags & flagHasAddress) != 0;
}

void Assembler::parseFields(Line& line)
{
    std::string_view t = line.text;
    if (t.empty() || t[0] == '*' || t[0] == ';')
        return;
    size_t pos = 0;
    if (!isSpace(t[0])) {
        size_t end = pos;
        while (end < t.size() && !isSpace(t[end]) && t[end] != ';')
            ++end;
        std::string_view label = t.substr(0, end);
        if (label.size() > 1 && label.back() == ':')
            label.remove_suffix(1);
        line.label = label;
        line.badLabel = !isSymbolStart(label[0]) ||
            !std::all_of(label.begin(), label.end(), isSymbolChar);
        pos = end;
    }
    for (;;) {
        pos = skipSpaces(t, pos);
        if (pos >= t.size() || t[pos] == ';' || t[pos] == '*')
            return;
        size_t end = pos;
        while (end < t.size() && !isSpace(t[end]) && t[end] != ';')
            ++end;
        std::string_view word = t.substr(pos, end - pos);
        pos = end;
        // An indented "name:" is a label too.
        if (line.label.empty() && line.mnemonic.empty() && word.size() > 1 && word.back() == ':') {
            line.label = word.substr(0, word.size() - 1);
            line.badLabel = !isSymbolStart(line.label[0]) ||
                !std::all_of(line.label.begin(), line.label.end(), isSymbolChar);
            continue;
        }
        line.mnemonic = word;
        break;
    }
    line.directive = findDirective(line.mnemonic);
    if (line.directive == Directive::None)
        line.forms = findMnemonic(line.mnemonic);

    pos = skipSpaces(t, pos);
    if (line.directive == Directive::Ignored || (line.forms && line.forms->inherentOnly()))
        return;  // anything after the mnemonic is a comment
    if (line.directive == Directive::Fcc) {
        line.operand = t.substr(pos);
        return;
    }
    if (line.forms && (line.forms->isBitSetClear() || line.forms->isBitBranch())) {
        // Gather blank-separated fields until the operand is complete:
        // address[,X|Y] mask [target], with commas or blanks between.
        // Items are collected field by field, so a line of thousands of
        // empty fields costs linear time.
        size_t need = line.forms->isBitBranch() ? 3 : 2;
        size_t start = pos, end = pos;
        std::vector<std::string_view> items;
        bool first = true;
        while (pos < t.size() && t[pos] != ';') {
            size_t fe = fieldEnd(t, pos);
            if (fe == pos)
                break;
            end = fe;
            appendBitItems(t.substr(pos, fe - pos), items, first);
            char reg;
            size_t want = need + ((items.size() >= 2 && isIndexRegister(items[1], reg)) ? 1 : 0);
            if (items.size() >= want)
                break;
            pos = skipSpaces(t, fe);
        }
        line.operand = t.substr(start, end - start);
        return;
    }
    line.operand = t.substr(pos, fieldEnd(t, pos) - pos);
}

void Assembler::defineLabel(Line& line, int number, bool final)
{
    if (line.label.empty())
        return;
    if (line.badLabel) {
        if (final)
            error("bad label '" + quoteForMessage(line.label) + "'");
        return;
    }
    bool isSet = line.directive == Directive::Set;
    Symbol* s = result_.symbols.find(line.label);
    if (!final) {
        if (!s) {
            Symbol& n = result_.symbols.add(line.label, isSet ? SymbolKind::Set : SymbolKind::Label, number);
            if (line.directive != Directive::Equ && !isSet) {
                n.value = static_cast<int32_t>(line.address);
                n.known = true;
            }
            if (line.directive == Directive::Equ)
                n.kind = SymbolKind::Equ;
        }
        return;
    }
    if (s && s->line != number && !(isSet && s->kind == SymbolKind::Set))
        error("duplicate label " + quoteForMessage(line.label) + " (first defined on line " +
              std::to_string(s->line) + ")");
    else if (s && s->kind == SymbolKind::Label && s->value != static_cast<int32_t>(line.address))
        error("phase error: " + quoteForMessage(line.label) + " moved between the passes");
}

void Assembler::pass1(Line& line, int number)
{
    currentLine_ = number;
    line.address = pc_;
    if (line.directive == Directive::Org) {
        ExprResult r = eval(line.operand, pc_);
        if (r.ok() && r.known && r.value >= 0 && r.value <= 0xFFFF)
            pc_ = static_cast<uint32_t>(r.value);
        else
            line.forwardInPass1 = r.ok() && !r.known;
        line.address = pc_;
    }
    defineLabel(line, number, false);
    if (line.forms)
        instruction(line, false);
    else if (line.directive != Directive::None && line.directive != Directive::Org)
        directive(line, false);
    line.hasAddress = line.forms != nullptr ||
        (line.directive == Directive::None && (!line.mnemonic.empty() || !line.label.empty())) ||
        line.directive == Directive::Fcb || line.directive == Directive::Fdb ||
        line.directive == Directive::Fcc || line.directive == Directive::Rmb ||
        line.directive == Directive::Rmw || line.directive == Directive::Bsz ||
        line.directive == Directive::Fill ||
        (line.directive == Directive::Org && !line.label.empty());
    pc_ += line.size;
}

void Assembler::resolvePendingEquates()
{
    // EQUs whose expression named a later symbol: evaluate them again until
    // no more become known. Sweeps alternate in direction, so chains that run
    // forwards or backwards resolve at once; the sweep count is bounded so a
    // hostile tangle of equates costs linear time (what stays unknown is
    // reported as undefined). Cycles stay unknown.
    constexpr int maxSweeps = 64;
    bool progress = true;
    for (int sweep = 0; progress && sweep < maxSweeps && !pendingEquates_.empty(); ++sweep) {
        progress = false;
        std::vector<PendingEquate> still;
        auto visit = [&](const PendingEquate& p) {
            Symbol* s = result_.symbols.find(p.label);
            ExprResult r = eval(p.operand, p.address);
            if (s && r.ok() && r.known) {
                s->value = r.value;
                s->known = true;
                progress = true;
            } else {
                still.push_back(p);
            }
        };
        if (sweep % 2 == 0)
            for (auto it = pendingEquates_.begin(); it != pendingEquates_.end(); ++it) visit(*it);
        else
            for (auto it = pendingEquates_.rbegin(); it != pendingEquates_.rend(); ++it) visit(*it);
        if (sweep % 2 == 1)
            std::reverse(still.begin(), still.end());
        pendingEquates_.swap(still);
    }
}

bool Assembler::finalValue(std::string_view text, int32_t& value)
{
    ExprResult r = eval(text, pc_);
    value = r.value;
    if (!r.ok()) {
        error(r.error);
        return false;
    }
    if (!r.known) {
        error("undefined symbol " + r.undefined);
        value = 0;
        return false;
    }
    return true;
}

bool Assembler::checkRange(int32_t value, int bits, const char* what)
{
    int32_t lo = bits == 8 ? -128 : -32768;
    int32_t hi = bits == 8 ? 0xFF : 0xFFFF;
    if (value >= lo && value <= hi)
        return true;
    error("value " + hexText(value) + " out of range for " + what);
    return false;
}

void Assembler::instruction(Line& line, bool final)
{
    const MnemonicForms& forms = *line.forms;
    std::string mnemonic;
    auto name = [&]() -> const std::string& {
        if (mnemonic.empty())
            for (char c : line.mnemonic)
                mnemonic += upperAscii(c);
        return mnemonic;
    };
    auto choose = [&](OperandFormat f) {
        if (!final) {
            line.info = forms.get(f);
            line.size = line.info->length;
        }
    };

    // Bit manipulation: BSET/BCLR addr[,X|Y] mask and BRSET/BRCLR ... target.
    if (forms.isBitSetClear() || forms.isBitBranch()) {
        bool branch = forms.isBitBranch();
        std::vector<std::string_view> items = bitItems(line.operand);
        char reg = 0;
        bool indexed = items.size() >= 2 && isIndexRegister(items[1], reg);
        size_t want = (branch ? 3 : 2) + (indexed ? 1 : 0);
        if (items.size() < want) {
            if (final)
                error(items.empty() ? "missing operand" : "missing operand: " + name() +
                      (branch ? " needs address, mask and target" : " needs address and mask"));
            return;
        }
        if (items.size() > want) {
            if (final)
                error("bad operand: too many fields for " + name());
            return;
        }
        OperandFormat f = branch
            ? (reg == 'X' ? OperandFormat::BitBranchIndexedX : reg == 'Y' ? OperandFormat::BitBranchIndexedY : OperandFormat::BitBranchDirect)
            : (reg == 'X' ? OperandFormat::BitIndexedX : reg == 'Y' ? OperandFormat::BitIndexedY : OperandFormat::BitDirect);
        if (!forms.has(f)) {
            if (final)
                error("bad addressing mode for " + name());
            return;
        }
        choose(f);
        if (!final)
            return;
        std::string_view addr = trim(items[0]);
        if (!addr.empty() && addr[0] == '<')
            addr.remove_prefix(1);
        std::string_view mask = trim(items[indexed ? 2 : 1]);
        if (!mask.empty() && mask[0] == '#')
            mask.remove_prefix(1);
        int32_t a = 0, m = 0, target = 0;
        if (indexed && addr.empty())
            a = 0;
        else if (finalValue(addr, a) && (a < 0 || a > 0xFF)) {
            error("value " + hexText(a) + " out of range for " +
                  (indexed ? "an index offset (0 to 255)" : "direct addressing (0 to $FF)"));
            a = 0;
        }
        if (finalValue(mask, m) && !checkRange(m, 8, "a bit mask"))
            m = 0;
        int32_t offset = 0;
        if (branch && finalValue(trim(items[want - 1]), target)) {
            offset = target - static_cast<int32_t>((pc_ + line.info->length) & 0xFFFF);
            if (offset > 127 || offset < -128) {
                int by = offset > 127 ? offset - 127 : -128 - offset;
                error("branch out of range by " + std::to_string(by) + " byte" + (by == 1 ? "" : "s"));
                offset = 0;
            }
        }
        if (line.info->prefix)
            emit(line.info->prefix);
        emit(line.info->opcode);
        emit(static_cast<uint8_t>(a));
        emit(static_cast<uint8_t>(m));
        if (branch)
            emit(static_cast<uint8_t>(offset));
        return;
    }

    Operand op = parseOperand(line.operand);
    OperandFormat f = OperandFormat::Inherent;
    switch (op.kind) {
    case Operand::None:
        if (!forms.has(OperandFormat::Inherent)) {
            if (final)
                error("missing operand for " + name());
            return;
        }
        f = OperandFormat::Inherent;
        break;
    case Operand::Bad:
        if (final)
            error("bad operand '" + quoteForMessage(line.operand) + "'");
        return;
    case Operand::Immediate:
        if (forms.has(OperandFormat::Immediate8))
            f = OperandFormat::Immediate8;
        else if (forms.has(OperandFormat::Immediate16))
            f = OperandFormat::Immediate16;
        else {
            if (final)
                error(name() + " has no immediate mode");
            return;
        }
        break;
    case Operand::Indexed:
        f = op.index == 'X' ? OperandFormat::IndexedX : OperandFormat::IndexedY;
        if (!forms.has(f)) {
            if (final)
                error(name() + " has no indexed mode");
            return;
        }
        break;
    case Operand::Address:
        if (forms.has(OperandFormat::Relative)) {
            if (op.force) {
                if (final)
                    error("bad operand: " + name() + " takes a branch target");
                return;
            }
            f = OperandFormat::Relative;
        } else if (op.force == '<') {
            if (!forms.has(OperandFormat::Direct)) {
                if (final)
                    error(name() + " has no direct mode");
                return;
            }
            f = OperandFormat::Direct;
        } else if (op.force == '>' || !forms.has(OperandFormat::Direct)) {
            if (!forms.has(OperandFormat::Extended)) {
                if (final)
                    error(name() + " takes no memory operand");
                return;
            }
            f = OperandFormat::Extended;
        } else if (!forms.has(OperandFormat::Extended)) {
            f = OperandFormat::Direct;
        } else if (final) {
            f = line.info ? line.info->format : OperandFormat::Extended;
        } else {
            // Direct when the value is already known at this line and fits.
            ExprResult r = eval(op.value, pc_);
            f = (r.ok() && r.known && r.value >= 0 && r.value <= 0xFF) ? OperandFormat::Direct
                                                                       : OperandFormat::Extended;
        }
        break;
    }
    choose(f);
    if (!final)
        return;
    if (!line.info || line.info->format != f) {
        error("internal error: addressing mode changed between the passes");
        return;
    }
    int32_t v = 0;
    switch (f) {
    case OperandFormat::Inherent:
        break;
    case OperandFormat::Immediate8:
        if (finalValue(op.value, v) && !checkRange(v, 8, "an 8-bit immediate"))
            v = 0;
        break;
    case OperandFormat::Immediate16:
        if (finalValue(op.value, v) && !checkRange(v, 16, "a 16-bit immediate"))
            v = 0;
        break;
    case OperandFormat::Direct:
        if (finalValue(op.value, v) && (v < 0 || v > 0xFF)) {
            error("value " + hexText(v) + " out of range for direct addressing (0 to $FF)");
            v = 0;
        }
        break;
    case OperandFormat::Extended:
        if (finalValue(op.value, v) && !checkRange(v, 16, "an address"))
            v = 0;
        break;
    case OperandFormat::IndexedX:
    case OperandFormat::IndexedY:
        if (trim(op.value).empty())
            v = 0;
        else if (finalValue(op.value, v) && (v < 0 || v > 0xFF)) {
            error("value " + hexText(v) + " out of range for an index offset (0 to 255)");
            v = 0;
        }
        break;
    case OperandFormat::Relative:
        if (finalValue(op.value, v)) {
            int32_t offset = v - static_cast<int32_t>((pc_ + line.info->length) & 0xFFFF);
            if (offset > 127 || offset < -128) {
                int by = offset > 127 ? offset - 127 : -128 - offset;
                error("branch out of range by " + std::to_string(by) + " byte" + (by == 1 ? "" : "s"));
                offset = 0;
            }
            v = offset;
        }
        break;
    default:
        break;
    }
    if (line.info->prefix)
        emit(line.info->prefix);
    emit(line.info->opcode);
    switch (operandBytes(f)) {
    case 1: emit(static_cast<uint8_t>(v)); break;
    case 2: emitWord(v); break;
    default: break;
    }
}

void Assembler::directive(Line& line, bool final)
{
    std::string_view operand = line.operand;
    switch (line.directive) {
    case Directive::Equ:
    case Directive::Set: {
        bool isSet = line.directive == Directive::Set;
        if (line.label.empty() || line.badLabel) {
            if (final && line.label.empty())
                error(std::string(isSet ? "SET" : "EQU") + " needs a label");
            return;
        }
        if (operand.empty()) {
            if (final)
                error("missing operand");
            return;
        }
        Symbol* s = result_.symbols.find(line.label);
        if (!final) {
            if (!s)
                return;  // defineLabel added it unless it was a duplicate
            if (isSet && s->kind != SymbolKind::Set)
                return;
            if (!isSet && s->line != currentLine_)
                return;
            ExprResult r = eval(operand, pc_);
            if (r.ok() && r.known) {
                s->value = r.value;
                s->known = true;
            } else if (!isSet) {
                pendingEquates_.push_back({line.label, operand, line.address});
            } else {
                s->known = false;
            }
            return;
        }
        int32_t v = 0;
        bool good = finalValue(operand, v);
        if (good && !checkRange(v, 16, "a 16-bit value"))
            good = false;
        if (isSet && s && s->kind == SymbolKind::Set) {
            s->value = v;
            s->known = good;
        }
        return;
    }
    case Directive::Fcb:
    case Directive::Fdb: {
        bool word = line.directive == Directive::Fdb;
        if (!final) {
            uint32_t count = 0;
            if (!operand.empty())
                splitCommas(operand, [&](std::string_view) { ++count; });
            line.size = count * (word ? 2 : 1);
            return;
        }
        if (operand.empty()) {
            error("missing operand");
            return;
        }
        splitCommas(operand, [&](std::string_view item) {
            int32_t v = 0;
            if (trim(item).empty())
                error("missing value in list");
            else if (finalValue(item, v) && !checkRange(v, word ? 16 : 8, word ? "a word" : "a byte"))
                v = 0;
            if (word)
                emitWord(v);
            else
                emit(static_cast<uint8_t>(v));
        });
        return;
    }
    case Directive::Fcc: {
        if (operand.empty()) {
            if (final)
                error("missing operand");
            return;
        }
        char delimiter = operand[0];
        size_t close = operand.find(delimiter, 1);
        if (close == std::string_view::npos) {
            if (final)
                error("unterminated string");
            return;
        }
        std::string_view text = operand.substr(1, close - 1);
        if (!final) {
            line.size = static_cast<uint32_t>(text.size());
            return;
        }
        for (char c : text)
            emit(static_cast<uint8_t>(c));
        return;
    }
    case Directive::Rmb:
    case Directive::Rmw:
    case Directive::Bsz:
    case Directive::Fill: {
        std::string_view countText = operand;
        std::string_view valueText;
        if (line.directive == Directive::Fill) {
            size_t n = 0;
            splitCommas(operand, [&](std::string_view p) {
                if (n == 0)
                    valueText = p;
                else if (n == 1)
                    countText = p;
                ++n;
            });
            if (n != 2) {
                if (final)
                    error(operand.empty() ? "missing operand" : "bad operand: FILL needs value,count");
                return;
            }
        }
        if (!final) {
            ExprResult r = eval(countText, pc_);
            if (r.ok() && r.known && r.value >= 0 && r.value <= 0x10000)
                line.size = static_cast<uint32_t>(r.value) * (line.directive == Directive::Rmw ? 2 : 1);
            else if (r.ok() && !r.known)
                line.forwardInPass1 = true;
            return;
        }
        if (countText.empty()) {
            error("missing operand");
            return;
        }
        int32_t count = 0;
        if (!finalValue(countText, count))
            return;
        if (line.forwardInPass1) {
            error("count must be defined before this line");
            return;
        }
        if (count < 0 || count > 0x10000) {
            error("count " + hexText(count) + " out of range (0 to $10000)");
            return;
        }
        if (line.directive == Directive::Rmb || line.directive == Directive::Rmw)
            return;  // reserved, nothing emitted: the S-records leave a gap
        int32_t value = 0;
        if (line.directive == Directive::Fill && finalValue(valueText, value) &&
            !checkRange(value, 8, "a fill byte"))
            value = 0;
        for (uint32_t i = 0; i < line.size; ++i)
            emit(static_cast<uint8_t>(value));
        return;
    }
    case Directive::End:
        if (final && !operand.empty()) {
            int32_t v = 0;
            if (finalValue(operand, v) && checkRange(v, 16, "a start address"))
                result_.startAddress = v & 0xFFFF;
        }
        return;
    default:
        return;
    }
}

void Assembler::pass2(Line& line, int number)
{
    currentLine_ = number;
    errorsAtLineStart_ = result_.errors.size();
    errorsThisLine_ = 0;
    overflowReported_ = false;
    lineBytes_.clear();
    if (line.afterEnd) {
        writeListingLine(line, number);
        return;
    }
    if (line.directive == Directive::Org) {
        int32_t v = 0;
        if (line.operand.empty())
            error("missing operand");
        else if (finalValue(line.operand, v)) {
            if (line.forwardInPass1)
                error("ORG address must be defined before this line");
            else if (v < 0 || v > 0xFFFF)
                error("ORG address " + hexText(v) + " out of range (0 to $FFFF)");
        }
        pc_ = line.address;
    }
    if (line.address != pc_) {
        error("internal error: location counter differs between the passes");
        pc_ = line.address;
    }
    defineLabel(line, number, true);

    if (line.forms)
        instruction(line, true);
    else if (line.directive != Directive::None && line.directive != Directive::Org)
        directive(line, true);
    else if (line.directive == Directive::None && !line.mnemonic.empty())
        error("unknown mnemonic " + quoteForMessage(line.mnemonic));

    // Keep the addresses of later lines as pass 1 laid them out.
    if (lineBytes_.size() != line.size &&
        !(line.directive == Directive::Rmb || line.directive == Directive::Rmw) &&
        !lineBytes_.empty())
        error("internal error: size differs between the passes");
    writeListingLine(line, number);
    pc_ += line.size;
}

void Assembler::error(std::string message)
{
    // Several independent faults in one line are all useful, but a line of
    // garbage must not flood the error listing.
    constexpr int maxErrorsPerLine = 8;
    if (errorsThisLine_++ >= maxErrorsPerLine || result_.errors.size() > maxErrors)
        return;
    if (result_.errors.size() == maxErrors)
        message = "too many errors: later ones are not listed";
    result_.errors.push_back({currentLine_, std::move(message)});
}

void Assembler::emit(uint8_t byte)
{
    uint32_t address = pc_ + static_cast<uint32_t>(lineBytes_.size());
    lineBytes_.push_back(byte);
    if (address > 0xFFFF) {
        if (!overflowReported_) {
            overflowReported_ = true;
            error("code beyond $FFFF");
        }
        return;
    }
    auto& segs = result_.segments;
    if (segs.empty() || static_cast<uint32_t>(segs.back().address) + segs.back().bytes.size() != address) {
        segs.push_back(Segment{static_cast<uint16_t>(address), {}});
    }
    segs.back().bytes.push_back(byte);
}

void appendSource(std::string& out, std::string_view text)
{
    // The line as written; control characters that would break a line-based
    // reader are shown as '?'.
    size_t start = out.size();
    out.append(text);
    for (size_t i = start; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F)
            out[i] = '?';
    }
}

void appendLineNumber(std::string& out, int number)
{
    int n = number % 10000;
    char buf[4] = {char('0' + n / 1000), char('0' + n / 100 % 10), char('0' + n / 10 % 10), char('0' + n % 10)};
    out.append(buf, 4);
}

void Assembler::writeListingLine(const Line& line, int number)
{
    std::string& out = result_.listing;
    appendLineNumber(out, number);
    if (line.hasAddress && !line.afterEnd) {
        // A code line: the layout the IDE's symbol loader reads.
        out += ' ';
        appendHex(out, line.address & 0xFFFF, 4);
        out += ' ';
        size_t n = std::min(lineBytes_.size(), size_t(listingBytesPerLine));
        for (size_t k = 0; k < size_t(listingBytesPerLine); ++k) {
            if (k < n) {
                appendHex(out, lineBytes_[k], 2);
            } else {
                out.append(2, ' ');
            }
            if (k + 1 < size_t(listingBytesPerLine))
                out += ' ';
            else
                out.append(3, ' ');
        }
        appendSource(out, line.text);
        // The loader takes a label only when a blank follows it.
        if (line.text.find_first_of(" \t") == std::string_view::npos)
            out += ' ';
        out += '\n';
        // Further bytes of a data line: continuation lines without a line
        // number, which the symbol loader does not take for code lines.
        for (size_t k = n; k < lineBytes_.size(); k += listingBytesPerLine) {
            out.append(5, ' ');
            appendHex(out, (line.address + static_cast<uint32_t>(k)) & 0xFFFF, 4);
            size_t m = std::min(lineBytes_.size(), k + listingBytesPerLine);
            for (size_t j = k; j < m; ++j) {
                out += ' ';
                appendHex(out, lineBytes_[j], 2);
            }
            out += '\n';
        }
    } else {
        // No address: blank address columns. EQU and SET show their value
        // in the code column, after a '='.
        const Symbol* s = nullptr;
        if ((line.directive == Directive::Equ || line.directive == Directive::Set) && !line.label.empty() &&
            !line.afterEnd)
            s = result_.symbols.find(line.label);
        if (!line.text.empty() || s) {
            out.append(6, ' ');  // columns 5-10
            if (s && s->known) {
                out += '=';        // column 11, the value in 12-15
                appendHex(out, static_cast<uint32_t>(s->value) & 0xFFFF, 4);
                out.append(12, ' ');
            } else {
                out.append(17, ' ');
            }
            appendSource(out, line.text);
        }
        out += '\n';
    }
    for (size_t e = errorsAtLineStart_; e < result_.errors.size(); ++e) {
        out += "***** error ";
        out += std::to_string(result_.errors[e].line);
        out += ": ";
        out += result_.errors[e].message;
        out += '\n';
    }
}

void Assembler::writeListingFooter()
{
    std::string& out = result_.listing;
    if (options_.symbolTableInListing && result_.symbols.size() > 0) {
        out += "\nSymbols\n";
        for (const Symbol* s : result_.symbols.sorted()) {
            out += "  ";
            out += s->name;
            out.append(s->name.size() < 24 ? 24 - s->name.size() : 1, ' ');
            if (s->known) {
                out += '$';
                appendHex(out, static_cast<uint32_t>(s->value) & 0xFFFF, 4);
            } else {
                out += "?????";
            }
            out += s->kind == SymbolKind::Label ? "  label" : s->kind == SymbolKind::Equ ? "  equ" : "  set";
            out += "  line ";
            out += std::to_string(s->line);
            out += '\n';
        }
    }
    out += '\n';
    out += std::to_string(result_.errors.size());
    out += result_.errors.size() == 1 ? " error\n" : " errors\n";
}

} // namespace

std::string AssemblyResult::errorText() const
{
    std::string out;
    for (const AssemblyError& e : errors) {
        out += std::to_string(e.line);
        out += ": ";
        out += e.message;
        out += '\n';
    }
    return out;
}

std::string formatSRecords(const std::vector<Segment>& segments, uint16_t start,
                           std::string_view header, size_t maxDataBytes)
{
    std::string out;
    auto record = [&out](char type, uint32_t address, const uint8_t* data, size_t n) {
        out += 'S';
        out += type;
        uint32_t count = static_cast<uint32_t>(n) + 3;
        uint32_t sum = count + ((address >> 8) & 0xFF) + (address & 0xFF);
        appendHex(out, count, 2);
        appendHex(out, address & 0xFFFF, 4);
        for (size_t i = 0; i < n; ++i) {
            appendHex(out, data[i], 2);
            sum += data[i];
        }
        appendHex(out, ~sum & 0xFF, 2);
        out += '\n';
    };
    if (maxDataBytes == 0 || maxDataBytes > 252)
        maxDataBytes = 32;
    std::string_view h = header.substr(0, std::min<size_t>(header.size(), 32));
    record('0', 0, reinterpret_cast<const uint8_t*>(h.data()), h.size());
    for (const Segment& seg : segments) {
        for (size_t off = 0; off < seg.bytes.size(); off += maxDataBytes) {
            size_t n = std::min(maxDataBytes, seg.bytes.size() - off);
            record('1', seg.address + static_cast<uint32_t>(off), seg.bytes.data() + off, n);
        }
    }
    record('9', start, nullptr, 0);
    return out;
}

AssemblyResult assemble(std::string_view source, const AssemblerOptions& options)
{
    AssemblyResult result;
    Assembler assembler(source, options, result);
    assembler.run();
    return result;
}

} // namespace zelk::as11
