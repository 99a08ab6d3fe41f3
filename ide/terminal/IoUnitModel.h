// The state and rules of the input-output unit's window, kept apart from the
// widgets so that the memory side can drive it whether or not the window is
// open: the In Unit's byte and Data Pending flag, the Out Unit's byte, Data
// Ready flag and eight LEDs, the two display formats and the LED power.
//
// It is the IoUnit the access layer calls: a simulated read of $6001 clears
// Data Pending, a write of $6003 shows the byte and sets Data Ready, and a
// value entered at $6000-$6003 in a view lands here. Enter and Read write the
// handshake bytes into the simulator's memory image.
//
// The window listens for changes; the model only records them, so a program
// that writes $6003 thousands of times a second costs a store and a flag per
// write, and the window redraws when window messages run.
#pragma once

#include "link/IoUnit.h"
#include "link/SimulatorTarget.h"
#include "terminal/IoConversions.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

// The entries of the format lists ("Binary" only for input, "BCD" only for
// output).
enum class IoFormat : uint8_t { Signed, Unsigned, Hex, Binary, BCD };
std::string_view ioFormatName(IoFormat f);

class IoUnitModel final : public IoUnit {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        // Something shown changed; rewriteInText: the value entry shows the
        // input byte again (new byte or new input format).
        virtual void ioUnitChanged(bool rewriteInText) = 0;
    };

    explicit IoUnitModel(SimulatorTarget& sim) : sim_(sim) {}

    void setListener(Listener* l) { listener_ = l; }

    // The state of a freshly loaded window: both formats "Signed", both
    // bytes 0, both flags off, LED power on (so that the LEDs show the
    // output as soon as the window opens).
    void Load();

    // ---- IoUnit: calls of the access layer ---------------------------------
    void setInFresh(uint8_t value) override;
    void setInDataRegister(uint8_t value) override;
    void setOutFresh(uint8_t value) override;
    void setOutDataRegister(uint8_t value) override;

    // ---- The window's commands ----------------------------------------------
    // Converts text by the input format. On success the input bits take the
    // value, Data Pending goes on and memory $6000 = 1, $6001 = the byte;
    // returns true. A text that does not convert changes nothing and returns
    // false (the window says "Wrong data format or Value out of range").
    bool Enter(std::string_view text);
    // Data Ready off and memory $6002 = 0.
    void Read();
    void setInFormat(IoFormat f);
    void setOutFormat(IoFormat f);
    void setLedPower(bool on);

    // ---- What the window shows -------------------------------------------------
    IoFormat inFormat() const { return inFormat_; }
    IoFormat outFormat() const { return outFormat_; }
    uint8_t inByte() const { return in_; }
    uint8_t outByte() const { return out_; }
    std::string inBits() const { return byteToBits(in_); }
    std::string outBits() const { return byteToBits(out_); }
    bool inFresh() const { return inFresh_; }
    bool outFresh() const { return outFresh_; }
    bool ledPower() const { return ledPower_; }
    // Whether the value entry shows the input byte: not after Load (the
    // entry starts empty), from the first new byte or input format on.
    bool inTextShown() const { return inTextShown_; }
    // The bytes in their formats (the value entry and the output text).
    std::string inText() const { return format(in_, inFormat_); }
    std::string outText() const { return format(out_, outFormat_); }
    // showLED: LED i (0 = the leftmost, the most significant bit) is on when
    // the power is on and its bit is 1.
    bool led(int i) const { return ledPower_ && i >= 0 && i < 8 && (out_ & (0x80 >> i)); }

    // Text of a byte in a format of the lists.
    static std::string format(uint8_t value, IoFormat f);

private:
    void changed(bool rewriteInText = false)
    {
        if (listener_)
            listener_->ioUnitChanged(rewriteInText);
    }

    SimulatorTarget& sim_;
    Listener* listener_ = nullptr;
    IoFormat inFormat_ = IoFormat::Signed;
    IoFormat outFormat_ = IoFormat::Signed;
    uint8_t in_ = 0;
    uint8_t out_ = 0;
    bool inFresh_ = false;
    bool outFresh_ = false;
    bool ledPower_ = true;
    bool inTextShown_ = false;
};

} // namespace zelk
