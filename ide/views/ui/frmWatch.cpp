// The watch window.
#include "views/ui/frmWatch.h"

namespace zelk {

WatchList& programWatches()
{
    static WatchList list;
    return list;
}

} // namespace zelk
