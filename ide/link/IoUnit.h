// The input-output unit at $6000-$6003 as the access layer sees it. The
// unit's window implements it in the IDE; the headless runner maps it to
// the standard streams.
//
// Memory map: $6000 input-fresh flag ("Data Pending"), $6001 input data
// register, $6002 output-fresh flag ("Data Ready"), $6003 output data
// register. All four are ordinary bytes of the memory image; the unit is
// told when they change.
#pragma once

#include <cstdint>

namespace zelk {

class IoUnit {
public:
    virtual ~IoUnit() = default;

    // OutByte to $6000..$6003 (a value entered in a view, either target
    // mode, whether or not the unit is shown) calls the matching setter with
    // the byte written. While the unit is active the simulated program's
    // read of $6001 calls setInFresh(0) (after $6000 was cleared), and its
    // write of v to $6003 calls setOutDataRegister(v) then setOutFresh(1)
    // (after $6002 was set to 1).
    virtual void setInFresh(uint8_t value) = 0;
    virtual void setInDataRegister(uint8_t value) = 0;
    virtual void setOutFresh(uint8_t value) = 0;
    virtual void setOutDataRegister(uint8_t value) = 0;

    // Called while the unit is active, in simulator mode, just before the
    // simulated program or the next-address prediction reads $6000 or $6001
    // from the memory image. A unit that feeds input from a stream supplies
    // its next byte here (writing $6001 and $6000 through the access layer's
    // image()); the window's unit has nothing to do.
    virtual void beforeRead(int32_t /*address*/) {}
};

} // namespace zelk
