// Plain modal dialogs for the watch commands' two questions (Enter Value and
// the Watch dialog), checked with the shared dialog rules. Used unless a
// fuller dialog is plugged into WatchDialogs.
#pragma once

#include "views/ValueDialogs.h"

class QWidget;

namespace zelk {

void defaultEnterValueDialog(QWidget* owner, DialogFields& f);
void defaultWatchAddressDialog(QWidget* owner, DialogFields& f);

} // namespace zelk
